#pragma once
// The program's error types: a conversion that failed, and a database statement
// that failed. Both carry a message meant for the user.
#include <QString>
#include <stdexcept>

class EAppError : public std::runtime_error {
public:
    explicit EAppError(const QString& msg) : std::runtime_error(msg.toStdString()), m_msg(msg) {}
    const QString& message() const { return m_msg; }
private:
    QString m_msg;
};

class EConvertError : public EAppError { using EAppError::EAppError; };
class EDatabaseError : public EAppError { using EAppError::EAppError; };

// Whether a failed statement was reading or writing: a failed read has
// nothing to save, so its sentence says what could not be read.
enum class EngineAccess { Write, Read };

// A statement the database engine refused. Its message is a sentence saying
// what was not done (for a write: that nothing of the command was saved), with
// the engine's own text on the second line; every command that writes runs in
// one transaction, so this holds for all of them.
class EEngineError : public EDatabaseError {
public:
    // folder: the database file's folder, named when the engine cannot write there.
    EEngineError(int code, const QString& engineText, EngineAccess access = EngineAccess::Write,
                 const QString& folder = {});
    // With a first line of the caller's own, such as one naming the file.
    EEngineError(int code, const QString& firstLine, const QString& engineText)
        : EDatabaseError(firstLine + QLatin1Char('\n') + engineText), m_code(code), m_engineText(engineText) {}
    int code() const { return m_code; }                  // the engine's result code
    const QString& engineText() const { return m_engineText; }
    // The first line for an engine result code.
    static QString sentence(int code, EngineAccess access = EngineAccess::Write, const QString& folder = {});
private:
    int m_code;
    QString m_engineText;
};

// A guarded write found its record changed since the window read it (another
// window or another copy of the program got there first). Nothing was written.
class EChangedError : public EAppError {
public:
    EChangedError();
};

// A write that changes a state must change exactly one row; otherwise the
// record changed meanwhile and EChangedError is thrown.
void ExpectOneRow(int changed);

// The text of any exception as the user should see it.
QString ErrorText(const std::exception& e);

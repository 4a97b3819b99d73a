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

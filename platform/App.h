#pragma once
// Program-wide facts: the application title and the data folder.
#include <QApplication>
#include <QString>

class TADOConnection;
class QLineEdit;

QString AppTitle();                       // "Quorvane"
QString FormCaption(const QString& name); // title, " - ", name

// The folder beside the executable, with a trailing separator. Tests point it
// at a temporary folder.
QString AppDir();
void SetAppDir(const QString& dir);

// The connection whose transaction a failed handler rolls back.
void SetGuardConnection(TADOConnection* cn);
TADOConnection* GuardConnection();

// Read-only edit box with the silver background.
void SetReadOnlySilver(QLineEdit* e);

// The application object. Its notify is the last guard: an error that escaped
// every handler ends in the error box (a transaction left open rolled back)
// and the program goes on. Handlers catch their own errors, so the guard
// never fires in a sound program; the tests fail whenever it did.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
    static int lastGuardCount();        // times the guard caught an error
    static void resetLastGuardCount();
};

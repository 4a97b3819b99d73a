#pragma once
// What every window reaches of the application: the one connection, the photo
// folders, and the notice that the live data were replaced.
#include <QObject>
#include <QString>

class TADOConnection;

// The program's only connection. The main window owns it and hands it down
// when it is made, so this floor needs nothing above it.
TADOConnection& AppConnection();
void SetAppConnection(TADOConnection* cn);

// The photo folders of this run, with a trailing separator.
extern QString CarPicDir;
extern QString CustPicDir;

// The login password of this run; empty means no login.
extern QString AdminPassword;

// Announces that the live data were replaced wholesale (a restore, a clearing):
// every window that keeps rows drops or re-reads them.
class AppEvents : public QObject {
    Q_OBJECT
public:
    static AppEvents& instance();
signals:
    void databaseReplaced();
};

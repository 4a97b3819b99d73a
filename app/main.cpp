// The program: creates every window once, shows the main window and runs the
// message loop until it closes.
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "platform/Look.h"
#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    InstallChineseLook(app);
    if (!CreateForms()) return 1;
    CentreOnOwner(frmMain);
    frmMain->show();
    // The first-show work runs inside the loop, so the login can end the program.
    QTimer::singleShot(0, frmMain, [] { frmMain->FormShow(); });
    const int rc = app.exec();
    DestroyForms();
    return rc;
}

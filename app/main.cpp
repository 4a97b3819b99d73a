// The program: creates every window once, shows the main window and runs the
// message loop until it closes.
#include "app/Forms.h"
#include "app/UnitMain.h"
#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    app.setFont(font);
    if (!CreateForms()) return 1;
    frmMain->move(frmMain->screen()->availableGeometry().center() - frmMain->rect().center());
    frmMain->show();
    // The first-show work runs inside the loop, so the login can end the program.
    QTimer::singleShot(0, frmMain, [] { frmMain->FormShow(); });
    const int rc = app.exec();
    DestroyForms();
    return rc;
}

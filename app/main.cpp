// The program: creates every window once, shows the main window and runs the
// message loop until it closes.
#include "app/Forms.h"
#include "app/UnitMain.h"
#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    app.setFont(font);
    if (!CreateForms()) return 1;
    const int rc = RunMainLoop();
    DestroyForms();
    return rc;
}

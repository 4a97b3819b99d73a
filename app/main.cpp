// The program: creates every window once, shows the main window and runs the
// message loop until it closes.
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "platform/App.h"
#include "platform/Look.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    InstallChineseLook(app);
    if (!CreateForms()) return 1;
    const int rc = RunMainLoop();
    DestroyForms();
    return rc;
}

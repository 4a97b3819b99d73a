#include "app/AppContext.h"
#include "app/UnitMain.h"

TADOConnection& AppConnection() { return frmMain->ADOCn; }

AppEvents& AppEvents::instance()
{
    static AppEvents events;
    return events;
}

#include "app/Forms.h"
#include "app/UnitMain.h"
#include "platform/Look.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "accounts/UnitReport.h"
#include "admin/UnitAlert.h"
#include "admin/UnitBackup.h"
#include "admin/UnitBirthday.h"
#include "admin/UnitChangePass.h"
#include "admin/UnitInitSys.h"
#include "admin/UnitLogin.h"
#include "hire/UnitChangeCar.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitPrint.h"
#include "hire/UnitReturn.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include <QApplication>
#include <QScreen>
#include <QTimer>

bool CreateForms()
{
    frmMain = new TfrmMain;
    // Every dialog is a child of the main window, so it centres on it. Some
    // read their lists as they are made: a file that cannot be read ends
    // start-up there, as one the main window cannot read does.
    const bool made = frmMain->started() && frmMain->RunStartupStep(nullptr, [] {
        frmLogin = new TfrmLogin(frmMain);
        frmCar = new TfrmCar(frmMain);
        frmNewCar = new TfrmNewCar(frmMain);
        frmLend = new TfrmLend(frmMain);
        frmInit = new TfrmInit(frmMain);
        frmReturn = new TfrmReturn(frmMain);
        frmReport = new TfrmReport(frmMain);
        frmCust = new TfrmCust(frmMain);
        frmNewCust = new TfrmNewCust(frmMain);
        frmPrice = new TfrmPrice(frmMain);
        frmNewPrice = new TfrmNewPrice(frmMain);
        frmCharge = new TfrmCharge(frmMain);
        frmCost = new TfrmCost(frmMain);
        frmChangePass = new TfrmChangePass(frmMain);
        frmChangeCar = new TfrmChangeCar(frmMain);
        frmPrint = new TfrmPrint(frmMain);
        frmAcct = new TfrmAcct(frmMain);
        frmAcctMod = new TfrmAcctMod(frmMain);
        frmBirthday = new TfrmBirthday(frmMain);
        frmAlert = new TfrmAlert(frmMain);
        frmSelectScheme = new TfrmSelectScheme(frmMain);
        frmSelCust = new TfrmSelCust(frmMain);
        frmBackup = new TfrmBackup(frmMain);
    });
    if (!made) DestroyForms();
    return made;
}

void DestroyForms()
{
    // Children of the main window go with it; clear the globals in reverse order.
    delete frmMain;
    frmMain = nullptr;
    frmBackup = nullptr; frmSelCust = nullptr; frmSelectScheme = nullptr; frmAlert = nullptr;
    frmBirthday = nullptr; frmAcctMod = nullptr; frmAcct = nullptr; frmPrint = nullptr;
    frmChangeCar = nullptr; frmChangePass = nullptr; frmCost = nullptr; frmCharge = nullptr;
    frmNewPrice = nullptr; frmPrice = nullptr; frmNewCust = nullptr; frmCust = nullptr;
    frmReport = nullptr; frmReturn = nullptr; frmInit = nullptr; frmLend = nullptr;
    frmNewCar = nullptr; frmCar = nullptr; frmLogin = nullptr;
}

int RunMainLoop()
{
    CentreOnOwner(frmMain);
    frmMain->show();
    QTimer::singleShot(0, frmMain, [] { frmMain->FormShow(); });
    const int rc = QApplication::exec();
    // Closing the window may have ended the loop with 0 before the failure's 1.
    return frmMain->startFailed() ? 1 : rc;
}

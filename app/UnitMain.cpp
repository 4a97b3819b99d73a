#include "app/UnitMain.h"
#include "ui_UnitMain.h"
#include "app/UnitPublic.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Form.h"
#include "platform/Handler.h"
#include "platform/Look.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitReport.h"
#include "admin/UnitAlert.h"
#include "admin/UnitBackup.h"
#include "admin/UnitBirthday.h"
#include "admin/UnitChangePass.h"
#include "admin/UnitInitSys.h"
#include "admin/UnitLogin.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "registers/UnitCar.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitPrice.h"
#include "ui_UnitBackup.h"
#include "ui_UnitBirthday.h"
#include <QCloseEvent>
#include <QDir>
#include <QTabWidget>

TfrmMain* frmMain = nullptr;
QString CarPicDir;
QString CustPicDir;
QString AdminPassword;
QStringList AlertMessages;
int AlertIndex = 0;

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), ui(new Ui::TfrmMain)
{
    InitResources();
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/icons/banner.png")));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));

    On(ui->BtnCar, &QToolButton::clicked, this, [this] { BtnCarClick(); });
    On(ui->BtnNewCar, &QToolButton::clicked, this, [this] { BtnNewCarClick(); });
    On(ui->ToolButton10, &QToolButton::clicked, this, [this] { ToolButton10Click(); });
    On(ui->BtnLend, &QToolButton::clicked, this, [this] { BtnLendClick(); });
    On(ui->BtnReturn, &QToolButton::clicked, this, [this] { BtnReturnClick(); });
    On(ui->BtnCharge, &QToolButton::clicked, this, [this] { BtnChargeClick(); });
    On(ui->BtnCust, &QToolButton::clicked, this, [this] { BtnCustClick(); });
    On(ui->BtnReport, &QToolButton::clicked, this, [this] { BtnReportClick(); });
    On(ui->ToolButton7, &QToolButton::clicked, this, [this] { ToolButton7Click(); });
    On(ui->BtnHelp, &QToolButton::clicked, this, [this] { BtnHelpClick(); });
    On(ui->ToolButton14, &QToolButton::clicked, this, [this] { ToolButton14Click(); });
    On(ui->N4, &QAction::triggered, this, [this] { N4Click(); });
    On(ui->N8, &QAction::triggered, this, [this] { N8Click(); });
    On(ui->N9, &QAction::triggered, this, [this] { N9Click(); });
    On(ui->N2, &QAction::triggered, this, [this] { N2Click(); });
    On(ui->N6, &QAction::triggered, this, [this] { N6Click(); });
    On(ui->N13, &QAction::triggered, this, [this] { N13Click(); });
    On(ui->N11, &QAction::triggered, this, [this] { N11Click(); });
    // "&Z" and "&H" in the tool buttons' captions are their Alt accelerators.

    for (QWidget* w : {static_cast<QWidget*>(ui->lblHomepage), static_cast<QWidget*>(ui->lblEmail),
                       static_cast<QWidget*>(ui->lblAlert1), static_cast<QWidget*>(ui->lblAlert2)})
        w->installEventFilter(this);
    // The version text follows the banner wherever the layout puts it.
    ui->lblApplication->installEventFilter(this);
    ui->lblVersion->raise();
    ui->lblHomepage->raise();

    RunGuarded(nullptr, [this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    SetGuardConnection(nullptr);
    delete ui;
}

void TfrmMain::FormCreate()
{
    setWindowTitle(AppTitle());
    ui->lblVersion->setText(QStringLiteral(" 软件版本：2.93"));
    ui->Panel2->setFrameShape(QFrame::NoFrame);

    // A missing file, or one that is not this program's database, ends the
    // program with the file untouched; then the schema is brought up to date.
    try {
        ADOCn.open(AppDir() + QStringLiteral("Leaso3.mdb"), ProgramTables());
        SetGuardConnection(&ADOCn);
        EnsureSchema(ADOCn);
    } catch (const std::exception& e) {
        Dlg::ErrorBox(nullptr, ErrorText(e));
        return;
    }

    // Photo folders, one level only.
    for (const QString& name : {QStringLiteral("DBPic"), QStringLiteral("DBCustPic")}) {
        QDir dir(AppDir());
        if (!QFileInfo(AppDir() + name).isDir() && !dir.mkdir(name))
            Dlg::Notice(this, QStringLiteral("创建目录失败，请联系技术支持！"));
    }
    CarPicDir = AppDir() + QStringLiteral("DBPic/");
    CustPicDir = AppDir() + QStringLiteral("DBCustPic/");
    ADOQry->setConnection(&ADOCn);

    // The login password.
    AdminPassword.clear();
    ADOQry->setSQL(QStringLiteral("Select Value from config where Item='ADMINPASS' and (Value is not null) and Value<>''"));
    ADOQry->open();
    if (!ADOQry->isEmpty()) AdminPassword = ADOQry->fieldByName(QStringLiteral("Value")).asString();
    ADOQry->close();

    // Caption and banner: the stored system name over the title.
    setWindowTitle(AppTitle());
    ui->lblApplication->setText(QStringLiteral("   ") + AppTitle());
    ADOQry->setSQL(QStringLiteral("Select Value from Config where Item='APPNAME'"));
    ADOQry->open();
    if (!ADOQry->isEmpty() && !ADOQry->fieldByName(QStringLiteral("Value")).isNull()) {
        const QString name = ADOQry->fieldByName(QStringLiteral("Value")).asString();
        setWindowTitle(name);
        ui->lblApplication->setText(QStringLiteral("   ") + name);
    }
    ADOQry->close();
    m_started = true;
}

void TfrmMain::FormShow()
{
    if (m_firstShowDone) return;
    m_firstShowDone = true;
    RunGuarded(this, [this] {
        if (!AdminPassword.isEmpty() && frmLogin) frmLogin->exec();
        GetAlertMessages();
    });
}

void TfrmMain::GetAlertMessages()
{
    AlertMessages.clear();
    AlertIndex = 0;
    Timer1->stop();
    ui->lblAlert1->hide();
    ui->lblAlert2->hide();
}

void TfrmMain::setTimerState(bool on)
{
    if (on) Timer1->start(); else Timer1->stop();
}

int TfrmMain::showPaused(TForm* f)
{
    const bool was = Timer1->isActive();
    Timer1->stop();
    const int r = f->exec();
    setTimerState(was);
    return r;
}

int TfrmMain::showRebuilt(TForm* f)
{
    Timer1->stop();
    const int r = f->exec();
    GetAlertMessages();
    return r;
}

int TfrmMain::showLeftRunning(TForm* f)
{
    const bool was = Timer1->isActive();
    setTimerState(was);
    const int r = f->exec();
    setTimerState(was);
    return r;
}

void TfrmMain::BtnCarClick() { showRebuilt(frmCar); }
void TfrmMain::BtnNewCarClick() { showRebuilt(frmNewCar); }
void TfrmMain::ToolButton10Click() { showLeftRunning(frmPrice); }
void TfrmMain::BtnLendClick() { showPaused(frmLend); }
void TfrmMain::BtnReturnClick() { showPaused(frmReturn); }
void TfrmMain::BtnChargeClick() { showPaused(frmCharge); }
void TfrmMain::BtnCustClick() { showPaused(frmCust); }
void TfrmMain::BtnReportClick() { showPaused(frmReport); }
void TfrmMain::ToolButton7Click() { showPaused(frmAcct); }
void TfrmMain::BtnHelpClick() { Dlg::OpenUrl(HelpPageUrl()); }
void TfrmMain::ToolButton14Click() { OpenTrafficQueryPage(); }
void TfrmMain::N4Click() { close(); }

// Puts the backup dialog on one of its pages, captioned as that page.
static void selectBackupPage(int index)
{
    frmBackup->ui->PageControl1->setCurrentIndex(index);
    frmBackup->setWindowTitle(frmBackup->ui->PageControl1->tabText(index));
}

void TfrmMain::N8Click()
{
    selectBackupPage(0);
    showPaused(frmBackup);
}

void TfrmMain::N9Click()
{
    selectBackupPage(1);
    const bool was = Timer1->isActive();
    Timer1->stop();
    frmBackup->Restored = false;
    frmBackup->exec();
    if (frmBackup->Restored) GetAlertMessages();
    else setTimerState(was);
}

void TfrmMain::N2Click() { showRebuilt(frmInit); }
void TfrmMain::N6Click() { showPaused(frmChangePass); }

void TfrmMain::N13Click()
{
    const bool was = Timer1->isActive();
    Timer1->stop();
    if (frmAlert->exec() == QDialog::Accepted) GetAlertMessages();
    else setTimerState(was);
}

void TfrmMain::N11Click()
{
    const bool was = Timer1->isActive();
    Timer1->stop();
    SetEditText(frmBirthday->ui->EdtAppName, windowTitle());
    frmBirthday->exec();   // applied however the dialog was closed
    const QString name = frmBirthday->ui->EdtAppName->text().remove(QLatin1Char('\''));
    SetEditText(frmBirthday->ui->EdtAppName, name);
    ui->lblApplication->setText(QStringLiteral("   ") + name);
    setWindowTitle(name);
    try {
        WriteConfig(ADOCn, QStringLiteral("APPNAME"), windowTitle());
    } catch (...) {
        setTimerState(was);
        throw;
    }
    setTimerState(was);
}

void TfrmMain::lblHomepageClick() { Dlg::OpenUrl(HomePageUrl()); }
void TfrmMain::lblEmailClick() { Dlg::OpenUrl(ContactMailUrl()); }

void TfrmMain::lblAlert1MouseEnter() { Timer1->stop(); }
void TfrmMain::lblAlert1MouseLeave() { if (!AlertMessages.isEmpty()) Timer1->start(); }

bool TfrmMain::eventFilter(QObject* obj, QEvent* ev)
{
    if (ev->type() == QEvent::MouseButtonRelease) {
        if (obj == ui->lblHomepage) { RunGuarded(this, [this] { lblHomepageClick(); }); return true; }
        if (obj == ui->lblEmail) { RunGuarded(this, [this] { lblEmailClick(); }); return true; }
    }
    if (obj == ui->lblApplication && (ev->type() == QEvent::Move || ev->type() == QEvent::Resize)) FormResize();
    if (obj == ui->lblAlert1 || obj == ui->lblAlert2) {
        if (ev->type() == QEvent::Enter) lblAlert1MouseEnter();
        else if (ev->type() == QEvent::Leave) lblAlert1MouseLeave();
    }
    return QMainWindow::eventFilter(obj, ev);
}

void TfrmMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    FormResize();
}

void TfrmMain::FormResize()
{
    ui->lblVersion->move(ui->lblVersion->x(), ui->lblApplication->y() + 5);
    ui->lblHomepage->move(ui->lblHomepage->x(), ui->lblVersion->y());
}

void TfrmMain::closeEvent(QCloseEvent* e)
{
    FormClose();
    QMainWindow::closeEvent(e);
}

void TfrmMain::FormClose()
{
    Timer1->stop();
    ADOCn.close();
}

#include "app/UnitMain.h"
#include "ui_UnitMain.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
#include "common/UnitPhoto.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Form.h"
#include "platform/Handler.h"
#include "platform/Look.h"
#include "platform/Moment.h"
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
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTabWidget>
#include <sqlite3.h>

TfrmMain* frmMain = nullptr;
QStringList AlertMessages;
int AlertIndex = 0;

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), ui(new Ui::TfrmMain)
{
    InitResources();
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    On(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    // The strip stands empty until the first alert build fills it.
    ui->lblAlert1->hide();
    ui->lblAlert2->hide();
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

    SetAppConnection(&ADOCn);
    m_started = RunStartupStep(nullptr, [this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    SetGuardConnection(nullptr);
    SetAppConnection(nullptr);
}

bool TfrmMain::RunStartupStep(QWidget* owner, const std::function<void()>& step)
{
    // A file refused on opening is already named with its cause; a statement
    // that fails later is worded as that refusal would be.
    const auto refuse = [&](int code, const QString& engineText, const QString& asRaised) {
        Dlg::ErrorBox(owner, ADOCn.connected() ? UnusableFileError(ADOCn.fileName(), code, engineText,
                                                                   ADOCn.undidUnfinishedChange(), m_schemaAdded).message()
                                               : asRaised);
    };
    try {
        step();
        return true;
    } catch (const EEngineError& e) {
        refuse(e.code(), e.engineText(), e.message());
    } catch (const EDatabaseError& e) {
        // A read of the open file the engine accepted but the program cannot
        // use (a column missing from a row): the same refusal of the file.
        refuse(SQLITE_ERROR, e.message(), e.message());
    } catch (const std::exception& e) {
        Dlg::ErrorBox(owner, ErrorText(e));
    } catch (...) {
        Dlg::ErrorBox(owner, QStringLiteral("未知错误"));
    }
    // The schema step is stored whole or rolled back, and start-up writes
    // nothing else: nothing more is done with the file.
    m_startFailed = true;
    ADOCn.close();
    return false;
}

void TfrmMain::FormCreate()
{
    setWindowTitle(AppTitle());
    // Nothing is added to a caption, and an empty system name leaves the title
    // bar empty instead of showing the executable's name.
    QGuiApplication::setApplicationDisplayName(QStringLiteral(""));
    ui->lblVersion->setText(QStringLiteral(" 软件版本：2.93"));
    ui->Panel2->setFrameShape(QFrame::NoFrame);

    // A missing file, or one that is not this program's database, ends the
    // program before anything is made, with the file untouched.
    ADOCn.open(AppDir() + QStringLiteral("Leaso3.mdb"), ProgramTables());
    SetGuardConnection(&ADOCn);

    // Photo folders, one level only.
    for (const QString& name : {QStringLiteral("DBPic"), QStringLiteral("DBCustPic")}) {
        QDir dir(AppDir());
        if (!QFileInfo(AppDir() + name).isDir() && !dir.mkdir(name))
            Dlg::Notice(this, QStringLiteral("创建目录失败，请联系技术支持！"));
    }
    CarPicDir = AppDir() + QStringLiteral("DBPic/");
    CustPicDir = AppDir() + QStringLiteral("DBCustPic/");
    // A save the program stopped in is finished or undone before any window
    // shows a photo; the file itself is only read.
    RecoverPhotoChanges(ADOCn, {CarPicDir, CustPicDir});

    ADOQry->setConnection(&ADOCn);

    // The login password.
    AdminPassword.clear();
    ADOQry->setSQL(StartupSql::AdminPassword);
    ADOQry->open();
    if (!ADOQry->isEmpty()) AdminPassword = ADOQry->fieldByName(QStringLiteral("Value")).asString();
    ADOQry->close();

    // Caption and banner: the stored system name over the title.
    setWindowTitle(AppTitle());
    setBanner(AppTitle());
    ADOQry->setSQL(StartupSql::AppName);
    ADOQry->open();
    if (!ADOQry->isEmpty() && !ADOQry->fieldByName(QStringLiteral("Value")).isNull()) {
        const QString name = ADOQry->fieldByName(QStringLiteral("Value")).asString();
        setWindowTitle(name);
        setBanner(name);
    }
    ADOQry->close();
}

void TfrmMain::FormShow()
{
    if (m_firstShowDone) return;
    m_firstShowDone = true;
    // The first alert build is the last of start-up: a file it cannot read
    // ends the program as a failure while the windows were made does.
    const bool done = RunStartupStep(this, [this] {
        if (!AdminPassword.isEmpty() && frmLogin) {
            frmLogin->exec();
            // Only the right password goes on; anything else ends the program
            // with nothing shown unlocked.
            if (!LoginPassed) {
                close();
                return;
            }
        }
        GetAlertMessages();
        // The account book and the indexes come after every read of start-up,
        // so a file those reads find damaged is never written to. One
        // transaction: a step that fails leaves the file as it was.
        m_schemaAdded = EnsureSchema(ADOCn);
        // Last, so a file left in WAL mode that start-up refuses keeps its header.
        // Another program holding it in that mode keeps the switch from being
        // made: the box then names what was added.
        ADOCn.useRollbackJournal();
    });
    if (!done) {
        close();
        QCoreApplication::exit(1);
    }
}

void TfrmMain::GetAlertMessages()
{
    // A kind whose day count is missing or not a number counts as off.
    const std::optional<int> costDays = frmAlert->CostDays();
    const std::optional<int> birthdayDays = frmAlert->BirthdayDays();
    const QString own = frmAlert->UserDefineAlert();
    if (!costDays && !birthdayDays && own.isEmpty()) {
        stopAlertStrip();
        return;
    }
    // Built aside, so a failing read leaves the strip as it was.
    QStringList texts;
    const QDateTime now = NowMoment();
    if (costDays) texts << CostAlertTexts(ADOCn, *costDays, now);
    if (birthdayDays) texts << BirthdayAlertTexts(ADOCn, *birthdayDays, now);
    if (!own.isEmpty()) texts << own;
    if (texts.isEmpty()) {
        stopAlertStrip();
        return;
    }
    if (ReadConfig(ADOCn, QStringLiteral("ALERT_BEEP"))) frmAlert->SetBeepOn();

    AlertMessages = texts;
    AlertIndex = 0;
    setAlertText(ui->lblAlert1, AlertMessages.at(0));
    ui->lblAlert1->show();
    if (AlertMessages.size() == 1) {
        ui->lblAlert2->hide();
    } else {
        AlertIndex = 1;
        setAlertText(ui->lblAlert2, AlertMessages.at(1));
        ui->lblAlert2->show();
        ui->lblAlert2->move(ui->lblAlert1->x() + ui->lblAlert1->width() + 150, ui->lblAlert2->y());
    }
    Timer1->start();
}

void TfrmMain::stopAlertStrip()
{
    AlertMessages.clear();
    AlertIndex = 0;
    Timer1->stop();
    ui->lblAlert1->hide();
    ui->lblAlert2->hide();
}

void TfrmMain::setAlertText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();   // the label's width follows its text
}

// The next text in turn, wrapping to the first after the last.
const QString& TfrmMain::nextAlertText()
{
    ++AlertIndex;
    if (AlertIndex >= AlertMessages.size()) AlertIndex = 0;
    return AlertMessages.at(AlertIndex);
}

void TfrmMain::Timer1Timer()
{
    // A strip with nothing to show stays still.
    if (AlertMessages.isEmpty()) {
        Timer1->stop();
        return;
    }
    QLabel* l1 = ui->lblAlert1;
    QLabel* l2 = ui->lblAlert2;
    const int restart = ui->Panel2->contentsRect().width() + 50;
    l1->move(l1->x() - 10, l1->y());
    if (l1->x() + l1->width() <= 0) {
        setAlertText(l1, nextAlertText());
        l1->move(restart, l1->y());
        if (frmAlert->BeepOn()) Dlg::Beep(2000, 2000);
    }
    l2->move(l2->x() - 10, l2->y());
    if (l2->x() + l2->width() <= 0) {
        setAlertText(l2, nextAlertText());
        // Label 2 keeps at least 70 pixels behind label 1.
        l2->move(std::max(restart, l1->x() + l1->width() + 70), l2->y());
    }
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

// Either opening may end in a restore, since the user can switch pages. The
// strip is rebuilt when any restore replaced the data while the dialog was
// open: Restored tells only of the last click on 恢复.
void TfrmMain::showBackup(int page)
{
    selectBackupPage(page);
    const bool was = Timer1->isActive();
    Timer1->stop();
    frmBackup->Restored = false;
    bool replaced = false;
    const QMetaObject::Connection watch =
        connect(&AppEvents::instance(), &AppEvents::databaseReplaced, this, [&replaced] { replaced = true; });
    const auto unwatch = qScopeGuard([&] { disconnect(watch); });
    frmBackup->exec();
    if (replaced || frmBackup->Restored) GetAlertMessages();
    else setTimerState(was);
}

void TfrmMain::N8Click() { showBackup(0); }
void TfrmMain::N9Click() { showBackup(1); }

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
    // Shown only once stored: a refused save leaves the stored name on show.
    try {
        WriteConfig(ADOCn, QStringLiteral("APPNAME"), name);
    } catch (...) {
        setTimerState(was);
        throw;
    }
    setBanner(name);
    setWindowTitle(name);
    setTimerState(was);
}

void TfrmMain::lblHomepageClick() { Dlg::OpenUrl(HomePageUrl()); }
void TfrmMain::lblEmailClick() { Dlg::OpenUrl(ContactMailUrl()); }

void TfrmMain::lblAlert1MouseEnter() { Timer1->stop(); }

void TfrmMain::lblAlert1MouseLeave()
{
    // Only a running strip restarts: not one a build has stopped, and not while
    // a window opened from here keeps the timer paused.
    if (AlertMessages.isEmpty() || ui->lblAlert1->isHidden() || QApplication::activeModalWidget()) return;
    Timer1->start();
}

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

void TfrmMain::setBanner(const QString& name)
{
    m_bannerText = QStringLiteral("   ") + name;
    showBanner();
}

void TfrmMain::showBanner()
{
    // A name wider than the banner's room, up to the version text that stands
    // on it, is cut short with "…" (whole in the tool tip and the caption)
    // rather than widening the window past the screen. Until the window
    // shows, the label's width means nothing. Its size policy lets the
    // window's width decide the banner's, never the text.
    QLabel* l = ui->lblApplication;
    const int version = l->mapFromGlobal(ui->lblVersion->mapToGlobal(QPoint(0, 0))).x();
    const int room = std::min(l->contentsRect().right(), version - 8) - l->contentsRect().left();
    const bool fits = !window()->isVisible() || l->fontMetrics().horizontalAdvance(m_bannerText) <= room;
    l->setText(fits ? m_bannerText : l->fontMetrics().elidedText(m_bannerText, Qt::ElideRight, room));
    l->setToolTip(fits ? QString() : m_bannerText.trimmed());
}

void TfrmMain::FormResize()
{
    showBanner();
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

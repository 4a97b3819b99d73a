// Start-up checks and repairs of the data file, the system name, and the
// alert timer around the main window's commands.
#include "support/AppFixture.h"
#include "support/FileTools.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "common/UnitPublic.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitReport.h"
#include "admin/UnitAlert.h"
#include "admin/UnitBackup.h"
#include "admin/UnitBirthday.h"
#include "admin/UnitChangePass.h"
#include "admin/UnitInitSys.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "registers/UnitCar.h"
#include "registers/UnitCust.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitPrice.h"
#include "ui_UnitBirthday.h"
#include "ui_UnitMain.h"
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

namespace {
class Startup : public AppFixture {
protected:
    void SetUp() override { createForms = false; AppFixture::SetUp(); }
    // The program's start as its main block runs it, the first show included;
    // the exit code, or 99 when the program still runs after a generous wait.
    static int runProgram()
    {
        if (!CreateForms()) return 1;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        deadline.start(20000);
        const int rc = RunMainLoop();
        DestroyForms();
        return rc;
    }
};
class MainWindow : public AppFixture {
protected:
    // The caption, the name on the main window and the stored rows.
    QString names()
    {
        return frmMain->windowTitle() + '|' + frmMain->ui->lblApplication->text() + '|'
               + scalar("Select group_concat([Value]) from Config where Item='APPNAME'").toString();
    }
    void restart() { DestroyForms(); startApp(); }
};
} // namespace

// A missing account book is made; one there, in whatever letter case, keeps its rows;
// new entries get distinct keys; the start after that writes nothing.
TEST_F(Startup, TheAccountBookIsMadeWhenMissingAndKeptWhateverItsLetterCase)
{
    for (const QString name : {QString(), QStringLiteral("acct")}) {
        SCOPED_TRACE(name.toStdString());
        exec("DROP TABLE IF EXISTS acct");
        if (!name.isEmpty()) {
            exec(QStringLiteral("CREATE TABLE [%1](ID INTEGER PRIMARY KEY AUTOINCREMENT, Type Integer, Amount Currency, LeasoID integer,"
                                "Item varchar(255), AcctTime DateTime, Deleted smallint, Category varchar(40))").arg(name));
            exec(QStringLiteral("INSERT INTO [%1](Type, Amount, Item) VALUES (1, 10000, 'kept')").arg(name));
        }
        startApp();
        frmMain->FormShow();   // the account book comes after the first show's reads
        EXPECT_EQ(scalar("Select group_concat(name) from sqlite_master where type='table' and name like 'acct'").toString(),
                  name.isEmpty() ? "ACCT" : name);
        EXPECT_EQ(scalar("Select group_concat(Item) from Acct").toString(), name.isEmpty() ? "" : "kept");
        DestroyForms();
    }
    startApp();
    frmMain->FormShow();
    for (int type : {1, -1})
        exec("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(:t,50000,0,'x',Now(),0,'c')", {{"t", type}});
    EXPECT_EQ(scalar("SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL").toInt(), 3);
    DestroyForms();
    const QByteArray before = FileBytes(dbFile());
    startApp();
    frmMain->FormShow();
    EXPECT_EQ(FileBytes(dbFile()), before);
}

TEST_F(Startup, APhotoFolderThatCannotBeMadeIsReported)
{
    ASSERT_TRUE(QFile(dir() + QStringLiteral("DBCustPic")).open(QIODevice::WriteOnly));   // a file where the folder goes
    startApp();
    EXPECT_TRUE(QFileInfo(dir() + QStringLiteral("DBPic")).isDir());
    EXPECT_EQ(messageTexts(), QStringList{"创建目录失败，请联系技术支持！"});
    EXPECT_EQ(messages[0].caption, "Quorvane");
    EXPECT_TRUE(frmMain->started());
}

// A file the program cannot use is named with its cause, the engine's text below, and left byte for byte;
// the program ends. A file refused on opening gets no photo folders; a failing schema step comes after them.
TEST_F(Startup, AFileThatCannotBeUsedIsNamedWithItsCauseAndLeftAsItWas)
{
    TADOConnection holder;
    struct Case { const char* name; std::function<void()> make; const char* cause; const char* second; bool folders; };
    const Case cases[] = {
        {"missing", [&] { QFile::remove(dbFile()); }, "文件不存在。", nullptr, false},
        {"locked", [&] { holder.open(dbFile()); holder.execute("BEGIN EXCLUSIVE"); },
         "另一个程序正在使用这个文件", "database is locked", false},
        {"damaged", [&] {   // the first page's table tree scribbled over
             QByteArray b = FileBytes(dbFile());
             b.replace(100, 4000, QByteArray(4000, '\x5a'));
             ASSERT_TRUE(WriteFile(dbFile(), b));
         }, "文件已损坏", "database disk image is malformed", false},
        {"text file", [&] { ASSERT_TRUE(WriteFile(dbFile(), "this is not a database")); }, "它不是数据库文件", "file is not a database", false},
        {"zero bytes", [&] { ASSERT_TRUE(WriteFile(dbFile(), {})); }, "文件是空的",
         "缺少数据表 Car、Customer、PriceList、Leaso、CarCost、ChangeCar、Config", false},
        {"another program's database", [&] { for (const QString& t : ProgramTables()) if (t != "Leaso") exec("DROP TABLE " + t); },
         "它不是本程序的数据库", "缺少数据表 Car、Customer、PriceList、CarCost、ChangeCar、Config", false},
        {"index name taken", [&] { exec("DROP INDEX Car_State"); exec("CREATE VIEW Car_State AS SELECT 1"); },
         "它的结构与本程序的数据库不符", "there is already a table named Car_State", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dbFile());
        EnsureDatabaseFile(dbFile());
        for (const char* folder : {"DBPic", "DBCustPic"}) QDir(dir() + folder).removeRecursively();
        c.make();
        const QByteArray before = FileBytes(dbFile());
        const bool existed = QFile::exists(dbFile());
        messages.clear();
        EXPECT_EQ(runProgram(), 1);
        holder.close();
        ASSERT_EQ(messages.size(), 1u);
        const QStringList lines = lastMessage().split('\n');
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("无法打开数据库文件“%1”：").arg(dbFile())) && lines[0].contains(QString::fromUtf8(c.cause)))
            << lastMessage().toStdString();
        EXPECT_EQ(lines.mid(1), c.second ? QStringList{c.second} : QStringList{});
        EXPECT_EQ(FileBytes(dbFile()), before);
        EXPECT_EQ(QFile::exists(dbFile()), existed);
        EXPECT_EQ(QFileInfo(dir() + "DBPic").isDir() && QFileInfo(dir() + "DBCustPic").isDir(), c.folders);
    }
}

// Start-up reads beyond the file's first page while it makes the windows and at the first show: a damaged
// page or renamed column any of these reads ends the program with the one box of an unusable file, left as it was.
TEST_F(Startup, AFileThatStartUpCannotReadEndsTheProgramWithOneBoxAndIsLeftAsItWas)
{
    startApp();   // the file as the program leaves it: the starts below write nothing
    for (const char* sql : {"Insert into Config Values('APPNAME','租车')", "Insert into Config Values('ALERT_BIRTHDAY','3')",
                            "Insert into Car(CarID,State) Values('京A1','A')",
                            "Insert into Customer(CustID,CustName) Values('110101199001011234','张三')",
                            "Insert into PriceList(PriceName,LeasoType,BasicPrice) Values('日租',1,1000000)",
                            "Insert into CarCost(CarID,Name,EndTime) Values('京A1','保险',45000)"})
        exec(sql);
    DestroyForms();
    const QByteArray sound = FileBytes(dbFile());
    // A table or index whose root page is scribbled over (read by the main window's settings,
    // the scheme picker, the statistics lists, the first alert build), or a column renamed;
    // also in a file still without its account book, which start-up would make.
    const char* const malformed = "database disk image is malformed";
    const std::pair<QString, const char*> rows[] = {
        {"sqlite_autoindex_Config_1", malformed}, {"Config", malformed}, {"PriceList", malformed},
        {"sqlite_autoindex_PriceList_1", malformed}, {"sqlite_autoindex_Car_1", malformed}, {"Customer_Name", malformed},
        {"CarCost", malformed}, {"CarCost_CarID", malformed}, {"Customer", malformed},
        {"DROP TABLE Acct;sqlite_autoindex_Car_1", malformed}, {"DROP TABLE Acct;CarCost_CarID", malformed},
        {"ALTER TABLE Config RENAME COLUMN Item TO X", "no such column: Item"},
        {"ALTER TABLE PriceList RENAME COLUMN PriceName TO X", "no such column: PriceName"},
        {"ALTER TABLE Car RENAME COLUMN CarID TO X", "no such column: CARID"},
        {"ALTER TABLE Customer RENAME COLUMN CustName TO X", "no such column: CustName"},
        {"ALTER TABLE CarCost RENAME COLUMN CarID TO X", "no such column: CarID"}};
    for (const auto& [damage, engine] : rows) {
        SCOPED_TRACE(damage.toStdString());
        ASSERT_TRUE(WriteFile(dbFile(), sound));
        const bool renamed = damage.contains("RENAME");
        for (const QString& step : damage.split(';')) {
            if (step.contains(' ')) exec(step);
            else ASSERT_TRUE(ScribblePage(dbFile(), scalar("select rootpage from sqlite_master where name=:n", {{"n", step}}).toLongLong()));
        }
        const QByteArray before = FileBytes(dbFile());
        messages.clear();
        EXPECT_EQ(runProgram(), 1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, "Quorvane");
        const QString cause = renamed ? QStringLiteral("它的结构与本程序的数据库不符。") : QStringLiteral("文件已损坏。");
        EXPECT_EQ(lastMessage().split('\n'), QStringList({QStringLiteral("无法打开数据库文件“%1”：%2这个文件没有被改动。").arg(dbFile(), cause), engine}));
        EXPECT_EQ(FileBytes(dbFile()), before);
        EXPECT_FALSE(QFile::exists(dbFile() + "-journal"));
    }
}

// The name loses its quotes, is stored once however the dialog closes, and is read at the next start. An emptied
// name is an empty caption: Qt shows the display name in place of an empty title, so that is empty too.
TEST_F(MainWindow, SystemNameDropsQuotesAndIsStoredOnceAndMayBeEmpty)
{
    const auto name = [&](const QString& text, bool closeBox) {
        whenShown(frmBirthday, [&] {
            clearAndType(frmBirthday->ui->EdtAppName, text);
            if (closeBox) frmBirthday->close(); else click(frmBirthday->ui->BtnOK);
        });
        frmMain->ui->N11->trigger();
    };
    const QString stored = "OBriens 租车|   OBriens 租车|OBriens 租车";
    name(QStringLiteral("O'Brien's 租车"), false);
    EXPECT_EQ(names(), stored);
    exec("CREATE TRIGGER refuse BEFORE INSERT ON Config BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    name(QStringLiteral("写不进去"), false);
    EXPECT_TRUE(lastMessage().contains("disk full"));
    EXPECT_EQ(names(), stored) << "a failed write keeps the old row, and it stays on show";
    EXPECT_FALSE(db().inTransaction());
    exec("DROP TRIGGER refuse");
    name(QStringLiteral("关闭框也保存"), true);
    restart();
    EXPECT_EQ(names(), "关闭框也保存|   关闭框也保存|关闭框也保存");
    name(QString(), false);
    for (int start = 0; start < 2; ++start) {   // after the dialog, then at the next start
        SCOPED_TRACE(start);
        if (start) restart();
        EXPECT_EQ(names(), "|   |");
        EXPECT_EQ(QGuiApplication::applicationDisplayName(), "");
    }
}

// The alert timer around each command: paused, rebuilt or left running. The
// strip runs one text of its own; a rebuild finds nothing and stops it.
TEST_F(MainWindow, EachCommandPausesRebuildsOrLeavesTheTimer)
{
    enum After { Paused, Rebuilt, Running };
    struct Case { const char* name; std::function<void()> run; QDialog* window; After after; bool ok = false; };
    const Case cases[] = {
        {"车辆信息", [] { frmMain->ui->BtnCar->click(); }, frmCar, Rebuilt},
        {"车辆新增", [] { frmMain->ui->BtnNewCar->click(); }, frmNewCar, Rebuilt},
        {"租赁方案", [] { frmMain->ui->ToolButton10->click(); }, frmPrice, Running},
        {"租车", [] { frmMain->ui->BtnLend->click(); }, frmLend, Paused},
        {"还车", [] { frmMain->ui->BtnReturn->click(); }, frmReturn, Paused},
        {"结算", [] { frmMain->ui->BtnCharge->click(); }, frmCharge, Paused},
        {"客户信息", [] { frmMain->ui->BtnCust->click(); }, frmCust, Paused},
        {"统计", [] { frmMain->ui->BtnReport->click(); }, frmReport, Paused},
        {"帐本", [] { frmMain->ui->ToolButton7->click(); }, frmAcct, Paused},
        {"数据备份，恢复完成", [] { frmMain->ui->N8->trigger(); }, frmBackup, Rebuilt, true},
        {"数据备份", [] { frmMain->ui->N8->trigger(); }, frmBackup, Paused},   // the last restore no longer counts
        {"恢复完成", [] { frmMain->ui->N9->trigger(); }, frmBackup, Rebuilt, true},
        {"恢复取消", [] { frmMain->ui->N9->trigger(); }, frmBackup, Paused},
        {"系统初始化", [] { frmMain->ui->N2->trigger(); }, frmInit, Rebuilt},
        {"设置登录密码", [] { frmMain->ui->N6->trigger(); }, frmChangePass, Paused},
        {"提醒确定", [] { frmMain->ui->N13->trigger(); }, frmAlert, Rebuilt, true},
        {"提醒取消", [] { frmMain->ui->N13->trigger(); }, frmAlert, Paused},
        {"系统名称设置", [] { frmMain->ui->N11->trigger(); }, frmBirthday, Paused}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AlertMessages = QStringList{QStringLiteral("提醒")};
        frmMain->Timer1->start();
        bool seen = false, onWhileOpen = true;
        whenShown(c.window, [&] {
            seen = true;
            onWhileOpen = frmMain->Timer1->isActive();
            if (c.window == frmBackup) frmBackup->Restored = c.ok;   // as a completed restore leaves it
            QMetaObject::invokeMethod(c.window, c.ok ? "accept" : "reject", Qt::QueuedConnection);
        });
        c.run();
        EXPECT_TRUE(seen);
        EXPECT_EQ(onWhileOpen, c.after == Running);
        EXPECT_EQ(frmMain->Timer1->isActive(), c.after != Rebuilt);
        EXPECT_EQ(AlertMessages.isEmpty(), c.after == Rebuilt);
    }
}

// Alt+Z and Alt+H typed on the shown main window open the hire-out desk and the return window.
TEST_F(MainWindow, AltZAndAltHOpenTheDeskAndTheReturnWindow)
{
    frmMain->show();
    for (const auto& [key, window] : {std::pair{Qt::Key_Z, static_cast<QDialog*>(frmLend)}, std::pair{Qt::Key_H, static_cast<QDialog*>(frmReturn)}}) {
        SCOPED_TRACE(window->objectName().toStdString());
        frmMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
        bool shown = false;
        whenShown(window, [&] {
            shown = true;
            QMetaObject::invokeMethod(window, "reject", Qt::QueuedConnection);
        });
        QTest::keyClick(frmMain, key, Qt::AltModifier);
        QTRY_VERIFY_WITH_TIMEOUT(shown, 3000);
    }
}

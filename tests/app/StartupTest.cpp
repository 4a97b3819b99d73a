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
#include "ui_UnitCar.h"
#include "ui_UnitCharge.h"
#include "ui_UnitCust.h"
#include "ui_UnitLend.h"
#include "ui_UnitReturn.h"
#include "ui_UnitMain.h"
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>
#include <cstdio>

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
    // Runs SQL on a file through a raw engine connection, left open for the caller to close.
    static sqlite3* RawOpen(const QString& file, const char* sql)
    {
        sqlite3* raw = nullptr;
        EXPECT_EQ(sqlite3_open(file.toUtf8().constData(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        return raw;
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
        {"ALTER TABLE CarCost RENAME COLUMN CarID TO X", "no such column: CarID"},
        {"ALTER TABLE PriceList RENAME COLUMN LeasoType TO X", "找不到字段 LeasoType"}};   // read whole, missed by name
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

// A file start-up refuses keeps the journal mode another tool left (WAL: header bytes 18 and 19, no
// -wal or -shm left behind); one from which the engine had to undo a crashed save says so; a sound
// WAL file is put in the program's journal mode at the end of start-up, the other tool's change kept.
TEST_F(Startup, ARefusedFileIsLeftByteForByteOrTheBoxSaysWhatWasUndone)
{
    startApp();
    exec("Insert into Car(CarID,State) Values('京A1','A')");
    DestroyForms();
    const QByteArray sound = FileBytes(dbFile());
    ASSERT_TRUE(ScribblePage(dbFile(), scalar("select rootpage from sqlite_master where name='sqlite_autoindex_Car_1'").toLongLong()));
    const QByteArray damaged = FileBytes(dbFile());
    const struct { const char* name; bool wal, walLeft, crashed, damaged; } cases[] = {
        {"WAL, damaged index", true, false, false, true},
        {"WAL with another tool's changes beside it, damaged index", true, true, false, true},
        {"crashed save, damaged index", false, false, true, true},
        {"WAL with another tool's changes beside it, sound", true, true, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* beside : {"-wal", "-shm", "-journal"}) QFile::remove(dbFile() + beside);
        ASSERT_TRUE(WriteFile(dbFile(), c.damaged ? damaged : sound));
        if (c.wal) sqlite3_close(RawOpen(dbFile(), "PRAGMA journal_mode=WAL"));
        if (c.walLeft) {   // a change left in the WAL file, as by a tool that did not close
            sqlite3* raw = RawOpen(dbFile(), "Insert into Config(Item,[Value]) Values('OTHER','kept')");
            sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            sqlite3_close(raw);
            ASSERT_GT(QFileInfo(dbFile() + "-wal").size(), 0);
        }
        if (c.crashed) {   // a save with pages already in the file and the journal that undoes them beside it
            sqlite3* raw = RawOpen(dbFile(), "PRAGMA cache_size=2; BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 "
                                             "FROM n WHERE i<300) INSERT INTO Config(Item,Value) SELECT 'x'||i, hex(randomblob(1500)) FROM n");
            const QString crash = dir() + "crash";
            ASSERT_TRUE(QFile::copy(dbFile(), crash) && QFile::copy(dbFile() + "-journal", crash + "-journal"));
            sqlite3_close(raw);
            ASSERT_TRUE(QFile::remove(dbFile()) && QFile::rename(crash, dbFile()) && QFile::rename(crash + "-journal", dbFile() + "-journal"));
            ASSERT_NE(FileBytes(dbFile()), damaged) << "pages of the save already in the file";
        }
        const QByteArray before = FileBytes(dbFile()), walBefore = FileBytes(dbFile() + "-wal");
        QStringList entries = EntriesIn(dir());
        entries.removeAll("Leaso3.mdb-journal");
        messages.clear();
        if (!c.damaged) {
            startApp();
            frmMain->FormShow();
            EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
            EXPECT_EQ(FileBytes(dbFile()).mid(18, 2), QByteArray("\x01\x01", 2));
            EXPECT_EQ(scalar("Select count(*) from Config where Item='OTHER'").toInt(), 1);
            DestroyForms();
            continue;
        }
        EXPECT_EQ(runProgram(), 1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(lastMessage().split('\n').value(0), QStringLiteral("无法打开数据库文件“%1”：文件已损坏。%2").arg(dbFile(),
                  c.crashed ? QStringLiteral("上次意外中断时留下的一次未完成的修改已被撤销，此外这个文件没有被改动。")
                            : QStringLiteral("这个文件没有被改动。")));
        EXPECT_EQ(FileBytes(dbFile()), c.crashed ? damaged : before);   // a crashed save's file as before the save
        EXPECT_EQ(FileBytes(dbFile() + "-wal"), walBefore);
        EXPECT_EQ(EntriesIn(dir()), entries);
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

// Another file renamed over the database while the program runs: a save says the file was moved or
// replaced and asks for a restart, not that the file is read-only; neither file gets the name.
TEST_F(MainWindow, ASaveAfterTheFileWasReplacedSaysSo)
{
    ASSERT_TRUE(QFile::copy(dbFile(), dir() + "other.mdb"));
    ASSERT_EQ(::rename(QFile::encodeName(dir() + "other.mdb").constData(), QFile::encodeName(dbFile()).constData()), 0);
    const QByteArray replaced = FileBytes(dbFile());
    whenShown(frmBirthday, [&] {
        clearAndType(frmBirthday->ui->EdtAppName, QStringLiteral("新名称"));
        click(frmBirthday->ui->BtnOK);
    });
    frmMain->ui->N11->trigger();
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("数据库文件已被移动、删除或被另一个文件替换，本次没有保存任何内容。请关闭并重新启动本程序。\n")))
        << lastMessage().toStdString();
    EXPECT_EQ(FileBytes(dbFile()), replaced);
}

// A list that could not be read is not an empty one: after the read's error box, a command that needs a
// selected record says the list could not be read, never that there is no record.
TEST_F(MainWindow, ACommandOnAListThatCouldNotBeReadSaysSo)
{
    printers = {QStringLiteral("P")};
    const struct { const char* table; QDialog* window; void (TfrmMain::*command)(); bool modPage; const char* list;
                   std::vector<QAbstractButton*> buttons; } cases[] = {
        {"Car", frmCar, &TfrmMain::BtnCarClick, false, "车辆列表", {frmCar->ui->BtnSaveBasic, frmCar->ui->BtnDel, frmCar->ui->BtnSave}},
        {"Customer", frmCust, &TfrmMain::BtnCustClick, false, "客户列表", {frmCust->ui->BtnSaveBasic, frmCust->ui->BtnDel}},
        {"Car", frmLend, &TfrmMain::BtnLendClick, false, "空闲车辆列表", {frmLend->ui->BtnLend}},
        {"Leaso", frmLend, &TfrmMain::BtnLendClick, true, "租借列表", {frmLend->ui->BtnSaveMod, frmLend->ui->BtnPrint}},
        {"Leaso", frmReturn, &TfrmMain::BtnReturnClick, false, "未还车的租借列表", {frmReturn->ui->BtnReturn}},
        {"Leaso", frmCharge, &TfrmMain::BtnChargeClick, false, "待结算的租借列表", {frmCharge->ui->Button1}}};
    for (const auto& c : cases) for (QAbstractButton* button : c.buttons) {
        SCOPED_TRACE(c.list + (" " + button->objectName().toStdString()));
        exec(QStringLiteral("ALTER TABLE %1 RENAME TO Unread").arg(c.table));
        messages.clear();
        inWindow(c.window, c.command, [&] {
            if (c.modPage) frmLend->ui->PageControl1->setCurrentWidget(frmLend->ui->TabSheet1);
            ASSERT_FALSE(messages.empty()) << "the read's own error box";
            click(button);
        });
        exec(QStringLiteral("ALTER TABLE Unread RENAME TO %1").arg(c.table));
        EXPECT_EQ(lastMessage(), QStringLiteral("无法读取%1，不能进行这个操作。请关闭这个窗口后重新打开再试。").arg(QString::fromUtf8(c.list)));
    }
}

// A long system name is cut short on the banner (whole in its tool tip and the caption); the window keeps
// the width it has with a short one.
TEST_F(MainWindow, ALongSystemNameIsElidedOnTheBannerAndTheWindowKeepsItsWidth)
{
    const auto widthWith = [&](const QString& name) {
        exec("Delete from Config where Item='APPNAME'");
        exec("Insert into Config(Item,[Value]) Values('APPNAME',:n)", {{"n", name}});
        restart();
        frmMain->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frmMain));
        EXPECT_EQ(frmMain->windowTitle(), name);
        return frmMain->width();
    };
    const int shortWidth = widthWith(QStringLiteral("租车"));
    EXPECT_EQ(frmMain->ui->lblApplication->text(), "   租车");
    const QString longName = QString(99, u'长') + u'尾';
    EXPECT_EQ(widthWith(longName), shortWidth);
    const QLabel* banner = frmMain->ui->lblApplication;
    EXPECT_TRUE(banner->text().startsWith("   长长") && banner->text().endsWith(u'…')) << banner->text().toStdString();
    const QLabel* version = frmMain->ui->lblVersion;   // stands on the banner: the name ends before it
    EXPECT_LE(banner->mapToGlobal(QPoint(banner->fontMetrics().horizontalAdvance(banner->text()), 0)).x(),
              version->mapToGlobal(QPoint(0, 0)).x());
    EXPECT_EQ(banner->toolTip(), longName);
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

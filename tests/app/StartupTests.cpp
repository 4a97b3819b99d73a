// Start-up, the first show, the system name and the main window's commands.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "app/UnitPublic.h"
#include "admin/UnitAlert.h"
#include "admin/UnitBackup.h"
#include "admin/UnitBirthday.h"
#include "admin/UnitLogin.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "registers/UnitCar.h"
#include "registers/UnitCust.h"
#include "registers/UnitPrice.h"
#include "ui_UnitBirthday.h"
#include "ui_UnitLogin.h"
#include "ui_UnitMain.h"
#include <QTest>
#include <chrono>
#include <sqlite3.h>
#include <thread>

namespace {
class Startup : public AppFixture {
protected:
    void SetUp() override { createForms = false; AppFixture::SetUp(); }
    QStringList acctTables()
    {
        QStringList l;
        for (const QString& t : db().tableNames()) if (t.toLower() == "acct") l << t;
        return l;
    }
};
class MainWindow : public AppFixture {
protected:
    QString appName() { return RowsText(db(), "Config", {"Value"}, "Item='APPNAME'"); }
};
} // namespace

TEST_F(Startup, TheAccountBookIsMadeWhenMissingAndKeptWhateverItsLetterCase)
{
    for (const QString name : {QString(), QStringLiteral("ACCT"), QStringLiteral("Acct"), QStringLiteral("acct")}) {
        SCOPED_TRACE(name.toStdString());
        exec("DROP TABLE IF EXISTS acct");
        if (!name.isEmpty()) {
            exec(QStringLiteral("CREATE TABLE [%1](ID INTEGER PRIMARY KEY AUTOINCREMENT, Type Integer, Amount Currency, LeasoID integer,"
                                "Item varchar(255), AcctTime DateTime, Deleted smallint, Category varchar(40))").arg(name));
            exec(QStringLiteral("INSERT INTO [%1](Type, Amount, Item) VALUES (1, 10000, 'kept')").arg(name));
        }
        startApp();
        EXPECT_EQ(acctTables(), QStringList{name.isEmpty() ? QStringLiteral("ACCT") : name});
        EXPECT_EQ(RowsText(db(), "Acct", {"Item"}), name.isEmpty() ? "" : "kept");
        DestroyForms();
    }
    startApp();   // two new entries get distinct keys, never NULL
    for (int type : {1, -1})
        exec("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(:t,50000,0,'x',Now(),0,'c')", {{"t", type}});
    EXPECT_EQ(scalar("SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL").toInt(), 3);
}

TEST_F(Startup, StoredNameAndPasswordAreAppliedAndOnlyAPasswordAsksForTheLogin)
{
    struct Case { const char* label; const char* config; QString password, caption; };
    const Case cases[] = {
        {"no settings", "", "", "Quorvane"},
        {"empty password", "('ADMINPASS', '')", "", "Quorvane"},
        {"name and password", "('ADMINPASS', 'pw''1'), ('APPNAME', '阳光汽车租赁')", "pw'1", QStringLiteral("阳光汽车租赁")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        exec("DELETE FROM Config");
        if (*c.config) exec(QStringLiteral("INSERT INTO Config VALUES ") + QString::fromUtf8(c.config));
        startApp();
        EXPECT_EQ(AdminPassword, c.password);
        EXPECT_EQ(frmMain->windowTitle() + '|' + frmMain->ui->lblApplication->text(), c.caption + "|   " + c.caption);
        EXPECT_EQ(frmMain->ui->lblVersion->text(), " 软件版本：2.93");
        EXPECT_EQ(frmLend->windowTitle(), "Quorvane - 车辆出租");   // other windows keep the application title
        frmMain->show();
        int logins = 0;
        if (!c.password.isEmpty()) whenShown(frmLogin, [&] {
            ++logins;
            EXPECT_FALSE(frmMain->Timer1->isActive());
            frmLogin->ui->EdtPasswd->setText(QStringLiteral("pw'1"));
            frmLogin->ui->BtnLogin->click();
        });
        frmMain->FormShow();
        frmMain->FormShow();   // the first show runs once only
        EXPECT_EQ(logins, c.password.isEmpty() ? 0 : 1);
        EXPECT_FALSE(frmMain->Timer1->isActive() || frmMain->ui->lblAlert1->isVisible() || frmMain->ui->lblAlert2->isVisible());
        EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
        DestroyForms();
    }
}

TEST_F(Startup, PhotoFoldersAreMadeOrKeptAndOneThatCannotBeMadeIsReported)
{
    ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("DBPic")));
    SavePicture(dir() + QStringLiteral("DBPic/A1.bmp"), "BMP");
    startApp();
    EXPECT_TRUE(QFileInfo(dir() + QStringLiteral("DBCustPic")).isDir() && QFile::exists(dir() + QStringLiteral("DBPic/A1.bmp")));
    EXPECT_EQ(CarPicDir + '|' + CustPicDir, dir() + "DBPic/|" + dir() + "DBCustPic/");
    EXPECT_TRUE(messages.empty());
    DestroyForms();
    ASSERT_TRUE(QDir(dir()).rmdir(QStringLiteral("DBCustPic")));   // a file where the folder should be
    ASSERT_TRUE(QFile(dir() + QStringLiteral("DBCustPic")).open(QIODevice::WriteOnly));
    startApp();
    ASSERT_EQ(messageTexts(), QStringList{"创建目录失败，请联系技术支持！"});
    EXPECT_EQ(messages[0].caption, "Quorvane");
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_TRUE(frmMain->started());
}

// Before anything is written the file is checked as this program's database.
TEST_F(Startup, AFileThatIsNotThisProgramsDatabaseIsNamedAndLeftByteIdentical)
{
    const auto write = [this](const QByteArray& b) { QFile f(dbFile()); ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)); f.write(b); };
    struct Case { const char* name; std::function<void()> make; const char* cause; };
    const std::vector<Case> cases = {
        {"missing", [&] { QFile::remove(dbFile()); }, ""},
        {"not a database", [&] { write("this is not a database"); }, ""},
        {"zero bytes", [&] { write({}); }, "缺少数据表 Car、Customer、PriceList、Leaso、CarCost、ChangeCar、Config"},
        {"another program's database", [&] {
             TADOConnection other;
             other.open(dbFile());
             for (const QString& t : ProgramTables()) if (t != "Leaso") other.execute("DROP TABLE " + t);
             other.execute("CREATE TABLE Notes(x TEXT)");
         }, "缺少数据表 Car、Customer、PriceList、CarCost、ChangeCar、Config"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dbFile());
        EnsureDatabaseFile(dbFile());
        c.make();
        const QByteArray before = FileBytes(dbFile());
        const bool existed = QFile::exists(dbFile());
        messages.clear();
        EXPECT_FALSE(CreateForms());
        EXPECT_EQ(frmMain, nullptr);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(lastMessage().contains(dbFile()) && lastMessage().contains(QString::fromUtf8(c.cause))) << lastMessage().toStdString();
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
        EXPECT_EQ(FileBytes(dbFile()), before);
        EXPECT_EQ(QFile::exists(dbFile()), existed);
        EXPECT_FALSE(QFile::exists(dbFile() + "-journal"));
    }
}

TEST_F(Startup, ABriefLockByAnotherProgramIsWaitedOut)
{
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(dbFile().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    startApp();
    release.join();
    sqlite3_close(other);
    EXPECT_TRUE(frmMain->started());
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
    EXPECT_EQ(acctTables(), QStringList{"ACCT"});
}

TEST_F(Startup, TheSchemaGetsTheListIndexesAndAnUpToDateFileIsNotWritten)
{
    exec("DROP INDEX Leaso_ChargeTime");
    exec("DROP INDEX Car_State");
    startApp();
    EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE type='index' AND name in ('Leaso_ChargeTime','Car_State','Acct_LeasoID')")
                  .toInt(), 3);
    QStringList plan;   // the settlement list reads through an index, not the whole table
    {
        TStatement st(db(), "EXPLAIN QUERY PLAN Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer "
                            "Where (EndTime is not null) and (ChargeTime is null) and Leaso.CustID=Customer.CustID ");
        while (st.next()) plan << st.value(3).toString();
    }
    EXPECT_TRUE(plan.join('\n').contains("INDEX Leaso_")) << plan.join('\n').toStdString();
    DestroyForms();
    const QByteArray before = FileBytes(dbFile());
    startApp();
    EXPECT_EQ(FileBytes(dbFile()), before);
}

// ---- the system name ----

TEST_F(MainWindow, SystemNameDropsQuotesAndIsStoredOnceHoweverTheDialogCloses)
{
    whenShown(frmBirthday, [&] {
        EXPECT_EQ(frmBirthday->ui->EdtAppName->text(), "Quorvane");
        clearAndType(frmBirthday->ui->EdtAppName, QStringLiteral("O'Brien's 租车"));
        click(frmBirthday->ui->BtnOK);
    });
    frmMain->N11Click();
    EXPECT_EQ(frmMain->windowTitle() + '|' + frmMain->ui->lblApplication->text(), "OBriens 租车|   OBriens 租车");
    EXPECT_EQ(appName(), "OBriens 租车");
    whenShown(frmBirthday, [&] {
        EXPECT_EQ(frmBirthday->ui->EdtAppName->text(), "OBriens 租车");
        frmBirthday->ui->EdtAppName->setText(QStringLiteral("关闭框也保存"));
        frmBirthday->close();   // the title bar's close box
    });
    frmMain->N11Click();
    rejectWhenShown(frmBirthday);   // unchanged: the present caption again, still one row
    frmMain->N11Click();
    EXPECT_EQ(appName(), "关闭框也保存");
    DestroyForms();
    startApp();
    EXPECT_EQ(frmMain->windowTitle(), "关闭框也保存");
}

TEST_F(MainWindow, AFailedNameWriteKeepsTheOldRow)
{
    exec(QStringLiteral("INSERT INTO Config VALUES ('APPNAME', '旧名称')"));
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Config BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    frmMain->Timer1->start();
    rejectWhenShown(frmBirthday);
    frmMain->ui->N11->trigger();
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("disk full")));
    EXPECT_EQ(appName(), "旧名称");
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

// ---- the alert timer around each command ----

TEST_F(MainWindow, EachCommandPausesRebuildsOrLeavesTheTimer)
{
    // The strip is running; an alert build with nothing to show stops it.
    struct Case { const char* name; std::function<void()> run; QWidget* window; bool onWhileOpen, onAfter; bool accept = false; };
    const Case cases[] = {
        {"车辆信息", [] { frmMain->ui->BtnCar->click(); }, frmCar, false, false},
        {"租赁方案", [] { frmMain->ui->ToolButton10->click(); }, frmPrice, true, true},
        {"租车", [] { frmMain->ui->BtnLend->click(); }, frmLend, false, true},
        {"还车", [] { frmMain->ui->BtnReturn->click(); }, frmReturn, false, true},
        {"客户信息", [] { frmMain->ui->BtnCust->click(); }, frmCust, false, true},
        {"提醒取消", [] { frmMain->ui->N13->trigger(); }, frmAlert, false, true},
        {"恢复取消", [] { frmMain->ui->N9->trigger(); }, frmBackup, false, true},
        {"提醒确定", [] { frmMain->ui->N13->trigger(); }, frmAlert, false, false, true},   // OK rebuilds
        {"恢复完成", [] { frmMain->ui->N9->trigger(); }, frmBackup, false, false, true},
    };
    for (const auto& c : cases) {
        AlertMessages = QStringList{QStringLiteral("提醒")};
        frmMain->Timer1->start();
        bool seen = false, onWhileOpen = false;
        whenShown(c.window, [&, w = c.window] {
            seen = true;
            onWhileOpen = frmMain->Timer1->isActive();
            if (w == frmBackup) frmBackup->Restored = c.accept;
            QMetaObject::invokeMethod(w, c.accept ? "accept" : "reject", Qt::QueuedConnection);
        });
        c.run();
        EXPECT_TRUE(seen) << c.name;
        EXPECT_EQ(onWhileOpen, c.onWhileOpen) << c.name;
        EXPECT_EQ(frmMain->Timer1->isActive(), c.onAfter) << c.name;
    }
}

TEST_F(MainWindow, AltZAndAltHOpenTheDeskAndTheReturnWindow)
{
    frmMain->show();
    auto press = [&](char key, QWidget* expected) {
        frmMain->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frmMain));
        bool shown = false;
        whenShown(expected, [&] { shown = true; QMetaObject::invokeMethod(expected, "reject", Qt::QueuedConnection); });
        QTest::keyClick(frmMain, key, Qt::AltModifier);
        for (int i = 0; i < 150 && !shown; ++i) QTest::qWait(20);
        return shown;
    };
    EXPECT_TRUE(press('h', frmReturn));
    EXPECT_TRUE(press('z', frmLend));
    EXPECT_EQ(frmMain->ui->BtnLend->text() + frmMain->ui->BtnReturn->text(), "租车(&Z)还车(&H)");
}

TEST_F(MainWindow, TheBannerOpensItsAddressesAndItsTextsFollowAResize)
{
    frmMain->ui->BtnHelp->click();
    frmMain->ui->ToolButton14->click();
    QTest::mouseClick(frmMain->ui->lblEmail, Qt::LeftButton);
    ASSERT_EQ(openedUrls.size(), 3);
    EXPECT_TRUE(openedUrls[0].startsWith(QStringLiteral("file://")) && openedUrls[0].endsWith(QStringLiteral("help/index.html")));
    EXPECT_EQ(openedUrls[1], "https://gab.122.gov.cn/");
    EXPECT_TRUE(openedUrls[2].startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(messages.empty());
    frmMain->show();
    frmMain->resize(1100, 700);
    QApplication::processEvents();
    const auto* u = frmMain->ui;
    EXPECT_EQ(QPoint(u->lblVersion->x(), u->lblVersion->y() - u->lblApplication->y()), QPoint(371, 5));
    EXPECT_EQ(QPoint(u->lblHomepage->x(), u->lblHomepage->y()), QPoint(520, u->lblVersion->y()));
}

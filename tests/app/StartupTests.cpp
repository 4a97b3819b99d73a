// Start-up, the first show, the system name and the main window's commands.
#include "support/AppFixture.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "app/UnitPublic.h"
#include "admin/UnitBirthday.h"
#include "admin/UnitLogin.h"
#include "admin/UnitAlert.h"
#include "admin/UnitBackup.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "registers/UnitCar.h"
#include "registers/UnitPrice.h"
#include "registers/UnitCust.h"
#include "ui_UnitMain.h"
#include "ui_UnitBirthday.h"
#include "ui_UnitLogin.h"
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <chrono>
#include <sqlite3.h>
#include <thread>

namespace {

class Startup : public AppFixture {
protected:
    void SetUp() override { createForms = false; AppFixture::SetUp(); }
};

} // namespace

TEST_F(Startup, AccountBookTableIsMadeWhenMissing)
{
    startApp();
    EXPECT_TRUE(db().tableNames().contains(QStringLiteral("ACCT")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Acct")).toInt(), 0);
    // Two entries get distinct keys, never NULL.
    exec(QStringLiteral("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(1,:a,0,'x',Now(),0,'c')"),
         {{"a", QVariant::fromValue(Currency::fromYuan(5))}});
    exec(QStringLiteral("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(-1,:a,0,'y',Now(),0,'c')"),
         {{"a", QVariant::fromValue(Currency::fromYuan(7))}});
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL")).toInt(), 2);
}

TEST_F(Startup, AnExistingAccountBookIsKeptWhateverItsLetterCase)
{
    for (const QString name : {QStringLiteral("ACCT"), QStringLiteral("Acct"), QStringLiteral("acct")}) {
        exec(QStringLiteral("DROP TABLE IF EXISTS acct"));
        exec(QStringLiteral("CREATE TABLE [%1](ID INTEGER PRIMARY KEY AUTOINCREMENT, Type Integer, Amount Currency, LeasoID integer,"
                            "Item varchar(255), AcctTime DateTime, Deleted smallint, Category varchar(40))").arg(name));
        exec(QStringLiteral("INSERT INTO [%1](Type, Amount, Item) VALUES (1, 10000, 'kept')").arg(name));
        startApp();
        QStringList accts;
        for (const QString& t : db().tableNames()) if (t.toLower() == "acct") accts << t;
        EXPECT_EQ(accts, QStringList{name});
        EXPECT_EQ(scalar(QStringLiteral("SELECT Item FROM Acct")).toString(), "kept");
        DestroyForms();
    }
}

TEST_F(Startup, WithoutSettingsTheCaptionIsTheTitleAndNoLogin)
{
    startApp();
    EXPECT_EQ(frmMain->windowTitle(), "Quorvane");
    EXPECT_EQ(frmMain->ui->lblApplication->text(), "   Quorvane");
    EXPECT_EQ(frmMain->ui->lblVersion->text(), " 软件版本：2.93");
    EXPECT_TRUE(AdminPassword.isEmpty());
    frmMain->show();
    frmMain->FormShow();   // would block on a login dialog if one were asked for
    EXPECT_FALSE(frmMain->Timer1->isActive());
    EXPECT_FALSE(frmMain->ui->lblAlert1->isVisible());
    EXPECT_FALSE(frmMain->ui->lblAlert2->isVisible());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Startup, EmptyPasswordMeansNoLogin)
{
    exec(QStringLiteral("INSERT INTO Config VALUES ('ADMINPASS', '')"));
    startApp();
    EXPECT_TRUE(AdminPassword.isEmpty());
}

TEST_F(Startup, StoredNameAndPasswordAreAppliedAndLoginComesFirst)
{
    exec(QStringLiteral("INSERT INTO Config VALUES ('ADMINPASS', 'pw''1')"));
    exec(QStringLiteral("INSERT INTO Config VALUES ('APPNAME', '阳光汽车租赁')"));
    startApp();
    EXPECT_EQ(AdminPassword, "pw'1");
    EXPECT_EQ(frmMain->windowTitle(), "阳光汽车租赁");
    EXPECT_EQ(frmMain->ui->lblApplication->text(), "   阳光汽车租赁");
    // Other windows and message boxes keep the application title.
    EXPECT_EQ(frmLend->windowTitle(), "Quorvane - 车辆出租");
    frmMain->show();
    bool loginShown = false;
    whenShown(frmLogin, [&] {
        loginShown = true;
        EXPECT_FALSE(frmMain->Timer1->isActive());
        frmLogin->ui->EdtPasswd->setText(QStringLiteral("pw'1"));
        frmLogin->ui->BtnLogin->click();
    });
    frmMain->FormShow();
    EXPECT_TRUE(loginShown);
    // The first show runs once only.
    frmMain->FormShow();
}

TEST_F(Startup, PhotoFoldersAreMadeWhenMissingAndKeptWhenPresent)
{
    ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("DBPic")));
    QFile keep(dir() + QStringLiteral("DBPic/A1.bmp"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("x");
    keep.close();
    startApp();
    EXPECT_TRUE(QFileInfo(dir() + QStringLiteral("DBCustPic")).isDir());
    EXPECT_TRUE(QFile::exists(dir() + QStringLiteral("DBPic/A1.bmp")));
    EXPECT_EQ(CarPicDir, dir() + QStringLiteral("DBPic/"));
    EXPECT_EQ(CustPicDir, dir() + QStringLiteral("DBCustPic/"));
}

TEST_F(Startup, AFolderThatCannotBeMadeIsReportedAndStartUpGoesOn)
{
    // A file where the folder should be.
    QFile blocker(dir() + QStringLiteral("DBCustPic"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    startApp();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "创建目录失败，请联系技术支持！");
    EXPECT_EQ(messages[0].caption, "Quorvane");
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_EQ(CustPicDir, dir() + QStringLiteral("DBCustPic/"));
    EXPECT_TRUE(frmMain->started());
}

TEST_F(Startup, AMissingDatabaseIsNamedAndNothingIsCreated)
{
    QFile::remove(dbFile());
    EXPECT_FALSE(CreateForms());
    EXPECT_EQ(frmMain, nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(dbFile())) << messages[0].text.toStdString();
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
    EXPECT_FALSE(QFile::exists(dbFile()));
}

TEST_F(Startup, AFileThatIsNotADatabaseEndsTheProgramUntouched)
{
    QFile::remove(dbFile());
    QFile f(dbFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a database");
    f.close();
    EXPECT_FALSE(CreateForms());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains(dbFile()));
    QFile again(dbFile());
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("this is not a database"));
}

// ---- the system name ----

class MainWindow : public AppFixture {};

TEST_F(MainWindow, SystemNameDropsQuotesAndIsStoredOnOk)
{
    whenShown(frmBirthday, [&] {
        EXPECT_EQ(frmBirthday->ui->EdtAppName->text(), "Quorvane");
        frmBirthday->ui->EdtAppName->clear();
        type(frmBirthday->ui->EdtAppName, QStringLiteral("O'Brien's 租车"));
        click(frmBirthday->ui->BtnOK);
    });
    frmMain->N11Click();
    EXPECT_EQ(frmMain->windowTitle(), "OBriens 租车");
    EXPECT_EQ(frmMain->ui->lblApplication->text(), "   OBriens 租车");
    EXPECT_EQ(frmBirthday->ui->EdtAppName->text(), "OBriens 租车");
    EXPECT_EQ(scalar(QStringLiteral("SELECT Value FROM Config WHERE Item='APPNAME'")).toString(), "OBriens 租车");
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Config WHERE Item='APPNAME'")).toInt(), 1);
}

TEST_F(MainWindow, SystemNameIsAppliedHoweverTheDialogCloses)
{
    whenShown(frmBirthday, [&] {
        frmBirthday->ui->EdtAppName->setText(QStringLiteral("关闭框也保存"));
        frmBirthday->close();   // the title bar's close box
    });
    frmMain->N11Click();
    EXPECT_EQ(frmMain->windowTitle(), "关闭框也保存");
    EXPECT_EQ(scalar(QStringLiteral("SELECT Value FROM Config WHERE Item='APPNAME'")).toString(), "关闭框也保存");
    // Opening and closing unchanged stores the present caption again: still one row.
    rejectWhenShown(frmBirthday);
    frmMain->N11Click();
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM Config WHERE Item='APPNAME'")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Value FROM Config WHERE Item='APPNAME'")).toString(), "关闭框也保存");
    // The next start shows it.
    DestroyForms();
    startApp();
    EXPECT_EQ(frmMain->windowTitle(), "关闭框也保存");
}

TEST_F(MainWindow, AFailedNameWriteKeepsTheOldRow)
{
    exec(QStringLiteral("INSERT INTO Config VALUES ('APPNAME', '旧名称')"));
    // Make the insert fail after the delete: a trigger refuses it.
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Config BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    frmMain->Timer1->start();
    rejectWhenShown(frmBirthday);
    frmMain->ui->N11->trigger();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("disk full")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Value FROM Config WHERE Item='APPNAME'")).toString(), "旧名称");
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

// ---- the alert timer around each command ----

struct TimerCase { const char* name; std::function<void()> run; QWidget* (*window)(); bool onWhileOpen; bool onAfter; };

TEST_F(MainWindow, EachCommandPausesRebuildsOrLeavesTheTimer)
{
    // The strip is running; an alert build with nothing to show stops it.
    const std::vector<TimerCase> cases = {
        {"车辆信息", [] { frmMain->ui->BtnCar->click(); }, [] { return static_cast<QWidget*>(frmCar); }, false, false},
        {"租赁方案", [] { frmMain->ui->ToolButton10->click(); }, [] { return static_cast<QWidget*>(frmPrice); }, true, true},
        {"租车", [] { frmMain->ui->BtnLend->click(); }, [] { return static_cast<QWidget*>(frmLend); }, false, true},
        {"还车", [] { frmMain->ui->BtnReturn->click(); }, [] { return static_cast<QWidget*>(frmReturn); }, false, true},
        {"客户信息", [] { frmMain->ui->BtnCust->click(); }, [] { return static_cast<QWidget*>(frmCust); }, false, true},
        {"提醒取消", [] { frmMain->ui->N13->trigger(); }, [] { return static_cast<QWidget*>(frmAlert); }, false, true},
        {"恢复取消", [] { frmMain->ui->N9->trigger(); }, [] { return static_cast<QWidget*>(frmBackup); }, false, true},
    };
    for (const auto& c : cases) {
        AlertMessages = QStringList{QStringLiteral("提醒")};
        frmMain->Timer1->start();
        bool seen = false, onWhileOpen = false;
        QWidget* w = c.window();
        whenShown(w, [&, w] {
            seen = true;
            onWhileOpen = frmMain->Timer1->isActive();
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        });
        c.run();
        EXPECT_TRUE(seen) << c.name;
        EXPECT_EQ(onWhileOpen, c.onWhileOpen) << c.name;
        EXPECT_EQ(frmMain->Timer1->isActive(), c.onAfter) << c.name;
    }
    // The alert settings closed with OK rebuild the list.
    frmMain->Timer1->start();
    acceptWhenShown(frmAlert);
    frmMain->ui->N13->trigger();
    EXPECT_FALSE(frmMain->Timer1->isActive());
    // A completed restore rebuilds the list.
    frmMain->Timer1->start();
    whenShown(frmBackup, [] { frmBackup->Restored = true; frmBackup->accept(); });
    frmMain->ui->N9->trigger();
    EXPECT_FALSE(frmMain->Timer1->isActive());
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
    EXPECT_EQ(frmMain->ui->BtnLend->text(), "租车(&Z)");
    EXPECT_EQ(frmMain->ui->BtnReturn->text(), "还车(&H)");
}

TEST_F(MainWindow, WebCommandsOpenTheirAddresses)
{
    frmMain->ui->BtnHelp->click();
    frmMain->ui->ToolButton14->click();
    ASSERT_EQ(openedUrls.size(), 2);
    EXPECT_TRUE(openedUrls[0].startsWith(QStringLiteral("file://")));
    EXPECT_TRUE(openedUrls[0].endsWith(QStringLiteral("help/index.html")));
    EXPECT_EQ(openedUrls[1], "https://gab.122.gov.cn/");
    QTest::mouseClick(frmMain->ui->lblEmail, Qt::LeftButton);
    ASSERT_EQ(openedUrls.size(), 3);
    EXPECT_TRUE(openedUrls[2].startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindow, VersionTextFollowsTheBannerOnResize)
{
    frmMain->show();
    frmMain->resize(1100, 700);
    QApplication::processEvents();
    EXPECT_EQ(frmMain->ui->lblVersion->y(), frmMain->ui->lblApplication->y() + 5);
    EXPECT_EQ(frmMain->ui->lblHomepage->y(), frmMain->ui->lblVersion->y());
    EXPECT_EQ(frmMain->ui->lblVersion->x(), 371);
    EXPECT_EQ(frmMain->ui->lblHomepage->x(), 520);
}

// ---- the database check before anything is written ----

namespace {
QByteArray fileBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

TEST_F(Startup, AFileThatIsNotThisProgramsDatabaseIsNamedAndLeftByteIdentical)
{
    struct Case { const char* name; std::function<void()> make; const char* cause; };
    const std::vector<Case> cases = {
        {"zero bytes", [&] { QFile f(dbFile()); ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)); },
         "缺少数据表 Car、Customer、PriceList、Leaso、CarCost、ChangeCar、Config"},
        {"another program's database", [&] {
             TADOConnection other;
             other.open(dbFile());
             for (const QString& t : ProgramTables()) if (t != "Leaso") other.execute("DROP TABLE " + t);
             other.execute("CREATE TABLE Notes(x TEXT)");
         }, "缺少数据表 Car、Customer、PriceList、CarCost、ChangeCar、Config"},
    };
    for (const auto& c : cases) {
        QFile::remove(dbFile());
        EnsureDatabaseFile(dbFile());
        c.make();
        const QByteArray before = fileBytes(dbFile());
        messages.clear();
        EXPECT_FALSE(CreateForms()) << c.name;
        EXPECT_EQ(frmMain, nullptr);
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_TRUE(messages[0].text.contains(dbFile())) << messages[0].text.toStdString();
        EXPECT_TRUE(messages[0].text.contains(QString::fromUtf8(c.cause))) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
        EXPECT_EQ(fileBytes(dbFile()), before) << c.name;
        EXPECT_FALSE(QFile::exists(dbFile() + "-journal")) << c.name;
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
    EXPECT_TRUE(db().tableNames().contains(QStringLiteral("ACCT")));
}

TEST_F(Startup, TheSchemaGetsTheListIndexesAndAnUpToDateFileIsNotWritten)
{
    exec("DROP INDEX Leaso_ChargeTime");
    exec("DROP INDEX Car_State");
    startApp();
    for (const char* ix : {"Leaso_ChargeTime", "Car_State", "Acct_LeasoID"})
        EXPECT_EQ(scalar("SELECT count(*) FROM sqlite_master WHERE type='index' AND name=:n", {{"n", ix}}).toInt(), 1) << ix;
    // The settlement list reads through an index, not the whole table.
    QStringList plan;
    {
        TStatement st(db(), "EXPLAIN QUERY PLAN Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer "
                            "Where (EndTime is not null) and (ChargeTime is null) and Leaso.CustID=Customer.CustID ");
        while (st.next()) plan << st.value(3).toString();
    }
    EXPECT_TRUE(plan.join('\n').contains("INDEX Leaso_")) << plan.join('\n').toStdString();
    // A second start finds everything in place and writes nothing.
    DestroyForms();
    const QByteArray before = fileBytes(dbFile());
    startApp();
    EXPECT_EQ(fileBytes(dbFile()), before);
}

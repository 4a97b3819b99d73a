// The login at start-up and the change of the password.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitChangePass.h"
#include "admin/UnitLogin.h"
#include "ui_UnitChangePass.h"
#include "ui_UnitLogin.h"
#include "ui_UnitMain.h"
#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>

namespace {

class LoginTest : public AppFixture {
protected:
    // An own alert text, so a finished first show starts the strip.
    void prepareDatabase(TADOConnection& cn) override { cn.execute("Insert into Config Values('ALERT_USERDEFINE','提醒')"); }
    void SetUp() override { createForms = false; AppFixture::SetUp(); }
    Ui::TfrmLogin* L() { return frmLogin->ui.get(); }
    Ui::TfrmChangePass* C() { return frmChangePass->ui.get(); }
    QString config(const char* item) { return scalar("Select [Value] from Config where Item=:i", {{"i", QString(item)}}).toString(); }

    // Opens the change dialog from the menu, fills it and presses 确定; the texts shown.
    QStringList change(const QString& old, const QString& new1, const QString& new2)
    {
        messages.clear();
        whenShown(frmChangePass, [&] {
            for (const auto& [e, t] : {std::pair{C()->EdtPasswd, old}, {C()->EdtNewPass1, new1}, {C()->EdtNewPass2, new2}})
                clearAndType(e, t);
            click(C()->BtnLogin);
            if (frmChangePass->isVisible()) click(C()->BtnEnd);
        });
        frmMain->ui->N6->trigger();
        return messageTexts();
    }
};

} // namespace

TEST_F(LoginTest, OnlyTheExactPasswordOpensTheProgramAndNoCloseGetsPast)
{
    exec("Insert into Config Values('ADMINPASS','Secret 1')");
    startApp();
    frmMain->show();
    bool sawLocked = false;
    whenShown(frmLogin, [&] {
        for (const QString wrong : {QString("secret 1"), QString("Secret 1 "), QString("")}) {
            messages.clear();
            clearAndType(L()->EdtPasswd, wrong);
            click(L()->BtnLogin);
            EXPECT_EQ(messageTexts(), QStringList{"密码输入错误！"}) << wrong.toStdString();
            EXPECT_TRUE(frmLogin->isVisible());
        }
        QTest::keyClick(L()->EdtPasswd, Qt::Key_Escape);
        EXPECT_FALSE(frmLogin->close());
        frmLogin->reject();
        sawLocked = frmLogin->isVisible() && !LoginPassed && AlertMessages.isEmpty() && !frmMain->Timer1->isActive();
        clearAndType(L()->EdtPasswd, "Secret 1");
        QTest::keyClick(L()->EdtPasswd, Qt::Key_Return);
    });
    frmMain->FormShow();
    EXPECT_TRUE(sawLocked);
    EXPECT_TRUE(LoginPassed);
    EXPECT_FALSE(frmLogin->isVisible());
    EXPECT_EQ(AlertMessages, QStringList{"提醒"});   // the first show went on to the alert strip
}

// 取消 ends the program with exit code 0 and nothing left on screen, the main
// window never unlocked. The program's own loop runs in a child process.
TEST_F(LoginTest, CancelEndsTheProgramWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            exec("Insert into Config Values('ADMINPASS','pw')");
            if (!CreateForms()) std::exit(2);
            whenShown(frmLogin, [&] { click(L()->BtnEnd); });
            const int rc = RunMainLoop();
            int shown = 0;
            for (QWidget* w : QApplication::topLevelWidgets()) shown += w->isVisible();
            const bool locked = !LoginPassed && AlertMessages.isEmpty();
            DestroyForms();
            QDir(dir()).removeRecursively();
            std::fprintf(stderr, "rc=%d shown=%d locked=%d\n", rc, shown, int(locked));
            std::exit(rc);
        },
        ::testing::ExitedWithCode(0), "rc=0 shown=0 locked=1");
}

// The old password must match and the new one be typed twice alike; the change
// touches the password row only, and an empty password means no login at the next start.
TEST_F(LoginTest, AChangeChecksTheOldPasswordAndTheRepeatAndTheNextStartUsesIt)
{
    startApp();   // no password row yet: the first change appends it
    EXPECT_TRUE(change("", "A", "A").isEmpty());
    EXPECT_EQ(config("ADMINPASS"), "A");
    EXPECT_EQ(change("a", "B", "B"), QStringList{"请输入正确的旧密码！"});
    EXPECT_EQ(change("A", "B", "b"), QStringList{"两次输入新密码不一致！"});
    EXPECT_TRUE(change("A", "B'1", "B'1").isEmpty());
    EXPECT_EQ(config("ADMINPASS"), "B'1");
    EXPECT_EQ(config("ALERT_USERDEFINE"), "提醒");
    DestroyForms();
    startApp();
    EXPECT_EQ(AdminPassword, "B'1");
    EXPECT_TRUE(change("B'1", "", "").isEmpty());
    EXPECT_EQ(scalar("Select count(*) from Config where Item='ADMINPASS' and [Value]=''").toInt(), 1);
    DestroyForms();
    startApp();
    frmMain->show();
    frmMain->FormShow();   // would wait for a login if one were asked for
    EXPECT_FALSE(frmLogin->isVisible());
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

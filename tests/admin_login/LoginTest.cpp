// The login at start-up and the change of the password.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitAlert.h"
#include "admin/UnitChangePass.h"
#include "admin/UnitLogin.h"
#include "ui_UnitAlert.h"
#include "ui_UnitChangePass.h"
#include "ui_UnitLogin.h"
#include "ui_UnitMain.h"
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

const QString WrongPassword = QStringLiteral("密码输入错误！");
const QString WrongOld = QStringLiteral("请输入正确的旧密码！");
const QString Mismatch = QStringLiteral("两次输入新密码不一致！");

class LoginTest : public AppFixture {
protected:
    void SetUp() override
    {
        createForms = false;
        AppFixture::SetUp();
    }
    void start(const QVariant& password)
    {
        if (!password.isNull())
            exec("Insert into Config Values('ADMINPASS',:p)", {{"p", password}});
        // An own alert text, so a finished first show starts the strip.
        exec("Insert into Config Values('ALERT_USERDEFINE','提醒')");
        startApp();
    }
    Ui::TfrmLogin* L() { return frmLogin->ui; }
    Ui::TfrmChangePass* C() { return frmChangePass->ui; }
    QString storedPassword() { return scalar("Select [Value] from Config where Item='ADMINPASS'").toString(); }

    // Opens the change dialog from the menu, fills it and presses 确定; true when it closed.
    bool change(const QString& old, const QString& new1, const QString& new2)
    {
        bool closed = false;
        whenShown(frmChangePass, [&] {
            clearAndType(C()->EdtPasswd, old);
            clearAndType(C()->EdtNewPass1, new1);
            clearAndType(C()->EdtNewPass2, new2);
            click(C()->BtnLogin);
            closed = !frmChangePass->isVisible();
            if (!closed) click(C()->BtnEnd);
        });
        frmMain->ui->N6->trigger();
        return closed;
    }
};

} // namespace

TEST_F(LoginTest, OnlyTheExactPasswordOpensTheProgramAndNoCloseGetsPast)
{
    start("Secret 1");
    frmMain->show();
    bool sawLocked = false;
    whenShown(frmLogin, [&] {
        for (QLineEdit* e : {L()->EdtPasswd, C()->EdtPasswd, C()->EdtNewPass1, C()->EdtNewPass2})
            EXPECT_EQ(e->echoMode(), QLineEdit::Password) << e->objectName().toStdString();
        EXPECT_EQ(frmLogin->windowTitle(), "Quorvane");
        EXPECT_TRUE(L()->EdtPasswd->hasFocus());
        EXPECT_EQ(L()->EdtUser->text(), "Admin");
        EXPECT_TRUE(L()->EdtUser->isReadOnly());
        // Letter case counts and nothing is trimmed.
        for (const QString wrong : {QString("secret 1"), QString("Secret 1 "), QString("")}) {
            messages.clear();
            clearAndType(L()->EdtPasswd, wrong);
            click(L()->BtnLogin);
            ASSERT_EQ(messageTexts(), QStringList{WrongPassword}) << wrong.toStdString();
            EXPECT_EQ(messages[0].caption, "Quorvane");
            EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
            EXPECT_EQ(L()->EdtPasswd->text(), wrong);
            EXPECT_TRUE(frmLogin->isVisible());
        }
        // Esc, the close box (Alt+F4 asks the same) and a reject leave it open, still locked.
        QTest::keyClick(L()->EdtPasswd, Qt::Key_Escape);
        EXPECT_TRUE(frmLogin->isVisible());
        EXPECT_FALSE(frmLogin->close());
        EXPECT_TRUE(frmLogin->isVisible());
        frmLogin->reject();
        EXPECT_TRUE(frmLogin->isVisible());
        sawLocked = !LoginPassed && AlertMessages.isEmpty() && !frmMain->Timer1->isActive();
        // Enter presses 确定.
        clearAndType(L()->EdtPasswd, "Secret 1");
        QTest::keyClick(L()->EdtPasswd, Qt::Key_Return);
    });
    frmMain->FormShow();
    EXPECT_TRUE(sawLocked);
    EXPECT_TRUE(LoginPassed);
    EXPECT_FALSE(frmLogin->isVisible());
    EXPECT_TRUE(frmMain->isVisible());
    // The first show went on to the alert strip.
    EXPECT_EQ(AlertMessages, QStringList{"提醒"});
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

TEST_F(LoginTest, CancelEndsTheProgramWithCodeZeroAndNoWindowLeft)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            start("pw");
            // Presses 取消 once the login is up, inside the program's own loop.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (frmLogin && QApplication::activeModalWidget() == frmLogin) {
                    poll.stop();
                    QTest::mouseClick(frmLogin->ui->BtnEnd, Qt::LeftButton);
                }
            });
            poll.start(5);
            const int rc = RunMainLoop();
            int shown = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible()) ++shown;
            const bool locked = !LoginPassed && AlertMessages.isEmpty();
            DestroyForms();
            QDir(dir()).removeRecursively();
            std::fprintf(stderr, "rc=%d shown=%d locked=%d\n", rc, shown, int(locked));
            std::exit(shown == 0 && locked ? rc : 3);
        },
        ::testing::ExitedWithCode(0), "rc=0 shown=0 locked=1");
}

TEST_F(LoginTest, AChangeChecksTheOldPasswordAndTheRepeat)
{
    start("A");
    whenShown(frmChangePass, [&] {
        struct Case { const char* old; const char* new1; const char* new2; QString text; QLineEdit* focus; };
        for (const Case& c : {Case{"a", "B", "B", WrongOld, C()->EdtPasswd}, Case{"A", "B", "b", Mismatch, C()->EdtNewPass1}}) {
            messages.clear();
            clearAndType(C()->EdtPasswd, c.old);
            clearAndType(C()->EdtNewPass1, c.new1);
            clearAndType(C()->EdtNewPass2, c.new2);
            click(C()->BtnLogin);
            EXPECT_EQ(messageTexts(), QStringList{c.text});
            EXPECT_TRUE(c.focus->hasFocus()) << c.text.toStdString();
            EXPECT_TRUE(frmChangePass->isVisible());
        }
        click(C()->BtnEnd);
    });
    frmMain->ui->N6->trigger();
    EXPECT_EQ(storedPassword(), "A");
    EXPECT_EQ(AdminPassword, "A");
}

TEST_F(LoginTest, ChangesInOneRunChainAndTheNextStartAsksForTheLast)
{
    start(QVariant());   // no row yet: the first change appends it
    EXPECT_TRUE(change("", "A", "A"));
    EXPECT_TRUE(change("A", "B'1", "B'1"));
    EXPECT_TRUE(messages.empty());   // no notice confirms a change
    EXPECT_EQ(AdminPassword, "B'1");
    EXPECT_EQ(storedPassword(), "B'1");
    DestroyForms();
    startApp();
    EXPECT_EQ(AdminPassword, "B'1");
    // An empty new password keeps the row, empty, and the next start asks for no login.
    EXPECT_TRUE(change("B'1", "", ""));
    EXPECT_EQ(scalar("Select count(*) from Config where Item='ADMINPASS' and [Value]=''").toInt(), 1);
    DestroyForms();
    startApp();
    EXPECT_TRUE(AdminPassword.isEmpty());
    frmMain->show();
    frmMain->FormShow();   // would wait for a login if one were asked for
    EXPECT_FALSE(frmLogin->isVisible());
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

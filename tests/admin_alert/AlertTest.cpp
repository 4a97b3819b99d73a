// The alert settings, the alert build and the scrolling strip, through the
// real windows with the clock fixed.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitAlert.h"
#include "platform/Moment.h"
#include "ui_UnitAlert.h"
#include "ui_UnitMain.h"
#include <QCheckBox>
#include <QLabel>
#include <QTest>

namespace {

QDateTime M(int y, int mo, int d, int h = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, 0)); }

class AlertTest : public AppFixture {
protected:
    QDateTime now = M(2025, 6, 15, 9);
    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([this] { return now; });
    }
    Ui::TfrmAlert* A() { return frmAlert->ui; }
    Ui::TfrmMain* W() { return frmMain->ui; }

    void cost(const QString& car, const QString& name, const QVariant& end)
    {
        exec("Insert into CarCost(CarID,Name,Cost,EndTime) Values(:c,:n,0,:e)", {{"c", car}, {"n", name}, {"e", end}});
    }
    void customer(const QString& id, const QString& name)
    {
        exec("Insert into Customer(CustID,CustName) Values(:i,:n)", {{"i", id}, {"n", name}});
    }
    // The dialog's controls: a null count leaves that kind unticked.
    QStringList build(const QString& costDays, const QString& birthdayDays, const QString& own = {})
    {
        A()->ChkCostAlert->setChecked(!costDays.isNull());
        A()->EdtCostDays->setText(costDays);
        A()->ChkBirthday->setChecked(!birthdayDays.isNull());
        A()->Edtbirthday->setText(birthdayDays);
        A()->EdtUserDefineAlert->setText(own);
        A()->ChkUserDefineAlert->setChecked(!own.isEmpty());
        frmMain->GetAlertMessages();
        return AlertMessages;
    }
    QVariant config(const char* item) { return scalar("Select [Value] from Config where Item=:i", {{"i", QString(item)}}); }
    // Opens the settings from the menu and runs fn in them; a dialog left open is cancelled.
    void inSettings(const std::function<void()>& fn)
    {
        whenShown(frmAlert, [&] { fn(); if (frmAlert->isVisible()) click(A()->Button2); });
        W()->N13->trigger();
    }
    void restart() { DestroyForms(); startApp(); }
    bool stripStopped() { return !frmMain->Timer1->isActive() && W()->lblAlert1->isHidden() && W()->lblAlert2->isHidden(); }
};

} // namespace

TEST_F(AlertTest, FeeItemsWithinTheWindowBeforeOrAfterNowWithTheLatestExpiryPerItem)
{
    cost("粤A1001", "保险", QDate(2025, 7, 15));   // 29.6 days ahead of 09:00
    cost("粤A1001", "年检", QDate(2025, 6, 5));    // 10.4 days past
    cost("粤A1002", "保险", QDate(2025, 7, 16));   // 30.6 days ahead: not shown
    cost("京B'2", "路桥费", QDate(2025, 4, 1));     // an old expiry of an item...
    cost("京B'2", "路桥费", QDate(2025, 6, 20));    // ...gives way to its latest
    cost("京B'2", "保养", QVariant());              // no expiry: nothing to say
    EXPECT_EQ(build("30", {}), (QStringList{"京B'2路桥费将在2025/6/20到期", "粤A1001保险将在2025/7/15到期",
                                           "粤A1001年检将在2025/6/5到期"}));
    cost("粤A1001", "年检", QDate(2026, 6, 5));     // a later expiry far away hides the near one
    EXPECT_FALSE(build("30", {}).contains("粤A1001年检将在2025/6/5到期"));
}

TEST_F(AlertTest, BirthdaysFromFifteenAndEighteenCharacterNumbers)
{
    customer("110105850617123", "张三");       // 15 characters: month and day in 9 to 12
    customer("11010519900613123X", "李四");    // 18 ending in X: 11 to 14
    customer("11010519900612123X", "王五");    // 6/12 00:00 is 3.4 days before 09:00
    customer("110105199006181234", "O'Brien");
    customer("1101051990061812", "赵六");      // 16 characters
    customer("1101058506A7123", "钱七");       // a letter in the birth date
    EXPECT_EQ(build({}, "3"), (QStringList{"客户张三生日(6/17)", "客户李四生日(6/13)", "客户O'Brien生日(6/18)"}));
    now = M(2025, 6, 15);                      // at midnight the window reaches three days back too
    EXPECT_TRUE(build({}, "3").contains("客户王五生日(6/12)"));
    now = M(2025, 12, 30, 9);                  // early January lies in this year's January
    customer("110105850102123", "孙八");
    EXPECT_TRUE(build({}, "3").isEmpty());
}

TEST_F(AlertTest, ImpossibleBirthdaysAreSkippedAndTheRestListed)
{
    const std::pair<const char*, bool> rows[] = {
        {"110105199002281234", true},  {"110105199002291234", false}, {"110105199002301234", false},
        {"110105199004311234", false}, {"110105199013011234", false}, {"110105199000101234", false},
        {"110105199001001234", false}, {"110105199001321234", false}, {"110105900431123", false},
        {"110105901231123", true},
        {"11010５199006151234", true},  // a wide digit outside the date: read as text, not as bytes
        {"110105 99006151234", true},   // blanks at the ends of the date piece are let through
    };
    for (const auto& [id, listed] : rows) customer(id, QStringLiteral("#%1").arg(id));
    const QStringList texts = build({}, "400");   // the whole year
    for (const auto& [id, listed] : rows)
        EXPECT_EQ(texts.filter(QStringLiteral("#%1生日").arg(id)).size(), listed ? 1 : 0) << id;
    now = M(2024, 3, 1, 9);                       // a leap year has 29 February
    EXPECT_EQ(build({}, "2"), QStringList{"客户#110105199002291234生日(2/29)"});
}

TEST_F(AlertTest, EmptyOrWrongCountsSwitchTheirKindOffAndNothingToShowStopsTheStrip)
{
    cost("粤A1", "保险", QDate(2025, 6, 16));
    customer("110105850616123", "张三");
    for (const QString bad : {QString(""), QString("  "), QString("3x"), QString("-3"), QString("99999999999")}) {
        EXPECT_EQ(build(bad, "3"), QStringList{"客户张三生日(6/16)"}) << bad.toStdString();
        EXPECT_EQ(build("30", bad), QStringList{"粤A1保险将在2025/6/16到期"}) << bad.toStdString();
        EXPECT_TRUE(build(bad, bad).isEmpty() && stripStopped()) << bad.toStdString();
    }
    // Every kind off; only an own text of blanks; kinds on with nothing found.
    for (int c = 0; c < 3; ++c) {
        build({}, {}, "提醒");
        ASSERT_TRUE(frmMain->Timer1->isActive());
        if (c == 0) build({}, {});
        if (c == 1) { A()->ChkUserDefineAlert->setChecked(true); build({}, {}, "   "); }
        if (c == 2) build("0", "0");
        EXPECT_TRUE(stripStopped()) << c;
        frmMain->Timer1Timer();             // a step with no texts...
        frmMain->lblAlert1MouseLeave();     // ...and the mouse leaving do not restart it
        EXPECT_FALSE(frmMain->Timer1->isActive()) << c;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AlertTest, TheStripShowsTheKindsInOrderScrollsAndWraps)
{
    cost("粤A1", "保险", QDate(2025, 6, 16));
    customer("110105850616123", "张三");
    frmMain->resize(897, 601);
    ASSERT_EQ(build("30", "3", "  周五盘点车辆  "), (QStringList{"粤A1保险将在2025/6/16到期", "客户张三生日(6/16)", "  周五盘点车辆  "}));
    QLabel* l1 = W()->lblAlert1;
    QLabel* l2 = W()->lblAlert2;
    EXPECT_EQ(l1->text(), AlertMessages[0]);
    EXPECT_EQ(l2->text(), AlertMessages[1]);
    EXPECT_EQ(AlertIndex, 1);
    EXPECT_EQ(l1->x(), 176);
    EXPECT_EQ(l1->width(), l1->sizeHint().width());
    EXPECT_EQ(l2->x(), l1->x() + l1->width() + 150);
    EXPECT_TRUE(frmMain->Timer1->isActive());

    const int x1 = l1->x(), x2 = l2->x();
    frmMain->Timer1Timer();
    EXPECT_EQ(l1->x(), x1 - 10);
    EXPECT_EQ(l2->x(), x2 - 10);
    // Label 1 runs off first and takes the third text at the right edge plus 50;
    // then label 2 wraps to the first, at least 70 pixels behind label 1.
    while (l1->text() == AlertMessages[0]) frmMain->Timer1Timer();
    EXPECT_EQ(l1->text(), AlertMessages[2]);
    EXPECT_EQ(l1->x(), W()->Panel2->width() + 50);
    while (l2->text() == AlertMessages[1]) frmMain->Timer1Timer();
    EXPECT_EQ(l2->text(), AlertMessages[0]);
    EXPECT_GE(l2->x(), l1->x() + l1->width() + 70);
    EXPECT_EQ(beeps, 0);
}

TEST_F(AlertTest, OneTextWithTheSoundOnBeepsEachTimeLabelOneRestarts)
{
    exec("Insert into Config Values('ALERT_BEEP','Y')");
    restart();
    ASSERT_EQ(build({}, {}, "还车提醒"), QStringList{"还车提醒"});
    EXPECT_FALSE(W()->lblAlert1->isHidden());
    EXPECT_TRUE(W()->lblAlert2->isHidden());
    int restarts = 0;
    for (int i = 0; i < 400 && restarts < 2; ++i) {
        const int x = W()->lblAlert1->x();
        frmMain->Timer1Timer();
        if (W()->lblAlert1->x() > x) ++restarts;
    }
    ASSERT_EQ(restarts, 2);
    EXPECT_EQ(W()->lblAlert1->text(), "还车提醒");
    EXPECT_EQ(beeps, 2);   // the hidden label 2 runs off silently
}

TEST_F(AlertTest, TheTimerMovesTheStripAndTheMousePausesIt)
{
    build({}, {}, "鼠标停留");
    const int x = W()->lblAlert1->x();
    QTRY_VERIFY_WITH_TIMEOUT(W()->lblAlert1->x() < x, 3000);
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(W()->lblAlert2, &enter);
    EXPECT_FALSE(frmMain->Timer1->isActive());
    QApplication::sendEvent(W()->lblAlert2, &leave);
    EXPECT_TRUE(frmMain->Timer1->isActive());
    // Leaving a label while a window opened from here is open keeps the pause.
    whenShown(frmAlert, [&] {
        QApplication::sendEvent(W()->lblAlert1, &leave);
        EXPECT_FALSE(frmMain->Timer1->isActive());
        click(A()->Button2);
    });
    W()->N13->trigger();
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

TEST_F(AlertTest, SettingsRoundTripThroughConfig)
{
    EXPECT_EQ(A()->ChkBeep->text(), "\"嘟嘟\"声音提醒");
    inSettings([&] {
        A()->ChkBirthday->click();
        clearAndType(A()->Edtbirthday, "5");
        type(A()->EdtUserDefineAlert, "O'Brien's car");   // typing ticks its box
        EXPECT_TRUE(A()->ChkUserDefineAlert->isChecked());
        click(A()->BtnOK);
    });
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "30");
    EXPECT_EQ(config("ALERT_BIRTHDAY").toString(), "5");
    EXPECT_EQ(config("ALERT_USERDEFINE").toString(), "OBriens car");   // quotes gone in the database only
    EXPECT_EQ(AlertMessages, QStringList{"O'Brien's car"});
    restart();
    EXPECT_TRUE(A()->ChkBirthday->isChecked());
    EXPECT_EQ(A()->Edtbirthday->text(), "5");
    EXPECT_EQ(A()->EdtUserDefineAlert->text(), "OBriens car");
    inSettings([&] {
        A()->ChkBirthday->click();
        A()->ChkUserDefineAlert->click();                 // unticking empties the text
        EXPECT_EQ(A()->EdtUserDefineAlert->text(), "");
        click(A()->BtnOK);
    });
    EXPECT_EQ(scalar("Select count(*) from Config where Item in ('ALERT_BIRTHDAY','ALERT_USERDEFINE')").toInt(), 0);
    restart();
    EXPECT_FALSE(A()->ChkBirthday->isChecked());
    EXPECT_EQ(A()->Edtbirthday->text(), "3");
    EXPECT_FALSE(A()->ChkUserDefineAlert->isChecked());
}

TEST_F(AlertTest, AStoredZeroLoadsAsOffTheSoundLoadsAtCreationAndASaveIsOneTransaction)
{
    exec("Insert into Config Values('ALERT_CARCOST','0')");
    exec("Insert into Config Values('ALERT_BIRTHDAY','4')");
    exec("Insert into Config Values('ALERT_BEEP','Y')");
    restart();
    EXPECT_FALSE(A()->ChkCostAlert->isChecked());
    EXPECT_EQ(A()->EdtCostDays->text(), "");
    EXPECT_TRUE(A()->ChkBeep->isChecked());   // although no build found a text
    // Ticked without a count stores "0" again; the sound nobody touched stays.
    inSettings([&] { A()->ChkCostAlert->click(); click(A()->BtnOK); });
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "0");
    EXPECT_EQ(config("ALERT_BEEP").toString(), "Y");
    EXPECT_TRUE(messages.empty());

    // The last write failing undoes the earlier ones and keeps the dialog open.
    exec("CREATE TRIGGER refuse BEFORE DELETE ON Config WHEN OLD.Item='ALERT_BEEP' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    bool open = false;
    inSettings([&] {
        clearAndType(A()->EdtCostDays, "60");
        A()->ChkBirthday->click();
        A()->ChkBeep->click();
        click(A()->BtnOK);
        open = frmAlert->isVisible();
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(lastMessage().contains("disk full"));
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "0");
    EXPECT_EQ(config("ALERT_BIRTHDAY").toString(), "4");
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(AlertTest, DayCountsTakeDigitsOnlyAndEnterPressesNothing)
{
    bool open = false;
    inSettings([&] {
        for (QLineEdit* e : {A()->EdtCostDays, A()->Edtbirthday}) {
            clearAndType(e, "1a2. -3");
            QTest::keyClick(e, Qt::Key_Backspace);
            EXPECT_EQ(e->text(), "12") << e->objectName().toStdString();
            QTest::keyClick(e, Qt::Key_Return);
        }
        open = frmAlert->isVisible();
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(scalar("Select count(*) from Config").toInt(), 0);
}

TEST_F(AlertTest, IsAllDigitsTrimsControlCharactersAndBlanksOnly)
{
    for (const char* yes : {"0123456789", " \t12\r\n", "   "}) EXPECT_TRUE(IsAllDigits(yes)) << yes;
    for (const char* no : {"1 2", "12X", "１２"}) EXPECT_FALSE(IsAllDigits(QString::fromUtf8(no))) << no;
}

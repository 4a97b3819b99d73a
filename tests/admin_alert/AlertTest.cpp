// The alert settings, the alert build and the scrolling strip, through the
// real windows with the clock fixed.
#include "support/AppFixture.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitAlert.h"
#include "platform/Moment.h"
#include "ui_UnitAlert.h"
#include "ui_UnitMain.h"
#include <QCheckBox>
#include <QLabel>
#include <QTest>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

QDateTime M(int y, int mo, int d, int h = 0, int mi = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, mi)); }

class AlertTest : public AppFixture {
protected:
    // Sunday 15 June 2025, 09:00.
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
        exec(QStringLiteral("Insert into CarCost(CarID,Name,Cost,EndTime) Values(:c,:n,0,:e)"),
             {{"c", car}, {"n", name}, {"e", end}});
    }
    void customer(const QString& id, const QString& name)
    {
        exec(QStringLiteral("Insert into Customer(CustID,CustName) Values(:i,:n)"), {{"i", id}, {"n", name}});
    }
    // Only the kinds given switched on, as the controls of the dialog.
    void settings(const QString& costDays, const QString& birthdayDays, const QString& own = {})
    {
        A()->ChkCostAlert->setChecked(!costDays.isNull());
        A()->EdtCostDays->setText(costDays);
        A()->ChkBirthday->setChecked(!birthdayDays.isNull());
        A()->Edtbirthday->setText(birthdayDays);
        A()->EdtUserDefineAlert->setText(own);
        A()->ChkUserDefineAlert->setChecked(!own.isEmpty());
    }
    QStringList build()
    {
        frmMain->GetAlertMessages();
        return AlertMessages;
    }
    QVariant config(const char* item)
    {
        return scalar(QStringLiteral("Select [Value] from Config where Item=:i"), {{"i", QString::fromLatin1(item)}});
    }
    // Opens the settings from the menu, runs fn in them; a dialog left open is cancelled.
    void inSettings(const std::function<void()>& fn)
    {
        whenShown(frmAlert, [&] { fn(); if (frmAlert->isVisible()) click(A()->Button2); });
        W()->N13->trigger();
    }
    void restart()
    {
        DestroyForms();
        startApp();
    }
    bool stripStopped() { return !frmMain->Timer1->isActive() && W()->lblAlert1->isHidden() && W()->lblAlert2->isHidden(); }
};

} // namespace

TEST_F(AlertTest, FeeItemsWithinTheWindowBeforeOrAfterNowWithTheLatestExpiryPerItem)
{
    cost("粤A1001", "保险", QDate(2025, 7, 15));        // 29.6 days ahead
    cost("粤A1001", "年检", QDate(2025, 6, 5));         // 10.4 days past
    cost("粤A1002", "保险", QDate(2025, 7, 16));        // 30.6 days ahead: not shown
    cost("京B'2", "路桥费", QDate(2025, 4, 1));          // an old expiry of the same item...
    cost("京B'2", "路桥费", QDate(2025, 6, 20));         // ...gives way to the latest
    cost("京B'2", "保养", QVariant());                   // no expiry date: nothing to say
    settings("30", QString());
    EXPECT_EQ(build(), (QStringList{"京B'2路桥费将在2025/6/20到期", "粤A1001保险将在2025/7/15到期",
                                    "粤A1001年检将在2025/6/5到期"}));

    // An item's latest expiry far away hides its earlier one that is near.
    cost("粤A1001", "年检", QDate(2026, 6, 5));
    EXPECT_FALSE(build().contains("粤A1001年检将在2025/6/5到期"));
    // The count is inclusive: a window of 0 days shows an expiry at this very moment.
    cost("沪C3", "保险", now);
    settings("0", QString());
    EXPECT_EQ(build(), QStringList{"沪C3保险将在2025/6/15到期"});
}

TEST_F(AlertTest, BirthdaysFromFifteenAndEighteenCharacterNumbers)
{
    customer("110105850617123", "张三");       // 15: month and day in characters 9 to 12, 6/17
    customer("11010519900613123X", "李四");    // 18 ending in X: characters 11 to 14, 6/13
    customer("11010519900612123X", "王五");    // 6/12 at 00:00 is 3.4 days before 09:00: outside
    customer("110105199006181234", "O'Brien"); // 6/18, 2.6 days ahead
    customer("1101051990061812", "赵六");      // 16 characters: no text
    customer("1101058506A7123", "钱七");       // a letter in the birth date: no text
    settings(QString(), "3");
    EXPECT_EQ(build(), (QStringList{"客户张三生日(6/17)", "客户李四生日(6/13)", "客户O'Brien生日(6/18)"}));

    // At exactly midnight the window reaches three days back as well.
    now = M(2025, 6, 15);
    EXPECT_TRUE(build().contains("客户王五生日(6/12)"));
    // Late in December a birthday in early January lies in this year's January.
    now = M(2025, 12, 30, 9);
    customer("110105850102123", "孙八");
    EXPECT_TRUE(build().isEmpty());
}

TEST_F(AlertTest, ImpossibleBirthdaysAreSkippedAndTheRestListed)
{
    struct Row { const char* id; const char* name; bool listed; };
    const Row rows[] = {
        {"110105199002281234", "二月末", true},
        {"110105199002291234", "非闰年2月29", false},
        {"110105199002301234", "2月30", false},
        {"110105199004311234", "4月31", false},
        {"110105199013011234", "13月", false},
        {"110105199000101234", "0月", false},
        {"110105199001001234", "0日", false},
        {"110105199001321234", "32日", false},
        {"110105900431123", "15位4月31", false},
        {"110105901231123", "年末", true},
    };
    for (const Row& r : rows) customer(QString::fromLatin1(r.id), QString::fromUtf8(r.name));
    settings(QString(), "400");   // the whole year
    const QStringList texts = build();
    for (const Row& r : rows) {
        const bool listed = std::any_of(texts.begin(), texts.end(),
                                        [&](const QString& t) { return t.contains(QString::fromUtf8(r.name) + "生日"); });
        EXPECT_EQ(listed, r.listed) << r.name;
    }
    // In a leap year 29 February is a birthday.
    now = M(2024, 3, 1, 9);
    settings(QString(), "2");
    EXPECT_EQ(build(), QStringList{"客户非闰年2月29生日(2/29)"});
}

TEST_F(AlertTest, FeeItemsThenBirthdaysThenTheOwnTextAsTyped)
{
    cost("粤A1", "保险", QDate(2025, 6, 16));
    customer("110105850616123", "张三");
    settings("30", "3", "  周五盘点车辆  ");
    EXPECT_EQ(build(), (QStringList{"粤A1保险将在2025/6/16到期", "客户张三生日(6/16)", "  周五盘点车辆  "}));
    EXPECT_TRUE(frmMain->Timer1->isActive());
    EXPECT_EQ(W()->lblAlert1->text(), "粤A1保险将在2025/6/16到期");
    EXPECT_EQ(W()->lblAlert2->text(), "客户张三生日(6/16)");
    EXPECT_EQ(AlertIndex, 1);
}

TEST_F(AlertTest, AKindWithAnEmptyOrWrongCountIsOff)
{
    cost("粤A1", "保险", QDate(2025, 6, 16));
    customer("110105850616123", "张三");
    for (const QString bad : {QString(""), QString("  "), QString("3x"), QString("99999999999")}) {
        settings(bad, "3");
        EXPECT_EQ(build(), QStringList{"客户张三生日(6/16)"}) << bad.toStdString();
        settings("30", bad);
        EXPECT_EQ(build(), QStringList{"粤A1保险将在2025/6/16到期"}) << bad.toStdString();
        settings(bad, bad);
        EXPECT_TRUE(build().isEmpty()) << bad.toStdString();
        EXPECT_TRUE(stripStopped()) << bad.toStdString();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AlertTest, NothingToShowHidesBothLabelsWithTheTimerOff)
{
    // A running strip first.
    settings(QString(), QString(), "提醒");
    build();
    ASSERT_TRUE(frmMain->Timer1->isActive());
    struct Case { const char* name; QString cost, birthday, own; };
    const Case cases[] = {
        {"every kind off", QString(), QString(), QString()},
        {"only the own box ticked, with blanks", QString(), QString(), QString()},
        {"kinds on, nothing found", "30", "3", QString()},
    };
    for (const Case& c : cases) {
        settings(c.cost, c.birthday, c.own);
        if (QString(c.name).contains("blanks")) { A()->ChkUserDefineAlert->setChecked(true); A()->EdtUserDefineAlert->setText("   "); }
        build();
        EXPECT_TRUE(stripStopped()) << c.name;
        // A step and the mouse leaving a label do not restart it.
        frmMain->Timer1Timer();
        frmMain->lblAlert1MouseLeave();
        EXPECT_FALSE(frmMain->Timer1->isActive()) << c.name;
    }
}

TEST_F(AlertTest, TheStripScrollsWrapsAndKeepsItsDistances)
{
    cost("A", "一", QDate(2025, 6, 15));
    cost("B", "二", QDate(2025, 6, 15));
    settings("1", QString(), "丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙丙");
    frmMain->resize(897, 601);
    ASSERT_EQ(build().size(), 3);
    QLabel* l1 = W()->lblAlert1;
    QLabel* l2 = W()->lblAlert2;
    EXPECT_EQ(l1->x(), 176);
    EXPECT_EQ(l2->x(), l1->x() + l1->width() + 150);
    EXPECT_EQ(l1->width(), l1->sizeHint().width());

    const int x1 = l1->x(), x2 = l2->x();
    frmMain->Timer1Timer();
    EXPECT_EQ(l1->x(), x1 - 10);
    EXPECT_EQ(l2->x(), x2 - 10);

    // Label 1 runs off first and takes the third text at the right edge plus 50.
    while (l1->text() == "A一将在2025/6/15到期") frmMain->Timer1Timer();
    EXPECT_EQ(l1->text(), AlertMessages[2]);
    EXPECT_EQ(l1->x(), W()->Panel2->width() + 50);
    EXPECT_EQ(AlertIndex, 2);
    // Then label 2 wraps to the first text, kept at least 70 pixels behind label 1.
    while (l2->text() == "B二将在2025/6/15到期") frmMain->Timer1Timer();
    EXPECT_EQ(l2->text(), AlertMessages[0]);
    EXPECT_GE(l2->x(), l1->x() + l1->width() + 70);
    EXPECT_EQ(beeps, 0);
}

TEST_F(AlertTest, OneTextWithTheSoundOnBeepsEachTimeItRestarts)
{
    exec("Insert into Config Values('ALERT_BEEP','Y')");
    restart();
    SetClockHook([this] { return now; });
    settings(QString(), QString(), "还车提醒");
    ASSERT_EQ(build(), QStringList{"还车提醒"});
    EXPECT_FALSE(W()->lblAlert1->isHidden());
    EXPECT_TRUE(W()->lblAlert2->isHidden());
    EXPECT_TRUE(A()->ChkBeep->isChecked());
    int restarts = 0;
    for (int i = 0; i < 400 && restarts < 2; ++i) {
        const int x = W()->lblAlert1->x();
        frmMain->Timer1Timer();
        if (W()->lblAlert1->x() > x) ++restarts;
    }
    ASSERT_EQ(restarts, 2);
    EXPECT_EQ(W()->lblAlert1->text(), "还车提醒");
    EXPECT_EQ(AlertIndex, 0);
    EXPECT_EQ(beeps, 2);   // label 1 only; the hidden label 2 runs off silently
}

TEST_F(AlertTest, TheTimerMovesTheStripAndTheMousePausesIt)
{
    settings(QString(), QString(), "鼠标停留");
    build();
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

TEST_F(AlertTest, DefaultsWithoutStoredSettings)
{
    EXPECT_TRUE(A()->ChkCostAlert->isChecked());
    EXPECT_EQ(A()->EdtCostDays->text(), "30");
    EXPECT_FALSE(A()->ChkBirthday->isChecked());
    EXPECT_EQ(A()->Edtbirthday->text(), "3");
    EXPECT_FALSE(A()->ChkUserDefineAlert->isChecked());
    EXPECT_EQ(A()->EdtUserDefineAlert->text(), "");
    EXPECT_FALSE(A()->ChkBeep->isChecked());
    EXPECT_EQ(A()->ChkBeep->text(), "\"嘟嘟\"声音提醒");
    EXPECT_EQ(A()->EdtUserDefineAlert->maxLength(), 50);
    EXPECT_EQ(frmAlert->windowTitle(), "提醒");
}

TEST_F(AlertTest, SettingsRoundTripThroughConfig)
{
    // The birthday alert: stored while on, removed when off, loaded as off with "3".
    inSettings([&] {
        A()->ChkBirthday->click();
        clearAndType(A()->Edtbirthday, "5");
        click(A()->BtnOK);
    });
    EXPECT_EQ(config("ALERT_BIRTHDAY").toString(), "5");
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "30");
    restart();
    EXPECT_TRUE(A()->ChkBirthday->isChecked());
    EXPECT_EQ(A()->Edtbirthday->text(), "5");
    inSettings([&] { A()->ChkBirthday->click(); click(A()->BtnOK); });
    EXPECT_TRUE(config("ALERT_BIRTHDAY").isNull());
    EXPECT_EQ(scalar("Select count(*) from Config where Item='ALERT_BIRTHDAY'").toInt(), 0);
    restart();
    EXPECT_FALSE(A()->ChkBirthday->isChecked());
    EXPECT_EQ(A()->Edtbirthday->text(), "3");

    // The own text: quotes gone in the database only; typing ticks the box.
    inSettings([&] {
        type(A()->EdtUserDefineAlert, "O'Brien's car");
        EXPECT_TRUE(A()->ChkUserDefineAlert->isChecked());
        click(A()->BtnOK);
    });
    EXPECT_EQ(config("ALERT_USERDEFINE").toString(), "OBriens car");
    EXPECT_EQ(A()->EdtUserDefineAlert->text(), "O'Brien's car");
    EXPECT_EQ(AlertMessages, QStringList{"O'Brien's car"});
    restart();
    EXPECT_EQ(A()->EdtUserDefineAlert->text(), "OBriens car");
    // Unticking empties it, and OK removes the row.
    inSettings([&] {
        A()->ChkUserDefineAlert->click();
        EXPECT_EQ(A()->EdtUserDefineAlert->text(), "");
        click(A()->BtnOK);
    });
    EXPECT_EQ(scalar("Select count(*) from Config where Item='ALERT_USERDEFINE'").toInt(), 0);
}

TEST_F(AlertTest, AStoredZeroLoadsAsOffAndAnEmptyCountStoresZero)
{
    exec("Insert into Config Values('ALERT_CARCOST','0')");
    restart();
    EXPECT_FALSE(A()->ChkCostAlert->isChecked());
    EXPECT_EQ(A()->EdtCostDays->text(), "");
    inSettings([&] { A()->ChkCostAlert->click(); click(A()->BtnOK); });
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "0");
    EXPECT_TRUE(messages.empty());   // the build took the empty count as off
    inSettings([&] { type(A()->EdtCostDays, "45"); click(A()->BtnOK); });
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "45");
}

TEST_F(AlertTest, TheSoundSettingSurvivesAnOKThatDidNotTouchIt)
{
    exec("Insert into Config Values('ALERT_BEEP','Y')");
    restart();
    EXPECT_TRUE(A()->ChkBeep->isChecked());   // loaded although no build found a text
    inSettings([&] { click(A()->BtnOK); });
    EXPECT_EQ(config("ALERT_BEEP").toString(), "Y");
    inSettings([&] { A()->ChkBeep->click(); click(A()->BtnOK); });
    EXPECT_EQ(scalar("Select count(*) from Config where Item='ALERT_BEEP'").toInt(), 0);
}

TEST_F(AlertTest, AFailedSaveChangesNothingAndTheDialogStaysOpen)
{
    exec("Insert into Config Values('ALERT_CARCOST','12')");
    exec("Insert into Config Values('ALERT_BIRTHDAY','4')");
    restart();
    exec("CREATE TRIGGER refuse BEFORE INSERT ON Config WHEN NEW.Item='ALERT_BEEP' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    bool open = false;
    inSettings([&] {
        clearAndType(A()->EdtCostDays, "60");
        A()->ChkBirthday->click();
        A()->ChkBeep->click();
        click(A()->BtnOK);
        open = frmAlert->isVisible();
    });
    EXPECT_TRUE(open);
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(lastMessage().contains("disk full"));
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "12");
    EXPECT_EQ(config("ALERT_BIRTHDAY").toString(), "4");
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(AlertTest, DayCountsTakeDigitsOnlyAndEnterPressesNothing)
{
    bool open = false;
    inSettings([&] {
        for (QLineEdit* e : {A()->EdtCostDays, A()->Edtbirthday}) {
            clearAndType(e, "1a2. -3");
            EXPECT_EQ(e->text(), "123") << e->objectName().toStdString();
            QTest::keyClick(e, Qt::Key_Backspace);
            EXPECT_EQ(e->text(), "12");
            QTest::keyClick(e, Qt::Key_Return);
        }
        open = frmAlert->isVisible();
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(scalar("Select count(*) from Config").toInt(), 0);
}

TEST_F(AlertTest, IsAllDigitsTrimsControlCharactersAndBlanksOnly)
{
    EXPECT_TRUE(IsAllDigits("0123456789"));
    EXPECT_TRUE(IsAllDigits(" \t12\r\n"));
    EXPECT_TRUE(IsAllDigits("   "));
    EXPECT_FALSE(IsAllDigits("1 2"));
    EXPECT_FALSE(IsAllDigits("12X"));
    EXPECT_FALSE(IsAllDigits("１２"));   // full-width digits are not digits here
}

// The alert settings and the alert build, through the real windows with the clock fixed.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitAlert.h"
#include "platform/Moment.h"
#include "ui_UnitAlert.h"
#include "ui_UnitMain.h"

namespace {

QDateTime M(int y, int mo, int d, int h = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, 0)); }

class AlertTest : public AppFixture {
protected:
    QDateTime now = M(2025, 6, 15, 9);
    void SetUp() override { AppFixture::SetUp(); SetClockHook([this] { return now; }); }
    Ui::TfrmAlert* A() { return frmAlert->ui.get(); }

    void cost(const QString& car, const QString& name, const QVariant& end)
    { exec("Insert into CarCost(CarID,Name,Cost,EndTime) Values(:c,:n,0,:e)", {{"c", car}, {"n", name}, {"e", end}}); }
    void customer(const QString& id, const QString& name)
    { exec("Insert into Customer(CustID,CustName) Values(:i,:n)", {{"i", id}, {"n", name}}); }
    // Builds the strip from these settings; a null count leaves that kind unticked.
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
        frmMain->ui->N13->trigger();
    }
};

} // namespace

// Both sides of now count, in fractional days; the latest expiry of an item is
// the one that counts. An unusable count switches its kind off; the kinds come
// in order; nothing to show stops the strip.
TEST_F(AlertTest, FeeItemsWithinTheWindowAndWrongCountsSwitchTheirKindOff)
{
    cost("粤A1001", "保险", QDate(2025, 7, 15));   // 29.6 days ahead of 09:00
    cost("粤A1001", "年检", QDate(2025, 6, 5));    // 10.4 days past
    cost("粤A1002", "保险", QDate(2025, 7, 16));   // 30.6 days ahead: not shown
    cost("京B'2", "路桥费", QDate(2025, 4, 1));     // an old expiry of an item...
    cost("京B'2", "路桥费", QDate(2025, 6, 20));    // ...gives way to its latest
    cost("京B'2", "保养", QVariant());              // no expiry: nothing to say
    const QStringList fees{"京B'2路桥费将在2025/6/20到期", "粤A1001保险将在2025/7/15到期", "粤A1001年检将在2025/6/5到期"};
    EXPECT_EQ(build("30", {}), fees);
    customer("110105850616123", "张三");
    EXPECT_EQ(build("30", "3", "  周五盘点  "), (fees + QStringList{"客户张三生日(6/16)", "  周五盘点  "}));
    EXPECT_TRUE(frmMain->Timer1->isActive());
    for (const QString bad : {QString(""), QString("3x"), QString("-3"), QString("99999999999")}) {
        EXPECT_EQ(build(bad, "3"), QStringList{"客户张三生日(6/16)"}) << bad.toStdString();
        EXPECT_TRUE(build(bad, bad, "   ").isEmpty()) << bad.toStdString();
        EXPECT_FALSE(frmMain->Timer1->isActive() || frmMain->ui->lblAlert1->isVisible());
    }
    EXPECT_TRUE(messages.empty());
}

// The birth date sits at characters 9-12 of a 15-character number and 11-14 of an
// 18-character one; impossible dates are skipped, 29 February only in a leap year.
TEST_F(AlertTest, BirthdaysFromTheDocumentNumber)
{
    customer("110105850617123", "张三");
    customer("11010519900613123X", "O'Brien");
    customer("11010519900612123X", "王五");    // 6/12 00:00 is 3.4 days before 09:00
    customer("1101051990061812", "赵六");      // 16 characters
    customer("110105199004311234", "#0431");
    customer("110105199013011234", "#1301");
    customer("110105199002291234", "#0229");
    EXPECT_EQ(build({}, "3"), (QStringList{"客户张三生日(6/17)", "客户O'Brien生日(6/13)"}));
    now = M(2025, 6, 15);                      // at midnight the window reaches three days back too
    EXPECT_TRUE(build({}, "3").contains("客户王五生日(6/12)"));
    EXPECT_TRUE(build({}, "400").filter("#").isEmpty());
    now = M(2024, 3, 1, 9);
    EXPECT_EQ(build({}, "2"), QStringList{"客户#0229生日(2/29)"});
}

// Quotes are dropped in the database only; a kind switched off loses its row; a
// save whose last write fails undoes the earlier ones and keeps the dialog open.
TEST_F(AlertTest, SettingsRoundTripThroughConfigInOneTransaction)
{
    inSettings([&] {
        A()->ChkBirthday->click();
        clearAndType(A()->Edtbirthday, "5");
        type(A()->EdtUserDefineAlert, "O'Brien's car");   // typing ticks its box
        A()->ChkBeep->click();
        click(A()->BtnOK);
    });
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "30");
    EXPECT_EQ(config("ALERT_USERDEFINE").toString(), "OBriens car");
    EXPECT_EQ(AlertMessages, QStringList{"O'Brien's car"});
    DestroyForms();
    startApp();
    EXPECT_EQ(A()->Edtbirthday->text(), "5");
    EXPECT_EQ(A()->EdtUserDefineAlert->text(), "OBriens car");
    inSettings([&] { A()->ChkUserDefineAlert->click(); click(A()->BtnOK); });
    EXPECT_TRUE(config("ALERT_USERDEFINE").isNull());

    exec("CREATE TRIGGER refuse BEFORE DELETE ON Config WHEN OLD.Item='ALERT_BEEP' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    bool open = false;
    inSettings([&] {
        A()->ChkCostAlert->click();
        A()->ChkBirthday->click();
        A()->ChkBeep->click();
        click(A()->BtnOK);
        open = frmAlert->isVisible();
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(lastMessage().contains("disk full"));
    EXPECT_EQ(config("ALERT_CARCOST").toString(), "30");
    EXPECT_EQ(config("ALERT_BIRTHDAY").toString(), "5");
    EXPECT_FALSE(db().inTransaction());
}

// Label 1 asks for the two-second 2000 Hz tone at each new text while the sound box
// is ticked; label 2 never does, shown or (with one text) hidden.
TEST_F(AlertTest, EachWrapOfLabelOneAndOnlyLabelOneBeeps)
{
    struct Row { const char* name; int texts; bool sound; };
    for (const Row r : {Row{"two texts", 2, true}, Row{"three texts", 3, true}, Row{"one text", 1, true}, Row{"sound off", 2, false}}) {
        exec("Delete from CarCost");
        for (int i = 0; i < r.texts; ++i) cost(QString("粤A%1").arg(i), "保险", QDate(2025, 6, 20));
        ASSERT_EQ(build("30", {}).size(), r.texts) << r.name;
        A()->ChkBeep->setChecked(r.sound);
        beeps.clear();
        QWidget *l1 = frmMain->ui->lblAlert1, *l2 = frmMain->ui->lblAlert2;
        std::vector<int> wraps1, wraps2, beepSteps;
        for (int step = 0; step < 300; ++step) {
            const int x1 = l1->x(), x2 = l2->x();
            const size_t before = beeps.size();
            frmMain->Timer1Timer();
            if (l1->x() > x1) wraps1.push_back(step);
            if (l2->x() > x2) wraps2.push_back(step);
            if (beeps.size() > before) beepSteps.push_back(step);
        }
        ASSERT_TRUE(wraps1.size() >= 2 && wraps2.size() >= 2) << r.name;
        EXPECT_EQ(beepSteps, r.sound ? wraps1 : std::vector<int>{}) << r.name << ", label 2 wrapped at " << testing::PrintToString(wraps2);
        EXPECT_EQ(beeps, std::vector(beepSteps.size(), std::pair(2000, 2000))) << r.name;
    }
}

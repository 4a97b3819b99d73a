// One hire along the main road, through the real windows opened from the main
// window: a vehicle hired out to a customer made at the desk, moved to another
// vehicle, returned with a reading and settled.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ui_UnitCharge.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitReturn.h"
#include "ui_UnitSelectScheme.h"
#include "hire_lend_mod/ModFixture.h"
#include "hire/UnitCharge.h"
#include "hire/UnitReturn.h"
#include "registers/UnitNewCust.h"

namespace {

const QString kOld = u"京A·O'88"_s, kNew = u"京B-99"_s, kCust = u"110101198005051234"_s;

class MainRoad : public ModFixture {
protected:
    QString cars() { return scalar(u"SELECT group_concat(CarID||State||Odograph) FROM Car"_s).toString(); }
    static QDateTime may(int d, int h) { return CombineDateTime(QDate(2026, 5, d), QTime(h, 0)); }
};

TEST_F(MainRoad, HireOutChangeVehicleReturnAndSettle)
{
    now = may(3, 16);
    addCar(kOld, 9950);
    addCar(kNew, 10000);
    addScheme(u"标准日租"_s, 0, 1500000, 200, 8000);   // by the day: 150, 200 km, 0.8 a km beyond

    // Hired out on the old vehicle to a customer made from the desk, then moved
    // to the new vehicle on the open-hire page.
    inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
        ASSERT_TRUE(frmLend->ADOQry->locate(u"CarID"_s, kOld));
        whenShown(frmNewCust, [&] {
            type(frmNewCust->ui->EdtCustID, kCust);
            type(frmNewCust->ui->EdtCustName, u"O'Brien 张"_s);
            click(frmNewCust->ui->BitBtn1);
        });
        click(u()->BtnNewCust);
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u()->BtnScheme);
        SetMoment(u()->Dt1Date, u()->Dt1Time, may(1, 9));
        SetMoment(u()->Dt2Date, u()->Dt2Time, may(3, 18));
        fill({{u()->EdtOdograph, u"10000"_s}, {u()->EdtPrepay, u"1000"_s}});
        click(u()->BtnLend);
        EXPECT_EQ(lastMessage(), u"车辆已借出！"_s);

        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        EXPECT_EQ(u()->EdtModCustName->text(), u"O'Brien 张"_s);
        changeTo(kNew);
        click(u()->BtnExit2);
    });
    EXPECT_EQ(cars(), kOld + u"A10000,"_s + kNew + u"B10000"_s);

    // Returned at 15:00 on 3 May, 800 km past the new vehicle's 10000: 3 天, 450 + 160 = 610.
    messages.clear();
    inWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        SetMoment(frmReturn->ui->DtDate, frmReturn->ui->DtTime, may(3, 15));
        clearAndType(frmReturn->ui->EdtOdograph, u"10800"_s);
        EXPECT_EQ(frmReturn->ui->EdtCalDays->text(), u"3 天"_s);
        EXPECT_EQ(frmReturn->ui->EdtTimeOwe->text() + u"+"_s + frmReturn->ui->EdtAdditionalOwe->text(), u"450+160"_s);
        EXPECT_EQ(frmReturn->ui->EdtOwe->text(), u"610"_s);
        click(frmReturn->ui->BtnReturn);
        click(frmReturn->ui->BtnExit1);
    });
    EXPECT_EQ(messageTexts(), QStringList({u"确定要归还车辆 “"_s + kNew + u"” 吗？"_s}));

    inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
        EXPECT_EQ(frmCharge->ui->EdtOwe->text(), u"610"_s);
        clearAndType(frmCharge->ui->EdtLeaso, u"600.5"_s);
        click(frmCharge->ui->Button1);
        click(frmCharge->ui->BtnExit2);
    });
    EXPECT_EQ(lastMessage(), u"结算信息已保存！"_s);

    // Every row the road touched.
    EXPECT_EQ(changeLog(), u"1:%1>%2"_s.arg(kOld, kNew));
    const QList<QPair<QString, QVariant>> row = {
        {u"CarID"_s, kNew}, {u"CustID"_s, kCust}, {u"LeasoType"_s, 0}, {u"ChangeCar"_s, 1}, {u"BasicPrice"_s, 1500000},
        {u"[Limit]"_s, 200}, {u"AdditionalPrice"_s, 8000}, {u"Prepay"_s, 10000000}, {u"Odograph1"_s, 10000},
        {u"Odograph2"_s, 10800}, {u"Charge"_s, 6005000}};
    for (const auto& [column, want] : row) EXPECT_EQ(leaso(column).toString(), want.toString()) << column.toStdString();
    EXPECT_EQ(leasoMoment(u"BeginTime"_s), may(1, 9));
    EXPECT_EQ(leasoMoment(u"PlanEndTime"_s), may(3, 18));
    EXPECT_EQ(leasoMoment(u"EndTime"_s), may(3, 15));
    EXPECT_EQ(leasoMoment(u"ChargeTime"_s), now);
    EXPECT_EQ(cars(), kOld + u"A10000,"_s + kNew + u"A10800"_s);
    EXPECT_EQ(scalar(u"SELECT group_concat(Type||'|'||Amount||'|'||LeasoID||'|'||Item||'|'||Category||'|'||Deleted) FROM Acct"_s)
                  .toString(), u"1|6005000|1|%1租车款|租车款|0"_s.arg(kNew));
    EXPECT_EQ(DaysToDateTime(scalar(u"SELECT AcctTime FROM Acct"_s).toDouble()), now);
    EXPECT_FALSE(db().inTransaction());
}

} // namespace

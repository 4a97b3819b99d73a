// One hire along the main road through the windows the main window opens: hired out to a
// customer made at the desk, moved to another vehicle, returned with a reading and settled.
#include "ui_UnitNewCust.h"
#include "hire_return/HireFixture.h"
#include "registers/UnitNewCust.h"

const QString kOld = u"京A·O'88"_s, kNew = u"京B-99"_s, kCust = u"110101198005051234"_s;
static QDateTime may(int d, int h) { return CombineDateTime(QDate(2026, 5, d), QTime(h, 0)); }
using MainRoad = LendFixture;

TEST_F(MainRoad, HireOutChangeVehicleReturnAndSettle)
{
    now = may(3, 16);
    addCar(kOld, 9950);
    addCar(kNew, 10000);
    addScheme(u"标准日租"_s, 0, 1500000, 200, 8000);   // by the day: 150, 200 km, 0.8 a km beyond

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
        // Moved to the new vehicle on the open-hire page.
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        changeTo(kNew);
        click(u()->BtnExit2);
    });
    // Returned at 15:00 on 3 May, 800 km past 10000: 3 天, 450 + 160 = 610.
    inWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        SetMoment(frmReturn->ui->DtDate, frmReturn->ui->DtTime, may(3, 15));
        clearAndType(frmReturn->ui->EdtOdograph, u"10800"_s);
        EXPECT_EQ(Fee(frmReturn->ui.get()), QStringList({u"3 天"_s, u"450"_s, u"160"_s, u"610"_s}));
        click(frmReturn->ui->BtnReturn);
        click(frmReturn->ui->BtnExit1);
    });
    inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
        EXPECT_EQ(frmCharge->ui->EdtOwe->text(), u"610"_s);
        clearAndType(frmCharge->ui->EdtLeaso, u"600.5"_s);
        click(frmCharge->ui->Button1);
        click(frmCharge->ui->BtnExit2);
    });
    EXPECT_EQ(messageTexts(),
              QStringList({u"保存成功！"_s, u"车辆已借出！"_s, u"确定要归还车辆 “"_s + kNew + u"” 吗？"_s, u"结算信息已保存！"_s}));

    // Every row the road touched.
    EXPECT_EQ(changeLog(), u"1:%1>%2"_s.arg(kOld, kNew));
    EXPECT_EQ(RowsText(db(), u"Leaso"_s, {u"CarID"_s, u"CustID"_s, u"LeasoType"_s, u"ChangeCar"_s, u"BasicPrice"_s, u"[Limit]"_s,
                                        u"AdditionalPrice"_s, u"Prepay"_s, u"Odograph1"_s, u"Odograph2"_s, u"Charge"_s}),
              kNew + u'|' + kCust + u"|0|1|1500000|200|8000|10000000|10000|10800|6005000"_s);
    for (const auto& [column, want] :
         {std::pair{"BeginTime", may(1, 9)}, {"PlanEndTime", may(3, 18)}, {"EndTime", may(3, 15)}, {"ChargeTime", now}})
        EXPECT_EQ(leasoMoment(QString::fromLatin1(column)), want) << column;
    EXPECT_EQ(RowsText(db(), u"Car"_s, {u"CarID"_s, u"State"_s, u"Odograph"_s}), kOld + u"|A|10000/"_s + kNew + u"|A|10800"_s);
    EXPECT_EQ(RowsText(db(), u"Acct"_s, {u"Type"_s, u"Amount"_s, u"LeasoID"_s, u"Item"_s, u"Category"_s, u"Deleted"_s}),
              u"1|6005000|1|%1租车款|租车款|0"_s.arg(kNew));
    EXPECT_EQ(DaysToDateTime(scalar(u"SELECT AcctTime FROM Acct"_s).toDouble()), now);
    EXPECT_FALSE(db().inTransaction());
}

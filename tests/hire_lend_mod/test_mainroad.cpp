// One hire along the main road with a change of vehicle on the way, through
// the real windows opened from the main window: hired out on the first page,
// moved to another vehicle on the second, returned and settled.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ui_UnitCharge.h"
#include "ui_UnitReturn.h"
#include "ui_UnitSelectScheme.h"
#include "ModFixture.h"
#include "hire/UnitCharge.h"
#include "hire/UnitReturn.h"

namespace {
const QString kOld = u"京A·O'88"_s, kNew = u"京B-99"_s, kCust = u"110101198005051234"_s;
}

class MainRoadChange : public ModFixture {};

TEST_F(MainRoadChange, HireOutChangeVehicleReturnAndSettle)
{
    addCar(kOld, 10000);
    addCar(kNew, 20000);
    addCust(kCust, u"O'Brien 张"_s, u"138 0000 0000"_s);
    addScheme(u"标准日租"_s, 0, 1500000, 200, 8000);

    // Hired out on the old vehicle, then moved to the new one on the second page.
    messages.clear();
    inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
        ASSERT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet2);
        ASSERT_TRUE(frmLend->ADOQry->locate(u"CarID"_s, kOld));
        fill({{u()->EdtCustID, kCust}});
        click(u()->BtnQryCust);
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u()->BtnScheme);
        SetMoment(u()->Dt1Date, u()->Dt1Time, CombineDateTime(QDate(2026, 5, 1), QTime(9, 0)));
        SetMoment(u()->Dt2Date, u()->Dt2Time, CombineDateTime(QDate(2026, 5, 3), QTime(18, 0)));
        fill({{u()->EdtPrepay, u"1000"_s}});
        click(u()->BtnLend);
        EXPECT_EQ(lastMessage(), u"车辆已借出！"_s);

        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        ASSERT_EQ(listedCars(), QStringList({kOld}));
        EXPECT_EQ(u()->EdtModCustName->text(), u"O'Brien 张"_s);
        changeTo(kNew);
        EXPECT_EQ(listedCars(), QStringList({kNew}));
        click(u()->BtnExit2);
    });
    EXPECT_FALSE(frmLend->isVisible());
    const qint64 id = scalar(u"SELECT LeasoID FROM Leaso"_s).toLongLong();
    EXPECT_EQ(carState(kOld) + carState(kNew), u"AB"_s);

    // The return lists the hire on its new vehicle and frees that one.
    messages.clear();
    inWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), 1);
        EXPECT_EQ(frmReturn->ui->EdtCarID->text(), kNew);
        SetMoment(frmReturn->ui->DtDate, frmReturn->ui->DtTime, CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
        clearAndType(frmReturn->ui->EdtOdograph, u"20800"_s);
        click(frmReturn->ui->BtnReturn);
        EXPECT_EQ(frmReturn->ADOQry->recordCount(), 0);
    });
    EXPECT_EQ(lastMessage(), u"确定要归还车辆 “"_s + kNew + u"” 吗？"_s);

    inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 1);
        EXPECT_EQ(frmCharge->ui->EdtCarID->text(), kNew);
        clearAndType(frmCharge->ui->EdtLeaso, u"600"_s);
        click(frmCharge->ui->Button1);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0);
    });

    // The settled hire carries the new vehicle; both vehicles are free; the log holds the pair.
    EXPECT_EQ(leaso(u"CarID||'|'||ChangeCar||'|'||Charge||'|'||Odograph1||'|'||Odograph2"_s, id).toString(),
              kNew + u"|1|6000000|10000|20800"_s);
    EXPECT_FALSE(leaso(u"ChargeTime"_s, id).isNull());
    EXPECT_EQ(carState(kOld) + carState(kNew), u"AA"_s);
    EXPECT_EQ(changeLog(), QStringList({u"%1:%2>%3"_s.arg(id).arg(kOld, kNew)}));
    EXPECT_EQ(scalar(u"SELECT Acct.LeasoID FROM Acct"_s).toLongLong(), id);
    EXPECT_FALSE(db().inTransaction());
}

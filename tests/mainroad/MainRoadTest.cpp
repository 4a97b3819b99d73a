// One hire along the main road, through the real windows opened from the main
// window: a vehicle, a customer and a scheme are added, the vehicle is hired
// out, returned with a reading and settled with an income entry.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "hire/UnitSelectScheme.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitCharge.h"
#include "ui_UnitLend.h"
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include "ui_UnitReturn.h"
#include "ui_UnitSelectScheme.h"
#include <QTest>

namespace {

const QString kCar = QStringLiteral("京A·O'88");
const QString kCust = QStringLiteral("110101198005051234");

class MainRoad : public AppFixture {
protected:
    QVariant leaso(const char* column)
    {
        return scalar(QStringLiteral("Select [%1] from Leaso").arg(QLatin1String(column)));
    }
    static QDateTime moment(const QVariant& v) { return v.isNull() ? QDateTime() : DaysToDateTime(v.toDouble()); }
    static QDateTime localNow() { return CombineDateTime(QDate::currentDate(), QTime::currentTime()); }
};

TEST_F(MainRoad, AddHireReturnAndSettle)
{
    // 1. A vehicle.
    inWindow(frmNewCar, &TfrmMain::BtnNewCarClick, [&] {
        type(frmNewCar->ui->EdtNewCarID, kCar);
        type(frmNewCar->ui->EdtNewCarOdograph, QStringLiteral("9950"));
        click(frmNewCar->ui->BtnSaveExit);
    });
    ASSERT_EQ(scalar(QStringLiteral("Select State from Car where CarID=:c"), {{"c", kCar}}).toString(), "A");

    // 2. A scheme: by the day, 150 a day, 200 km a day, 0.8 a km beyond.
    inWindow(frmPrice, &TfrmMain::ToolButton10Click, [&] {
        whenShown(frmNewPrice, [&] {
            type(frmNewPrice->ui->EdtPriceName, QStringLiteral("标准日租"));
            frmNewPrice->ui->RbDay->setChecked(true);
            clearAndType(frmNewPrice->ui->EdtBasicPrice, QStringLiteral("150"));
            clearAndType(frmNewPrice->ui->EdtLimit, QStringLiteral("200"));
            clearAndType(frmNewPrice->ui->EdtAdditionalPrice, QStringLiteral("0.8"));
            click(frmNewPrice->ui->BitBtn1);
        });
        click(frmPrice->ui->BtnNewPrice);
        click(frmPrice->ui->BtnExit);
    });
    ASSERT_EQ(scalar(QStringLiteral("Select count(*) from PriceList")).toInt(), 1);

    // 3. The hire-out, with the customer made from the desk.
    messages.clear();
    inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
        ASSERT_EQ(frmLend->ADOQry->recordCount(), 1);
        EXPECT_EQ(frmLend->ui->EdtCar->text(), kCar);
        whenShown(frmNewCust, [&] {
            type(frmNewCust->ui->EdtCustID, kCust);
            type(frmNewCust->ui->EdtCustName, QStringLiteral("O'Brien 张"));
            type(frmNewCust->ui->EdtTel, QStringLiteral("138 0000 0000"));
            click(frmNewCust->ui->BitBtn1);
        });
        click(frmLend->ui->BtnNewCust);
        EXPECT_EQ(frmLend->ui->EdtCustID->text(), kCust);
        EXPECT_EQ(frmLend->ui->EdtCustName->text(), QStringLiteral("O'Brien 张"));

        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(frmLend->ui->BtnScheme);
        EXPECT_EQ(frmLend->ui->EdtScheme->text(), QStringLiteral("标准日租"));
        EXPECT_EQ(frmLend->ui->EdtPrice->text(), "150");

        SetMoment(frmLend->ui->Dt1Date, frmLend->ui->Dt1Time, CombineDateTime(QDate(2026, 5, 1), QTime(9, 0)));
        SetMoment(frmLend->ui->Dt2Date, frmLend->ui->Dt2Time, CombineDateTime(QDate(2026, 5, 3), QTime(18, 0)));
        clearAndType(frmLend->ui->EdtOdograph, QStringLiteral("10000"));
        clearAndType(frmLend->ui->EdtPrepay, QStringLiteral("1000"));
        click(frmLend->ui->BtnLend);
        EXPECT_EQ(lastMessage(), QStringLiteral("车辆已借出！"));
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 0);
        click(frmLend->ui->BtnExit1);
    });
    ASSERT_EQ(scalar(QStringLiteral("Select count(*) from Leaso")).toInt(), 1);
    const qint64 id = leaso("LeasoID").toLongLong();
    EXPECT_EQ(scalar(QStringLiteral("Select State from Car")).toString(), "B");
    EXPECT_EQ(scalar(QStringLiteral("Select Odograph from Car")).toInt(), 10000);
    EXPECT_EQ(scalar(QStringLiteral("Select CustName from Customer where CustID=:c"), {{"c", kCust}}).toString(),
              QStringLiteral("O'Brien 张"));

    // 4. The return, 15:00 on 3 May at 10800 km: 3 天, 450 + 160 = 610.
    messages.clear();
    inWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), 1);
        SetMoment(frmReturn->ui->DtDate, frmReturn->ui->DtTime, CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
        clearAndType(frmReturn->ui->EdtOdograph, QStringLiteral("10800"));
        EXPECT_EQ(frmReturn->ui->EdtCalDays->text(), QStringLiteral("3 天"));
        EXPECT_EQ(frmReturn->ui->EdtTimeOwe->text(), "450");
        EXPECT_EQ(frmReturn->ui->EdtAdditionalOwe->text(), "160");
        EXPECT_EQ(frmReturn->ui->EdtOwe->text(), "610");
        frmReturn->ui->Memo1->setPlainText(QStringLiteral("右后门刮痕 'ok'"));
        click(frmReturn->ui->BtnReturn);
        EXPECT_EQ(frmReturn->ADOQry->recordCount(), 0);
        click(frmReturn->ui->BtnExit1);
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("确定要归还车辆 “") + kCar + QStringLiteral("” 吗？"));
    EXPECT_EQ(moment(leaso("EndTime")), CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
    EXPECT_EQ(leaso("Odograph2").toInt(), 10800);
    EXPECT_EQ(leaso("Memo").toString(), QStringLiteral("右后门刮痕 'ok'"));
    EXPECT_TRUE(leaso("ChargeTime").isNull());
    EXPECT_EQ(scalar(QStringLiteral("Select State from Car")).toString(), "A");
    EXPECT_EQ(scalar(QStringLiteral("Select Odograph from Car")).toInt(), 10800);

    // 5. The settlement with its income entry.
    messages.clear();
    inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 1);
        EXPECT_EQ(frmCharge->ui->EdtCarID->text(), kCar);
        EXPECT_EQ(frmCharge->ui->EdtOdograph->text(), "10800");
        EXPECT_EQ(frmCharge->ui->EdtOwe->text(), "610");
        EXPECT_TRUE(frmCharge->ui->ChkSynchro->isChecked());
        clearAndType(frmCharge->ui->EdtLeaso, QStringLiteral("600.5"));
        click(frmCharge->ui->Button1);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0);
        click(frmCharge->ui->BtnExit2);
    });
    EXPECT_EQ(lastMessage(), QStringLiteral("结算信息已保存！"));

    // Every row the road touched.
    EXPECT_EQ(leaso("CarID").toString(), kCar);
    EXPECT_EQ(leaso("CustID").toString(), kCust);
    EXPECT_EQ(leaso("LeasoType").toInt(), 0);
    EXPECT_EQ(moment(leaso("BeginTime")), CombineDateTime(QDate(2026, 5, 1), QTime(9, 0)));
    EXPECT_EQ(moment(leaso("PlanEndTime")), CombineDateTime(QDate(2026, 5, 3), QTime(18, 0)));
    EXPECT_EQ(moment(leaso("EndTime")), CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
    EXPECT_EQ(leaso("BasicPrice").toLongLong(), Currency::fromYuan(150).raw());
    EXPECT_EQ(leaso("Limit").toInt(), 200);
    EXPECT_EQ(leaso("AdditionalPrice").toLongLong(), 8000);
    EXPECT_EQ(leaso("Prepay").toLongLong(), Currency::fromYuan(1000).raw());
    EXPECT_EQ(leaso("Odograph1").toInt(), 10000);
    EXPECT_EQ(leaso("Odograph2").toInt(), 10800);
    EXPECT_EQ(leaso("Charge").toLongLong(), 6005000);
    EXPECT_LE(std::abs(moment(leaso("ChargeTime")).secsTo(localNow())), 5);
    EXPECT_LE(std::abs(moment(leaso("CreateTime")).secsTo(localNow())), 60);
    EXPECT_EQ(scalar(QStringLiteral("Select State from Car")).toString(), "A");
    EXPECT_EQ(scalar(QStringLiteral("Select Odograph from Car")).toInt(), 10800);

    ASSERT_EQ(scalar(QStringLiteral("Select count(*) from Acct")).toInt(), 1);
    auto acct = [&](const char* c) { return scalar(QStringLiteral("Select [%1] from Acct").arg(QLatin1String(c))); };
    EXPECT_EQ(acct("Type").toInt(), 1);
    EXPECT_EQ(acct("Amount").toLongLong(), 6005000);
    EXPECT_EQ(acct("LeasoID").toLongLong(), id);
    EXPECT_EQ(acct("Item").toString(), kCar + QStringLiteral("租车款"));
    EXPECT_EQ(acct("Category").toString(), QStringLiteral("租车款"));
    EXPECT_EQ(acct("Deleted").toInt(), 0);
    EXPECT_LE(std::abs(moment(acct("AcctTime")).secsTo(localNow())), 5);
    EXPECT_FALSE(db().inTransaction());
}

} // namespace

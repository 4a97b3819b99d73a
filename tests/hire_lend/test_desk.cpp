// The hire-out desk: a hire end to end, the checks before it, the one
// transaction, the prepayment in cents, and the keys the desk takes.
#include "ui_UnitLend.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitPrint.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"

namespace {
const QString kO = QStringLiteral("110101198001011234");
}

TEST_F(LendFixture, HireFromLookedUpCustomerAndPickedSchemeWritesRowAndHiresVehicleOut)
{
    addCar(QStringLiteral("京A12345"), 5000);
    addCar(QStringLiteral("京B'7788"), 12000, QStringLiteral("5000元 -- 现金"));
    addCust(kO, QStringLiteral("O'Brien"), QStringLiteral("138-0000 'x'"), QStringLiteral("6222 0000 1111"));
    addScheme(QStringLiteral("标准日租"), 0, 1500000, 200, 10000);
    addScheme(QStringLiteral("周末'特惠 100%"), 2, 355000, 20, 8000);

    withDesk([&] {
        EXPECT_EQ(frmLend->windowTitle(), QStringLiteral("Quorvane - 车辆出租"));
        ASSERT_EQ(frmLend->ADOQry->recordCount(), 2);
        selectCar(QStringLiteral("京B'7788"));
        EXPECT_EQ(u()->EdtCar->text(), QStringLiteral("京B'7788"));
        EXPECT_EQ(u()->EdtPledge->text(), QStringLiteral("5000元 -- 现金"));
        EXPECT_EQ(u()->EdtOdograph->text(), QStringLiteral("12000"));

        // The customer by name alone, exactly.
        type(u()->EdtCustName, QStringLiteral("O'Brien"));
        forbidShown(frmSelCust);
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), kO);
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("138-0000 'x'"));
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222 0000 1111"));
        EXPECT_FALSE(frmLend->ADOQry2->active());

        // The scheme through the picker, found by a name with a quote and a percent sign.
        whenShown(frmSelectScheme, [&] {
            EXPECT_EQ(frmSelectScheme->windowTitle(), QStringLiteral("选择租凭方案"));
            type(frmSelectScheme->ui->EdtName, QStringLiteral("'特惠 100%"));
            EXPECT_EQ(frmSelectScheme->ADOTable1->recordCount(), 1);
            click(frmSelectScheme->ui->BtnOK);
        });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("周末'特惠 100%"));
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("35.5"));
        EXPECT_EQ(u()->EdtLimit->text(), QStringLiteral("20"));
        EXPECT_EQ(u()->EdtAdditionalPrice->text(), QStringLiteral("0.8"));
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("按小时"));
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("小时租金(元)："));
        EXPECT_EQ(u()->lblLimit->text(), QStringLiteral("小时限程："));

        SetMoment(u()->Dt1Date, u()->Dt1Time, CombineDateTime(QDate(2026, 3, 10), QTime(10, 0, 5)));
        SetMoment(u()->Dt2Date, u()->Dt2Time, CombineDateTime(QDate(2026, 3, 11), QTime(18, 30)));
        // Lower than the vehicle's mileage: the reading is taken as given.
        clearAndType(u()->EdtOdograph, QStringLiteral("11990"));
        type(u()->EdtPrepay, QStringLiteral("500.125"));
        type(u()->EdtMemo, QStringLiteral("押金 100% -- 'ok'; _x"));
        now = CombineDateTime(QDate(2026, 3, 10), QTime(10, 1, 2));
        click(u()->BtnLend);

        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("车辆已借出！"));
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);

        // The vehicle has left the list; the page is ready for the next hire.
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 1);
        EXPECT_FALSE(frmLend->ADOQry->locate(QStringLiteral("CarID"), QStringLiteral("京B'7788")));
        EXPECT_EQ(u()->EdtCar->text(), QStringLiteral("京A12345"));
        EXPECT_EQ(u()->EdtOdograph->text(), QStringLiteral("5000"));
        EXPECT_TRUE(u()->EdtCustID->text().isEmpty());
        EXPECT_TRUE(u()->EdtCustName->text().isEmpty());
        EXPECT_TRUE(u()->EdtTel->text().isEmpty());
        EXPECT_TRUE(u()->EdtMemo->text().isEmpty());
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222 0000 1111"));
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("周末'特惠 100%"));
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("35.5"));
        EXPECT_EQ(u()->EdtPrepay->text(), QStringLiteral("500.125"));
    });

    ASSERT_EQ(hires(), 1);
    EXPECT_EQ(leaso("LeasoID").toLongLong(), 1);
    EXPECT_EQ(leaso("CarID").toString(), QStringLiteral("京B'7788"));
    EXPECT_EQ(leaso("CustID").toString(), kO);
    EXPECT_EQ(leaso("LeasoType").toInt(), 2);
    EXPECT_EQ(moment(leaso("BeginTime")), CombineDateTime(QDate(2026, 3, 10), QTime(10, 0, 5)));
    EXPECT_EQ(moment(leaso("PlanEndTime")), CombineDateTime(QDate(2026, 3, 11), QTime(18, 30)));
    EXPECT_TRUE(leaso("EndTime").isNull());
    EXPECT_EQ(leaso("BasicPrice").toLongLong(), 355000);
    EXPECT_EQ(leaso("[Limit]").toInt(), 20);
    EXPECT_EQ(leaso("AdditionalPrice").toLongLong(), 8000);
    EXPECT_EQ(leaso("Prepay").toLongLong(), 5001300);
    EXPECT_EQ(leaso("Odograph1").toInt(), 11990);
    EXPECT_TRUE(leaso("Odograph2").isNull());
    EXPECT_EQ(leaso("Memo").toString(), QStringLiteral("押金 100% -- 'ok'; _x"));
    EXPECT_EQ(moment(leaso("CreateTime")), CombineDateTime(QDate(2026, 3, 10), QTime(10, 1, 2)));
    EXPECT_EQ(leaso("ChangeCar").toInt(), 0);
    EXPECT_TRUE(leaso("Charge").isNull());
    EXPECT_TRUE(leaso("ChargeTime").isNull());

    EXPECT_EQ(carState(QStringLiteral("京B'7788")), QStringLiteral("B"));
    EXPECT_EQ(carOdograph(QStringLiteral("京B'7788")), 11990);
    EXPECT_EQ(carState(QStringLiteral("京A12345")), QStringLiteral("A"));
    EXPECT_EQ(carOdograph(QStringLiteral("京A12345")), 5000);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, ChecksRefuseInOrderWithTheirNoticesAndWriteNothing)
{
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    exec(QStringLiteral("INSERT INTO Car (CarID, State, Odograph) VALUES ('X1', 'B', 100)"));

    auto expectRefused = [&](const QString& text) {
        messages.clear();
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u) << text.toStdString();
        EXPECT_EQ(messages[0].text, text);
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(hires(), 0);
        EXPECT_FALSE(db().inTransaction());
    };

    // No free vehicle comes first, whatever else is missing.
    withDesk([&] {
        EXPECT_TRUE(u()->EdtCar->text().isEmpty());
        expectRefused(QStringLiteral("当前没有空闲可租车辆！"));
    });

    addCar(QStringLiteral("京A1"), 8000);
    withDesk([&] {
        clearAndType(u()->EdtPrice, QString());
        clearAndType(u()->EdtLimit, QString());
        expectRefused(QStringLiteral("请录入客户信息！"));
        type(u()->EdtCustID, QStringLiteral("C1"));
        expectRefused(QStringLiteral("请录入客户信息！"));
        u()->EdtCustID->clear();
        type(u()->EdtCustName, QStringLiteral("张三"));
        expectRefused(QStringLiteral("请录入客户信息！"));
        type(u()->EdtCustID, QStringLiteral("C1"));
        expectRefused(QStringLiteral("请输入每日、月或小时租金信息！"));
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtPrice);
        type(u()->EdtPrice, QStringLiteral("150"));
        expectRefused(QStringLiteral("请输入每出租单位时间（日、月）内限里程数！"));
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtLimit);
        type(u()->EdtLimit, QStringLiteral("200"));

        // The planned return must come after the begin: equal is refused, earlier too.
        const QDateTime begin = CombineDateTime(QDate(2026, 3, 10), QTime(10, 0));
        SetMoment(u()->Dt1Date, u()->Dt1Time, begin);
        SetMoment(u()->Dt2Date, u()->Dt2Time, begin);
        expectRefused(QStringLiteral("计划还车时间不应前于借车时间！"));
        SetMoment(u()->Dt2Date, u()->Dt2Time, begin.addSecs(-60));
        expectRefused(QStringLiteral("计划还车时间不应前于借车时间！"));

        // A name does not stand in for a document number missing from the register.
        SetMoment(u()->Dt2Date, u()->Dt2Time, begin.addSecs(60));
        clearAndType(u()->EdtCustID, QStringLiteral("C1 "));
        expectRefused(QStringLiteral("客户信息错误：没有找到该证件号的客户！"));
        EXPECT_FALSE(frmLend->ADOQry2->active());
        // Nothing was cleared by a refusal.
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("张三"));

        // A lone decimal point in the price beyond the allowance: the error box, nothing written.
        clearAndType(u()->EdtCustID, QStringLiteral("C1"));
        type(u()->EdtAdditionalPrice, QStringLiteral("."));
        messages.clear();
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
        EXPECT_EQ(hires(), 0);
        EXPECT_EQ(carState(QStringLiteral("京A1")), QStringLiteral("A"));

        // One minute is enough.
        u()->EdtAdditionalPrice->clear();
        messages.clear();
        click(u()->BtnLend);
        EXPECT_EQ(lastMessage(), QStringLiteral("车辆已借出！"));
    });
    EXPECT_EQ(hires(), 1);
    EXPECT_EQ(leaso("AdditionalPrice").toLongLong(), 0);
    EXPECT_TRUE(leaso("Prepay").isNull());
    EXPECT_EQ(moment(leaso("PlanEndTime")), CombineDateTime(QDate(2026, 3, 10), QTime(10, 1)));
}

TEST_F(LendFixture, EmptyOdometerReadingRollsBackAndLeavesVehicleFree)
{
    addCar(QStringLiteral("京A1"), 8000);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    withDesk([&] {
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        type(u()->EdtMemo, QStringLiteral("备注"));
        u()->EdtOdograph->clear();
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("“”不是有效的整数"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::None);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        // The page is made ready again, the vehicle still listed.
        EXPECT_TRUE(u()->EdtCustID->text().isEmpty());
        EXPECT_TRUE(u()->EdtMemo->text().isEmpty());
        EXPECT_EQ(u()->EdtCar->text(), QStringLiteral("京A1"));
        EXPECT_EQ(u()->EdtOdograph->text(), QStringLiteral("8000"));
    });
    EXPECT_EQ(hires(), 0);
    EXPECT_EQ(carState(QStringLiteral("京A1")), QStringLiteral("A"));
    EXPECT_EQ(carOdograph(QStringLiteral("京A1")), 8000);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, FailureAfterTheRowIsWrittenRollsBackTheRow)
{
    addCar(QStringLiteral("京A1"), 8000);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    exec(QStringLiteral("CREATE TRIGGER car_locked BEFORE UPDATE ON Car BEGIN SELECT RAISE(ABORT, '车辆记录被锁定'); END"));
    withDesk([&] {
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("车辆记录被锁定"))) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, Dlg::Icon::None);
    });
    EXPECT_EQ(hires(), 0);
    EXPECT_EQ(carState(QStringLiteral("京A1")), QStringLiteral("A"));
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, PrepaymentIsRoundedToCentsHalfUp)
{
    const QList<QPair<QString, QVariant>> cases = {
        {QStringLiteral("0.125"), 1300}, {QStringLiteral("2.004"), 20000}, {QStringLiteral("15"), 150000},
        {QStringLiteral("0.12499"), 1200}, {QStringLiteral("1.005"), 10100}, {QStringLiteral(".5"), 5000},
        {QString(), QVariant()},
    };
    for (int i = 0; i < cases.size(); ++i) addCar(QStringLiteral("车%1").arg(i), 100);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    withDesk([&] {
        for (const auto& c : cases) {
            fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
            clearAndType(u()->EdtPrepay, c.first);
            messages.clear();
            click(u()->BtnLend);
            EXPECT_EQ(lastMessage(), QStringLiteral("车辆已借出！")) << c.first.toStdString();
        }
    });
    ASSERT_EQ(hires(), cases.size());
    for (int i = 0; i < cases.size(); ++i) {
        const QVariant stored = leaso("Prepay", i + 1);
        if (cases[i].second.isNull()) EXPECT_TRUE(stored.isNull());
        else EXPECT_EQ(stored.toLongLong(), cases[i].second.toLongLong()) << cases[i].first.toStdString();
    }
}

TEST_F(LendFixture, KeyFiltersEscapeAndEnter)
{
    addCar(QStringLiteral("京A1"), 8000);
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    withDesk([&] {
        clearAndType(u()->EdtPrice, QStringLiteral("1.2.3a-"));
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("1.23"));
        clearAndType(u()->EdtPrepay, QStringLiteral(".5.x"));
        EXPECT_EQ(u()->EdtPrepay->text(), QStringLiteral(".5"));
        clearAndType(u()->EdtAdditionalPrice, QStringLiteral("0..8"));
        EXPECT_EQ(u()->EdtAdditionalPrice->text(), QStringLiteral("0.8"));
        clearAndType(u()->EdtOdograph, QStringLiteral("12a.3-4"));
        EXPECT_EQ(u()->EdtOdograph->text(), QStringLiteral("1234"));
        clearAndType(u()->EdtLimit, QStringLiteral("2 00"));
        EXPECT_EQ(u()->EdtLimit->text(), QStringLiteral("200"));
        QTest::keyClick(u()->EdtLimit, Qt::Key_Backspace);
        EXPECT_EQ(u()->EdtLimit->text(), QStringLiteral("20"));

        // A complete hire stands ready: Enter makes none, from an edit or from
        // the hire buttons themselves; Esc closes nothing.
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        for (QWidget* w : std::initializer_list<QWidget*>{u()->EdtMemo, u()->EdtPrepay, u()->EdtCustID, u()->EdtOdograph,
                                                         u()->BtnLend, u()->BtnLendPrint, u()->DBGrid1, u()->Dt2Time}) {
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Return);
            QTest::keyClick(w, Qt::Key_Enter);
            QTest::keyClick(w, Qt::Key_Escape);
        }
        QTest::keyClick(frmLend, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_TRUE(frmLend->isVisible());
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(hires(), 0);

        // 退出 closes it.
        click(u()->BtnExit1);
        EXPECT_FALSE(frmLend->isVisible());
    });
}

TEST_F(LendFixture, ReopeningResetsTimesAndCustomerButKeepsPricesAndPage)
{
    addCar(QStringLiteral("京A1"), 8000);
    addScheme(QStringLiteral("月租"), 1, 30000000, 3000, 5000);
    withDesk([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet2);
        EXPECT_EQ(u()->PageControl1->tabText(0), QStringLiteral("车 辆 出 租"));
        EXPECT_EQ(u()->PageControl1->tabText(1), QStringLiteral("出租信息修改"));
        EXPECT_EQ(MomentOf(u()->Dt1Date, u()->Dt1Time), now);
        EXPECT_EQ(MomentOf(u()->Dt2Date, u()->Dt2Time), now.addDays(1));
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("每日租金(元)："));
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("包月"));
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("每月租金(元)："));
        EXPECT_EQ(u()->lblLimit->text(), QStringLiteral("每月限程："));
        // Choosing the unit by hand relabels too.
        u()->CmbType->setFocus();
        QTest::keyClick(u()->CmbType, Qt::Key_Down);
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("小时租金(元)："));
        QTest::keyClick(u()->CmbType, Qt::Key_Up);
        QTest::keyClick(u()->CmbType, Qt::Key_Up);
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("每天租金(元)："));
        EXPECT_EQ(u()->lblLimit->text(), QStringLiteral("每天限程："));
        QTest::keyClick(u()->CmbType, Qt::Key_Down);
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("包月"));
        type(u()->EdtCustID, QStringLiteral("C1"));
        type(u()->EdtCustName, QStringLiteral("张三"));
        type(u()->EdtBankCard, QStringLiteral("6222"));
        type(u()->EdtPrepay, QStringLiteral("800"));
        type(u()->EdtMemo, QStringLiteral("备注"));
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
    });
    now = CombineDateTime(QDate(2026, 12, 31), QTime(23, 15, 0));
    exec(QStringLiteral("UPDATE Car SET Pledge='2000元' WHERE CarID='京A1'"));
    withDesk([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet1);
        EXPECT_TRUE(u()->EdtCustID->text().isEmpty());
        EXPECT_TRUE(u()->EdtCustName->text().isEmpty());
        EXPECT_TRUE(u()->EdtMemo->text().isEmpty());
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222"));
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("月租"));
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("3000"));
        EXPECT_EQ(u()->EdtPrepay->text(), QStringLiteral("800"));
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("包月"));
        EXPECT_EQ(MomentOf(u()->Dt2Date, u()->Dt2Time), CombineDateTime(QDate(2027, 1, 1), QTime(23, 15, 0)));
        // The list is read again on every opening and on switching back to the page.
        EXPECT_EQ(u()->EdtPledge->text(), QStringLiteral("2000元"));
        exec(QStringLiteral("UPDATE Car SET Pledge='1000元' WHERE CarID='京A1'"));
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        EXPECT_EQ(u()->EdtPledge->text(), QStringLiteral("1000元"));
    });
}

TEST_F(LendFixture, HiringTheLastFreeVehicleEmptiesTheSelection)
{
    addCar(QStringLiteral("京A1"), 8000, QStringLiteral("3000元"));
    addCust(QStringLiteral("C1"), QStringLiteral("张三"));
    withDesk([&] {
        EXPECT_EQ(u()->EdtPledge->text(), QStringLiteral("3000元"));
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        click(u()->BtnLend);
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 0);
        EXPECT_TRUE(u()->EdtCar->text().isEmpty());
        EXPECT_TRUE(u()->EdtPledge->text().isEmpty());
        EXPECT_TRUE(u()->EdtOdograph->text().isEmpty());
        // The next attempt is stopped by the first check, before the customer's.
        fillHire(QStringLiteral("C1"), QStringLiteral("张三"));
        click(u()->BtnLend);
    });
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("车辆已借出！"), QStringLiteral("当前没有空闲可租车辆！")}));
    EXPECT_EQ(hires(), 1);
}

// The hire-out desk: a hire end to end, the checks before it, the one
// transaction, the prepayment in cents, and the keys the desk takes.
#include "ui_UnitLend.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"

TEST_F(LendFixture, HireFromLookedUpCustomerAndPickedSchemeWritesRowAndHiresVehicleOut)
{
    const QString kO = u"110101198001011234"_s, kCar = u"京B'7788"_s, kMemo = u"押金 100% -- 'ok'; _x"_s;
    addCar(u"京A12345"_s, 5000);
    addCar(kCar, 12000, u"5000元 -- 现金"_s);
    addCust(kO, u"O'Brien"_s, u"138-0000 'x'"_s, u"6222 0000 1111"_s);
    addScheme(u"标准日租"_s, 0, 1500000, 200, 10000);
    addScheme(u"周末'特惠 100%"_s, 2, 355000, 20, 8000);

    withDesk([&] {
        ASSERT_TRUE(frmLend->ADOQry->locate(u"CarID"_s, kCar));
        expectTexts({{u()->EdtPledge, u"5000元 -- 现金"_s}, {u()->EdtOdograph, u"12000"_s}});

        // The customer by name alone, found exactly: no picker.
        type(u()->EdtCustName, u"O'Brien"_s);
        forbidShown(frmSelCust);
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, kO}, {u()->EdtTel, u"138-0000 'x'"_s}, {u()->EdtBankCard, u"6222 0000 1111"_s}});

        // The scheme through the picker, found by a name with a quote and a percent sign.
        whenShown(frmSelectScheme, [&] {
            EXPECT_EQ(frmSelectScheme->windowTitle(), u"选择租凭方案"_s);
            type(frmSelectScheme->ui->EdtName, u"'特惠 100%"_s);
            click(frmSelectScheme->ui->BtnOK);
        });
        click(u()->BtnScheme);
        expectTexts({{u()->EdtScheme, u"周末'特惠 100%"_s}, {u()->EdtPrice, u"35.5"_s}, {u()->EdtLimit, u"20"_s},
                     {u()->EdtAdditionalPrice, u"0.8"_s}});
        EXPECT_EQ(u()->CmbType->currentText(), u"按小时"_s);
        EXPECT_EQ(u()->lblPrice->text(), u"小时租金(元)："_s);
        EXPECT_EQ(u()->lblLimit->text(), u"小时限程："_s);

        SetMoment(u()->Dt1Date, u()->Dt1Time, at(10, 10, 0, 5));
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(11, 18, 30));
        // Lower than the vehicle's mileage: taken as given.
        fill({{u()->EdtOdograph, u"11990"_s}, {u()->EdtPrepay, u"500.125"_s}, {u()->EdtMemo, kMemo}});
        now = at(10, 10, 1, 2);
        click(u()->BtnLend);
        expectBox(u"车辆已借出！"_s);

        // The vehicle has left the list; customer and remark are cleared, the rest kept.
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 1);
        expectTexts({{u()->EdtCar, u"京A12345"_s}, {u()->EdtOdograph, u"5000"_s}, {u()->EdtCustID, {}}, {u()->EdtCustName, {}},
                     {u()->EdtTel, {}}, {u()->EdtMemo, {}}, {u()->EdtBankCard, u"6222 0000 1111"_s},
                     {u()->EdtScheme, u"周末'特惠 100%"_s}, {u()->EdtPrepay, u"500.125"_s}});
    });

    ASSERT_EQ(hires(), 1);
    const QList<QPair<QString, QVariant>> row = {
        {u"LeasoID"_s, 1}, {u"CarID"_s, kCar}, {u"CustID"_s, kO}, {u"LeasoType"_s, 2}, {u"BasicPrice"_s, 355000},
        {u"[Limit]"_s, 20}, {u"AdditionalPrice"_s, 8000}, {u"Prepay"_s, 5001300}, {u"Odograph1"_s, 11990},
        {u"Memo"_s, kMemo}, {u"ChangeCar"_s, 0}, {u"EndTime"_s, {}}, {u"Odograph2"_s, {}}, {u"Charge"_s, {}},
        {u"ChargeTime"_s, {}}};
    for (const auto& [column, want] : row) {
        const QVariant got = leaso(column);
        if (want.isNull()) EXPECT_TRUE(got.isNull()) << column.toStdString();
        else EXPECT_EQ(got.toString(), want.toString()) << column.toStdString();
    }
    EXPECT_EQ(leasoMoment(u"BeginTime"_s), at(10, 10, 0, 5));
    EXPECT_EQ(leasoMoment(u"PlanEndTime"_s), at(11, 18, 30));
    EXPECT_EQ(leasoMoment(u"CreateTime"_s), at(10, 10, 1, 2));
    EXPECT_EQ(carState(kCar), u"B"_s);
    EXPECT_EQ(scalar(u"SELECT Odograph FROM Car WHERE CarID=:id"_s, {{"id", kCar}}).toInt(), 11990);
    EXPECT_EQ(carState(u"京A12345"_s), u"A"_s);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, ChecksRefuseInOrderWithTheirNoticesAndWriteNothing)
{
    addCust(u"C1"_s, u"张三"_s);
    addCar(u"京A1"_s, 8000);
    auto refused = [&](const QString& text, Dlg::Icon icon = Dlg::Icon::Information) {
        const int before = hires();
        messages.clear();
        click(u()->BtnLend);
        expectBox(text, icon);
        EXPECT_EQ(hires(), before);
        EXPECT_FALSE(db().inTransaction());
    };
    withDesk([&] {
        const QString kCust = u"请录入客户信息！"_s, kPlan = u"计划还车时间不应前于借车时间！"_s;
        fill({{u()->EdtPrice, {}}, {u()->EdtLimit, {}}});
        refused(kCust);
        fill({{u()->EdtCustID, u"C1"_s}});
        refused(kCust);
        fill({{u()->EdtCustID, {}}, {u()->EdtCustName, u"张三"_s}});
        refused(kCust);
        fill({{u()->EdtCustID, u"C1"_s}});
        refused(u"请输入每日、月或小时租金信息！"_s);
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtPrice);
        fill({{u()->EdtPrice, u"150"_s}});
        refused(u"请输入每出租单位时间（日、月）内限里程数！"_s);
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtLimit);
        fill({{u()->EdtLimit, u"200"_s}});

        // The planned return must come after the begin: equal is refused, earlier too.
        SetMoment(u()->Dt1Date, u()->Dt1Time, at(10, 10));
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(10, 10));
        refused(kPlan);
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(10, 9, 59));
        refused(kPlan);

        // The number is matched as typed; a name does not stand in for it. Nothing is cleared.
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(10, 10, 1));
        fill({{u()->EdtCustID, u"C1 "_s}});
        refused(u"客户信息错误：没有找到该证件号的客户！"_s);
        EXPECT_EQ(u()->EdtCustName->text(), u"张三"_s);

        // A lone decimal point as price per kilometre: the error box, nothing written.
        fill({{u()->EdtCustID, u"C1"_s}, {u()->EdtAdditionalPrice, u"."_s}});
        refused(u"“.”不是有效的金额"_s, Dlg::Icon::Error);
        EXPECT_EQ(carState(u"京A1"_s), u"A"_s);

        // One minute is enough; hiring the last free vehicle empties the selection,
        // and no free vehicle is then reported first, whatever else is missing.
        u()->EdtAdditionalPrice->clear();
        messages.clear();
        click(u()->BtnLend);
        EXPECT_EQ(lastMessage(), u"车辆已借出！"_s);
        expectTexts({{u()->EdtCar, {}}, {u()->EdtPledge, {}}, {u()->EdtOdograph, {}}});
        refused(u"当前没有空闲可租车辆！"_s);
    });
    EXPECT_EQ(hires(), 1);
    EXPECT_EQ(leaso(u"AdditionalPrice"_s).toLongLong(), 0);
    EXPECT_TRUE(leaso(u"Prepay"_s).isNull());
    EXPECT_EQ(leasoMoment(u"PlanEndTime"_s), at(10, 10, 1));
}

TEST_F(LendFixture, FailureInsideTheHireRollsBackAndReadiesThePage)
{
    addCar(u"京A1"_s, 8000);
    addCust(u"C1"_s, u"张三"_s);
    withDesk([&] {
        // An empty odometer reading fails once the transaction has begun.
        fillHire(u"C1"_s, u"张三"_s);
        fill({{u()->EdtMemo, u"备注"_s}, {u()->EdtOdograph, {}}});
        click(u()->BtnLend);
        expectBox(u"“”不是有效的整数"_s, Dlg::Icon::None);
        expectTexts({{u()->EdtCustID, {}}, {u()->EdtMemo, {}}, {u()->EdtCar, u"京A1"_s}, {u()->EdtOdograph, u"8000"_s}});

        // The vehicle update fails after the row was written: the row goes too.
        exec(u"CREATE TRIGGER car_locked BEFORE UPDATE ON Car BEGIN SELECT RAISE(ABORT, '车辆记录被锁定'); END"_s);
        messages.clear();
        fillHire(u"C1"_s, u"张三"_s);
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.contains(u"车辆记录被锁定"_s)) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, Dlg::Icon::None);
    });
    EXPECT_EQ(hires(), 0);
    EXPECT_EQ(carState(u"京A1"_s), u"A"_s);
    EXPECT_EQ(scalar(u"SELECT Odograph FROM Car"_s).toInt(), 8000);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, PrepaymentIsRoundedToCentsHalfUp)
{
    const QList<QPair<QString, QVariant>> cases = {
        {u"0.125"_s, 1300}, {u"2.004"_s, 20000}, {u"15"_s, 150000}, {u"0.12499"_s, 1200},
        {u"1.005"_s, 10100}, {u".5"_s, 5000}, {QString(), QVariant()}};
    for (int i = 0; i < cases.size(); ++i) addCar(u"车%1"_s.arg(i), 100);
    addCust(u"C1"_s, u"张三"_s);
    withDesk([&] {
        for (const auto& c : cases) {
            fillHire(u"C1"_s, u"张三"_s);
            fill({{u()->EdtPrepay, c.first}});
            click(u()->BtnLend);
        }
    });
    ASSERT_EQ(hires(), cases.size());
    for (int i = 0; i < cases.size(); ++i)
        EXPECT_EQ(leaso(u"Prepay"_s, i + 1), cases[i].second) << cases[i].first.toStdString();
}

TEST_F(LendFixture, KeyFiltersAndNeitherEnterNorEscapeActs)
{
    addCar(u"京A1"_s, 8000);
    addCust(u"C1"_s, u"张三"_s);
    withDesk([&] {
        fill({{u()->EdtPrice, u"1.2.3a-"_s}, {u()->EdtPrepay, u".5.x"_s}, {u()->EdtAdditionalPrice, u"0..8"_s},
              {u()->EdtOdograph, u"12a.3-4"_s}, {u()->EdtLimit, u"2 00"_s}});
        QTest::keyClick(u()->EdtLimit, Qt::Key_Backspace);
        expectTexts({{u()->EdtPrice, u"1.23"_s}, {u()->EdtPrepay, u".5"_s}, {u()->EdtAdditionalPrice, u"0.8"_s},
                     {u()->EdtOdograph, u"1234"_s}, {u()->EdtLimit, u"20"_s}});

        // A complete hire stands ready: Enter makes none, from an edit or from
        // the hire buttons themselves; Esc closes nothing.
        fillHire(u"C1"_s, u"张三"_s);
        for (QWidget* w : std::initializer_list<QWidget*>{u()->EdtMemo, u()->EdtPrepay, u()->EdtCustID, u()->BtnLend,
                                                         u()->BtnLendPrint, u()->DBGrid1, u()->Dt2Time}) {
            w->setFocus();
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(w, Qt::Key(key));
        }
        QApplication::processEvents();
        EXPECT_TRUE(frmLend->isVisible());
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(hires(), 0);
        click(u()->BtnExit1);
        EXPECT_FALSE(frmLend->isVisible());
    });
}

TEST_F(LendFixture, ReopeningResetsTimesAndCustomerButKeepsPricesAndPage)
{
    addCar(u"京A1"_s, 8000);
    addScheme(u"月租"_s, 1, 30000000, 3000, 5000);
    withDesk([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet2);
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->CmbType->currentText(), u"包月"_s);
        EXPECT_EQ(u()->lblPrice->text(), u"每月租金(元)："_s);
        EXPECT_EQ(u()->lblLimit->text(), u"每月限程："_s);
        // Choosing the unit by hand relabels too.
        u()->CmbType->setFocus();
        QTest::keyClick(u()->CmbType, Qt::Key_Up);
        EXPECT_EQ(u()->lblPrice->text(), u"每天租金(元)："_s);
        EXPECT_EQ(u()->lblLimit->text(), u"每天限程："_s);
        fill({{u()->EdtCustID, u"C1"_s}, {u()->EdtCustName, u"张三"_s}, {u()->EdtBankCard, u"6222"_s},
              {u()->EdtPrepay, u"800"_s}, {u()->EdtMemo, u"备注"_s}});
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
    });
    now = CombineDateTime(QDate(2026, 12, 31), QTime(23, 15, 0));
    exec(u"UPDATE Car SET Pledge='2000元'"_s);
    withDesk([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet1);
        expectTexts({{u()->EdtCustID, {}}, {u()->EdtCustName, {}}, {u()->EdtMemo, {}}, {u()->EdtBankCard, u"6222"_s},
                     {u()->EdtScheme, u"月租"_s}, {u()->EdtPrice, u"3000"_s}, {u()->EdtPrepay, u"800"_s}});
        EXPECT_EQ(u()->CmbType->currentText(), u"按天"_s);
        EXPECT_EQ(MomentOf(u()->Dt1Date, u()->Dt1Time), now);
        EXPECT_EQ(MomentOf(u()->Dt2Date, u()->Dt2Time), CombineDateTime(QDate(2027, 1, 1), QTime(23, 15, 0)));
        // The list is read again on every opening and on switching back to the page.
        EXPECT_EQ(u()->EdtPledge->text(), u"2000元"_s);
        exec(u"UPDATE Car SET Pledge='1000元'"_s);
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        EXPECT_EQ(u()->EdtPledge->text(), u"1000元"_s);
    });
}

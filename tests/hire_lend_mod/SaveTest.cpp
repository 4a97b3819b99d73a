// The open-hire page: what it lists, the checks and writes of a correction, and
// the change of vehicle with its four writes in one transaction.
#include "hire_lend/LendFixture.h"

using ModFixture = LendFixture;
namespace { const QString kSaved = u"修改已保存！"_s, kX = u"京X'1"_s, kY = u"京Y2"_s, kZ = u"京Z3"_s; }

TEST_F(ModFixture, ListsOpenHiresChecksAndSavesWhatWasTypedAndRefusesAReturnedHire)
{
    withModPage([&] {
        click(u()->BtnSaveMod);
        expectBox(u"没有可修改的租借信息！"_s);
    });
    addCar(u"京A1"_s, 12000, u"B"_s);
    addCar(u"京A2"_s, 3000, u"B"_s);
    addCust(u"C1"_s, u"O'Brien 张"_s, u"138"_s, u"6222 1111"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", addOpenHire(u"京C3"_s, u"C1"_s)}});
    const qint64 h2 = addOpenHire(u"京A2"_s, u"C1"_s);
    const QString created = leaso(u"CreateTime"_s, h2).toString();
    QString before = snapshot();   // what a refused save leaves
    const QString memo = u"O'Brien 说: \"右后门\" -- 100%; _x"_s;
    auto save = [&](const QString& text, QWidget* focus = nullptr, Dlg::Icon icon = Dlg::Icon::Information) {
        SCOPED_TRACE(text.toStdString());
        clickFor(u()->BtnSaveMod, text, icon);
        if (focus) EXPECT_EQ(frmLend->focusWidget(), focus);
        if (text != kSaved) EXPECT_EQ(snapshot(), before);
    };

    withModPage([&] {
        EXPECT_EQ(listedCars(), QStringList({u"京A1"_s, u"京A2"_s}));
        expectTexts({{u()->EdtModCustName, u"O'Brien 张"_s}, {u()->EdtModBankCard, u"6222 1111"_s},
                     {u()->EdtModPrice, u"150"_s}, {u()->EdtModAdditionalPrice, u"0.8"_s}, {u()->EdtModPrepay, u"500"_s}});
        // Text pasted past the key filter.
        u()->EdtModPrepay->setText(u"-300"_s);
        u()->EdtModMemo->setFocus();
        save(u"“-300”不是有效的金额或数值，这里只能输入数字和小数点，请重新输入！"_s, u()->EdtModPrepay);
        // No prepayment typed: the stored one stays.
        fill({{u()->EdtModPrepay, {}}, {u()->EdtModOdograph, u"10050"_s}, {u()->EdtModCustID, {}}, {u()->EdtModPrice, {}},
              {u()->EdtModLimit, {}}});
        SetMoment(u()->DTMod2Date, u()->DTMod2Time, at(8, 9));
        save(u"请录入客户信息！"_s);
        fill({{u()->EdtModCustID, u"C1"_s}});
        save(u"请输入每日、月或小时租金信息！"_s, u()->EdtModPrice);
        fill({{u()->EdtModPrice, u"160"_s}});
        save(u"请输入每出租单位时间（日、月）内限里程数！\r如无里程限制，请填写“0”！"_s, u()->EdtModLimit);
        // Blanks pasted into the allowance pass this check and save as 0.
        u()->EdtModLimit->setText(u"   "_s);
        save(u"计划还车时间不应前于借车时间！"_s);
        // One minute after the begin is enough.
        SetMoment(u()->DTMod2Date, u()->DTMod2Time, at(8, 9, 1));
        save(kSaved);

        ASSERT_TRUE(selectHire(h2));
        SetMoment(u()->DtMod1Date, u()->DtMod1Time, at(8, 7, 45, 30));
        u()->CmbModType->setCurrentIndex(1);
        // A customer number the register does not hold is taken as typed.
        fill({{u()->EdtModCustID, u"C'未登记"_s}, {u()->EdtModPrice, u"99.99"_s}, {u()->EdtModLimit, u"0"_s},
              {u()->EdtModAdditionalPrice, {}}, {u()->EdtModPrepay, u"88.888"_s}, {u()->EdtModOdograph, {}},
              {u()->EdtModMemo, memo}});
        save(kSaved);

        // The first hire returned in another window after the page was read.
        ASSERT_TRUE(selectHire(h1));
        exec(u"UPDATE Leaso SET EndTime=:e, Memo='还车' WHERE LeasoID=:id"_s, {{"e", now}, {"id", h1}});
        before = snapshot();
        fill({{u()->EdtModMemo, u"改"_s}, {u()->EdtModPrice, u"1"_s}});
        save(EChangedError().message());
        EXPECT_EQ(listedCars(), QStringList({u"京A2"_s}));
    });
    EXPECT_EQ(leaso(u"[Limit]||'|'||BasicPrice||'|'||Prepay||'|'||Odograph1"_s, h1).toString(), u"0|1600000|5000000|10050"_s);
    EXPECT_EQ(leasoMoment(u"PlanEndTime"_s, h1), at(8, 9, 1));
    EXPECT_EQ(RowsText(db(), u"Leaso"_s, {u"CarID"_s, u"CustID"_s, u"LeasoType"_s, u"BasicPrice"_s, u"[Limit]"_s, u"AdditionalPrice"_s,
                                        u"Prepay"_s, u"Odograph1"_s, u"Memo"_s, u"CreateTime"_s}, u"LeasoID=:id"_s, {{"id", h2}}),
              u"京A2|C'未登记|1|999900|0|0|888880|0|"_s + memo + u'|' + created);
    EXPECT_EQ(leasoMoment(u"BeginTime"_s, h2), at(8, 7, 45, 30));
    // The vehicles keep the mileage and state they had.
    EXPECT_EQ(scalar(u"SELECT group_concat(Odograph||State) FROM Car"_s).toString(), u"12000B,3000B"_s);
}

// The desk's price and allowance labels follow a unit the user picks in either
// combo, by the hire-out page's unit; moving through open hires relabels nothing.
TEST_F(ModFixture, UnitLabelsFollowOnlyAUnitTheUserPicks)
{
    addCust(u"C1"_s, u"张三"_s);
    for (int unit : {1, 2, 0}) addHire(u"京M%1"_s.arg(unit), u"C1"_s, unit, at(8, 9), at(10, 9), 1500000, 200, 8000, {}, 1);
    auto selectRow = [&](int row) {
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        QTableView* g = u()->DBGrid2;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 1)).center());
    };
    auto pick = [&](QComboBox* c, const QString& text) {   // by the keyboard, as a user does
        u()->PageControl1->setCurrentWidget(c == u()->CmbType ? u()->TabSheet2 : u()->TabSheet1);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Home);
        while (c->currentText() != text && c->currentIndex() < c->count() - 1) QTest::keyClick(c, Qt::Key_Down);
    };
    // The hire-out page's labels begin with label.
    const struct { const char* what; std::function<void()> act; QString modUnit, label; } steps[] = {
        {"page opened on a hire by the month", [] {}, u"包月"_s, u"每日"_s},
        {"a hire by the hour selected", [&] { selectRow(1); }, u"按小时"_s, u"每日"_s},
        {"a hire by the day selected", [&] { selectRow(2); }, u"按天"_s, u"每日"_s},
        {"包月 picked on the modify page", [&] { pick(u()->CmbModType, u"包月"_s); }, u"包月"_s, u"每天"_s},
        {"按小时 picked on the hire-out page", [&] { pick(u()->CmbType, u"按小时"_s); }, u"包月"_s, u"小时"_s},
        {"包月 picked on the hire-out page", [&] { pick(u()->CmbType, u"包月"_s); }, u"包月"_s, u"每月"_s},
        {"a hire by the hour selected again", [&] { selectRow(1); }, u"按小时"_s, u"每月"_s},
    };
    withModPage([&] {
        for (const auto& s : steps) {
            s.act();
            EXPECT_EQ(u()->CmbModType->currentText(), s.modUnit) << s.what;
            EXPECT_EQ(u()->lblPrice->text() + u()->lblLimit->text(), s.label + u"租金(元)："_s + s.label + u"限程："_s) << s.what;
            EXPECT_EQ(u()->lblModPrice->text() + u()->lblModLimit->text(), u"每日租金(元)：每日限程："_s) << s.what;
        }
    });
}

// Refused, and nothing written, when the hire or the replacement changed after
// the picker was filled; otherwise the hire, both vehicles and the log are written.
TEST_F(ModFixture, ChangeWritesTheHireBothVehiclesAndTheLogUnlessSomethingChangedMeanwhile)
{
    addCust(u"C1"_s, u"张三"_s);
    addCar(kX, 12000, u"B"_s);
    addCar(kY, 3000);
    addCar(kZ, 4000, u"D"_s);
    const qint64 h = addOpenHire(kX, u"C1"_s);
    const struct { const char* name; std::function<void()> meanwhile; QStringList listedAfter; } cases[] = {
        {"hire returned", [&] { exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", h}}); }, {}},
        {"replacement hired out", [&] { exec(u"UPDATE Car SET State='B' WHERE CarID=:y"_s, {{"y", kY}}); }, {kX}},
        {"old vehicle out on a second open hire", [&] { addOpenHire(kX, u"C1"_s); }, {kX, kX}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString before;
        withModPage([&] {
            messages.clear();
            changeTo(kY, [&] { c.meanwhile(); before = snapshot(); });
            expectBox(EChangedError().message());
            EXPECT_EQ(listedCars(), c.listedAfter);
        });
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(db().inTransaction());
        exec(u"DELETE FROM Leaso WHERE LeasoID<>:id"_s, {{"id", h}});
        exec(u"UPDATE Leaso SET EndTime=NULL WHERE LeasoID=:id"_s, {{"id", h}});
        exec(u"UPDATE Car SET State=CASE CarID WHEN :x THEN 'B' WHEN :y THEN 'A' ELSE 'D' END"_s, {{"x", kX}, {"y", kY}});
    }

    const QString kept = leaso(u"CustID||BeginTime||PlanEndTime||BasicPrice||Prepay||Odograph1||Memo"_s, h).toString();
    withModPage([&] {
        // Neither its own vehicle nor one out of service is offered.
        changeTo(kY, [] { EXPECT_EQ(frmChangeCar->ui->LstNewCar->count(), 1); });
        EXPECT_EQ(listedCars(), QStringList({kY}));
        EXPECT_EQ(scalar(u"SELECT group_concat(CarID||State||Odograph) FROM Car"_s).toString(),
                  kX + u"A12000,"_s + kY + u"B3000,"_s + kZ + u"D4000"_s);
        // Its own vehicle, free by some slip, is no replacement.
        exec(u"UPDATE Car SET State=CASE CarID WHEN :y THEN 'A' ELSE 'D' END"_s, {{"y", kY}});
        clickFor(u()->BtnChangeCar, u"现在没有可供替换的空闲车辆！"_s);
    });
    EXPECT_EQ(leaso(u"CarID||ChangeCar"_s, h).toString(), kY + u"1"_s);
    EXPECT_EQ(leaso(u"CustID||BeginTime||PlanEndTime||BasicPrice||Prepay||Odograph1||Memo"_s, h).toString(), kept);
    EXPECT_EQ(changeLog(), u"%1:%2>%3"_s.arg(h).arg(kX, kY));
}

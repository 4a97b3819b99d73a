// Saving a correction of an open hire: the checks in their order, what is
// stored as typed, a hire returned meanwhile; the page's customer look-up.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ui_UnitNewCust.h"
#include "ModFixture.h"

namespace { const QString kSaved = u"修改已保存！"_s; }

TEST_F(ModFixture, SaveChecksRefuseInOrderWithTheirNoticesAndWriteNothing)
{
    addHiredCar(u"京A1"_s, 12000);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h = addOpenHire(u"京A1"_s, u"C1"_s);
    const QString before = hireRow(h);
    auto save = [&](const QString& text, QWidget* focus = nullptr, Dlg::Icon icon = Dlg::Icon::Information) {
        SCOPED_TRACE(text.toStdString());
        messages.clear();
        click(u()->BtnSaveMod);
        expectBox(text, icon);
        if (focus) EXPECT_EQ(frmLend->focusWidget(), focus);
        if (text != kSaved) EXPECT_EQ(hireRow(h), before);
    };
    withModPage([&] {
        const QString kCust = u"请录入客户信息！"_s, kPlan = u"计划还车时间不应前于借车时间！"_s;
        fill({{u()->EdtModCustID, {}}, {u()->EdtModPrice, {}}, {u()->EdtModLimit, {}}});
        SetMoment(u()->DTMod2Date, u()->DTMod2Time, at(8, 9));
        save(kCust);
        fill({{u()->EdtModCustID, u"C1"_s}});
        u()->EdtModCustName->clear();
        save(kCust);
        u()->EdtModCustName->setText(u"张三"_s);
        save(u"请输入每日、月或小时租金信息！"_s, u()->EdtModPrice);
        fill({{u()->EdtModPrice, u"160"_s}});
        // The allowance comes before the moments, with its two-line notice.
        save(u"请输入每出租单位时间（日、月）内限里程数！\r如无里程限制，请填写“0”！"_s, u()->EdtModLimit);
        // Blanks pasted into the allowance pass this check and save as 0.
        u()->EdtModLimit->setText(u"   "_s);
        save(kPlan);
        SetMoment(u()->DTMod2Date, u()->DTMod2Time, at(8, 9, 1));
        fill({{u()->EdtModPrepay, u"."_s}});
        save(u"“.”不是有效的金额"_s, nullptr, Dlg::Icon::Error);
        // One minute after the begin is enough.
        fill({{u()->EdtModPrepay, u"500"_s}});
        save(kSaved);
    });
    EXPECT_EQ(leaso(u"[Limit]||'|'||BasicPrice"_s, h).toString(), u"0|1600000"_s);
    EXPECT_EQ(leasoMoment(u"PlanEndTime"_s), at(8, 9, 1));
}

TEST_F(ModFixture, SaveStoresWhatWasTypedAndLeavesTheVehicleAlone)
{
    addHiredCar(u"京A1"_s, 12000);
    addHiredCar(u"京A2"_s, 3000);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    const qint64 h2 = addOpenHire(u"京A2"_s, u"C1"_s);
    const QString created = leaso(u"CreateTime"_s, h2).toString();
    QString memo = u"O'Brien 说: \"右后门\" -- 100%; "_s;
    while (memo.size() < 200) memo += u"划"_s;

    withModPage([&] {
        // No prepayment typed: the stored one stays.
        fill({{u()->EdtModPrepay, {}}, {u()->EdtModOdograph, u"10050"_s}});
        click(u()->BtnSaveMod);

        ASSERT_TRUE(selectHire(h2));
        SetMoment(u()->DtMod1Date, u()->DtMod1Time, at(8, 7, 45, 30));
        u()->CmbModType->setCurrentIndex(1);
        // A customer number the register does not hold is taken as typed.
        fill({{u()->EdtModCustID, u"C'未登记"_s}, {u()->EdtModPrice, u"99.99"_s}, {u()->EdtModLimit, u"0"_s},
              {u()->EdtModAdditionalPrice, {}}, {u()->EdtModPrepay, u"88.888"_s}, {u()->EdtModOdograph, {}},
              {u()->EdtModMemo, memo}});
        messages.clear();
        click(u()->BtnSaveMod);
        expectBox(kSaved);
        // Reloaded on the first row.
        EXPECT_EQ(u()->DBGrid2->selectedText(0), QString::number(h1));
        ASSERT_TRUE(selectHire(h2));
        expectTexts({{u()->EdtModPrepay, u"88.888"_s}, {u()->EdtModMemo, memo}, {u()->EdtModCustName, {}}});
    });
    EXPECT_EQ(leaso(u"Prepay||'|'||Odograph1"_s, h1).toString(), u"5000000|10050"_s);
    const QList<QPair<QString, QVariant>> want = {
        {u"CarID"_s, u"京A2"_s}, {u"CustID"_s, u"C'未登记"_s}, {u"LeasoType"_s, 1}, {u"BasicPrice"_s, 999900},
        {u"[Limit]"_s, 0}, {u"AdditionalPrice"_s, 0}, {u"Prepay"_s, 888880}, {u"Odograph1"_s, 0},
        {u"Memo"_s, memo}, {u"ChangeCar"_s, 0}, {u"CreateTime"_s, created}};
    for (const auto& [column, value] : want)
        EXPECT_EQ(leaso(column, h2).toString(), value.toString()) << column.toStdString();
    EXPECT_EQ(DaysToDateTime(leaso(u"BeginTime"_s, h2).toDouble()), at(8, 7, 45, 30));
    // The vehicles keep the mileage and state they had.
    EXPECT_EQ(scalar(u"SELECT group_concat(Odograph||State) FROM Car"_s).toString(), u"12000B,3000B"_s);
}

TEST_F(ModFixture, SaveOnAHireReturnedMeanwhileIsRefusedAndTheListReread)
{
    addHiredCar(u"京A1"_s, 100);
    addHiredCar(u"京A2"_s, 100);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    addOpenHire(u"京A2"_s, u"C1"_s);
    withModPage([&] {
        // Returned in another window after the page was read.
        exec(u"UPDATE Leaso SET EndTime=:e, Memo='还车' WHERE LeasoID=:id"_s, {{"e", now}, {"id", h1}});
        const QString before = hireRow(h1);
        fill({{u()->EdtModMemo, u"改"_s}, {u()->EdtModPrice, u"1"_s}});
        messages.clear();
        click(u()->BtnSaveMod);
        expectBox(EChangedError().message());
        EXPECT_EQ(hireRow(h1), before);
        EXPECT_EQ(listedCars(), QStringList({u"京A2"_s}));
    });
}

TEST_F(ModFixture, LookUpByNumberOrCardAndNewCustomer)
{
    addHiredCar(u"京A1"_s, 100);
    addCust(u"C1"_s, u"张三"_s, u"138"_s, u"6222 0001"_s);
    addOpenHire(u"京A1"_s, u"C1"_s);
    withModPage([&] {
        // Nothing found: name and phone emptied, the number kept as typed.
        messages.clear();
        fill({{u()->EdtModCustID, u"N'O"_s}});
        click(u()->BtnModQryCust);
        expectBox(u"系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"_s);
        expectTexts({{u()->EdtModCustID, u"N'O"_s}, {u()->EdtModCustName, {}}, {u()->EdtModTel, {}}});
        // By the card alone: number, name and phone from the register.
        fill({{u()->EdtModCustID, {}}});
        click(u()->BtnModQryCust);
        expectTexts({{u()->EdtModCustID, u"C1"_s}, {u()->EdtModCustName, u"张三"_s}, {u()->EdtModTel, u"138"_s}});
        // The new-customer dialog: number, name and phone; the card stays.
        whenShown(frmNewCust, [&] {
            frmNewCust->ui->EdtCustID->setText(u"N'1"_s);
            frmNewCust->ui->EdtCustName->setText(u"O'Neil"_s);
            frmNewCust->ui->EdtTel->setText(u"010-1"_s);
            frmNewCust->accept();
        });
        click(u()->BtnModNewCust);
        expectTexts({{u()->EdtModCustID, u"N'1"_s}, {u()->EdtModCustName, u"O'Neil"_s}, {u()->EdtModTel, u"010-1"_s},
                     {u()->EdtModBankCard, u"6222 0001"_s}});
    });
}

// Pasted text the key filters would refuse when typed is refused in every
// money and reading box of the correction, before anything is written.
TEST_F(ModFixture, PastedNegativesAreRefusedInEveryMoneyAndReadingBox)
{
    addHiredCar(u"京A1"_s, 12000);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h = addOpenHire(u"京A1"_s, u"C1"_s);
    const QString before = hireRow(h);
    withModPage([&] {
        ASSERT_TRUE(selectHire(h));
        const struct { QLineEdit* box; const char* pasted; const char* message; } rows[] = {
            {u()->EdtModPrice, "-300", "“-300”不是有效的金额或数值"},
            {u()->EdtModLimit, "-300", "“-300”不是有效的整数"},
            {u()->EdtModAdditionalPrice, "-300", "“-300”不是有效的金额或数值"},
            {u()->EdtModPrepay, "-300", "“-300”不是有效的金额或数值"},
            {u()->EdtModOdograph, "-300", "“-300”不是有效的整数"},
            {u()->EdtModOdograph, "1e3", "“1e3”不是有效的整数"},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.box->objectName().toStdString() + " " + row.pasted);
            frmLend->DsModDataChange();   // the boxes as the selected hire fills them
            row.box->setText(QString::fromUtf8(row.pasted));   // pasted past the filter
            u()->EdtModMemo->setFocus();
            messages.clear();
            click(u()->BtnSaveMod);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(QString::fromUtf8(row.message))) << messages[0].text.toStdString();
            EXPECT_EQ(frmLend->focusWidget(), row.box);
            EXPECT_EQ(hireRow(h), before);
        }
    });
}

// The open-hire page's list: what it lists, the boxes that follow the
// selected row, and when it is read.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ModFixture.h"

TEST_F(ModFixture, ListShowsOpenHiresWithTheirCustomersAndTheBoxesFollowTheRow)
{
    addHiredCar(u"京A1"_s, 12000);
    addHiredCar(u"京B'2"_s, 8000);
    addHiredCar(u"京D4"_s, 100);
    addCar(u"京C3"_s, 500);
    addCust(u"C1"_s, u"O'Brien 张"_s, u"138 0000"_s, u"6222 1111"_s, u"工行 '主卡'"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    exec(u"UPDATE Leaso SET Memo=:m WHERE LeasoID=:id"_s, {{"m", u"押金 'ok' -- 100%"_s}, {"id", h1}});
    // A customer missing from the register, no prepayment, by the hour.
    const qint64 h2 = addHire(u"京B'2"_s, u"C9"_s, 2, at(9, 14, 30, 5), at(9, 20), 355000, 20, 0, {}, 7900);
    // Returned: not listed.
    const qint64 h3 = addOpenHire(u"京C3"_s, u"C1"_s);
    exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", at(9, 9)}, {"id", h3}});
    // No customer, no moments and a unit code the program does not know.
    exec(u"INSERT INTO Leaso (CarID, LeasoType, BasicPrice, [Limit]) VALUES ('京D4', 7, 10000, 1)"_s);
    const qint64 h4 = db().lastInsertId();

    withModPage([&] {
        EXPECT_EQ(listedCars(), QStringList({u"京A1"_s, u"京B'2"_s, u"京D4"_s}));
        const TDBGrid* g = u()->DBGrid2;
        QStringList captions;
        for (const auto& c : g->columns()) captions << c.caption;
        EXPECT_EQ(captions, QStringList({u"编号"_s, u"车辆"_s, u"租赁方式"_s, u"出租时间"_s, u"客户证件号"_s, u"客户名称"_s,
                                         u"客户电话"_s, u"银行卡"_s, u"银行卡备注"_s}));
        EXPECT_TRUE(g->isColumnHidden(0));
        // Read-only: the join is never edited in place.
        const QModelIndex cell = g->model()->index(0, 5);
        EXPECT_FALSE(g->model()->flags(cell) & Qt::ItemIsEditable);
        EXPECT_EQ(g->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(g->model()->data(cell).toString(), u"O'Brien 张"_s);
        EXPECT_EQ(g->model()->data(g->model()->index(0, 3)).toString(), u"2026/3/8 9:00:00"_s);
        EXPECT_EQ(g->model()->data(g->model()->index(2, 2)).toString(), QString());

        // The first row is selected on opening.
        EXPECT_EQ(g->selectedText(0), QString::number(h1));
        expectTexts({{u()->EdtModOdograph, u"10000"_s}, {u()->EdtModCustID, u"C1"_s}, {u()->EdtModCustName, u"O'Brien 张"_s},
                     {u()->EdtModTel, u"138 0000"_s}, {u()->EdtModBankCard, u"6222 1111"_s}, {u()->EdtModPrice, u"150"_s},
                     {u()->EdtModLimit, u"200"_s}, {u()->EdtModAdditionalPrice, u"0.8"_s}, {u()->EdtModPrepay, u"500"_s},
                     {u()->EdtModMemo, u"押金 'ok' -- 100%"_s}});
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(8, 9));
        EXPECT_EQ(MomentOf(u()->DTMod2Date, u()->DTMod2Time), at(10, 9));
        EXPECT_EQ(u()->CmbModType->currentText(), u"按天"_s);

        ASSERT_TRUE(selectHire(h2));
        EXPECT_EQ(g->selectedText(1), u"京B'2"_s);
        expectTexts({{u()->EdtModOdograph, u"7900"_s}, {u()->EdtModCustID, u"C9"_s}, {u()->EdtModCustName, {}},
                     {u()->EdtModTel, {}}, {u()->EdtModBankCard, {}}, {u()->EdtModPrice, u"35.5"_s},
                     {u()->EdtModAdditionalPrice, u"0"_s}, {u()->EdtModPrepay, {}}, {u()->EdtModMemo, {}}});
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(9, 14, 30, 5));
        EXPECT_EQ(u()->CmbModType->currentText(), u"按小时"_s);
        // This page's labels keep their daily wording whatever the unit.
        EXPECT_EQ(u()->lblModPrice->text(), u"每日租金(元)："_s);
        EXPECT_EQ(u()->lblModLimit->text(), u"每日限程："_s);

        // Empty moments and an unknown unit leave the pickers and the unit as they were;
        // no customer empties the four customer boxes.
        fill({{u()->EdtModBankCard, u"typed"_s}});
        ASSERT_TRUE(selectHire(h4));
        expectTexts({{u()->EdtModCustID, {}}, {u()->EdtModCustName, {}}, {u()->EdtModTel, {}}, {u()->EdtModBankCard, {}},
                     {u()->EdtModOdograph, {}}, {u()->EdtModPrice, u"1"_s}, {u()->EdtModLimit, u"1"_s}});
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(9, 14, 30, 5));
        EXPECT_EQ(MomentOf(u()->DTMod2Date, u()->DTMod2Time), at(9, 20));
        EXPECT_EQ(u()->CmbModType->currentText(), u"按小时"_s);

        // Read-only boxes are silver, the others not.
        EXPECT_EQ(u()->EdtModCustName->palette().color(QPalette::Base), QColor(192, 192, 192));
        EXPECT_EQ(u()->EdtModTel->palette().color(QPalette::Base), QColor(192, 192, 192));
        EXPECT_NE(u()->EdtModCustID->palette().color(QPalette::Base), QColor(192, 192, 192));
        // The unit list is the program's pricing units.
        QStringList units;
        for (int i = 0; i < u()->CmbModType->count(); ++i) units << u()->CmbModType->itemText(i);
        EXPECT_EQ(units, PricingUnitTexts());
    });
    (void)h4;
}

TEST_F(ModFixture, ListIsReadAfreshOnEveryShowingOfThePage)
{
    addHiredCar(u"京A1"_s, 100);
    addHiredCar(u"京A2"_s, 100);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    addOpenHire(u"京A2"_s, u"C1"_s);
    withModPage([&] { EXPECT_EQ(listedCars(), QStringList({u"京A1"_s, u"京A2"_s})); });

    // Returned while the desk was closed: gone when it reopens on this page.
    exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", h1}});
    exec(u"UPDATE Car SET State='A' WHERE CarID='京A1'"_s);
    withDesk([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet1);
        EXPECT_EQ(listedCars(), QStringList({u"京A2"_s}));
        EXPECT_EQ(u()->EdtModCustID->text(), u"C1"_s);

        // And on switching back to the page.
        exec(u"UPDATE Leaso SET EndTime=:e"_s, {{"e", now}});
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        EXPECT_EQ(listedCars(), QStringList());
        expectTexts({{u()->EdtModCustID, {}}, {u()->EdtModCustName, {}}, {u()->EdtModPrice, {}}, {u()->EdtModPrepay, {}}});
    });
}

TEST_F(ModFixture, EmptyListRefusesSaveAndPrintAndChangeDoesNothing)
{
    addCar(u"京A1"_s, 100);
    withModPage([&] {
        ASSERT_EQ(frmLend->ADOMod->recordCount(), 0);
        // The pickers and the unit keep what they showed.
        SetMoment(u()->DtMod1Date, u()->DtMod1Time, at(1, 8));
        u()->CmbModType->setCurrentIndex(1);
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(1, 8));
        EXPECT_EQ(u()->CmbModType->currentText(), u"包月"_s);

        messages.clear();
        click(u()->BtnSaveMod);
        expectBox(u"没有可修改的租借信息！"_s);

        messages.clear();
        click(u()->BtnPrint);
        expectBox(u"本机没有安装打印机！"_s);
        printers = {u"打印机"_s};
        messages.clear();
        click(u()->BtnPrint);
        expectBox(u"没有要打印的纪录！"_s);

        messages.clear();
        forbidShown(frmChangeCar);
        click(u()->BtnChangeCar);
        EXPECT_TRUE(messages.empty());
    });
    EXPECT_EQ(hires(), 0);
}

TEST_F(ModFixture, ReprintShowsTheSheetOfTheSelectedHire)
{
    addHiredCar(u"京A1"_s, 100);
    addHiredCar(u"京A2"_s, 100);
    addCust(u"C1"_s, u"张三"_s);
    addOpenHire(u"京A1"_s, u"C1"_s);
    const qint64 h2 = addOpenHire(u"京A2"_s, u"C1"_s);
    printers = {u"打印机"_s};
    withModPage([&] {
        ASSERT_TRUE(selectHire(h2));
        QString key, car;
        whenShown(frmPrint, [&] {
            key = frmPrint->PrintLeasoID;
            car = frmPrint->QRlblCard->Caption;
            frmPrint->reject();
        });
        messages.clear();
        click(u()->BtnPrint);
        EXPECT_EQ(key, QString::number(h2));
        EXPECT_EQ(car, u"京A2"_s);
        EXPECT_TRUE(messages.empty());
    });
}

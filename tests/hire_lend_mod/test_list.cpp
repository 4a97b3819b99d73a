// The open-hire page's list: what it lists, the boxes that follow the
// selected row, when it is read, and the commands on an empty list.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ModFixture.h"

TEST_F(ModFixture, ListShowsOpenHiresAndTheBoxesFollowTheSelectedRow)
{
    for (const char* car : {"京A1", "京B'2", "京D4"}) addHiredCar(QString::fromUtf8(car), 100);
    addCust(u"C1"_s, u"O'Brien 张"_s, u"138 0000"_s, u"6222 1111"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    // A customer missing from the register, no prepayment, by the hour.
    const qint64 h2 = addHire(u"京B'2"_s, u"C9"_s, 2, at(9, 14, 30, 5), at(9, 20), 355000, 20, 0, {}, 7900);
    exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", addOpenHire(u"京C3"_s, u"C1"_s)}});
    // No customer, no moments and a unit code the program does not know.
    exec(u"INSERT INTO Leaso (CarID, LeasoType, BasicPrice, [Limit]) VALUES ('京D4', 7, 10000, 1)"_s);
    const qint64 h4 = db().lastInsertId();

    withModPage([&] {
        EXPECT_EQ(listedCars(), QStringList({u"京A1"_s, u"京B'2"_s, u"京D4"_s}));
        // Read-only: the join is never edited in place.
        const QAbstractItemModel* m = u()->DBGrid2->model();
        EXPECT_FALSE(m->flags(m->index(0, 5)) & Qt::ItemIsEditable);
        EXPECT_EQ(m->data(m->index(0, 5)).toString(), u"O'Brien 张"_s);
        EXPECT_EQ(m->data(m->index(2, 2)).toString(), QString());

        EXPECT_EQ(u()->DBGrid2->selectedText(0), QString::number(h1));
        expectTexts({{u()->EdtModOdograph, u"10000"_s}, {u()->EdtModCustID, u"C1"_s}, {u()->EdtModCustName, u"O'Brien 张"_s},
                     {u()->EdtModTel, u"138 0000"_s}, {u()->EdtModBankCard, u"6222 1111"_s}, {u()->EdtModPrice, u"150"_s},
                     {u()->EdtModLimit, u"200"_s}, {u()->EdtModAdditionalPrice, u"0.8"_s}, {u()->EdtModPrepay, u"500"_s}});
        EXPECT_EQ(MomentOf(u()->DTMod2Date, u()->DTMod2Time), at(10, 9));

        ASSERT_TRUE(selectHire(h2));
        expectTexts({{u()->EdtModCustID, u"C9"_s}, {u()->EdtModCustName, {}}, {u()->EdtModTel, {}},
                     {u()->EdtModBankCard, {}}, {u()->EdtModPrice, u"35.5"_s}, {u()->EdtModPrepay, {}}});
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(9, 14, 30, 5));
        EXPECT_EQ(u()->CmbModType->currentText(), u"按小时"_s);
        // This page's labels keep their daily wording whatever the unit.
        EXPECT_EQ(u()->lblModPrice->text() + u()->lblModLimit->text(), u"每日租金(元)：每日限程："_s);

        // Empty moments and an unknown unit leave the pickers and the unit as they
        // were; no customer empties the four customer boxes.
        fill({{u()->EdtModBankCard, u"typed"_s}});
        ASSERT_TRUE(selectHire(h4));
        expectTexts({{u()->EdtModCustID, {}}, {u()->EdtModBankCard, {}}, {u()->EdtModOdograph, {}}, {u()->EdtModPrice, u"1"_s}});
        EXPECT_EQ(MomentOf(u()->DtMod1Date, u()->DtMod1Time), at(9, 14, 30, 5));
        EXPECT_EQ(u()->CmbModType->currentText(), u"按小时"_s);
    });
}

TEST_F(ModFixture, ListIsReadAfreshOnEveryShowingAndReprintTakesTheSelectedHire)
{
    addHiredCar(u"京A1"_s, 100);
    addHiredCar(u"京A2"_s, 100);
    addCust(u"C1"_s, u"张三"_s);
    const qint64 h1 = addOpenHire(u"京A1"_s, u"C1"_s);
    const qint64 h2 = addOpenHire(u"京A2"_s, u"C1"_s);
    withModPage([&] { EXPECT_EQ(listedCars(), QStringList({u"京A1"_s, u"京A2"_s})); });

    // Returned while the desk was closed: gone when it reopens on this page.
    exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", h1}});
    printers = {u"打印机"_s};
    withDesk([&] {
        EXPECT_EQ(listedCars(), QStringList({u"京A2"_s}));
        QString printed;
        whenShown(frmPrint, [&] { printed = frmPrint->PrintLeasoID + frmPrint->QRlblCard->Caption; frmPrint->reject(); });
        click(u()->BtnPrint);
        EXPECT_EQ(printed, QString::number(h2) + u"京A2"_s);

        // And on switching back to the page.
        exec(u"UPDATE Leaso SET EndTime=:e"_s, {{"e", now}});
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        EXPECT_EQ(listedCars(), QStringList());
        expectTexts({{u()->EdtModCustID, {}}, {u()->EdtModCustName, {}}, {u()->EdtModPrice, {}}});
    });
}

TEST_F(ModFixture, EmptyListRefusesSaveAndPrintAndChangeDoesNothing)
{
    addCar(u"京A1"_s, 100);
    withModPage([&] {
        const std::pair<QPushButton*, QString> cases[] = {
            {u()->BtnSaveMod, u"没有可修改的租借信息！"_s}, {u()->BtnPrint, u"本机没有安装打印机！"_s}};
        for (const auto& [button, text] : cases) {
            messages.clear();
            click(button);
            expectBox(text);
        }
        printers = {u"打印机"_s};
        messages.clear();
        click(u()->BtnPrint);
        expectBox(u"没有要打印的纪录！"_s);
        messages.clear();
        forbidShown(frmChangeCar);
        click(u()->BtnChangeCar);
        EXPECT_TRUE(messages.empty());
    });
}

// The hire-out desk: a hire written exactly, its checks and one transaction, the
// prepayment in cents, and the customer look-up with its picker.
#include "LendFixture.h"

TEST_F(LendFixture, HireFromLookedUpCustomerAndPickedSchemeWritesRowAndHiresVehicleOut)
{
    const QString kO = u"110101198001011234"_s, kCar = u"京B'7788"_s, kMemo = u"押金 100% -- 'ok'; _x"_s;
    addCar(u"京A12345"_s, 5000);
    addCar(kCar, 12000);
    addCust(kO, u"O'Brien"_s, u"138-0000 'x'"_s, u"6222 0000 1111"_s);
    addScheme(u"标准日租"_s, 0, 1500000, 200, 10000);
    addScheme(u"周末'特惠 100%"_s, 2, 355000, 20, 8000);

    withDesk([&] {
        ASSERT_TRUE(frmLend->ADOQry->locate(u"CarID"_s, kCar));
        type(u()->EdtCustName, u"O'Brien"_s);
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, kO}, {u()->EdtTel, u"138-0000 'x'"_s}});
        // The scheme found by a name with a quote and a percent sign.
        whenShown(frmSelectScheme, [&] {
            type(frmSelectScheme->ui->EdtName, u"'特惠 100%"_s);
            click(frmSelectScheme->ui->BtnOK);
        });
        click(u()->BtnScheme);
        expectTexts({{u()->EdtScheme, u"周末'特惠 100%"_s}, {u()->EdtPrice, u"35.5"_s}, {u()->EdtAdditionalPrice, u"0.8"_s}});

        SetMoment(u()->Dt1Date, u()->Dt1Time, at(10, 10, 0, 5));
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(11, 18, 30));
        // Lower than the vehicle's mileage: taken as given.
        fill({{u()->EdtOdograph, u"11990"_s}, {u()->EdtPrepay, u"500.125"_s}, {u()->EdtMemo, kMemo}});
        now = at(10, 10, 1, 2);
        click(u()->BtnLend);
        expectBox(u"车辆已借出！"_s);
        // The vehicle has left the list; the customer is cleared for the next hire.
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 1);
        expectTexts({{u()->EdtCar, u"京A12345"_s}, {u()->EdtCustID, {}}, {u()->EdtCustName, {}}});
    });

    EXPECT_EQ(RowsText(db(), u"Leaso"_s, {u"CarID"_s, u"CustID"_s, u"LeasoType"_s, u"BasicPrice"_s, u"[Limit]"_s, u"AdditionalPrice"_s,
                                        u"Prepay"_s, u"Odograph1"_s, u"Memo"_s, u"ChangeCar"_s, u"EndTime"_s, u"Charge"_s}),
              kCar + u'|' + kO + u"|2|355000|20|8000|5001300|11990|"_s + kMemo + u"|0|NULL|NULL"_s);
    for (const auto& [column, want] :
         {std::pair{"BeginTime", at(10, 10, 0, 5)}, {"PlanEndTime", at(11, 18, 30)}, {"CreateTime", at(10, 10, 1, 2)}})
        EXPECT_EQ(leasoMoment(QString::fromLatin1(column)), want) << column;
    EXPECT_EQ(RowsText(db(), u"Car"_s, {u"CarID"_s, u"State"_s, u"Odograph"_s}), u"京A12345|A|5000/"_s + kCar + u"|B|11990"_s);
}

TEST_F(LendFixture, ChecksRefuseWithTheirNoticesAndWriteNothing)
{
    addCust(u"C1"_s, u"张三"_s);
    addCar(u"京A1"_s, 8000);
    auto refused = [&](const QString& text, Dlg::Icon icon = Dlg::Icon::Information) {
        SCOPED_TRACE(text.toStdString());
        clickFor(u()->BtnLend, text, icon);
        EXPECT_EQ(hires(), 0);
        EXPECT_EQ(scalar(u"SELECT State FROM Car"_s).toString(), u"A"_s);
    };
    withDesk([&] {
        fill({{u()->EdtPrice, {}}, {u()->EdtLimit, {}}, {u()->EdtCustID, u"C1"_s}});
        refused(u"请录入客户信息！"_s);
        fill({{u()->EdtCustName, u"张三"_s}});
        refused(u"请输入每日、月或小时租金信息！"_s);
        fill({{u()->EdtPrice, u"150"_s}});
        refused(u"请输入每出租单位时间（日、月）内限里程数！"_s);
        fill({{u()->EdtLimit, u"200"_s}});
        // The planned return must come after the begin: equal is refused.
        SetMoment(u()->Dt1Date, u()->Dt1Time, at(10, 10));
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(10, 10));
        refused(u"计划还车时间不应前于借车时间！"_s);
        SetMoment(u()->Dt2Date, u()->Dt2Time, at(10, 10, 1));
        // The number is matched as typed.
        fill({{u()->EdtCustID, u"C1 "_s}});
        refused(u"客户信息错误：没有找到该证件号的客户！"_s);
        fill({{u()->EdtCustID, u"C1"_s}, {u()->EdtAdditionalPrice, u"."_s}});
        refused(u"“.”不是有效的金额"_s, Dlg::Icon::Error);

        // One minute is enough; then no free vehicle is reported first, whatever else is missing.
        u()->EdtAdditionalPrice->clear();
        click(u()->BtnLend);
        EXPECT_EQ(lastMessage(), u"车辆已借出！"_s);
        clickFor(u()->BtnLend, u"当前没有空闲可租车辆！"_s);
    });
    EXPECT_EQ(hires(), 1);
    EXPECT_TRUE(leaso(u"Prepay"_s).isNull());
}

// A vehicle hired out by another copy of the program, or a failure after the
// row was written: refused, and the transaction leaves nothing behind.
TEST_F(LendFixture, FailuresInsideTheHireWriteNothing)
{
    addCar(u"粤A'1"_s, 1000);
    addCar(u"粤A2"_s, 2000);
    addCust(u"C1"_s, u"王五"_s);
    TADOConnection other;
    other.open(dbFile());
    withDesk([&] {
        ASSERT_EQ(u()->EdtCar->text(), u"粤A'1"_s);
        fillHire(u"C1"_s, u"王五"_s);
        other.execute(u"Update Car set State='B' where CarID=:id"_s, {{"id", u"粤A'1"_s}});
        click(u()->BtnLend);
        expectBox(EChangedError().message());
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 1);

        exec(u"CREATE TRIGGER car_locked BEFORE UPDATE ON Car BEGIN SELECT RAISE(ABORT, '车辆记录被锁定'); END"_s);
        messages.clear();
        fillHire(u"C1"_s, u"王五"_s);
        click(u()->BtnLend);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.contains(u"车辆记录被锁定"_s)) << messages[0].text.toStdString();
    });
    EXPECT_EQ(hires(), 0);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(LendFixture, PrepaymentIsRoundedToCentsHalfUp)
{
    const QStringList typed = {u"0.125"_s, u"0.12499"_s, u"1.005"_s, u"2.004"_s, {}};
    for (int i = 0; i < typed.size(); ++i) addCar(u"车%1"_s.arg(i), 100);
    addCust(u"C1"_s, u"张三"_s);
    withDesk([&] {
        for (const QString& t : typed) {
            fillHire(u"C1"_s, u"张三"_s);
            fill({{u()->EdtPrepay, t}});
            click(u()->BtnLend);
        }
    });
    EXPECT_EQ(RowsText(db(), u"Leaso"_s, {u"Prepay"_s}), u"1300/1200/10100/20000/NULL"_s);
}

TEST_F(LendFixture, LookUpMatchesExactlyOrThroughThePickerAndTakesWildcardsLiterally)
{
    addCust(u"310103"_s, u"李四"_s, u"021-3"_s, u"6222 03"_s);
    for (const auto& [id, name] : {std::pair{"P1", "A%B 公司"}, {"P2", "AxB 公司"}, {"P_3", "O'Brien & Co"}, {"PX4", "Smith"}})
        addCust(QString::fromUtf8(id), QString::fromUtf8(name));
    withDesk([&] {
        QTimer noPicker;   // fails the test and closes the picker should it show
        QObject::connect(&noPicker, &QTimer::timeout, [] {
            if (frmSelCust->isVisible()) { ADD_FAILURE() << "the picker was shown"; frmSelCust->reject(); }
        });
        noPicker.start(5);
        fill({{u()->EdtCustID, u"  "_s}});
        click(u()->BtnQryCust);
        // Blanks in the card do not count: the number alone matches exactly.
        fill({{u()->EdtCustID, u"P_3"_s}, {u()->EdtBankCard, u"  "_s}});
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustName->text(), u"O'Brien & Co"_s);
        // Not found at all: the notice, and the edits as typed.
        fill({{u()->EdtCustName, {}}, {u()->EdtBankCard, u"99"_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"P_3"_s}, {u()->EdtBankCard, u"99"_s}});
        noPicker.stop();

        // One match still opens the picker; closing it takes the row under the cursor.
        fill({{u()->EdtCustID, {}}, {u()->EdtBankCard, u"22 03"_s}});
        whenShown(frmSelCust, [&] { frmSelCust->close(); });
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"310103"_s}, {u()->EdtCustName, u"李四"_s}, {u()->EdtTel, u"021-3"_s}});

        const QList<std::tuple<QString, QString, QString>> cases = {
            {{}, u"%"_s, u"P1"_s}, {{}, u"'Bri"_s, u"P_3"_s}, {{}, u"a%b"_s, u"P1"_s}, {u"_"_s, {}, u"P_3"_s}};
        for (const auto& [number, name, ids] : cases) {
            fill({{u()->EdtCustID, number}, {u()->EdtCustName, name}, {u()->EdtBankCard, {}}});
            QStringList seen;
            whenShown(frmSelCust, [&] { seen = column(frmLend->ADOQry2, u"CustID"_s); frmSelCust->reject(); });
            click(u()->BtnQryCust);
            EXPECT_EQ(seen.join(' '), ids) << (number + name).toStdString();
        }
    });
    EXPECT_EQ(messageTexts(), QStringList({u"请输入老客户的证件号、名称或银行卡号之一进行查询！\n\r（支持模糊查询）"_s,
                                           u"系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"_s}));
}

// The fee a hire has earned, worked out and as the return window shows it; the
// return and settlement commands with their checks, transactions and guards.
#include "HireFixture.h"
#include "hire/UnitFee.h"
#include "platform/Errors.h"

namespace {

using ReturnTest = HireFixture;

// Out at 10000 km.
struct FeeCase { const char *name, *unit; QDateTime begin, ret; const char *price, *addPrice; qint64 limit; QString reading; QStringList fee; };

const QDateTime B = M(2026, 5, 1, 9);
const FeeCase kFees[] = {
    {"worked example", "按天", B, M(2026, 5, 3, 15), "150", "0.8", 200, "10800", {"3 天", "450", "160", "610"}},
    {"exactly 24 h is one day", "按天", B, M(2026, 5, 2, 9), "150", "0.8", 200, "", {"1 天", "150", "", "150"}},
    {"a second past 48 h begins a day", "按天", B, M(2026, 5, 3, 9, 0, 1), "150", "0.8", 200, "", {"3 天", "450", "", "450"}},
    {"a month is 31 days", "包月", B, M(2026, 6, 1, 9), "3000", "0.5", 3000, "", {"1 月", "3000", "", "3000"}},
    // 7.5 and 2.5 yuan: a half goes to the even whole yuan.
    {"half up to even", "按小时", B, M(2026, 5, 1, 11, 30), "2.5", "1", 20, "", {"3 小时", "8", "", "8"}},
    {"half down to even", "按小时", B, M(2026, 5, 1, 10), "2.5", "1", 20, "", {"1 小时", "2", "", "2"}},
    {"overrun to the ten-thousandth", "按天", B, M(2026, 5, 2, 9), "150", "0.1234", 100, "10103",
     {"1 天", "150", "0.3702", "150.3702"}},
    // 87,672 hours: the allowance, 87,672 times 30,000 km, is beyond 32 bits; the
    // reading is below it, so no overrun.
    {"ten years by the hour", "按小时", M(2016, 1, 1, 9), M(2026, 1, 1, 9), "12.5", "0.5", 30000, "10100",
     {"87672 小时", "1095900", "0", "1095900"}},
};

TEST(HireFee, Table)
{
    for (const FeeCase& c : kFees) {
        SCOPED_TRACE(c.name);
        const HireFee f = CalcHireFee({.begin = c.begin, .leasoTypeStr = c.unit, .basicPrice = Yuan(c.price),
                                       .limit = c.limit, .odograph1 = 10000, .additionalPrice = Yuan(c.addPrice),
                                       .returnMoment = c.ret, .reading = c.reading});
        EXPECT_EQ(QStringList({f.calDays, f.timeOwe, f.additionalOwe, f.owe}), c.fee);
    }
}

// Readings and allowances another tool stored at the edge of 64 bits: the fee
// is exact while it fits and refused, never wrapped, once it does not. Three
// days by the day at 150; the reading at most 2^31 - 1.
TEST(HireFee, EdgesOfSixtyFourBitsAreExactOrRefused)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max(), kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kTop = 2147483647;   // the largest reading
    const QString kFar = "超程公里数超出范围，无法计算费用，请核对里程读数和限里程！";
    const struct { const char* name; int64_t limit, odo1; const char* reading; int64_t addRaw; QStringList fee; QString refused; } cases[] = {
        {"an allowance of 2^62 a day: nothing beyond", int64_t(1) << 62, 10000, "10800", 1, {"3 天", "450", "0", "450"}, {}},
        {"the largest distance beyond, at the smallest price", 0, kTop - kMax, "2147483647", 1,
         {"3 天", "450", "", ""}, "金额超出范围"},
        {"the largest distance beyond that fits with the fee", 0, kTop - (kMax - 4500000), "2147483647", 1,
         {"3 天", "450", "922337203685027.5807", "922337203685477.5807"}, {}},
        {"one kilometre more than 64 bits", 0, kTop - kMax - 1, "2147483647", 1, {}, kFar},
        {"an allowance below zero past 64 bits", kMin, 10000, "10800", 1, {}, kFar},
        {"no price per kilometre: no distance is too far", kMin, kMin, "2147483647", 0, {"3 天", "450", "", "450"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FeeInput in{.begin = B, .leasoTypeStr = "按天", .basicPrice = Yuan("150"), .limit = c.limit, .odograph1 = c.odo1,
                          .additionalPrice = Currency::fromRaw(c.addRaw), .returnMoment = M(2026, 5, 3, 15), .reading = c.reading};
        try {
            const HireFee f = CalcHireFee(in);
            EXPECT_TRUE(c.refused.isEmpty()) << "not refused";
            EXPECT_EQ(QStringList({f.calDays, f.timeOwe, f.additionalOwe, f.owe}), c.fee);
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), c.refused);
        }
    }
}

// A reading that is no whole number, or a fee beyond what Currency holds (10^14
// yuan a day), is reported; the figures before it stay, the later ones are emptied.
TEST_F(ReturnTest, ReturnWindowFollowsMomentAndReadingWithNoStaleFigures)
{
    standardHire();
    standardHire({.car = "B", .planEnd = M(2026, 6, 21), .price = Yuan("100000000000000")});
    openReturn([&] {
        auto* ui = frmReturn->ui.get();
        // Opened at the present moment, 15 June 12:00: 45 days and 3 hours.
        EXPECT_EQ(Fee(ui), QStringList({"46 天", "6900", "", "6900"}));
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 11, 9));
        type(ui->EdtOdograph, "12500x.");   // letters and points are dropped
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "1500", "400", "1900"}));
        ui->EdtOdograph->setText("10 800");   // pasted
        expectMessage(0, "“10 800”不是有效的整数", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "1500", "", ""}));
        ui->EdtOdograph->clear();
        frmReturn->ADOQry->setRecNo(1);
        expectMessage(1, "金额超出范围", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "", "", ""}));
    });
    EXPECT_EQ(messages.size(), 2u);
}

// A return reading moves the odometer (set above the hire-out reading first) only
// when it is above the hire's hire-out reading; an empty one records none.
TEST_F(ReturnTest, ReturnAsksThenWritesTheHireAndFreesTheVehicle)
{
    const QString memo = "O'Brien's car -- 100% ok; drop table Leaso";
    const QStringList cars{"沪B'99", "A-empty", "A-equal"}, readings{"10800", "", "10000"};
    for (int i = 0; i < 3; ++i) standardHire({.car = cars[i], .planEnd = M(2026, 6, 1 + i)});
    returnedHire({.car = "returned"});
    exec("Update Car set Odograph=12345");
    openReturn([&] {
        auto* ui = frmReturn->ui.get();
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), 3);   // open hires only
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        ui->Memo1->setPlainText(memo);
        for (const QString& r : readings) {   // answered with the default, Yes; the list is reloaded
            clearAndType(ui->EdtOdograph, r);
            click(ui->BtnReturn);
        }
    });
    ASSERT_EQ(messages.size(), 3u);
    expectMessage(0, "确定要归还车辆 “沪B'99” 吗？");
    EXPECT_TRUE(messages[0].buttons == Dlg::Buttons::YesNo && messages[0].defaultButton == Dlg::IdYes);
    EXPECT_EQ(leasoMoment("EndTime", 1), M(2026, 5, 3, 15));
    EXPECT_EQ(leaso("Memo", 1).toString(), memo);
    EXPECT_EQ(RowsText(db(), "Leaso", {"Odograph2", "ChargeTime"}, "LeasoID<=3"), "10800|NULL/NULL|NULL/10000|NULL");
    EXPECT_EQ(RowsText(db(), "Car", {"State", "Odograph"}, "CarID<>'returned'"), "A|10800/A|12345/A|12345");
    EXPECT_EQ(incomes(), 0);
}

// Every command of both windows refuses, before anything is written, a return
// before hire-out (at hire-out is accepted) and pasted text the key filters
// would drop; the settling ones also an empty amount.
TEST_F(ReturnTest, RefusalsComeBeforeAnythingIsWritten)
{
    const qint64 open = standardHire(), returned = returnedHire({.car = "京A-R"});
    const QDateTime after = M(2026, 5, 3, 15);
    const struct { QDateTime at; const char *amount, *reading; QString text; } cases[] = {
        {M(2026, 5, 1, 8, 59), "300", "", "还车时间不应当早于车辆借出时间！"},
        {after, "   ", "", "请输入结算金额！"},
        {after, "-300", "", "“-300”不是有效的金额或数值，这里只能输入数字和小数点，请重新输入！"},
        {after, "300", "1e5", "“1e5”不是有效的整数，这里只能输入数字，请重新输入！"},
    };
    auto refuse = [&](auto* ui, QAbstractButton* command, bool takesAmount) {
        for (const auto& c : cases) {
            if (!takesAmount && QString(c.amount) != "300") continue;
            SCOPED_TRACE(c.text.toStdString() + " " + command->objectName().toStdString());
            SetMoment(ui->DtDate, ui->DtTime, c.at);
            ui->EdtLeaso->setText(c.amount);
            ui->EdtOdograph->setText(c.reading);
            click(command);
            EXPECT_EQ(lastMessage(), c.text);
        }
    };
    openCharge([&] { refuse(frmCharge->ui.get(), frmCharge->ui->Button1, true); });
    openReturn([&] {
        auto* ui = frmReturn->ui.get();
        refuse(ui, ui->BtnReturnCharge, true);
        refuse(ui, ui->BtnReturn, false);
        EXPECT_TRUE(leaso("EndTime", open).isNull());
        EXPECT_EQ(RowsText(db(), "Car", {"State"}, "CarID='京A-10001'"), "B");
        ui->EdtOdograph->clear();
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 1, 9));
        click(ui->BtnReturn);
    });
    EXPECT_EQ(leasoMoment("EndTime", open), M(2026, 5, 1, 9));
    EXPECT_TRUE(leaso("ChargeTime", returned).isNull());
    EXPECT_EQ(incomes(), 0);
}

// The first hire returned meanwhile by a second copy of the program: refused,
// nothing written, the list read afresh. The second fails at the income entry,
// after the hire's and the vehicle's updates, rolls back whole, then goes through.
TEST_F(ReturnTest, ReturnAndSettleIsGuardedRollsBackOnFailureThenWritesChargeAndIncome)
{
    SetClockHook({});   // the database's own clock: local time
    TADOConnection other;
    other.open(dbFile());
    const qint64 taken = standardHire({.car = "A-taken", .planEnd = M(2026, 6, 1)}), id = standardHire({.car = "粤A'7"});
    openReturn([&] {
        auto* ui = frmReturn->ui.get();
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        clearAndType(ui->EdtOdograph, "10800");
        clearAndType(ui->EdtLeaso, "598.5");
        other.execute("Update Leaso set EndTime=1, Odograph2=10500 where LeasoID=:id", {{"id", taken}});
        click(ui->BtnReturnCharge);
        EXPECT_EQ(frmReturn->ADOQry->recordCount(), 1) << "the list was not read afresh";
        EXPECT_EQ(RowsText(db(), "Leaso", {"EndTime", "Odograph2", "Charge"}, "LeasoID=:id", {{"id", taken}}), "1|10500|NULL");

        exec("Alter table Acct rename to Acct_gone");
        clearAndType(ui->EdtOdograph, "10800");
        click(ui->BtnReturnCharge);
        EXPECT_EQ(RowsText(db(), "Leaso", {"EndTime", "Odograph2", "Charge", "ChargeTime"}, "LeasoID=:id", {{"id", id}}),
                  "NULL|NULL|NULL|NULL");
        EXPECT_EQ(RowsText(db(), "Car", {"State", "Odograph"}), "B|10000/B|10000");
        exec("Alter table Acct_gone rename to Acct");
        click(ui->BtnReturnCharge);
    });
    ASSERT_EQ(messages.size(), 5u);   // each command confirmed; the notice, the error
    expectMessage(1, EChangedError().message());
    EXPECT_TRUE(messages[3].text.contains("Acct", Qt::CaseInsensitive)) << messages[3].text.toStdString();
    EXPECT_FALSE(db().inTransaction());
    expectSettled(id, Yuan("598.5"), "粤A'7");
    EXPECT_EQ(leasoMoment("EndTime", id), M(2026, 5, 3, 15));
    EXPECT_EQ(leaso("Odograph2", id).toLongLong(), 10800);
    EXPECT_EQ(RowsText(db(), "Car", {"State", "Odograph"}), "B|10000/A|10800");
}

// Open and settled hires are not listed. The first listed, settled meanwhile by a
// second copy: refused, the list read afresh. The next is settled with its moment
// moved, a new reading and the income entry; the last, its date moved, without
// the entry and with the reading emptied, which keeps the recorded one.
TEST_F(ReturnTest, SettleIsGuardedAndStoresAmountMomentReadingAndIncome)
{
    SetClockHook({});   // the database's own clock: local time
    TADOConnection other;
    other.open(dbFile());
    standardHire({.car = "open"});
    exec("Update Leaso set Charge=1000000, ChargeTime=EndTime where LeasoID=:id", {{"id", returnedHire({.car = "settled"})}});
    const qint64 taken = returnedHire({.car = "taken"}), id1 = returnedHire({.car = "苏E'55"}), id2 = returnedHire({.car = "苏F-6"});
    openCharge([&] {
        auto* ui = frmCharge->ui.get();
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 3);
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "160", "610"}));   // moment and reading from the row
        other.execute("Update Leaso set ChargeTime=Now(), Charge=5000000 where LeasoID=:id", {{"id", taken}});
        clearAndType(ui->EdtLeaso, "300");
        click(ui->Button1);
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 2) << "the list was not read afresh";
        ui->DtTime->setTime(QTime(16, 30));
        clearAndType(ui->EdtOdograph, "10850");
        clearAndType(ui->EdtLeaso, "650.25");
        click(ui->Button1);
        ASSERT_EQ(ui->EdtCarID->text(), "苏F-6");
        ui->DtDate->setDate(QDate(2026, 5, 4));
        clearAndType(ui->EdtOdograph, "");
        ui->ChkSynchro->setChecked(false);
        clearAndType(ui->EdtLeaso, "600");
        click(ui->Button1);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0);
    });
    EXPECT_EQ(messageTexts(), QStringList({EChangedError().message(), "结算信息已保存！", "结算信息已保存！"}));
    expectMessage(0, EChangedError().message());
    expectSettled(id1, Yuan("650.25"), "苏E'55");
    EXPECT_EQ(RowsText(db(), "Leaso", {"Charge", "Odograph2"}, "LeasoID>=:id", {{"id", taken}}), "5000000|10800/6502500|10850/6000000|10800");
    EXPECT_EQ(leasoMoment("EndTime", id1), M(2026, 5, 3, 16, 30));
    EXPECT_EQ(leasoMoment("EndTime", id2), M(2026, 5, 4, 15));
}

// The same edges through the return window, over 64-bit values as stored: an
// allowance of 2^62 gives the exact fee; a hire-out reading so low that the
// distance past it leaves 64 bits is refused, the figures after it left empty.
TEST_F(ReturnTest, ReturnWindowShowsNoWrappedFee)
{
    const qint64 huge = standardHire(), low = standardHire({.car = "B", .planEnd = M(2026, 6, 21)});
    exec("Update Leaso set [Limit]=4611686018427387904, AdditionalPrice=1 where LeasoID=:id", {{"id", huge}});
    exec("Update Leaso set Odograph1=:odo, [Limit]=0, AdditionalPrice=1 where LeasoID=:id",
         {{"odo", std::numeric_limits<qint64>::min() + 2147483646}, {"id", low}});
    openReturn([&] {
        auto* ui = frmReturn->ui.get();
        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 3, 15));
        type(ui->EdtOdograph, "10800");
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "0", "450"}));
        ui->EdtOdograph->clear();
        frmReturn->ADOQry->setRecNo(1);
        ui->EdtOdograph->setText("2147483647");
        expectBox("超程公里数超出范围，无法计算费用，请核对里程读数和限里程！", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "", ""}));
    });
}

// The list runs by planned return; one due before the present moment (noon on
// 15 June) is red in every cell, one due then or later is not.
TEST_F(ReturnTest, OverdueHiresAreDrawnRed)
{
    const struct { const char* car; QDateTime planEnd; bool red; } rows[] = {
        {"long overdue", M(2026, 5, 2, 9), true},
        {"a second overdue", M(2026, 6, 15, 11, 59, 59), true},
        {"due now", M(2026, 6, 15, 12), false},
        {"due in a second", M(2026, 6, 15, 12, 0, 1), false},
    };
    for (int i = 3; i >= 0; --i) standardHire({.car = rows[i].car, .planEnd = rows[i].planEnd});
    openReturn([&] {
        TDBGrid* g = frmReturn->ui->DBGrid1;
        ASSERT_EQ(g->model()->rowCount(), 4);
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(g->model()->index(r, 1).data().toString(), rows[r].car);
            for (int c = 1; c < g->model()->columnCount(); ++c)
                EXPECT_EQ(g->model()->index(r, c).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red), rows[r].red)
                    << rows[r].car << " column " << c;
        }
        EXPECT_EQ(g->toolTip(), "红色表示应还车辆");
    });
}

} // namespace

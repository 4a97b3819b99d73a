// The fee a hire has earned (charged units, time fee, overrun fee, total): the
// calculation itself, then once as the return window shows it.
#include "HireFixture.h"
#include "hire/UnitFee.h"

namespace {

struct FeeCase {
    const char* name;
    const char* unit;
    QDateTime begin, ret;
    const char *price, *addPrice;
    qint64 limit;
    QString reading;   // out at 10000 km
    QStringList fee;
};

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

class FeeTest : public HireFixture {};

// The standard hire, and one at 10^14 yuan a day whose fee is beyond what
// Currency holds. A reading that is no whole number or an amount out of range
// is reported; the figures worked out before it stay, the later ones are emptied.
TEST_F(FeeTest, ReturnWindowFollowsMomentAndReadingWithNoStaleFigures)
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

} // namespace

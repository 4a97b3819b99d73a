// The fee worked out for a hire (charged units, time fee, overrun fee, total)
// as the return and settlement windows show it.
#include "HireFixture.h"
#include <QTest>

namespace {

struct FeeCase {
    const char* name;
    int type;
    QDateTime begin, ret;
    const char *price, *addPrice;
    qint64 limit, odo1;
    QString reading;
    QStringList fee;   // units, time fee, overrun fee, total
};

const QDateTime B = M(2026, 5, 1, 9);
const std::vector<FeeCase> kFees = {
    {"worked example", 0, B, M(2026, 5, 3, 15), "150", "0.8", 200, 10000, "10800", {"3 天", "450", "160", "610"}},
    {"exactly 24 h, no reading", 0, B, M(2026, 5, 2, 9), "150", "0.8", 200, 10000, "", {"1 天", "150", "", "150"}},
    {"48 h and a second", 0, B, M(2026, 5, 3, 9, 0, 1), "150", "0.8", 200, 10000, "", {"3 天", "450", "", "450"}},
    {"month, 20 days", 1, B, M(2026, 5, 21, 9), "3000", "0.5", 3000, 5000, "", {"1 月", "3000", "", "3000"}},
    {"month, exactly 31 days", 1, B, M(2026, 6, 1, 9), "3000", "0.5", 3000, 5000, "", {"1 月", "3000", "", "3000"}},
    {"month, 40 days", 1, B, M(2026, 6, 10, 9), "3000", "0.5", 3000, 5000, "", {"2 月", "6000", "", "6000"}},
    // 7.5 and 2.5 yuan: a half goes to the even whole yuan.
    {"hour, 2 h 30 min at 2.5", 2, B, M(2026, 5, 1, 11, 30), "2.5", "1", 20, 100, "", {"3 小时", "8", "", "8"}},
    {"hour, exactly 1 h at 2.5", 2, B, M(2026, 5, 1, 10), "2.5", "1", 20, 100, "", {"1 小时", "2", "", "2"}},
    {"return equal to begin", 0, B, B, "150", "0.8", 200, 10000, "10800", {"0 天", "", "", ""}},
    {"reading below hire-out", 0, B, M(2026, 5, 3, 15), "150", "0.8", 200, 10000, "9000", {"3 天", "450", "0", "450"}},
    {"price per km 0", 0, B, M(2026, 5, 3, 15), "150", "0", 200, 10000, "12000", {"3 天", "450", "", "450"}},
    {"overrun to the ten-thousandth", 0, B, M(2026, 5, 2, 9), "150", "0.1234", 100, 1000, "1103",
     {"1 天", "150", "0.3702", "150.3702"}},
    {"unknown pricing code", 7, B, M(2026, 5, 3, 15), "150", "0.8", 200, 10000, "", {"0 ", "0", "", "0"}},
    {"unknown code, reading given", 7, B, M(2026, 5, 3, 15), "150", "1", 200, 10000, "10100",
     {"0 ", "0", "100", "100"}},
    // 87,672 hours: the allowance 87,672 * 30,000 km is beyond 32 bits.
    {"ten years by the hour", 2, M(2016, 1, 1, 9), M(2026, 1, 1, 9), "12.5", "0.5", 30000, 0, "100",
     {"87672 小时", "1095900", "0", "1095900"}},
    {"ten years by the hour, long overrun", 2, M(2016, 1, 1, 9), M(2026, 1, 1, 9), "12.5", "0.5", 1, 0,
     "2000000000", {"87672 小时", "1095900", "999956164", "1001052064"}},
    {"fifty years by the day", 0, M(2000, 1, 1), M(2050, 1, 1, 0, 0, 1), "99999.99", "1", 2000000000, 0,
     "2000000000", {"18264 天", "1826399817", "0", "1826399817"}},
};

class FeeTest : public HireFixture {};

// Each case twice: open (B-nnn, typed into the return window) and returned
// with its reading (C-nnn, taken from the row by the settlement window).
TEST_F(FeeTest, TableThroughBothWindows)
{
    for (size_t i = 0; i < kFees.size(); ++i) {
        const FeeCase& c = kFees[i];
        Hire h{.car = QString::asprintf("B-%03zu", i), .type = c.type, .begin = c.begin,
               .planEnd = M(2026, 7, 1).addDays(qint64(i)),   // the return list's order
               .price = Yuan(c.price), .limit = c.limit, .addPrice = Yuan(c.addPrice), .odo1 = c.odo1};
        standardHire(h);
        h.car = QString::asprintf("C-%03zu", i);
        h.end = c.ret;
        if (!c.reading.isEmpty()) h.odo2 = c.reading.toLongLong();
        standardHire(h);
    }
    openReturn([&] {
        auto* ui = frmReturn->ui;
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), int(kFees.size()));
        for (size_t i = 0; i < kFees.size(); ++i) {
            SCOPED_TRACE(kFees[i].name);
            frmReturn->ADOQry->setRecNo(int(i));
            ASSERT_EQ(ui->EdtCarID->text(), QString::asprintf("B-%03zu", i));
            SetMoment(ui->DtDate, ui->DtTime, kFees[i].ret);
            clearAndType(ui->EdtOdograph, kFees[i].reading);
            EXPECT_EQ(Fee(ui), kFees[i].fee);
        }
    });
    openCharge([&] {
        auto* ui = frmCharge->ui;
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), int(kFees.size()));
        for (int r = 0; r < int(kFees.size()); ++r) {
            frmCharge->ADOQry->setRecNo(r);
            const FeeCase& c = kFees[size_t(ui->EdtCarID->text().mid(2).toInt())];
            SCOPED_TRACE(c.name);
            EXPECT_EQ(MomentOf(ui->DtDate, ui->DtTime), c.ret);
            EXPECT_EQ(ui->EdtOdograph->text(), c.reading);
            EXPECT_EQ(Fee(ui), c.fee);
        }
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
}

// The standard hire (by the day at 150, 200 km at 0.8, out 1 May 9:00 at 10000),
// then one at 10^14 yuan a day and one at 10^14 yuan a km: amounts beyond what
// Currency holds. A reading that is no whole number or an amount out of range is
// reported; the figures worked out before it stay, the later ones are emptied.
TEST_F(FeeTest, BoxesFollowThePickersAndTheReadingWithNoStaleFigures)
{
    standardHire();
    standardHire({.car = "B", .planEnd = M(2026, 6, 21), .price = Yuan("100000000000000")});
    standardHire({.car = "C", .planEnd = M(2026, 6, 22), .addPrice = Yuan("100000000000000")});
    openReturn([&] {
        auto* ui = frmReturn->ui;
        // Shown at the present moment, 15 June 12:00: 45 days and 3 hours.
        EXPECT_EQ(MomentOf(ui->DtDate, ui->DtTime), fixedNow());
        EXPECT_EQ(Fee(ui), QStringList({"46 天", "6900", "", "6900"}));
        ui->DtDate->setDate(QDate(2026, 5, 3));
        EXPECT_EQ(ui->EdtCalDays->text(), "3 天");
        ui->DtTime->setTime(QTime(9, 0));
        EXPECT_EQ(Fee(ui), QStringList({"2 天", "300", "", "300"}));
        type(ui->EdtOdograph, "10500x.");   // letters and points are dropped
        EXPECT_EQ(Fee(ui), QStringList({"2 天", "300", "80", "380"}));
        QTest::keyClick(ui->EdtOdograph, Qt::Key_Backspace);
        EXPECT_EQ(Fee(ui), QStringList({"2 天", "300", "0", "300"}));
        ui->DBGrid1->grab();
        EXPECT_EQ(ui->DBGrid1->toolTip(), "");   // nothing overdue

        SetMoment(ui->DtDate, ui->DtTime, M(2026, 5, 11, 9));
        clearAndType(ui->EdtOdograph, "200000");
        const QStringList first{"10 天", "1500", "150400", "151900"};
        EXPECT_EQ(Fee(ui), first);
        ui->EdtOdograph->setText("10 800");   // pasted
        expectMessage(0, "“10 800”不是有效的整数", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "1500", "", ""}));
        ui->EdtOdograph->setText("99999999999");
        expectMessage(1, "“99999999999”超出整数的范围", Dlg::Icon::Error);
        ui->EdtOdograph->setText("200000");
        EXPECT_EQ(Fee(ui), first);
        frmReturn->ADOQry->setRecNo(1);
        expectMessage(2, "金额超出范围", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "", "", ""}));
        frmReturn->ADOQry->setRecNo(2);
        expectMessage(3, "金额超出范围", Dlg::Icon::Error);
        EXPECT_EQ(Fee(ui), QStringList({"10 天", "1500", "", ""}));
        frmReturn->ADOQry->setRecNo(0);
        EXPECT_EQ(Fee(ui), first);
    });
    EXPECT_EQ(messages.size(), 4u);
    // Reopened later: the moment is the new present, the reading stays.
    SetClockHook([] { return M(2026, 6, 16, 8, 30); });
    openReturn([&] {
        EXPECT_EQ(MomentOf(frmReturn->ui->DtDate, frmReturn->ui->DtTime), M(2026, 6, 16, 8, 30));
        EXPECT_EQ(Fee(frmReturn->ui), QStringList({"46 天", "6900", "144640", "151540"}));
    });
}

} // namespace

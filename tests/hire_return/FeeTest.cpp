// The fee worked out for a hire: counts of charged units, the time fee, the
// overrun fee and the total, through the return window's boxes.
#include "HireFixture.h"
#include "hire/UnitCharge.h"
#include "hire/UnitFee.h"
#include "hire/UnitReturn.h"
#include "ui_UnitCharge.h"
#include "ui_UnitReturn.h"
#include "platform/Pickers.h"
#include <QTest>

namespace {

struct FeeCase {
    const char* name;
    QVariant type;
    QDateTime begin;
    QDateTime ret;
    const char* price;
    qint64 limit;
    const char* addPrice;
    qint64 odo1;
    QString reading;
    QString calDays, timeOwe, additionalOwe, owe;
};

const QDateTime B = M(2026, 5, 1, 9, 0, 0);
const QString D = QStringLiteral("天"), Mo = QStringLiteral("月"), H = QStringLiteral("小时");
QString u(qint64 n, const QString& w) { return QString::number(n) + QLatin1Char(' ') + w; }

std::vector<FeeCase> feeTable()
{
    const QString none;
    return {
        {"worked example", 0, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "0.8", 10000, "10800", u(3, D), "450", "160", "610"},
        {"exactly one day, no reading", 0, B, M(2026, 5, 2, 9, 0, 0), "150", 200, "0.8", 10000, "", u(1, D), "150", "", "150"},
        {"one minute", 0, M(2026, 5, 1, 10, 0, 0), M(2026, 5, 1, 10, 1, 0), "150", 200, "0.8", 10000, "", u(1, D), "150", "", "150"},
        {"one day and a second", 0, B, M(2026, 5, 2, 9, 0, 1), "150", 200, "0.8", 10000, "", u(2, D), "300", "", "300"},
        {"exactly two days", 0, B, M(2026, 5, 3, 9, 0, 0), "150", 200, "0.8", 10000, "", u(2, D), "300", "", "300"},
        {"exactly three days", 0, B, M(2026, 5, 4, 9, 0, 0), "150", 200, "0.8", 10000, "", u(3, D), "450", "", "450"},
        {"two days and a second", 0, B, M(2026, 5, 3, 9, 0, 1), "150", 200, "0.8", 10000, "", u(3, D), "450", "", "450"},
        {"month, 20 days", 1, B, M(2026, 5, 21, 9, 0, 0), "3000", 3000, "0.5", 5000, "", u(1, Mo), "3000", "", "3000"},
        {"month, exactly 31 days", 1, B, M(2026, 6, 1, 9, 0, 0), "3000", 3000, "0.5", 5000, "", u(1, Mo), "3000", "", "3000"},
        {"month, 40 days", 1, B, M(2026, 6, 10, 9, 0, 0), "3000", 3000, "0.5", 5000, "", u(2, Mo), "6000", "", "6000"},
        {"month, exactly 62 days", 1, B, M(2026, 7, 2, 9, 0, 0), "3000", 3000, "0.5", 5000, "", u(2, Mo), "6000", "", "6000"},
        {"month, 62 days and a second", 1, B, M(2026, 7, 2, 9, 0, 1), "3000", 3000, "0.5", 5000, "", u(3, Mo), "9000", "", "9000"},
        {"hour, 2 h 30 min at 2.5", 2, B, M(2026, 5, 1, 11, 30, 0), "2.5", 20, "1", 100, "", u(3, H), "8", "", "8"},
        {"hour, exactly 3 h", 2, B, M(2026, 5, 1, 12, 0, 0), "2.5", 20, "1", 100, "", u(3, H), "8", "", "8"},
        {"hour, one charged hour at 2.5", 2, B, M(2026, 5, 1, 9, 59, 59), "2.5", 20, "1", 100, "", u(1, H), "2", "", "2"},
        {"half a yuan rounds to even: 100.5", 0, B, M(2026, 5, 2, 9, 0, 0), "100.5", 0, "0", 0, "", u(1, D), "100", "", "100"},
        {"half a yuan rounds to even: 301.5", 0, B, M(2026, 5, 4, 9, 0, 0), "100.5", 0, "0", 0, "", u(3, D), "302", "", "302"},
        {"return equal to begin", 0, B, B, "150", 200, "0.8", 10000, "10800", u(0, D), none, none, none},
        {"return before begin", 2, B, M(2026, 4, 30, 9, 0, 0), "150", 200, "0.8", 10000, "10800", u(0, H), none, none, none},
        {"reading within the allowance", 0, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "0.8", 10000, "10500", u(3, D), "450", "0", "450"},
        {"reading below the hire-out reading", 0, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "0.8", 10000, "9000", u(3, D), "450", "0", "450"},
        {"price per km 0", 0, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "0", 10000, "12000", u(3, D), "450", none, "450"},
        {"overrun kept to the ten-thousandth", 0, B, M(2026, 5, 2, 9, 0, 0), "150", 100, "0.1234", 1000, "1103", u(1, D), "150", "0.3702", "150.3702"},
        {"unknown pricing code", 7, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "0.8", 10000, "", u(0, none), "0", none, "0"},
        {"unknown pricing code, reading given", 7, B, M(2026, 5, 3, 15, 0, 0), "150", 200, "1", 10000, "10100", u(0, none), "0", "100", "100"},
        // 87,672 hours; the allowance 87,672 * 30,000 is beyond 32 bits and must not wrap.
        {"ten years by the hour", 2, M(2016, 1, 1, 9, 0, 0), M(2026, 1, 1, 9, 0, 0), "12.5", 30000, "0.5", 0, "100",
         u(87672, H), "1095900", "0", "1095900"},
        {"ten years by the hour, long overrun", 2, M(2016, 1, 1, 9, 0, 0), M(2026, 1, 1, 9, 0, 0), "12.5", 1, "0.5", 0,
         "2000000000", u(87672, H), "1095900", "999956164", "1001052064"},
        {"fifty years by the day", 0, M(2000, 1, 1, 0, 0, 0), M(2050, 1, 1, 0, 0, 1), "99999.99", 2000000000, "1", 0,
         "2000000000", u(18264, D), "1826399817", "0", "1826399817"},
    };
}

class FeeTest : public HireFixture {};

TEST(FeeUnits, WholeSecondsCeiling)
{
    EXPECT_EQ(ChargedUnits(86400, QStringLiteral("天")), 1);
    EXPECT_EQ(ChargedUnits(86401, QStringLiteral("天")), 2);
    EXPECT_EQ(ChargedUnits(1, QStringLiteral("天")), 1);
    EXPECT_EQ(ChargedUnits(31 * 86400, QStringLiteral("月")), 1);
    EXPECT_EQ(ChargedUnits(31 * 86400 + 1, QStringLiteral("月")), 2);
    EXPECT_EQ(ChargedUnits(3 * 3600, QStringLiteral("小时")), 3);
    EXPECT_EQ(ChargedUnits(0, QStringLiteral("小时")), 0);
    EXPECT_EQ(ChargedUnits(1000, QString()), 0);
    EXPECT_EQ(FeeUnitWord(QStringLiteral("按天")), QStringLiteral("天"));
    EXPECT_EQ(FeeUnitWord(QStringLiteral("包月")), QStringLiteral("月"));
    EXPECT_EQ(FeeUnitWord(QStringLiteral("按小时")), QStringLiteral("小时"));
    EXPECT_EQ(FeeUnitWord(QString()), QString());
}

TEST_F(FeeTest, TableThroughTheReturnWindow)
{
    const auto table = feeTable();
    addCustomer(QStringLiteral("C1"), QStringLiteral("李四"));
    QVector<qint64> keys;
    for (size_t i = 0; i < table.size(); ++i) {
        const FeeCase& c = table[i];
        Hire h;
        h.car = QStringLiteral("京B-%1").arg(i, 3, 10, QLatin1Char('0'));
        h.cust = QStringLiteral("C1");
        h.type = c.type;
        h.begin = c.begin;
        h.planEnd = M(2026, 7, 1).addDays(qint64(i));   // the list comes in this order
        h.price = Yuan(c.price);
        h.limit = c.limit;
        h.addPrice = Yuan(c.addPrice);
        h.odo1 = c.odo1;
        addCar(h.car, c.odo1);
        keys << addHire(h);
    }
    withWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        auto* ui = frmReturn->ui;
        ASSERT_EQ(frmReturn->ADOQry->recordCount(), int(table.size()));
        for (size_t i = 0; i < table.size(); ++i) {
            const FeeCase& c = table[i];
            SCOPED_TRACE(c.name);
            frmReturn->ADOQry->setRecNo(int(i));
            ASSERT_EQ(frmReturn->ADOQry->fieldByName(QStringLiteral("LeasoID")).asInteger(), keys[int(i)]);
            ui->DtDate->setDate(c.ret.date());
            ui->DtTime->setTime(c.ret.time());
            AppFixture::clearAndType(ui->EdtOdograph, c.reading);
            EXPECT_EQ(ui->EdtCalDays->text(), c.calDays);
            EXPECT_EQ(ui->EdtTimeOwe->text(), c.timeOwe);
            EXPECT_EQ(ui->EdtAdditionalOwe->text(), c.additionalOwe);
            EXPECT_EQ(ui->EdtOwe->text(), c.owe);
        }
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
}

TEST_F(FeeTest, BoxesFollowThePickersAndTheReading)
{
    standardHire();   // by the day, 150, 200 km, 0.8, begin 1 May 9:00, reading 10000
    withWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        auto* ui = frmReturn->ui;
        // Shown at the fixed present moment, 15 June 12:00: 45 days and 3 hours.
        EXPECT_EQ(ui->DtDate->date(), QDate(2026, 6, 15));
        EXPECT_EQ(ui->DtTime->time(), QTime(12, 0, 0));
        AppFixture::clearAndType(ui->EdtOdograph, QString());
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("46 天"));
        EXPECT_EQ(ui->EdtTimeOwe->text(), QStringLiteral("6900"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("6900"));

        ui->DtDate->setDate(QDate(2026, 5, 3));
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("3 天"));
        ui->DtTime->setTime(QTime(9, 0, 0));
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("2 天"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("300"));

        AppFixture::type(ui->EdtOdograph, QStringLiteral("10500"));
        EXPECT_EQ(ui->EdtAdditionalOwe->text(), QStringLiteral("80"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("380"));
        // Letters are dropped by the filter; Backspace changes the figures.
        AppFixture::type(ui->EdtOdograph, QStringLiteral("x."));
        EXPECT_EQ(ui->EdtOdograph->text(), QStringLiteral("10500"));
        QTest::keyClick(ui->EdtOdograph, Qt::Key_Backspace);
        EXPECT_EQ(ui->EdtAdditionalOwe->text(), QStringLiteral("0"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("300"));
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(FeeTest, ReadingThatDoesNotConvertIsReported)
{
    standardHire();
    withWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        auto* ui = frmReturn->ui;
        ui->DtDate->setDate(QDate(2026, 5, 3));
        ui->DtTime->setTime(QTime(15, 0, 0));
        AppFixture::clearAndType(ui->EdtOdograph, QStringLiteral("10800"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("610"));
        // Pasted text, and a number beyond the range of a reading.
        ui->EdtOdograph->setText(QStringLiteral("10 800"));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().text, QStringLiteral("“10 800”不是有效的整数"));
        EXPECT_EQ(messages.back().caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("3 天"));
        EXPECT_EQ(ui->EdtTimeOwe->text(), QStringLiteral("450"));
        EXPECT_EQ(ui->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui->EdtOwe->text(), QString());
        ui->EdtOdograph->setText(QStringLiteral("99999999999"));
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages.back().text, QStringLiteral("“99999999999”超出整数的范围"));
        ui->EdtOdograph->setText(QStringLiteral("10800"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("610"));
    });
}

TEST_F(FeeTest, AmountBeyondTheMoneyRangeLeavesNoStaleFigures)
{
    // A day price of 10^14 yuan: ten days are beyond what an amount can hold.
    Hire a; a.car = QStringLiteral("A-normal"); a.planEnd = M(2026, 6, 1);
    Hire b; b.car = QStringLiteral("B-huge"); b.planEnd = M(2026, 6, 2); b.price = Yuan("100000000000000");
    Hire c; c.car = QStringLiteral("C-huge-km"); c.planEnd = M(2026, 6, 3); c.addPrice = Yuan("100000000000000");
    for (const Hire* h : {&a, &b, &c}) standardHire(*h);
    withWindow(frmReturn, &TfrmMain::BtnReturnClick, [&] {
        auto* ui = frmReturn->ui;
        ui->DtDate->setDate(QDate(2026, 5, 11));
        ui->DtTime->setTime(QTime(9, 0, 0));
        AppFixture::clearAndType(ui->EdtOdograph, QStringLiteral("200000"));
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("151900"));
        messages.clear();
        frmReturn->ADOQry->setRecNo(1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("金额超出范围"));
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("10 天"));
        EXPECT_EQ(ui->EdtTimeOwe->text(), QString());
        EXPECT_EQ(ui->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui->EdtOwe->text(), QString());
        // The time fee fits, the overrun does not.
        frmReturn->ADOQry->setRecNo(2);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(ui->EdtCalDays->text(), QStringLiteral("10 天"));
        EXPECT_EQ(ui->EdtTimeOwe->text(), QStringLiteral("1500"));
        EXPECT_EQ(ui->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui->EdtOwe->text(), QString());
        frmReturn->ADOQry->setRecNo(0);
        EXPECT_EQ(ui->EdtOwe->text(), QStringLiteral("151900"));
    });
}

TEST_F(FeeTest, SettlementWindowWorksOutTheSameFigures)
{
    const auto table = feeTable();
    addCustomer(QStringLiteral("C1"), QStringLiteral("李四"));
    for (size_t i = 0; i < table.size(); ++i) {
        const FeeCase& c = table[i];
        Hire h;
        h.car = QStringLiteral("京C-%1").arg(i, 3, 10, QLatin1Char('0'));
        h.cust = QStringLiteral("C1");
        h.type = c.type;
        h.begin = c.begin;
        h.end = c.ret;
        h.price = Yuan(c.price);
        h.limit = c.limit;
        h.addPrice = Yuan(c.addPrice);
        h.odo1 = c.odo1;
        if (!c.reading.isEmpty()) h.odo2 = c.reading.toLongLong();
        addCar(h.car, c.odo1, QStringLiteral("A"));
        addHire(h);
    }
    withWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
        auto* ui = frmCharge->ui;
        TDataSet* ds = frmCharge->ADOQry;
        ASSERT_EQ(ds->recordCount(), int(table.size()));
        for (int r = 0; r < ds->recordCount(); ++r) {
            ds->setRecNo(r);
            const int i = ds->fieldByName(QStringLiteral("CarID")).asString().mid(3).toInt();
            const FeeCase& c = table[size_t(i)];
            SCOPED_TRACE(c.name);
            // The window takes the recorded return moment and reading from the row.
            EXPECT_EQ(MomentOf(ui->DtDate, ui->DtTime), c.ret);
            EXPECT_EQ(ui->EdtOdograph->text(), c.reading);
            EXPECT_EQ(ui->EdtCalDays->text(), c.calDays);
            EXPECT_EQ(ui->EdtTimeOwe->text(), c.timeOwe);
            EXPECT_EQ(ui->EdtAdditionalOwe->text(), c.additionalOwe);
            EXPECT_EQ(ui->EdtOwe->text(), c.owe);
        }
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
}

} // namespace

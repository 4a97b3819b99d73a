// The settlement window: returned, unsettled hires; settling with its guard,
// notice and income entry.
#include "HireFixture.h"
#include "platform/Errors.h"

namespace {

class ChargeTest : public HireFixture {};

// Neither the open hire nor the settled one is listed. The first is settled with
// its moment moved, a new reading and the income entry; the second, its date
// moved, without the entry and with the reading box emptied, which keeps the
// recorded reading.
TEST_F(ChargeTest, SettleStoresAmountMomentReadingAndIncome)
{
    SetClockHook({});   // the database's own clock: local time
    standardHire({.car = "open"});
    exec("Update Leaso set Charge=1000000, ChargeTime=EndTime where LeasoID=:id", {{"id", returnedHire({.car = "settled"})}});
    const qint64 id1 = returnedHire({.car = "苏E'55"}), id2 = returnedHire({.car = "苏F-6"});
    openCharge([&] {
        auto* ui = frmCharge->ui.get();
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 2);
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "160", "610"}));   // moment and reading from the row
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
    EXPECT_EQ(messageTexts(), QStringList(2, "结算信息已保存！"));
    expectSettled(id1, Yuan("650.25"), "苏E'55");
    EXPECT_EQ(moment(leaso(id1, "EndTime")), M(2026, 5, 3, 16, 30));
    EXPECT_EQ(leaso(id1, "Odograph2").toLongLong(), 10850);
    EXPECT_EQ(money(leaso(id2, "Charge")), Currency::fromYuan(600));
    EXPECT_EQ(moment(leaso(id2, "EndTime")), M(2026, 5, 4, 15));
    EXPECT_EQ(leaso(id2, "Odograph2").toLongLong(), 10800);
}

// A second copy of the program on the same file settles the hire first: the
// settlement is refused with the notice, nothing written, and the list read afresh.
TEST_F(ChargeTest, SettlementOfAHireSettledMeanwhileIsRefused)
{
    TADOConnection other;
    other.open(dbFile());
    const qint64 id = returnedHire();
    openCharge([&] {
        other.execute("Update Leaso set ChargeTime=Now(), Charge=5000000");
        clearAndType(frmCharge->ui->EdtLeaso, "300");
        click(frmCharge->ui->Button1);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0) << "the list was not read afresh";
    });
    ASSERT_EQ(messages.size(), 1u);
    expectMessage(0, EChangedError().message());
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
    EXPECT_EQ(money(leaso(id, "Charge")), Yuan("500"));
}

} // namespace

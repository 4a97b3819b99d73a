// The settlement window: returned, unsettled hires; settling with its checks,
// transaction, notice and income entry.
#include "HireFixture.h"

namespace {

class ChargeTest : public HireFixture {};

// Neither the open hire nor the settled one is listed. The first row's settlement
// fails at the income entry and rolls back; the window keeps what was typed, and
// settling again stores it with the income entry. The second row, its moment moved
// by the pickers, is settled without it and with the reading box emptied, which
// keeps the recorded reading. The vehicles are left as they were.
TEST_F(ChargeTest, SettleRollsBackOnFailureThenStoresAmountMomentReadingAndMemo)
{
    SetClockHook({});   // the database's own clock: local time
    standardHire({.car = "open"});
    returnedHire({.car = "settled", .charge = QVariant::fromValue(Yuan("100")), .chargeTime = M(2026, 5, 4)});
    returnedHire({.car = "苏E'55", .memo = "刮痕 O'Brien"});
    returnedHire({.car = "苏F-6", .memo = "刮痕 O'Brien"});
    exec("Update Car set Odograph=11111, State='D'");
    exec("Alter table Acct rename to Acct_gone");
    QString first, second;
    auto hire = [&](const QString& car) {
        return scalar("Select LeasoID from Leaso where CarID=:c", {{"c", car}}).toLongLong();
    };
    openCharge([&] {
        auto* ui = frmCharge->ui;
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 2);
        first = ui->EdtCarID->text();
        EXPECT_EQ(ui->Memo1->toPlainText(), "刮痕 O'Brien");
        ui->DtTime->setTime(QTime(16, 30));
        clearAndType(ui->EdtOdograph, "10850");
        ui->Memo1->setPlainText("100% -- 'paid'");
        clearAndType(ui->EdtLeaso, "650.25");
        click(ui->Button1);
        expectDbError(0, "Acct", Dlg::Icon::Error);
        EXPECT_FALSE(db().inTransaction());
        EXPECT_TRUE(leaso(hire(first), "ChargeTime").isNull());
        EXPECT_TRUE(leaso(hire(first), "Charge").isNull());
        EXPECT_EQ(leaso(hire(first), "Odograph2").toLongLong(), 10800);
        EXPECT_EQ(ui->EdtCarID->text(), first);
        EXPECT_EQ(ui->EdtOdograph->text(), "10850");

        exec("Alter table Acct_gone rename to Acct");
        click(ui->Button1);
        // The other hire fills the window from its row.
        second = ui->EdtCarID->text();
        EXPECT_NE(second, first);
        EXPECT_EQ(ui->Memo1->toPlainText(), "刮痕 O'Brien");
        EXPECT_EQ(MomentOf(ui->DtDate, ui->DtTime), M(2026, 5, 3, 15));
        EXPECT_EQ(ui->EdtOdograph->text(), "10800");
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "160", "610"}));
        ui->DtTime->setTime(QTime(9, 0));
        EXPECT_EQ(Fee(ui), QStringList({"2 天", "300", "320", "620"}));
        ui->DtDate->setDate(QDate(2026, 5, 4));
        EXPECT_EQ(ui->EdtCalDays->text(), "3 天");
        clearAndType(ui->EdtOdograph, "");
        EXPECT_EQ(Fee(ui), QStringList({"3 天", "450", "", "450"}));
        ui->ChkSynchro->setChecked(false);
        clearAndType(ui->EdtLeaso, "600");
        click(ui->Button1);
        // The emptied list: its figures, the amount kept, and settling does nothing.
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0);
        EXPECT_EQ(ui->EdtCarID->text() + ui->Memo1->toPlainText() + ui->EdtOdograph->text(), "");
        EXPECT_EQ(Fee(ui), QStringList({"0 ", "0", "", "0"}));
        EXPECT_EQ(ui->EdtLeaso->text(), "600");
        click(ui->Button1);
    });
    ASSERT_EQ(messages.size(), 3u);
    expectMessage(1, "结算信息已保存！");
    expectMessage(2, "结算信息已保存！");
    const qint64 id1 = hire(first), id2 = hire(second);
    expectSettled(id1, Yuan("650.25"), first);
    EXPECT_EQ(moment(leaso(id1, "EndTime")), M(2026, 5, 3, 16, 30));
    EXPECT_EQ(leaso(id1, "Odograph2").toLongLong(), 10850);
    EXPECT_EQ(leaso(id1, "Memo").toString(), "100% -- 'paid'");
    EXPECT_EQ(money(leaso(id2, "Charge")), Currency::fromYuan(600));
    EXPECT_FALSE(leaso(id2, "ChargeTime").isNull());
    EXPECT_EQ(moment(leaso(id2, "EndTime")), M(2026, 5, 4, 9));
    EXPECT_EQ(leaso(id2, "Odograph2").toLongLong(), 10800);
    EXPECT_EQ(count("Select count(*) from Car where State='D' and Odograph=11111"), 4);
}

} // namespace

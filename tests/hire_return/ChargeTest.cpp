// The settlement window: returned, unsettled hires; settling with its checks,
// transaction, notice and income entry.
#include "HireFixture.h"
#include "hire/UnitCharge.h"
#include "ui_UnitCharge.h"
#include "platform/Pickers.h"

namespace {

class ChargeTest : public HireFixture {
protected:
    Ui::TfrmCharge* ui() { return frmCharge->ui; }
    void open(const std::function<void()>& fn) { withWindow(frmCharge, &TfrmMain::BtnChargeClick, fn); }
    int count(const QString& sql) { return scalar(sql).toInt(); }

    // A hire returned on 3 May 15:00 at 10800 km, not settled; the vehicle is free.
    qint64 returnedHire(Hire h = {})
    {
        h.end = M(2026, 5, 3, 15, 0, 0);
        h.odo2 = 10800;
        const qint64 id = standardHire(h);
        exec(QStringLiteral("Update Car set State='A', Odograph=10800 where CarID=:id"), {{QStringLiteral("id"), h.car}});
        return id;
    }
};

TEST_F(ChargeTest, ListsReturnedUnsettledHiresAndFillsTheWindow)
{
    Hire open; open.car = QStringLiteral("open");
    standardHire(open);
    Hire settled; settled.car = QStringLiteral("settled");
    settled.end = M(2026, 5, 2); settled.charge = Yuan("100"); settled.chargeTime = M(2026, 5, 2);
    standardHire(settled);
    Hire r; r.car = QStringLiteral("京A-R1"); r.memo = QStringLiteral("刮痕 O'Brien");
    returnedHire(r);

    this->open([&] {
        EXPECT_EQ(frmCharge->windowTitle(), QStringLiteral("Quorvane - 还车结算"));
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 1);
        TDBGrid* g = ui()->DBGrid1;
        EXPECT_EQ(g->model()->data(g->model()->index(0, 1)).toString(), QStringLiteral("京A-R1"));
        EXPECT_EQ(g->model()->data(g->model()->index(0, 5)).toString(), QStringLiteral("2026/5/3 15:00:00"));
        EXPECT_EQ(g->model()->data(g->model()->index(0, 8)).toString(), QStringLiteral("10800"));
        EXPECT_FALSE(g->model()->data(g->model()->index(0, 1), Qt::ForegroundRole).isValid());
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("京A-R1"));
        EXPECT_EQ(ui()->Memo1->toPlainText(), QStringLiteral("刮痕 O'Brien"));
        EXPECT_EQ(MomentOf(ui()->DtDate, ui()->DtTime), M(2026, 5, 3, 15, 0, 0));
        EXPECT_EQ(ui()->EdtOdograph->text(), QStringLiteral("10800"));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("3 天"));
        EXPECT_EQ(ui()->EdtTimeOwe->text(), QStringLiteral("450"));
        EXPECT_EQ(ui()->EdtAdditionalOwe->text(), QStringLiteral("160"));
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("610"));
        // The time picker and the reading move the figures too.
        ui()->DtTime->setTime(QTime(9, 0, 0));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("2 天"));
        EXPECT_EQ(ui()->EdtAdditionalOwe->text(), QStringLiteral("320"));
        ui()->DtDate->setDate(QDate(2026, 5, 4));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("3 天"));
        AppFixture::clearAndType(ui()->EdtOdograph, QString());
        EXPECT_EQ(ui()->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("450"));
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
}

TEST_F(ChargeTest, EmptyListShowsZeroFiguresAndSettleDoesNothing)
{
    open([&] {
        EXPECT_EQ(ui()->EdtCarID->text(), QString());
        EXPECT_EQ(ui()->EdtOdograph->text(), QString());
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("0 "));
        EXPECT_EQ(ui()->EdtTimeOwe->text(), QStringLiteral("0"));
        EXPECT_EQ(ui()->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("0"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("100"));
        AppFixture::click(ui()->Button1);
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
}

TEST_F(ChargeTest, SettleStoresAmountAndMomentAndLeavesTheVehicle)
{
    SetClockHook({});   // the database's own clock: local time
    Hire a; a.car = QStringLiteral("苏E'55");
    const qint64 id = returnedHire(a);
    exec(QStringLiteral("Update Car set Odograph=11111, State='D' where CarID=:id"), {{QStringLiteral("id"), a.car}});
    open([&] {
        ui()->DtTime->setTime(QTime(16, 30, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10850"));
        ui()->Memo1->setPlainText(QStringLiteral("100% -- 'paid'"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("650.25"));
        AppFixture::click(ui()->Button1);
        // The last hire was settled: the empty list's figures.
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0);
        EXPECT_EQ(ui()->EdtCarID->text(), QString());
        EXPECT_EQ(ui()->Memo1->toPlainText(), QString());
        EXPECT_EQ(ui()->EdtOdograph->text(), QString());
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("0 "));
        EXPECT_EQ(ui()->EdtTimeOwe->text(), QStringLiteral("0"));
        EXPECT_EQ(ui()->EdtAdditionalOwe->text(), QString());
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("0"));
        EXPECT_EQ(ui()->EdtLeaso->text(), QStringLiteral("650.25"));
    });
    const QDateTime now = localNow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("结算信息已保存！"));
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_EQ(money(leaso(id, QStringLiteral("Charge"))), Currency::fromRaw(6502500));
    EXPECT_LE(std::abs(moment(leaso(id, QStringLiteral("ChargeTime"))).secsTo(now)), 5);
    EXPECT_EQ(moment(leaso(id, QStringLiteral("EndTime"))), M(2026, 5, 3, 16, 30, 0));
    EXPECT_EQ(leaso(id, QStringLiteral("Odograph2")).toLongLong(), 10850);
    EXPECT_EQ(leaso(id, QStringLiteral("Memo")).toString(), QStringLiteral("100% -- 'paid'"));
    // The vehicle is left as it was.
    EXPECT_EQ(car(a.car, QStringLiteral("State")).toString(), QStringLiteral("D"));
    EXPECT_EQ(car(a.car, QStringLiteral("Odograph")).toLongLong(), 11111);

    ASSERT_EQ(count(QStringLiteral("Select count(*) from Acct")), 1);
    EXPECT_EQ(scalar(QStringLiteral("Select [Type] from Acct")).toInt(), 1);
    EXPECT_EQ(money(scalar(QStringLiteral("Select Amount from Acct"))), Currency::fromRaw(6502500));
    EXPECT_EQ(scalar(QStringLiteral("Select LeasoID from Acct")).toLongLong(), id);
    EXPECT_EQ(scalar(QStringLiteral("Select Item from Acct")).toString(), QStringLiteral("苏E'55租车款"));
    EXPECT_EQ(scalar(QStringLiteral("Select Category from Acct")).toString(), QStringLiteral("租车款"));
    EXPECT_EQ(scalar(QStringLiteral("Select Deleted from Acct")).toInt(), 0);
    EXPECT_LE(std::abs(moment(scalar(QStringLiteral("Select AcctTime from Acct"))).secsTo(now)), 5);
}

TEST_F(ChargeTest, SettleWithoutAccountEntryAndWithTheReadingEmptied)
{
    Hire a; a.car = QStringLiteral("A1"); const qint64 ida = returnedHire(a);
    Hire b; b.car = QStringLiteral("B2"); const qint64 idb = returnedHire(b);
    open([&] {
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 2);
        ui()->ChkSynchro->setChecked(false);
        const QString first = ui()->EdtCarID->text();
        AppFixture::clearAndType(ui()->EdtOdograph, QString());
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("600"));
        AppFixture::click(ui()->Button1);
        // The other hire fills the window now.
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 1);
        EXPECT_NE(ui()->EdtCarID->text(), first);
        EXPECT_EQ(ui()->EdtOdograph->text(), QStringLiteral("10800"));
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("610"));
    });
    const qint64 settled = leaso(ida, QStringLiteral("ChargeTime")).isNull() ? idb : ida;
    EXPECT_EQ(leaso(settled, QStringLiteral("Odograph2")).toLongLong(), 10800);
    EXPECT_EQ(moment(leaso(settled, QStringLiteral("ChargeTime"))), fixedNow());
    EXPECT_EQ(money(leaso(settled, QStringLiteral("Charge"))), Currency::fromYuan(600));
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Leaso where ChargeTime is null")), 1);
}

TEST_F(ChargeTest, SettleRefusedBeforeHireOut)
{
    const qint64 id = returnedHire();
    open([&] {
        ui()->DtDate->setDate(QDate(2026, 4, 30));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("0 天"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("600"));
        AppFixture::click(ui()->Button1);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 1);
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("还车时间不应当早于车辆借出时间！"));
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_TRUE(leaso(id, QStringLiteral("ChargeTime")).isNull());
    EXPECT_EQ(moment(leaso(id, QStringLiteral("EndTime"))), M(2026, 5, 3, 15, 0, 0));
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ChargeTest, AmountChecks)
{
    const qint64 id = returnedHire();
    open([&] {
        ui()->EdtLeaso->clear();
        AppFixture::type(ui()->EdtLeaso, QStringLiteral("   "));   // blanks are dropped
        ui()->Memo1->setFocus();   // so the check below sees the focus move
        AppFixture::click(ui()->Button1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("请输入结算金额！"));
        EXPECT_EQ(frmCharge->focusWidget(), ui()->EdtLeaso);
        AppFixture::type(ui()->EdtLeaso, QStringLiteral("."));
        ui()->Memo1->setFocus();
        AppFixture::click(ui()->Button1);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, QStringLiteral("“.”不是有效的金额"));
        EXPECT_EQ(frmCharge->focusWidget(), ui()->EdtLeaso);
        // A pasted reading that is no number is reported, nothing written.
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("600"));
        ui()->EdtOdograph->setText(QStringLiteral("10,800"));
        messages.clear();
        AppFixture::click(ui()->Button1);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("“10,800”不是有效的整数"));
    });
    EXPECT_TRUE(leaso(id, QStringLiteral("ChargeTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ChargeTest, FailedIncomeEntryRollsTheSettlementBack)
{
    const qint64 id = returnedHire();
    exec(QStringLiteral("Alter table Acct rename to Acct_gone"));
    open([&] {
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("600"));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10900"));
        AppFixture::click(ui()->Button1);
        // Not reloaded: the hire is still there with what was typed.
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 1);
        EXPECT_EQ(ui()->EdtOdograph->text(), QStringLiteral("10900"));
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("Acct"), Qt::CaseInsensitive));
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(leaso(id, QStringLiteral("ChargeTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());
    EXPECT_EQ(leaso(id, QStringLiteral("Odograph2")).toLongLong(), 10800);
}

} // namespace

// The return window: the list of open hires, the return and the
// return-and-settle commands with their checks and transactions.
#include "HireFixture.h"
#include "hire/UnitReturn.h"
#include "ui_UnitReturn.h"
#include "platform/Pickers.h"
#include <QTest>

namespace {

class ReturnTest : public HireFixture {
protected:
    TfrmReturn* w() { return frmReturn; }
    Ui::TfrmReturn* ui() { return frmReturn->ui; }
    void open(const std::function<void()>& fn) { withWindow(frmReturn, &TfrmMain::BtnReturnClick, fn); }
    void setReturn(const QDateTime& r)
    {
        ui()->DtDate->setDate(r.date());
        ui()->DtTime->setTime(r.time());
    }
    int count(const QString& sql) { return scalar(sql).toInt(); }
};

TEST_F(ReturnTest, ListsOpenHiresByPlannedReturnWithOverdueInRed)
{
    addCustomer(QStringLiteral("C1"), QStringLiteral("O'Brien"), QStringLiteral("010-1234"));
    Hire a; a.car = QStringLiteral("京A-1"); a.cust = QStringLiteral("C1"); a.planEnd = M(2026, 6, 30, 9, 0);
    Hire b; b.car = QStringLiteral("京A-2"); b.cust = QStringLiteral("C1"); b.planEnd = M(2026, 6, 15, 11, 59, 59);
    Hire c; c.car = QStringLiteral("京A-3"); c.cust = QStringLiteral("C1"); c.planEnd = M(2026, 6, 15, 12, 0, 1); c.type = 2;
    Hire done; done.car = QStringLiteral("京A-4"); done.cust = QStringLiteral("C1"); done.end = M(2026, 5, 2);
    for (const Hire* h : {&a, &b, &c, &done}) { addCar(h->car, 10000); addHire(*h); }

    open([&] {
        EXPECT_EQ(w()->windowTitle(), QStringLiteral("Quorvane - 还车"));
        TDBGrid* g = ui()->DBGrid1;
        ASSERT_EQ(g->model()->rowCount(), 3);
        EXPECT_EQ(g->model()->data(g->model()->index(0, 1)).toString(), QStringLiteral("京A-2"));
        EXPECT_EQ(g->model()->data(g->model()->index(1, 1)).toString(), QStringLiteral("京A-3"));
        EXPECT_EQ(g->model()->data(g->model()->index(2, 1)).toString(), QStringLiteral("京A-1"));
        EXPECT_EQ(g->model()->data(g->model()->index(1, 2)).toString(), QStringLiteral("按小时"));
        EXPECT_EQ(g->model()->data(g->model()->index(0, 10)).toString(), QStringLiteral("O'Brien"));
        EXPECT_TRUE(g->isColumnHidden(0));
        EXPECT_EQ(g->model()->headerData(11, Qt::Horizontal).toString(), QStringLiteral("联系电话"));
        // The first row is selected and fills the boxes.
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("京A-2"));
        // Only the row planned before the present moment is red, in every column.
        for (int col = 1; col < 12; ++col) {
            EXPECT_EQ(g->model()->data(g->model()->index(0, col), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red)) << col;
            EXPECT_FALSE(g->model()->data(g->model()->index(1, col), Qt::ForegroundRole).isValid()) << col;
            EXPECT_FALSE(g->model()->data(g->model()->index(2, col), Qt::ForegroundRole).isValid()) << col;
        }
        g->grab();
        EXPECT_EQ(g->toolTip(), QStringLiteral("红色表示应还车辆"));
    });
}

TEST_F(ReturnTest, EmptyListEmptiesTheBoxesAndCommandsDoNothing)
{
    open([&] {
        EXPECT_EQ(w()->ADOQry->recordCount(), 0);
        for (QLineEdit* e : {ui()->EdtCarID, ui()->EdtCalDays, ui()->EdtTimeOwe, ui()->EdtAdditionalOwe, ui()->EdtOwe})
            EXPECT_EQ(e->text(), QString()) << e->objectName().toStdString();
        AppFixture::type(ui()->EdtLeaso, QStringLiteral("100"));
        AppFixture::click(ui()->BtnReturn);
        AppFixture::click(ui()->BtnReturnCharge);
        EXPECT_EQ(ui()->EdtCalDays->text(), QString());
        EXPECT_TRUE(ui()->DBGrid1->toolTip().isEmpty());
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ReturnTest, ReturnBeforeHireOutIsRefusedAndEqualIsAccepted)
{
    const qint64 id = standardHire();
    open([&] {
        setReturn(M(2026, 5, 1, 8, 59, 0));
        AppFixture::click(ui()->BtnReturn);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("还车时间不应当早于车辆借出时间！"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
        EXPECT_EQ(messages[0].buttons, Dlg::Buttons::OK);
        EXPECT_TRUE(leaso(id, QStringLiteral("EndTime")).isNull());

        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("300"));
        AppFixture::click(ui()->BtnReturnCharge);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, QStringLiteral("还车时间不应当早于车辆借出时间！"));
        EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());

        setReturn(M(2026, 5, 1, 9, 0, 0));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("0 天"));
        AppFixture::click(ui()->BtnReturn);
    });
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(moment(leaso(id, QStringLiteral("EndTime"))), M(2026, 5, 1, 9, 0, 0));
}

TEST_F(ReturnTest, ConfirmationAndCancel)
{
    Hire h; h.car = QStringLiteral("京A-O'1");
    const qint64 id = standardHire(h);
    answers = {Dlg::IdNo};
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0));
        AppFixture::click(ui()->BtnReturn);
    });
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("确定要归还车辆 “京A-O'1” 吗？"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_EQ(messages[0].buttons, Dlg::Buttons::YesNo);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdYes);
    EXPECT_TRUE(leaso(id, QStringLiteral("EndTime")).isNull());
    EXPECT_EQ(car(h.car, QStringLiteral("State")).toString(), QStringLiteral("B"));
}

TEST_F(ReturnTest, ReturnWritesTheHireAndFreesTheVehicle)
{
    Hire h; h.car = QStringLiteral("沪B'99"); h.memo = QStringLiteral("old");
    const qint64 id = standardHire(h);
    Hire other; other.car = QStringLiteral("沪C-1"); other.planEnd = M(2026, 6, 25); other.memo = QStringLiteral("第二辆");
    const qint64 otherId = standardHire(other);
    open([&] {
        EXPECT_EQ(ui()->Memo1->toPlainText(), QStringLiteral("old"));
        setReturn(M(2026, 5, 3, 15, 0, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10800"));
        ui()->Memo1->setPlainText(QStringLiteral("O'Brien's car -- 100% ok; drop table Leaso"));
        AppFixture::click(ui()->BtnReturn);
        // Reloaded: the other hire is the first row and the boxes follow it.
        ASSERT_EQ(w()->ADOQry->recordCount(), 1);
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("沪C-1"));
        EXPECT_EQ(ui()->Memo1->toPlainText(), QStringLiteral("第二辆"));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("3 天"));
        EXPECT_EQ(ui()->EdtOwe->text(), QStringLiteral("610"));
    });
    ASSERT_EQ(messages.size(), 1u);   // the confirmation, answered Yes by default
    EXPECT_EQ(moment(leaso(id, QStringLiteral("EndTime"))), M(2026, 5, 3, 15, 0, 0));
    EXPECT_EQ(leaso(id, QStringLiteral("Odograph2")).toLongLong(), 10800);
    EXPECT_EQ(leaso(id, QStringLiteral("Memo")).toString(), QStringLiteral("O'Brien's car -- 100% ok; drop table Leaso"));
    EXPECT_TRUE(leaso(id, QStringLiteral("ChargeTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());
    EXPECT_EQ(car(h.car, QStringLiteral("State")).toString(), QStringLiteral("A"));
    EXPECT_EQ(car(h.car, QStringLiteral("Odograph")).toLongLong(), 10800);
    EXPECT_TRUE(leaso(otherId, QStringLiteral("EndTime")).isNull());
    EXPECT_EQ(car(other.car, QStringLiteral("State")).toString(), QStringLiteral("B"));
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ReturnTest, OdometerIsRaisedOnlyAboveTheHireOutReading)
{
    // Three hires at hire-out reading 10000: returned empty, equal and one above.
    Hire e; e.car = QStringLiteral("A-empty"); e.planEnd = M(2026, 6, 1);
    Hire q; q.car = QStringLiteral("A-equal"); q.planEnd = M(2026, 6, 2);
    Hire u; u.car = QStringLiteral("A-up"); u.planEnd = M(2026, 6, 3);
    const qint64 ide = standardHire(e), idq = standardHire(q), idu = standardHire(u);
    // The vehicles' present readings differ from the hire's; the hire's own one counts.
    exec(QStringLiteral("Update Car set Odograph=12345"));
    open([&] {
        setReturn(M(2026, 5, 2, 9, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QString());
        AppFixture::click(ui()->BtnReturn);
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10000"));
        AppFixture::click(ui()->BtnReturn);
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10001"));
        AppFixture::click(ui()->BtnReturn);
        EXPECT_EQ(w()->ADOQry->recordCount(), 0);
        for (QLineEdit* x : {ui()->EdtCarID, ui()->EdtCalDays, ui()->EdtTimeOwe, ui()->EdtAdditionalOwe, ui()->EdtOwe})
            EXPECT_EQ(x->text(), QString()) << x->objectName().toStdString();
        EXPECT_EQ(ui()->Memo1->toPlainText(), QString());
    });
    EXPECT_TRUE(leaso(ide, QStringLiteral("Odograph2")).isNull());
    EXPECT_EQ(car(e.car, QStringLiteral("Odograph")).toLongLong(), 12345);
    EXPECT_EQ(leaso(idq, QStringLiteral("Odograph2")).toLongLong(), 10000);
    EXPECT_EQ(car(q.car, QStringLiteral("Odograph")).toLongLong(), 12345);
    EXPECT_EQ(leaso(idu, QStringLiteral("Odograph2")).toLongLong(), 10001);
    EXPECT_EQ(car(u.car, QStringLiteral("Odograph")).toLongLong(), 10001);
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Car where State='A'")), 3);
}

TEST_F(ReturnTest, BadReadingStopsBeforeTheConfirmation)
{
    const qint64 id = standardHire();
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0));
        ui()->EdtOdograph->setText(QStringLiteral("1e5"));   // pasted
        messages.clear();
        AppFixture::click(ui()->BtnReturn);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("“1e5”不是有效的整数"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("100"));
        AppFixture::click(ui()->BtnReturnCharge);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, QStringLiteral("“1e5”不是有效的整数"));
    });
    EXPECT_TRUE(leaso(id, QStringLiteral("EndTime")).isNull());
    EXPECT_EQ(car(QStringLiteral("京A-10001"), QStringLiteral("State")).toString(), QStringLiteral("B"));
}

TEST_F(ReturnTest, ReturnAndSettleWritesChargeAndIncome)
{
    SetClockHook({});   // the database's own clock: local time
    Hire h; h.car = QStringLiteral("粤A'7"); h.planEnd = M(2020, 1, 1);
    const qint64 id = standardHire(h);
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10800"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("598.5"));
        ASSERT_TRUE(ui()->ChkSynchroAcct->isChecked());
        AppFixture::click(ui()->BtnReturnCharge);
        EXPECT_EQ(w()->ADOQry->recordCount(), 0);
        // The typed amount stays for the next settlement.
        EXPECT_EQ(ui()->EdtLeaso->text(), QStringLiteral("598.5"));
    });
    const QDateTime now = localNow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(money(leaso(id, QStringLiteral("Charge"))), Currency::fromRaw(5985000));
    EXPECT_LE(std::abs(moment(leaso(id, QStringLiteral("ChargeTime"))).secsTo(now)), 5);
    EXPECT_EQ(moment(leaso(id, QStringLiteral("EndTime"))), M(2026, 5, 3, 15, 0, 0));
    EXPECT_EQ(leaso(id, QStringLiteral("Odograph2")).toLongLong(), 10800);
    EXPECT_EQ(car(h.car, QStringLiteral("State")).toString(), QStringLiteral("A"));
    EXPECT_EQ(car(h.car, QStringLiteral("Odograph")).toLongLong(), 10800);

    ASSERT_EQ(count(QStringLiteral("Select count(*) from Acct")), 1);
    EXPECT_EQ(scalar(QStringLiteral("Select [Type] from Acct")).toInt(), 1);
    EXPECT_EQ(money(scalar(QStringLiteral("Select Amount from Acct"))), Currency::fromRaw(5985000));
    EXPECT_EQ(scalar(QStringLiteral("Select LeasoID from Acct")).toLongLong(), id);
    EXPECT_EQ(scalar(QStringLiteral("Select Item from Acct")).toString(), QStringLiteral("粤A'7租车款"));
    EXPECT_EQ(scalar(QStringLiteral("Select Category from Acct")).toString(), QStringLiteral("租车款"));
    EXPECT_EQ(scalar(QStringLiteral("Select Deleted from Acct")).toInt(), 0);
    EXPECT_LE(std::abs(moment(scalar(QStringLiteral("Select AcctTime from Acct"))).secsTo(now)), 5);
}

TEST_F(ReturnTest, ReturnAndSettleWithoutAccountEntry)
{
    const qint64 id = standardHire();
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0, 0));
        ui()->ChkSynchroAcct->setChecked(false);
        AppFixture::clearAndType(ui()->EdtOdograph, QString());
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("610"));
        AppFixture::click(ui()->BtnReturnCharge);
    });
    EXPECT_EQ(money(leaso(id, QStringLiteral("Charge"))), Currency::fromYuan(610));
    EXPECT_EQ(moment(leaso(id, QStringLiteral("ChargeTime"))), fixedNow());
    EXPECT_TRUE(leaso(id, QStringLiteral("Odograph2")).isNull());
    EXPECT_EQ(car(QStringLiteral("京A-10001"), QStringLiteral("Odograph")).toLongLong(), 10000);
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ReturnTest, ReturnAndSettleAmountChecks)
{
    const qint64 id = standardHire();
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0, 0));
        ui()->EdtLeaso->clear();
        ui()->Memo1->setFocus();   // so the check below sees the focus move
        AppFixture::click(ui()->BtnReturnCharge);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("请输入结算金额！"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
        EXPECT_EQ(w()->focusWidget(), ui()->EdtLeaso);

        // The filter lets a lone point through; it is refused before anything is written.
        AppFixture::type(ui()->EdtLeaso, QStringLiteral(".."));
        EXPECT_EQ(ui()->EdtLeaso->text(), QStringLiteral("."));
        ui()->Memo1->setFocus();
        AppFixture::click(ui()->BtnReturnCharge);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[1].text, QStringLiteral("“.”不是有效的金额"));
        EXPECT_EQ(messages[1].icon, Dlg::Icon::Information);
        EXPECT_EQ(w()->focusWidget(), ui()->EdtLeaso);
    });
    EXPECT_EQ(messages.size(), 2u);   // no confirmation was asked
    EXPECT_TRUE(leaso(id, QStringLiteral("EndTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());
    EXPECT_EQ(car(QStringLiteral("京A-10001"), QStringLiteral("State")).toString(), QStringLiteral("B"));
}

TEST_F(ReturnTest, ReturnAndSettleRollsBackAsAWhole)
{
    const qint64 id = standardHire();
    // The income entry's statement fails: no account-book table.
    exec(QStringLiteral("Alter table Acct rename to Acct_gone"));
    open([&] {
        setReturn(M(2026, 5, 3, 15, 0, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10800"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("610"));
        AppFixture::click(ui()->BtnReturnCharge);
        // Reloaded all the same: the hire is still open and listed.
        EXPECT_EQ(w()->ADOQry->recordCount(), 1);
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("京A-10001"));
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].text.contains(QStringLiteral("Acct"), Qt::CaseInsensitive)) << messages[1].text.toStdString();
    EXPECT_EQ(messages[1].icon, Dlg::Icon::None);
    EXPECT_EQ(messages[1].caption, QStringLiteral("Quorvane"));
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(leaso(id, QStringLiteral("EndTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Charge")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("ChargeTime")).isNull());
    EXPECT_TRUE(leaso(id, QStringLiteral("Odograph2")).isNull());
    EXPECT_EQ(car(QStringLiteral("京A-10001"), QStringLiteral("State")).toString(), QStringLiteral("B"));
    EXPECT_EQ(car(QStringLiteral("京A-10001"), QStringLiteral("Odograph")).toLongLong(), 10000);
}

TEST_F(ReturnTest, FailedReturnRollsBackAndKeepsTheSelection)
{
    Hire a; a.car = QStringLiteral("A-first"); a.planEnd = M(2026, 6, 1);
    Hire b; b.car = QStringLiteral("B-second"); b.planEnd = M(2026, 6, 2);
    standardHire(a);
    const qint64 idb = standardHire(b);
    // The vehicle's update fails after the hire's has run.
    exec(QStringLiteral("Create trigger CarLocked before update on Car begin select raise(abort, 'car locked'); end"));
    open([&] {
        w()->ADOQry->setRecNo(1);
        setReturn(M(2026, 5, 3, 15, 0, 0));
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10800"));
        AppFixture::click(ui()->BtnReturn);
        // Not reloaded: the second hire stays selected.
        EXPECT_EQ(w()->ADOQry->recNo(), 1);
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("B-second"));

        // Return and settle reloads whatever happened: the first row is selected.
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("610"));
        AppFixture::click(ui()->BtnReturnCharge);
        EXPECT_EQ(w()->ADOQry->recNo(), 0);
        EXPECT_EQ(ui()->EdtCarID->text(), QStringLiteral("A-first"));
    });
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1].text, QStringLiteral("car locked"));
    EXPECT_EQ(messages[1].icon, Dlg::Icon::Error);
    EXPECT_EQ(messages[1].caption, QStringLiteral("Quorvane"));
    EXPECT_EQ(messages[3].text, QStringLiteral("car locked"));
    EXPECT_EQ(messages[3].icon, Dlg::Icon::None);
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(leaso(idb, QStringLiteral("EndTime")).isNull());
    EXPECT_TRUE(leaso(idb, QStringLiteral("Odograph2")).isNull());
    EXPECT_TRUE(leaso(idb, QStringLiteral("Charge")).isNull());
    EXPECT_EQ(count(QStringLiteral("Select count(*) from Acct")), 0);
}

TEST_F(ReturnTest, BoxesKeepTheirTextAcrossOpenings)
{
    standardHire();
    open([&] {
        AppFixture::clearAndType(ui()->EdtOdograph, QStringLiteral("10500"));
        AppFixture::clearAndType(ui()->EdtLeaso, QStringLiteral("88"));
        ui()->ChkSynchroAcct->setChecked(false);
        setReturn(M(2026, 5, 2, 9, 0));
    });
    SetClockHook([] { return M(2026, 6, 16, 8, 30, 0); });
    open([&] {
        EXPECT_EQ(ui()->EdtOdograph->text(), QStringLiteral("10500"));
        EXPECT_EQ(ui()->EdtLeaso->text(), QStringLiteral("88"));
        EXPECT_FALSE(ui()->ChkSynchroAcct->isChecked());
        // The return moment is reset to the moment of showing.
        EXPECT_EQ(MomentOf(ui()->DtDate, ui()->DtTime), M(2026, 6, 16, 8, 30, 0));
        EXPECT_EQ(ui()->EdtCalDays->text(), QStringLiteral("46 天"));
    });
}

} // namespace

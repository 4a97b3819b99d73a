// Amounts another tool stored as numbers beyond what money holds (a REAL past
// 64 bits of ten-thousandths): the book never shows them as a wrapped figure.
// The totals leave them out and say so; the list shows them as stored.
#include "support/AppFixture.h"
#include "ui_UnitAcct.h"
#include "accounts/UnitAcct.h"
#include "app/UnitMain.h"
#include "platform/Moment.h"

using namespace Qt::StringLiterals;

namespace {

class AcctHugeAmount : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return CombineDateTime(QDate(2026, 3, 10), QTime(9, 30)); });
    }
    void add(int type, const QVariant& amount, int day)
    {
        exec(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(:t,:a,0,'x',:w,0,'杂项')"_s,
             {{"t", type}, {"a", amount}, {"w", QDate(2026, 3, day)}});
    }
};

TEST_F(AcctHugeAmount, TotalsLeaveOutAStoredNumberPastTheMoneyRangeAndTheListShowsItAsStored)
{
    const QString box = u"查询范围内有1条记录的金额不是数字，收入合计、支出合计和节余没有计入这些记录。"_s;
    const struct { const char* name; int type; QVariant amount; QStringList totals; const char* shown; } cases[] = {
        {"income 1e300", 1, 1e300, {u"100"_s, u"30"_s, u"70"_s}, "1e+300"},
        {"expense just past 2^63", -1, 9.3e18, {u"100"_s, u"30"_s, u"70"_s}, "9.3e+18"},
        {"income below -2^63", 1, -9.3e18, {u"100"_s, u"30"_s, u"70"_s}, "-9.3e+18"},
    };
    for (const auto& c : cases) {
        exec(u"Delete from Acct"_s);
        add(1, qint64(1000000), 2);
        add(-1, qint64(300000), 3);
        add(c.type, c.amount, 4);
        inWindow(frmAcct, &TfrmMain::ToolButton7Click, [&] {
            auto* u = frmAcct->ui.get();
            u->DateTimePicker1->setDate(QDate(2026, 3, 1));
            u->DateTimePicker2->setDate(QDate(2026, 3, 10));
            messages.clear();
            click(u->BtnQry);
            EXPECT_EQ(messageTexts(), QStringList{box}) << c.name;
            EXPECT_EQ((QStringList{u->EdtOwe->text(), u->EdtPay->text(), u->EdtBalance->text()}), c.totals) << c.name;
            ASSERT_EQ(u->DBGrid1->model()->rowCount(), 3) << c.name;
            // Newest first: the odd entry heads the list, its amount as stored.
            EXPECT_EQ(u->DBGrid1->model()->index(0, 3).data().toString(), QString::fromUtf8(c.shown)) << c.name;
        });
    }
    ExpectLastGuardQuiet();
}

// Totals each within the range whose balance is not: the box says so, and no
// total box keeps a figure of the query before.
TEST_F(AcctHugeAmount, ABalancePastTheMoneyRangeLeavesNoFigureOfTheQueryBefore)
{
    add(1, qint64(1000000), 2);
    add(-1, qint64(300000), 3);
    add(1, qint64(9000000000000000000), 7);
    add(-1, qint64(-9000000000000000000), 8);
    inWindow(frmAcct, &TfrmMain::ToolButton7Click, [&] {
        auto* u = frmAcct->ui.get();
        u->DateTimePicker1->setDate(QDate(2026, 3, 1));
        u->DateTimePicker2->setDate(QDate(2026, 3, 3));
        click(u->BtnQry);
        EXPECT_EQ((QStringList{u->EdtOwe->text(), u->EdtPay->text(), u->EdtBalance->text()}),
                  (QStringList{u"100"_s, u"30"_s, u"70"_s}));
        u->DateTimePicker2->setDate(QDate(2026, 3, 9));
        messages.clear();
        click(u->BtnQry);
        EXPECT_EQ(messageTexts(), QStringList{u"金额超出范围"_s});
        EXPECT_EQ((QStringList{u->EdtOwe->text(), u->EdtPay->text(), u->EdtBalance->text()}), (QStringList{u""_s, u""_s, u""_s}));
    });
}

} // namespace

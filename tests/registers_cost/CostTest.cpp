// The vehicle register's fee-item page and its dialog, driven through the real
// windows: each command with its linked account-book expense, the questions,
// and the failures that must leave nothing written.
#include "ui_UnitCost.h"
#include "registers_new/RegisterFixture.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "registers/UnitCost.h"

namespace {

const QString Plate = u"京A12345"_s;

struct Fee { QString name, cost; bool book = true; QDate paid = QDate(2024, 3, 5); QString content = u"备注"_s; };

class CostTest : public RegisterTest {
protected:
    Ui::TfrmCost* D() { return frmCost->ui.get(); }

    void prepareDatabase(TADOConnection& cn) override
    {
        cn.execute(u"Insert into Car(CarID,State,Mark,Odograph) values(:k,'A','大众',100)"_s, {{u"k"_s, Plate}});
    }
    // Opens the register on its fee page and runs fn in it.
    void inRegister(const std::function<void()>& fn) { inCars([&] { C()->PageControl1->setCurrentWidget(C()->TabSheet1); fn(); }); }
    void selectFee(const QString& name) { ASSERT_TRUE(frmCar->ADOTable1->locate(u"Name"_s, name)) << name.toStdString(); }
    // Clicks a page button and fills the dialog it opens, then OK.
    void inDialog(QAbstractButton* btn, const Fee& f)
    {
        whenShown(frmCost, [&] {
            clearAndType(D()->EdtName, f.name);
            clearAndType(D()->EdtCost, f.cost);
            clearAndType(D()->EdtContent, f.content);
            D()->DtCreateTime->setDate(f.paid);
            D()->ChkAcct->setChecked(f.book);
            click(D()->BtnOK);
        });
        click(btn);
    }
    void add(const Fee& f) { inDialog(C()->BtnAddCost, f); }
    void modify(const QString& name, const Fee& f) { selectFee(name); inDialog(C()->BtnModCost, f); }
    void remove(const QString& name, std::deque<int> replies) { selectFee(name); answers = std::move(replies); click(C()->BtnDelCost); }
    // Money as stored (ten-thousandths), dates as days since 1899-12-30.
    QString fees() { return RowsText(db(), "CarCost", {"Name", "Cost", "Content", "CreateTime"}); }
    QString entries() { return RowsText(db(), "Acct", {"Type", "Amount", "LeasoID", "Item", "AcctTime", "Category"}); }
    qint64 costId(const QString& name) { return scalar("select CostID from CarCost where Name=:n", {{"n", name}}).toLongLong(); }
    QString link(const QString& name) { return QString::number(-costId(name)); }
};

// An expense is booked only when ticked and above zero; names and remarks are
// cut at twenty bytes while the entry keeps the whole name, quotes and all. A
// modify carries only amount, item and date to an entry the item has; its kind
// and category stay, and unticking keeps it.
TEST_F(CostTest, AnAddBooksItsExpenseOnlyWhenTickedAndAboveZeroAndAModifyUpdatesIt)
{
    const QString thirty = QString(30, QChar(0x9669)), quoted = u"O'Brien's 险' --"_s;   // 险 × 30
    const QString march5 = QString::number(DateToDays(QDate(2024, 3, 5))), april1 = QString::number(DateToDays(QDate(2024, 4, 1)));
    inRegister([&] {
        add({quoted, u"80.0001"_s});
        add({u"洗车"_s, u"0"_s});
        add({u"停车"_s, u"15.5"_s, false});
        add({thirty, u"9"_s, true, QDate(2024, 3, 5), u"x"_s + thirty});
    });
    EXPECT_EQ(fees(), u"%1|800001|备注|%2/洗车|0|备注|%2/停车|155000|备注|%2/"_s.arg(quoted, march5)
                          + thirty.left(10) + "|90000|x" + thirty.left(9) + '|' + march5);
    EXPECT_EQ(entries(), u"-1|800001|%1|%2 %3|%4|费用/-1|90000|%5|%2 %6|%4|费用"_s
                             .arg(link(quoted), Plate, quoted, march5, link(thirty.left(10)), thirty));
    EXPECT_TRUE(messages.empty()) << messageTexts().join('/').toStdString();
    exec(u"Update Acct set Category='保险费', Type=1 where LeasoID=:l"_s, {{"l", link(quoted)}});
    inRegister([&] {
        modify(quoted, {u"商业险"_s, u"1200.25"_s, true, QDate(2024, 4, 1)});
        modify(thirty.left(10), {u"有帐"_s, u"55"_s, false});   // unticked: the entry stays
        modify(u"停车"_s, {u"停车"_s, u"66"_s});    // ticked: none is made
    });
    EXPECT_EQ(fees(), u"商业险|12002500|备注|%1/洗车|0|备注|%2/停车|660000|备注|%2/有帐|550000|备注|%2"_s.arg(april1, march5));
    EXPECT_EQ(entries(), u"1|12002500|%1|%2 商业险|%3|保险费/-1|90000|%4|%2 %5|%6|费用"_s
                             .arg(link(u"商业险"_s), Plate, april1, link(u"有帐"_s), thirty, march5));
}

// Every question is asked before the transaction, Yes the default; the entry
// goes only when the answer says so, and another item's entry never does.
TEST_F(CostTest, TheDeleteAsksOutsideTheTransactionAndDropsOnlyItsOwnEntry)
{
    const QString askDelete = u"确实要删除此项纪录吗？"_s, askEntry = u"在帐本中有本项费用的记录，是否同步删除帐本中的记录？"_s;
    const struct { const char* label; QVariant flag; std::deque<int> replies; QStringList asked; bool itemGone, entryGone; } cases[] = {
        {"No keeps everything", 0, {Dlg::IdNo}, {askDelete}, false, false},
        {"live entry, defaults", 0, {}, {askDelete, askEntry}, true, true},
        {"live entry kept on No", 0, {Dlg::IdYes, Dlg::IdNo}, {askDelete, askEntry}, true, false},
        {"entry flagged deleted goes silently", 1, {Dlg::IdYes}, {askDelete}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        for (const char* t : {"CarCost", "Acct"}) exec(u"Delete from "_s + QLatin1String(t));
        int askedInTransaction = 0;
        auto prev = Dlg::hooks().message;
        Dlg::hooks().message = [&, prev](const Dlg::MessageCall& m) { askedInTransaction += db().inTransaction(); return prev(m); };
        qint64 l = 0;
        inRegister([&] {
            add({u"别的"_s, u"7"_s});
            add({u"保险"_s, u"80"_s});
            l = -costId(u"保险"_s);
            exec(u"Update Acct set Deleted=:d where LeasoID=:l"_s, {{u"d"_s, c.flag}, {u"l"_s, l}});
            messages.clear();
            remove(u"保险"_s, c.replies);
        });
        Dlg::hooks().message = prev;
        EXPECT_EQ(messageTexts(), c.asked);
        EXPECT_EQ(askedInTransaction, 0);
        EXPECT_EQ(costId(u"保险"_s) == 0, c.itemGone);
        EXPECT_EQ(RowsText(db(), "Acct", {"Item"}, "LeasoID=:l", {{"l", l}}).isEmpty(), c.entryGone);
        EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}, "LeasoID=:l", {{"l", -costId(u"别的"_s)}}), "70000");
    }
}

TEST_F(CostTest, AFailureOrAnItemGoneMeanwhileLeavesNothingWrittenAndKeysAreNotReused)
{
    inRegister([&] {
        add({u"保险"_s, u"."_s});   // no number: refused before anything is written
        EXPECT_EQ(lastMessage(), u"“.”不是有效的金额"_s);
        exec(u"Alter table Acct rename to AcctAway"_s);   // the entry cannot be written: the item goes too
        add({u"车险"_s, u"12"_s});
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(frmCar->ADOTable1->recordCount(), 0);   // the row posted on the page went with the rollback
        EXPECT_FALSE(db().inTransaction());
        exec(u"Alter table AcctAway rename to Acct"_s);
        add({u"保险"_s, u"80"_s});
        add({u"年检"_s, u"90"_s});
        exec(u"Delete from CarCost where Name='年检'"_s);
        remove(u"年检"_s, {Dlg::IdYes, Dlg::IdYes});
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(frmCar->ADOTable1->recordCount(), 1);   // read afresh
        exec(u"Delete from CarCost"_s);
        modify(u"保险"_s, {u"保险"_s, u"1"_s});
        EXPECT_EQ(lastMessage(), EChangedError().message());
        add({u"新"_s, u"30"_s});   // keys are never reused: no old entry is adopted
    });
    EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}, "LeasoID=:l", {{"l", -costId(u"新"_s)}}), "300000");
    EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}), "800000/900000/300000");   // the commands that failed wrote nothing
}

} // namespace

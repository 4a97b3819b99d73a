// The vehicle register's fee-item page and its dialog, driven through the real
// windows: each command with its linked account-book expense, the questions,
// and the failures that must leave nothing written.
#include "ui_UnitCost.h"
#include "registers_new/RegisterFixture.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "registers/UnitCost.h"

namespace {

const QString Plate = QStringLiteral("京A12345");

struct Fee { QString name, cost; bool book = true; QDate paid = QDate(2024, 3, 5); QString content = QStringLiteral("备注"); };

class CostTest : public RegisterTest {
protected:
    Ui::TfrmCost* D() { return frmCost->ui.get(); }

    void prepareDatabase(TADOConnection& cn) override
    {
        cn.execute(QStringLiteral("Insert into Car(CarID,State,Mark,Odograph) values(:k,'A','大众',100)"), {{QStringLiteral("k"), Plate}});
    }
    // Opens the register on its fee page and runs fn in it.
    void inRegister(const std::function<void()>& fn) { inCars([&] { C()->PageControl1->setCurrentWidget(C()->TabSheet1); fn(); }); }
    void selectFee(const QString& name) { ASSERT_TRUE(frmCar->ADOTable1->locate(QStringLiteral("Name"), name)) << name.toStdString(); }
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
    const QString thirty = QString(30, QChar(0x9669)), quoted = QStringLiteral("O'Brien's 险' --");   // 险 × 30
    const QString march5 = QString::number(DateToDays(QDate(2024, 3, 5))), april1 = QString::number(DateToDays(QDate(2024, 4, 1)));
    inRegister([&] {
        add({quoted, QStringLiteral("80.0001")});
        add({QStringLiteral("洗车"), QStringLiteral("0")});
        add({QStringLiteral("停车"), QStringLiteral("15.5"), false});
        add({thirty, QStringLiteral("9"), true, QDate(2024, 3, 5), QStringLiteral("x") + thirty});
    });
    EXPECT_EQ(fees(), QStringLiteral("%1|800001|备注|%2/洗车|0|备注|%2/停车|155000|备注|%2/").arg(quoted, march5)
                          + thirty.left(10) + "|90000|x" + thirty.left(9) + '|' + march5);
    EXPECT_EQ(entries(), QStringLiteral("-1|800001|%1|%2 %3|%4|费用/-1|90000|%5|%2 %6|%4|费用")
                             .arg(link(quoted), Plate, quoted, march5, link(thirty.left(10)), thirty));
    EXPECT_TRUE(messages.empty()) << messageTexts().join('/').toStdString();
    exec(QStringLiteral("Update Acct set Category='保险费', Type=1 where LeasoID=:l"), {{"l", link(quoted)}});
    inRegister([&] {
        modify(quoted, {QStringLiteral("商业险"), QStringLiteral("1200.25"), true, QDate(2024, 4, 1)});
        modify(thirty.left(10), {QStringLiteral("有帐"), QStringLiteral("55"), false});   // unticked: the entry stays
        modify(QStringLiteral("停车"), {QStringLiteral("停车"), QStringLiteral("66")});    // ticked: none is made
    });
    EXPECT_EQ(fees(), QStringLiteral("商业险|12002500|备注|%1/洗车|0|备注|%2/停车|660000|备注|%2/有帐|550000|备注|%2").arg(april1, march5));
    EXPECT_EQ(entries(), QStringLiteral("1|12002500|%1|%2 商业险|%3|保险费/-1|90000|%4|%2 %5|%6|费用")
                             .arg(link(QStringLiteral("商业险")), Plate, april1, link(QStringLiteral("有帐")), thirty, march5));
}

// Every question is asked before the transaction, Yes the default; the entry
// goes only when the answer says so, and another item's entry never does.
TEST_F(CostTest, TheDeleteAsksOutsideTheTransactionAndDropsOnlyItsOwnEntry)
{
    const QString askDelete = QStringLiteral("确实要删除此项纪录吗？");
    const QString askEntry = QStringLiteral("在帐本中有本项费用的记录，是否同步删除帐本中的记录？");
    const struct { const char* label; QVariant flag; std::deque<int> replies; QStringList asked; bool itemGone, entryGone; } cases[] = {
        {"No keeps everything", 0, {Dlg::IdNo}, {askDelete}, false, false},
        {"live entry, defaults", 0, {}, {askDelete, askEntry}, true, true},
        {"live entry kept on No", 0, {Dlg::IdYes, Dlg::IdNo}, {askDelete, askEntry}, true, false},
        {"entry flagged deleted goes silently", 1, {Dlg::IdYes}, {askDelete}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        for (const char* t : {"CarCost", "Acct"}) exec(QStringLiteral("Delete from ") + QLatin1String(t));
        int askedInTransaction = 0;
        auto prev = Dlg::hooks().message;
        Dlg::hooks().message = [&, prev](const Dlg::MessageCall& m) { askedInTransaction += db().inTransaction(); return prev(m); };
        qint64 l = 0;
        inRegister([&] {
            add({QStringLiteral("别的"), QStringLiteral("7")});
            add({QStringLiteral("保险"), QStringLiteral("80")});
            l = -costId(QStringLiteral("保险"));
            exec(QStringLiteral("Update Acct set Deleted=:d where LeasoID=:l"), {{QStringLiteral("d"), c.flag}, {QStringLiteral("l"), l}});
            messages.clear();
            remove(QStringLiteral("保险"), c.replies);
        });
        Dlg::hooks().message = prev;
        EXPECT_EQ(messageTexts(), c.asked);
        EXPECT_EQ(askedInTransaction, 0);
        EXPECT_EQ(costId(QStringLiteral("保险")) == 0, c.itemGone);
        EXPECT_EQ(RowsText(db(), "Acct", {"Item"}, "LeasoID=:l", {{"l", l}}).isEmpty(), c.entryGone);
        EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}, "LeasoID=:l", {{"l", -costId(QStringLiteral("别的"))}}), "70000");
    }
}

TEST_F(CostTest, AFailureOrAnItemGoneMeanwhileLeavesNothingWrittenAndKeysAreNotReused)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral(".")});   // no number: refused before anything is written
        EXPECT_EQ(lastMessage(), QStringLiteral("“.”不是有效的金额"));
        exec(QStringLiteral("Alter table Acct rename to AcctAway"));   // the entry cannot be written: the item goes too
        add({QStringLiteral("车险"), QStringLiteral("12")});
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(frmCar->ADOTable1->recordCount(), 0);   // the row posted on the page went with the rollback
        EXPECT_FALSE(db().inTransaction());
        exec(QStringLiteral("Alter table AcctAway rename to Acct"));
        add({QStringLiteral("保险"), QStringLiteral("80")});
        add({QStringLiteral("年检"), QStringLiteral("90")});
        exec(QStringLiteral("Delete from CarCost where Name='年检'"));
        remove(QStringLiteral("年检"), {Dlg::IdYes, Dlg::IdYes});
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(frmCar->ADOTable1->recordCount(), 1);   // read afresh
        exec(QStringLiteral("Delete from CarCost"));
        modify(QStringLiteral("保险"), {QStringLiteral("保险"), QStringLiteral("1")});
        EXPECT_EQ(lastMessage(), EChangedError().message());
        add({QStringLiteral("新"), QStringLiteral("30")});   // keys are never reused: no old entry is adopted
    });
    EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}, "LeasoID=:l", {{"l", -costId(QStringLiteral("新"))}}), "300000");
    EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}), "800000/900000/300000");   // the commands that failed wrote nothing
}

} // namespace

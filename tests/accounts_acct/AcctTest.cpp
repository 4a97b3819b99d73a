// The account book opened from the main window with a fixed clock: totals,
// ranges, hand entries, edits and deletes.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/WindowProbes.h"
#include "support/XlsxRead.h"
#include "ui_UnitAcct.h"
#include "ui_UnitModAcct.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "app/UnitMain.h"
#include "platform/Convert.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, mi)); }

class Acct : public AppFixture {
protected:
    void SetUp() override { AppFixture::SetUp(); SetClockHook([] { return At(2026, 3, 10, 9, 30); }); }
    Ui::TfrmAcct* u() { return frmAcct->ui.get(); }
    Ui::TfrmAcctMod* m() { return frmAcctMod->ui.get(); }

    qint64 add(int type, const QString& amount, const QDateTime& when, const QString& category = u"杂项"_s,
               const QVariant& deleted = 0, qint64 link = 0, const QString& item = {})
    {
        exec(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) Values(:t,:a,:l,:i,:w,:d,:c)"_s,
             {{"t", type}, {"a", QVariant::fromValue(StrToCurr(amount))}, {"l", link}, {"i", item}, {"w", when},
              {"d", deleted}, {"c", category}});
        return db().lastInsertId();
    }
    void inBook(const std::function<void()>& fn) { inWindow(frmAcct, &TfrmMain::ToolButton7Click, fn); }
    // Clicks 修改 on the selected row and runs fn in the dialog, which fn closes.
    void inDialog(const std::function<void()>& fn)
    {
        whenShown(frmAcctMod, [&] { fn(); if (frmAcctMod->isVisible()) frmAcctMod->reject(); });
        click(u()->BtnModify);
    }
    void query(const QDate& from, const QDate& to, const QString& category = {})
    {
        u()->DateTimePicker1->setDate(from);
        u()->DateTimePicker2->setDate(to);
        if (!category.isEmpty()) u()->CmbCat->setCurrentIndex(u()->CmbCat->findText(category));
        click(u()->BtnQry);
    }
    // A radio button is clicked on its label, near the indicator.
    static void choose(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }
    // Fills the entry page (the amount typed, or pasted past the key filter) and clicks 保存.
    void enter(bool income, const QString& amount, const QString& category, const QString& item, const QDate& date,
               bool pasted = false)
    {
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        choose(income ? u()->RbOwe : u()->RbPay);
        u()->DateTimePicker3->setDate(date);
        if (pasted) u()->EdtAmount->setText(amount);
        else clearAndType(u()->EdtAmount, amount);
        (income ? u()->CmbOweCategory : u()->CmbPayCategory)->setEditText(category);
        clearAndType(u()->EdtItem, item);
        click(u()->BtnSave);
    }
    QStringList totals() { return {u()->EdtOwe->text(), u()->EdtPay->text(), u()->EdtBalance->text()}; }
    // Each list row as 收/支|日期|金额|类目|事项.
    QStringList rows()
    {
        QStringList l;
        for (int r = 0; r < u()->DBGrid1->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c <= 5; ++c) cells << u()->DBGrid1->model()->index(r, c).data().toString();
            l << cells.join(u'|');
        }
        return l;
    }
    void select(qint64 id) { ASSERT_TRUE(frmAcct->ADOQry->locate(u"ID"_s, id)) << id; }
    // A stored row: type|amount in ten-thousandths|link|item|moment|deleted|category ("" when gone).
    QString stored(qint64 id)
    {
        return RowsText(db(), u"Acct"_s, {u"[Type]"_s, u"Amount"_s, u"LeasoID"_s, u"Item"_s,
                        u"strftime('%Y-%m-%d %H:%M', AcctTime + 2415018.5)"_s, u"Deleted"_s, u"Category"_s}, u"ID=:id"_s, {{"id", id}});
    }
    int count() { return scalar(u"Select count(*) from Acct"_s).toInt(); }
    qint64 lastId() { return scalar(u"Select max(ID) from Acct"_s).toLongLong(); }
};

// Whole days, the last thirty by default; totals add exactly over live
// entries of income and expense.
TEST_F(Acct, RangeTakesWholeDaysAndTotalsAddExactlyOverLiveEntries)
{
    add(1, u"10"_s, At(2026, 1, 1));
    add(1, u"20"_s, At(2026, 1, 31, 23, 59));
    add(1, u"40"_s, At(2026, 2, 1));
    add(-1, u"3"_s, At(2026, 2, 8));   // 30 days before the clock's day
    add(-1, u"4"_s, At(2026, 2, 7));   // 31 days before: out of the default range
    const QDateTime d11 = At(2026, 3, 11), d12 = At(2026, 3, 12);   // after the clock's day
    for (const char* amount : {"0.1", "0.2", "1234567.89"}) add(1, QString::fromLatin1(amount), d11);
    add(-1, u"0.3"_s, d11);
    add(1, u"100"_s, d12, u"a"_s, 1);
    add(1, u"200"_s, d12, u"a"_s, QVariant());
    add(-1, u"7"_s, d12, u"a"_s, 1);
    add(2, u"99"_s, d12);
    inBook([&] {
        EXPECT_EQ(u()->DateTimePicker1->date(), QDate(2026, 2, 8));
        EXPECT_EQ(u()->DateTimePicker2->date(), QDate(2026, 3, 10));
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"3"_s, u"-3"_s}));
        query(QDate(2026, 1, 1), QDate(2026, 1, 31));
        EXPECT_EQ(u()->EdtOwe->text(), u"30"_s) << "not the next midnight";
        query(QDate(2026, 1, 31), QDate(2026, 1, 31));
        EXPECT_EQ(rows(), QStringList{u"收|2026/1/31|20|杂项|"_s});
        query(QDate(2026, 2, 1), QDate(2026, 1, 1));
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"0.00"_s, u"0"_s})) << "reversed dates cover no day";
        query(QDate(2026, 3, 11), QDate(2026, 3, 11));
        EXPECT_EQ(totals(), (QStringList{u"1234568.19"_s, u"0.3"_s, u"1234567.89"_s})) << "decimals and large sums add exactly";
        query(QDate(2026, 3, 12), QDate(2026, 3, 12));
        EXPECT_EQ(totals(), (QStringList{u"200"_s, u"0.00"_s, u"200"_s})) << "deleted left out, empty flag counted, other type in neither";
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 2);
    });
}

// An amount another tool stored as text or as a number past what money holds
// is listed as it is; the totals add only the amounts money holds and one box
// says how many they left out.
TEST_F(Acct, TotalsLeaveOutAmountsThatAreNotNumbersAndOneBoxCountsThem)
{
    add(1, u"100"_s, At(2026, 3, 2));
    add(-1, u"30"_s, At(2026, 3, 3));
    const auto stored = [&](int type, const char* amount, const QDateTime& when, const QVariant& deleted = 0) {
        exec(u"Update Acct set Amount=%1 where ID=:id"_s.arg(QLatin1String(amount)), {{"id", add(type, u"1"_s, when, u"杂项"_s, deleted)}});
    };
    stored(1, "'abc'", At(2026, 3, 4));
    stored(-1, "'abc'", At(2026, 3, 5, 8));
    stored(1, "'12abc'", At(2026, 3, 6));    // the database alone would add 12 ten-thousandths
    stored(-1, "NULL", At(2026, 3, 7));
    stored(1, "'abc'", At(2026, 3, 8), 1);   // deleted
    stored(2, "'abc'", At(2026, 3, 8));      // in neither total
    stored(-1, "X'01'", At(2026, 3, 9));
    // Numbers past what money holds: above, just past 2^63, below -2^63.
    stored(1, "1e300", At(2026, 3, 11));
    stored(-1, "9.3e18", At(2026, 3, 12));
    stored(1, "-9.3e18", At(2026, 3, 13));
    // Totals each within the range, their balance not.
    stored(1, "9000000000000000000", At(2026, 3, 14));
    stored(-1, "-9000000000000000000", At(2026, 3, 14));
    // Incomes each within the range, their sum not.
    for (int i = 0; i < 3; ++i) stored(1, "9000000000000000000", At(2026, 3, 15));
    const auto box = [](int n) { return u"查询范围内有%1条记录的金额不是数字，收入合计、支出合计和节余没有计入这些记录。"_s.arg(n); };
    const QStringList none{u"0.00"_s, u"0.00"_s, u"0"_s};
    const struct { const char* name; QDate from, to; QStringList totals; int rows; QStringList boxes; const char* listed = nullptr; } cases[] = {
        {"all numbers", QDate(2026, 3, 2), QDate(2026, 3, 3), {u"100"_s, u"30"_s, u"70"_s}, 2, {}},
        {"text with leading digits", QDate(2026, 3, 6), QDate(2026, 3, 6), none, 1, {box(1)}},
        {"null, deleted and other kinds left aside", QDate(2026, 3, 7), QDate(2026, 3, 8), none, 2, {}},
        {"bytes", QDate(2026, 3, 9), QDate(2026, 3, 9), none, 1, {box(1)}},
        {"text income and expense", QDate(2026, 3, 2), QDate(2026, 3, 5), {u"100"_s, u"30"_s, u"70"_s}, 4, {box(2)}, "收|2026/3/4|abc|杂项|"},
        {"income 1e300", QDate(2026, 3, 11), QDate(2026, 3, 11), none, 1, {box(1)}, "收|2026/3/11|1e+300|杂项|"},
        {"expense just past 2^63", QDate(2026, 3, 12), QDate(2026, 3, 12), none, 1, {box(1)}},
        {"income below -2^63", QDate(2026, 3, 13), QDate(2026, 3, 13), none, 1, {box(1)}},
    };
    inBook([&] {
        for (const auto& c : cases) {
            messages.clear();
            query(c.from, c.to);
            EXPECT_EQ(u()->DBGrid1->model()->rowCount(), c.rows) << c.name;
            EXPECT_EQ(totals(), c.totals) << c.name;
            EXPECT_EQ(messageTexts(), c.boxes) << c.name;
            for (const auto& m : messages) EXPECT_EQ(m.icon, Dlg::Icon::Information) << c.name;
            if (c.listed) EXPECT_TRUE(rows().contains(QString::fromUtf8(c.listed))) << c.name << ": listed as stored";
        }
        // A balance past the range: the boxes and the list keep nothing of the query before.
        query(QDate(2026, 3, 14), QDate(2026, 3, 14));
        EXPECT_EQ(lastMessage(), u"金额超出范围"_s);
        EXPECT_EQ(totals(), (QStringList{u""_s, u""_s, u""_s}));
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 2) << "the list of the range asked for";
        query(QDate(2026, 3, 15), QDate(2026, 3, 15));
        EXPECT_EQ(totals(), (QStringList{u""_s, u""_s, u""_s}));
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 3) << "the list of the range asked for";
    });
}

TEST_F(Acct, CategoryFilterWithAQuoteListsExpensesSigned)
{
    add(1, u"800"_s, At(2026, 3, 2, 14, 35), u"租车款"_s, 0, 7, u"京A-1租车款"_s);
    add(-1, u"300"_s, At(2026, 3, 5), u"费用"_s);
    add(-1, u"5"_s, At(2026, 3, 6), u"O'Brien's"_s, 0, -3, u"京A-1 保险"_s);
    inBook([&] {
        query(QDate(2026, 3, 1), QDate(2026, 3, 31), u"O'Brien's"_s);
        EXPECT_EQ(rows(), QStringList{u"支|2026/3/6|-5|O'Brien's|京A-1 保险"_s});
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"5"_s, u"-5"_s}));
        EXPECT_EQ(u()->DBGrid1->model()->index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
        query(QDate(2026, 3, 1), QDate(2026, 3, 31), u"所有"_s);
        EXPECT_EQ(totals(), (QStringList{u"800"_s, u"305"_s, u"495"_s}));
        EXPECT_EQ(rows().last(), u"收|2026/3/2|800|租车款|京A-1租车款"_s) << "newest first, the date only";
        // The export writes the date the list shows, as a whole date.
        const QString file = dir() + u"book.xlsx"_s;
        saveFileAnswers << file;
        click(u()->BtnExpXls1);
        EXPECT_EQ(lastMessage(), u"导出完毕！"_s);
        XlsxSheet x;
        ASSERT_TRUE(x.load(file));
        const auto day = x.cell(5, 2);
        ASSERT_TRUE(day && x.text(2, 2) == u"日期"_s);
        EXPECT_EQ(day->text, QString::number(QDate(1899, 12, 30).daysTo(QDate(2026, 3, 2))));
        EXPECT_EQ(day->numFmt, u"yyyy/m/d"_s);
    });
}

// A bad amount writes nothing and keeps the typed texts for a second try; a
// good entry is stored exactly as typed, and a delete asks with the signed amount.
TEST_F(Acct, HandEntryStoresTextsExactlyAndDeleteAsksWithTheSignedAmount)
{
    const QString filter = u"，这里只能输入数字和小数点（最多两位小数），请重新输入！"_s;
    const struct { const char* name; QString pasted, rest; } bad[] = {
        {"empty", QString(), QString()}, {"comma", u"1,5"_s, filter}, {"three decimals", u"1.234"_s, filter}};
    inBook([&] {
        for (const auto& c : bad) {
            messages.clear();
            enter(false, c.pasted, u"油费"_s, u"x"_s, QDate(2026, 3, 9), true);
            EXPECT_EQ(messageTexts(), QStringList{u"“%1”不是有效的金额"_s.arg(c.pasted) + c.rest}) << c.name;
            EXPECT_EQ(u()->EdtItem->text(), u"x"_s) << c.name;
            EXPECT_EQ(count(), 0) << c.name;
        }
        // Typed, the filter keeps digits and one point with at most two decimals.
        clearAndType(u()->EdtAmount, u"-1a2.3.45"_s);
        EXPECT_EQ(u()->EdtAmount->text(), u"12.34"_s);

        query(QDate(2026, 3, 1), QDate(2026, 3, 31));
        enter(false, u"12.5"_s, u" 油费 "_s, u" 加油 O'Brien 100% -- "_s, QDate(2026, 3, 9));
        const qint64 expense = lastId();
        EXPECT_EQ(std::pair(lastMessage(), messages.back().caption), std::pair(u"保存成功！"_s, u"Quorvane"_s));
        EXPECT_EQ(stored(expense), u"-1|125000|0| 加油 O'Brien 100% -- |2026-03-09 00:00|0| 油费 "_s);
        enter(true, u"1000"_s, u"押金"_s, u"押金"_s, QDate(2026, 3, 10));
        const qint64 income = lastId();
        EXPECT_EQ(totals(), (QStringList{u"1000"_s, u"12.5"_s, u"987.5"_s}));

        select(expense);
        answers = {Dlg::IdNo};
        click(u()->BtnDelete);
        EXPECT_EQ(lastMessage(), u"确定要删除本条纪录吗？\n\r支:-12.5"_s);
        EXPECT_EQ(count(), 2) << "No leaves the entry";
        select(income);
        answers = {Dlg::IdYes};
        click(u()->BtnDelete);
        EXPECT_EQ(lastMessage(), u"确定要删除本条纪录吗？\n\r收:1000"_s);
        EXPECT_EQ(stored(income), u""_s) << "removed, not flagged";
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"12.5"_s, u"-12.5"_s}));
        // Keys are never reused.
        enter(true, u"3"_s, u"押金"_s, u"押金"_s, QDate(2026, 3, 5));
        EXPECT_GT(lastId(), income);
    });
}

// A settlement may carry more decimals than can be typed: left as filled in,
// its amount saves with the edit.
TEST_F(Acct, EditKeepsLinkAndAmountChangesOnlyItsRowAndSaysWhenTheEntryWentMeanwhile)
{
    const qint64 other = add(-1, u"2"_s, At(2026, 3, 1), u"保险"_s);
    const qint64 id = add(1, u"800.1234"_s, At(2026, 3, 2, 14, 35), u"租车款"_s, QVariant(), 7, u"京A-1租车款"_s);
    const QString untouched = stored(other);
    inBook([&] {
        select(id);
        inDialog([&] {
            EXPECT_EQ(m()->EdtAmount->text(), u"800.1234"_s);
            m()->CmbOweCategory->setEditText(u" 租车款 "_s);
            clearAndType(m()->EdtItem, u" 京A-1 O'Brien "_s);
            click(m()->BtnSave);
        });
        EXPECT_EQ(stored(id), u"1|8001234|7|京A-1 O'Brien|2026-03-02 00:00|NULL|租车款"_s) << "trimmed, date only";
        EXPECT_EQ(stored(other), untouched);

        select(id);
        inDialog([&] {
            choose(m()->RbPay);
            m()->CmbPayCategory->setEditText(u"退款"_s);
            clearAndType(m()->EdtAmount, u"850.5"_s);
            click(m()->BtnSave);
        });
        const QString edited = u"-1|8505000|7|京A-1 O'Brien|2026-03-02 00:00|NULL|退款"_s;
        EXPECT_EQ(stored(id), edited);
        EXPECT_EQ(u()->EdtPay->text(), u"852.5"_s) << "queried again";

        select(id);
        inDialog([&] { clearAndType(m()->EdtAmount, u"1"_s); frmAcctMod->reject(); });
        EXPECT_EQ(stored(id), edited) << "closed without saving";

        select(id);
        exec(u"Delete from Acct where ID=:id"_s, {{"id", id}});   // by another copy of the program
        click(u()->BtnModify);
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 1) << "the list is read afresh";
    });
}

} // namespace

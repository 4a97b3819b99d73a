// The list and its totals: ranges, categories, live entries, the calculated
// columns, red expense rows, the title sort and a replaced database.
#include "ui_UnitAcct.h"
#include "ui_UnitModAcct.h"
#include "AcctFixture.h"
#include "app/AppContext.h"

namespace {

class BookTest : public AcctFixture {};

struct TotalsCase {
    const char* name;
    std::vector<Entry> entries;
    QStringList expected;     // income, expense, balance
    int listed;
};

TEST_F(BookTest, TotalsShowExactMoneyOfLiveEntries)
{
    const QDateTime d = At(2026, 3, 5);
    const std::vector<TotalsCase> cases = {
        {"empty book", {}, {u"0.00"_s, u"0.00"_s, u"0"_s}, 0},
        {"income and expense",
         {{1, u"1500"_s, d}, {1, u"234.5"_s, d}, {-1, u"50"_s, d}}, {u"1734.5"_s, u"50"_s, u"1684.5"_s}, 3},
        {"decimals add exactly",
         {{1, u"0.1"_s, d}, {1, u"0.2"_s, d}, {-1, u"0.3"_s, d}}, {u"0.3"_s, u"0.3"_s, u"0"_s}, 3},
        {"only expense", {{-1, u"12.34"_s, d}}, {u"0.00"_s, u"12.34"_s, u"-12.34"_s}, 1},
        {"deleted left out, empty flag counted",
         {{1, u"100"_s, d, u"a"_s, 1}, {1, u"200"_s, d, u"a"_s, QVariant()}, {1, u"300"_s, d, u"a"_s, 0},
          {-1, u"7"_s, d, u"a"_s, 1}},
         {u"500"_s, u"0.00"_s, u"500"_s}, 2},
        {"other type listed, counted in neither", {{2, u"99"_s, d}, {1, u"1"_s, d}}, {u"1"_s, u"0.00"_s, u"1"_s}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec(u"Delete from Acct"_s);
        for (const auto& e : c.entries) add(e);
        inBook([&] {
            query(QDate(2026, 3, 1), QDate(2026, 3, 31));
            EXPECT_EQ(totals(), c.expected);
            EXPECT_EQ(u()->DBGrid1->model()->rowCount(), c.listed);
        });
    }
}

TEST_F(BookTest, RangeTakesWholeDaysAndNotTheNextMidnight)
{
    add({1, u"10"_s, At(2026, 1, 1)});              // first moment of January
    add({1, u"20"_s, At(2026, 1, 31, 23, 59)});
    add({1, u"40"_s, At(2026, 2, 1)});              // a hand entry dated 1 February
    add({1, u"80"_s, At(2026, 2, 2)});
    add({1, u"160"_s, At(2025, 12, 31, 23, 59)});
    inBook([&] {
        query(QDate(2026, 1, 1), QDate(2026, 1, 31));
        EXPECT_EQ(u()->EdtOwe->text(), u"30"_s) << "January";
        query(QDate(2026, 2, 1), QDate(2026, 2, 28));
        EXPECT_EQ(u()->EdtOwe->text(), u"120"_s) << "February";
        query(QDate(2026, 1, 31), QDate(2026, 1, 31));
        EXPECT_EQ(rows(), QStringList{u"收|2026/1/31|20|杂项|"_s}) << "one day";
        // Reversed dates cover no day at all.
        query(QDate(2026, 2, 1), QDate(2026, 1, 1));
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"0.00"_s, u"0"_s}));
    });
}

TEST_F(BookTest, YearShowsTheSumOfItsMonths)
{
    // Ten-thousandths that a double would not add exactly, spread over the months.
    for (int mo = 1; mo <= 12; ++mo) {
        add({1, u"0.1"_s, At(2025, mo, 1)});
        add({1, u"1234567.89"_s, At(2025, mo, 28, 23, 59)});
        add({-1, u"0.7"_s, At(2025, mo, 15, 12)});
    }
    inBook([&] {
        Currency income, expense;
        for (int mo = 1; mo <= 12; ++mo) {
            const QDate first(2025, mo, 1);
            query(first, first.addMonths(1).addDays(-1));
            income += StrToCurr(u()->EdtOwe->text());
            expense += StrToCurr(u()->EdtPay->text());
        }
        query(QDate(2025, 1, 1), QDate(2025, 12, 31));
        EXPECT_EQ(totals(), (QStringList{CurrToStr(income), CurrToStr(expense), CurrToStr(income - expense)}));
        EXPECT_EQ(u()->EdtOwe->text(), u"14814815.88"_s);
        EXPECT_EQ(u()->EdtPay->text(), u"8.4"_s);
    });
}

TEST_F(BookTest, CategoryFilterListsAndTotalsOneCategory)
{
    const QDateTime d = At(2026, 3, 5);
    add({1, u"800"_s, d, u"租车款"_s});
    add({-1, u"300"_s, d, u"费用"_s});
    add({-1, u"5"_s, d, u"O'Brien's"_s});
    add({-1, u"9"_s, d, u"hidden"_s, 1});            // a deleted entry's category is not offered
    inBook([&] {
        // The first opening rebuilt the filter list with nothing selected: every category.
        EXPECT_EQ(items(u()->CmbCat), (QStringList{u"所有"_s, u"租车款"_s, u"费用"_s, u"O'Brien's"_s}));
        EXPECT_EQ(u()->CmbCat->currentText(), QString());
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 3);

        query(QDate(2026, 3, 1), QDate(2026, 3, 31), u"O'Brien's"_s);
        EXPECT_EQ(rows(), QStringList{u"支|2026/3/5|-5|O'Brien's|"_s});
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"5"_s, u"-5"_s}));
        query(QDate(2026, 3, 1), QDate(2026, 3, 31), u"租车款"_s);
        EXPECT_EQ(totals(), (QStringList{u"800"_s, u"0.00"_s, u"800"_s}));
        query(QDate(2026, 3, 1), QDate(2026, 3, 31), u"所有"_s);
        EXPECT_EQ(totals(), (QStringList{u"800"_s, u"305"_s, u"495"_s}));

        // Back from the entry page: the list is rebuilt and its choice cleared; the list stays until a query.
        add({1, u"1"_s, d, u"新类目"_s});
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        EXPECT_EQ(items(u()->CmbCat).last(), u"新类目"_s);
        EXPECT_EQ(u()->CmbCat->currentIndex(), -1);
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 3);
    });
}

TEST_F(BookTest, ListShowsKindDateSignedAmountAndExpensesInRed)
{
    add({1, u"800"_s, At(2026, 3, 2, 14, 35), u"租车款"_s, 0, 7, u"京A-1租车款"_s});   // a settlement's income
    const qint64 fee = add({-1, u"50"_s, At(2026, 3, 4), u"费用"_s, 0, -3, u"京A-1 保险"_s});
    EXPECT_FALSE(u()->BtnExpXls1->isEnabled()) << "no export before the first query";
    inBook([&] {
        EXPECT_TRUE(u()->BtnExpXls1->isEnabled());
        // Newest first; the settlement shows its date only.
        EXPECT_EQ(rows(), (QStringList{u"支|2026/3/4|-50|费用|京A-1 保险"_s, u"收|2026/3/2|800|租车款|京A-1租车款"_s}));
        QAbstractItemModel* model = u()->DBGrid1->model();
        for (int c = 1; c <= 5; ++c) {
            EXPECT_EQ(model->index(0, c).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red)) << "column " << c;
            EXPECT_FALSE(model->index(1, c).data(Qt::ForegroundRole).isValid()) << "column " << c;
        }
        EXPECT_EQ(u()->DBGrid1->toolTip(), u"红色表示支出"_s);
        EXPECT_TRUE(u()->DBGrid1->isColumnHidden(0));
        EXPECT_EQ(frmAcct->ADOQry->fieldByName(u"ID"_s).asInteger(), fee);
        EXPECT_EQ(frmAcct->windowTitle(), u" 帐本 "_s);
    });
}

TEST_F(BookTest, TitleClickSortsBothWaysAndMarksTheTitle)
{
    const QDateTime d = At(2026, 3, 5);
    add({1, u"1500"_s, At(2026, 3, 1), u"b"_s});
    add({-1, u"50"_s, At(2026, 3, 3), u"c"_s});
    add({1, u"234.5"_s, d, u"a"_s});
    auto amounts = [&] {
        QStringList l;
        for (int r = 0; r < u()->DBGrid1->model()->rowCount(); ++r) l << u()->DBGrid1->model()->index(r, 3).data().toString();
        return l;
    };
    auto title = [&](int c) {
        const QAbstractItemModel* model = u()->DBGrid1->model();
        const QVariant colour = model->headerData(c, Qt::Horizontal, Qt::ForegroundRole);
        const QVariant font = model->headerData(c, Qt::Horizontal, Qt::FontRole);
        return (colour.isValid() ? colour.value<QBrush>().color().name() : u"plain"_s)
             + (font.isValid() && font.value<QFont>().bold() ? u" bold"_s : QString());
    };
    inBook([&] {
        EXPECT_EQ(amounts(), (QStringList{u"234.5"_s, u"-50"_s, u"1500"_s})) << "newest first";
        clickTitle(3);   // 金额: by the unsigned amount
        EXPECT_EQ(frmAcct->sortOrder(), u"Amount ASC"_s);
        EXPECT_EQ(amounts(), (QStringList{u"-50"_s, u"234.5"_s, u"1500"_s}));
        EXPECT_EQ(title(3), u"#000000 bold"_s);
        clickTitle(3);
        EXPECT_EQ(frmAcct->sortOrder(), u"Amount DESC"_s);
        EXPECT_EQ(amounts(), (QStringList{u"1500"_s, u"234.5"_s, u"-50"_s}));
        EXPECT_EQ(title(3), u"#0000ff bold"_s);

        clickTitle(4);   // 类目
        EXPECT_EQ(amounts(), (QStringList{u"234.5"_s, u"1500"_s, u"-50"_s}));
        EXPECT_EQ(title(3), u"plain"_s) << "the other titles turn plain";
        EXPECT_EQ(title(4), u"#000000 bold"_s);
        clickTitle(1);   // 收/支 sorts on the type
        EXPECT_EQ(frmAcct->sortOrder(), u"Type ASC"_s);
        EXPECT_EQ(amounts().first(), u"-50"_s);

        // A new query goes back to newest first and leaves the titles.
        click(u()->BtnQry);
        EXPECT_EQ(frmAcct->sortOrder(), u"AcctTime DESC"_s);
        EXPECT_EQ(amounts(), (QStringList{u"234.5"_s, u"-50"_s, u"1500"_s}));
        EXPECT_EQ(title(1), u"#000000 bold"_s);
    });
}

TEST_F(BookTest, OpeningResetsRangeAndKindAndKeepsPage)
{
    add({-1, u"3"_s, At(2026, 2, 8), u"油费"_s});       // 30 days before the clock's day
    add({-1, u"4"_s, At(2026, 2, 7), u"路费"_s});       // 31 days before: out of the default range
    add({1, u"5"_s, At(2026, 3, 10), u"押金"_s});
    inBook([&] {
        EXPECT_EQ(u()->DateTimePicker1->date(), QDate(2026, 2, 8));
        EXPECT_EQ(u()->DateTimePicker2->date(), QDate(2026, 3, 10));
        EXPECT_EQ(totals(), (QStringList{u"5"_s, u"3"_s, u"2"_s}));
        EXPECT_TRUE(u()->RbPay->isChecked());
        EXPECT_EQ(items(u()->CmbPayCategory), (QStringList{u"油费"_s, u"路费"_s}));
        EXPECT_EQ(items(u()->CmbOweCategory), QStringList{u"押金"_s});
        EXPECT_EQ(u()->CmbPayCategory->currentText(), QString());
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        EXPECT_TRUE(u()->CmbPayCategory->isVisibleTo(u()->TabSheet2));
        EXPECT_FALSE(u()->CmbOweCategory->isVisibleTo(u()->TabSheet2));
        choose(u()->RbOwe);
        EXPECT_TRUE(u()->CmbOweCategory->isVisibleTo(u()->TabSheet2));
        EXPECT_FALSE(u()->CmbPayCategory->isVisibleTo(u()->TabSheet2));
        u()->DateTimePicker3->setDate(QDate(2020, 1, 1));
        u()->PageControl1->setCurrentWidget(u()->TabSheet1);
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        EXPECT_EQ(u()->DateTimePicker3->date(), QDate(2026, 3, 10)) << "the entry page starts on today";
    });
    // The next opening keeps the entry page but selects 支出 again.
    now = At(2026, 3, 11, 8);
    inBook([&] {
        EXPECT_EQ(u()->PageControl1->currentWidget(), u()->TabSheet2);
        EXPECT_TRUE(u()->RbPay->isChecked());
        EXPECT_TRUE(u()->CmbPayCategory->isVisibleTo(u()->TabSheet2));
        EXPECT_EQ(u()->DateTimePicker2->date(), QDate(2026, 3, 11));
    });
}

TEST_F(BookTest, ReplacedDatabaseLeavesNoStaleRows)
{
    add({-1, u"50"_s, At(2026, 3, 5), u"旧类目"_s});
    inBook([&] { EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 1); });
    // A clearing or restore replaced the data while the book was closed.
    exec(u"Delete from Acct"_s);
    add({1, u"9"_s, At(2026, 3, 6), u"新类目"_s});
    emit AppEvents::instance().databaseReplaced();
    EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(totals(), (QStringList{QString(), QString(), QString()}));
    EXPECT_EQ(items(u()->CmbCat), (QStringList{u"所有"_s, u"新类目"_s}));
    EXPECT_EQ(items(u()->CmbPayCategory), QStringList{});
    inBook([&] { EXPECT_EQ(rows(), QStringList{u"收|2026/3/6|9|新类目|"_s}); });
}

} // namespace

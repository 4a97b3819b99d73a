// Hand entries, the amount key filter, the edit dialog, the delete and keys.
#include "ui_UnitAcct.h"
#include "ui_UnitModAcct.h"
#include "AcctFixture.h"
#include "platform/App.h"
#include "platform/Errors.h"
#include <QApplication>

namespace {

class EntryTest : public AcctFixture {
protected:
    // Fills the entry page and clicks 保存.
    void enter(bool income, const QString& amount, const QString& category, const QString& item, const QDate& date)
    {
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        choose(income ? u()->RbOwe : u()->RbPay);
        u()->DateTimePicker3->setDate(date);
        clearAndType(u()->EdtAmount, amount);
        QComboBox* c = income ? u()->CmbOweCategory : u()->CmbPayCategory;
        c->setEditText(category);
        clearAndType(u()->EdtItem, item);
        click(u()->BtnSave);
    }
    // Clicks 修改 on the selected row and runs fn in the dialog, which fn closes.
    void inDialog(const std::function<void()>& fn)
    {
        whenShown(frmAcctMod, [&] { fn(); if (frmAcctMod->isVisible()) frmAcctMod->reject(); });
        click(u()->BtnModify);
    }
    qint64 lastId() { return scalar(u"Select max(ID) from Acct"_s).toLongLong(); }
};

TEST_F(EntryTest, HandEntryStoresItsRowAndQueriesAgain)
{
    inBook([&] {
        query(QDate(2026, 3, 1), QDate(2026, 3, 31));
        enter(false, u"12.5"_s, u" 油费 "_s, u" 加油 O'Brien 100% -- "_s, QDate(2026, 3, 9));
        EXPECT_EQ(lastMessage(), u"保存成功！"_s);
        EXPECT_EQ(messages.back().caption, AppTitle());
        EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
        // Texts as typed; a date without a time of day; a hand entry's link is 0.
        EXPECT_EQ(stored(lastId()), u"-1|125000|0| 加油 O'Brien 100% -- |2026-03-09 00:00|0| 油费 "_s);
        EXPECT_EQ(u()->EdtAmount->text(), QString());
        EXPECT_EQ(u()->EdtItem->text(), QString());
        EXPECT_EQ(u()->CmbPayCategory->currentText(), u" 油费 "_s) << "kind, category and date stay";
        EXPECT_EQ(u()->DateTimePicker3->date(), QDate(2026, 3, 9));
        EXPECT_TRUE(u()->RbPay->isChecked());
        EXPECT_EQ(totals(), (QStringList{u"0.00"_s, u"12.5"_s, u"-12.5"_s}));

        enter(true, u"1000"_s, u"押金"_s, u"押金"_s, QDate(2026, 3, 10));
        EXPECT_EQ(stored(lastId()), u"1|10000000|0|押金|2026-03-10 00:00|0|押金"_s);
        EXPECT_EQ(totals(), (QStringList{u"1000"_s, u"12.5"_s, u"987.5"_s}));
    });
    // A new category is offered from the next opening on.
    inBook([&] {
        EXPECT_EQ(items(u()->CmbPayCategory), QStringList{u" 油费 "_s});
        EXPECT_EQ(items(u()->CmbOweCategory), QStringList{u"押金"_s});
    });
}

TEST_F(EntryTest, AmountThatIsNotANumberStoresNothing)
{
    inBook([&] {
        // Typed empty, and pasted past the key filter.
        for (const QString& pasted : {QString(), u"1,5"_s}) {
            enter(false, QString(), u"油费"_s, u"x"_s, QDate(2026, 3, 9));
            if (!pasted.isEmpty()) { u()->EdtAmount->setText(pasted); click(u()->BtnSave); }
            EXPECT_EQ(count(), 0);
            EXPECT_EQ(messages.back().caption, AppTitle());
            EXPECT_TRUE(lastMessage().contains(u"不是有效的金额"_s)) << lastMessage().toStdString();
            EXPECT_EQ(u()->EdtItem->text(), u"x"_s) << "the typed texts stay for a second try";
        }
    });
}

// An amount pasted past the key filter that the filter would refuse when typed
// gets the filter's notice and writes nothing, in a new entry and in the edit
// dialog, which stays open with the typed texts.
TEST_F(EntryTest, PastedAmountTheFilterRefusesWritesNothing)
{
    const qint64 id = add({1, u"800"_s, At(2026, 3, 2), u"租车款"_s});
    const QString before = stored(id);
    const struct { const char* name; QString pasted; } rows[] = {
        {"negative", u"-300"_s}, {"three decimals", u"1.234"_s}, {"leading point", u".5"_s}, {"signed", u"+5"_s},
    };
    inBook([&] {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            enter(false, QString(), u"油费"_s, u"x"_s, QDate(2026, 3, 9));
            u()->EdtAmount->setText(row.pasted);
            messages.clear();
            click(u()->BtnSave);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(lastMessage(), u"“%1”不是有效的金额，这里只能输入数字和小数点（最多两位小数），请重新输入！"_s.arg(row.pasted));
            EXPECT_EQ(frmAcct->focusWidget(), u()->EdtAmount);
            EXPECT_EQ(count(), 1);

            select(id);
            inDialog([&] {
                m()->EdtAmount->setText(row.pasted);
                clearAndType(m()->EdtItem, u"改"_s);
                messages.clear();
                click(m()->BtnSave);
                ASSERT_EQ(messages.size(), 1u);
                EXPECT_TRUE(lastMessage().startsWith(u"“%1”不是有效的金额"_s.arg(row.pasted)));
                EXPECT_TRUE(frmAcctMod->isVisible());
                EXPECT_EQ(frmAcctMod->focusWidget(), m()->EdtAmount);
                EXPECT_EQ(m()->EdtItem->text(), u"改"_s);
            });
            EXPECT_EQ(stored(id), before);
        }
    });
}

// A settlement may carry more decimals than can be typed: left as filled in,
// its amount saves with the edit.
TEST_F(EntryTest, EditKeepsAStoredAmountWithMoreDecimals)
{
    const qint64 id = add({1, u"12.3456"_s, At(2026, 3, 2), u"租车款"_s});
    inBook([&] {
        select(id);
        inDialog([&] {
            EXPECT_EQ(m()->EdtAmount->text(), u"12.3456"_s);
            clearAndType(m()->EdtItem, u"改"_s);
            click(m()->BtnSave);
        });
    });
    EXPECT_EQ(stored(id), u"1|123456|0|改|2026-03-02 00:00|0|租车款"_s);
}

TEST_F(EntryTest, AmountKeyFilter)
{
    struct Case { const char* name; QString typed, shown; };
    const std::vector<Case> cases = {
        {"two decimals at most", u"12.345"_s, u"12.34"_s},
        {"no leading point", u".5"_s, u"5"_s},
        {"one point", u"1.2.3"_s, u"1.23"_s},
        {"letters and signs dropped", u"-1a2,b"_s, u"12"_s},
        {"full-width digits dropped", u"１2"_s, u"2"_s},
    };
    inBook([&] {
        u()->PageControl1->setCurrentWidget(u()->TabSheet2);
        for (QLineEdit* e : {u()->EdtAmount, m()->EdtAmount}) {
            for (const auto& c : cases) {
                clearAndType(e, c.typed);
                EXPECT_EQ(e->text(), c.shown) << c.name << " in " << e->window()->objectName().toStdString();
            }
            // Two decimals: only Backspace passes, and then digits again.
            clearAndType(e, u"12.34"_s);
            QTest::keyClick(e, Qt::Key_Backspace);
            type(e, u"9"_s);
            EXPECT_EQ(e->text(), u"12.39"_s);
        }
    });
}

TEST_F(EntryTest, EditOfASettlementKeepsItsLinkAndDropsTheTime)
{
    add({1, u"1"_s, At(2026, 3, 1), u"租车款"_s});
    add({-1, u"2"_s, At(2026, 3, 1), u"保险"_s});
    const qint64 id = add({1, u"800"_s, At(2026, 3, 2, 14, 35), u"租车款"_s, QVariant(), 7, u"京A-1租车款"_s});
    inBook([&] {
        select(id);
        inDialog([&] {
            EXPECT_TRUE(m()->RbOwe->isChecked());
            EXPECT_TRUE(m()->CmbOweCategory->isVisible());
            EXPECT_FALSE(m()->CmbPayCategory->isVisible());
            EXPECT_EQ(m()->DateTimePicker3->date(), QDate(2026, 3, 2));
            EXPECT_EQ(m()->EdtAmount->text(), u"800"_s);
            EXPECT_EQ(m()->EdtItem->text(), u"京A-1租车款"_s);
            EXPECT_EQ(m()->CmbOweCategory->currentText(), u"租车款"_s);
            EXPECT_EQ(m()->CmbPayCategory->currentText(), u"租车款"_s);
            EXPECT_EQ(items(m()->CmbOweCategory), QStringList{u"租车款"_s});
            EXPECT_EQ(items(m()->CmbPayCategory), QStringList{u"保险"_s});
            clearAndType(m()->EdtAmount, u"850.5"_s);
            m()->CmbOweCategory->setEditText(u" 租车款 "_s);
            clearAndType(m()->EdtItem, u" 京A-1 O'Brien "_s);
            click(m()->BtnSave);
        });
        // Link and (empty) deleted flag kept; texts trimmed; date only.
        EXPECT_EQ(stored(id), u"1|8505000|7|京A-1 O'Brien|2026-03-02 00:00|-|租车款"_s);
        EXPECT_EQ(u()->EdtOwe->text(), u"851.5"_s) << "queried again";

        // Switched to an expense; then closed by its frame: nothing written.
        select(id);
        inDialog([&] {
            choose(m()->RbPay);
            EXPECT_TRUE(m()->CmbPayCategory->isVisible());
            EXPECT_FALSE(m()->CmbOweCategory->isVisible());
            m()->CmbPayCategory->setEditText(u"退款"_s);
            click(m()->BtnSave);
        });
        EXPECT_EQ(stored(id), u"-1|8505000|7|京A-1 O'Brien|2026-03-02 00:00|-|退款"_s);
        select(id);
        inDialog([&] {
            clearAndType(m()->EdtAmount, u"1"_s);
            frmAcctMod->reject();
        });
        EXPECT_EQ(stored(id), u"-1|8505000|7|京A-1 O'Brien|2026-03-02 00:00|-|退款"_s);

        // An emptied amount is refused after the dialog closes, with nothing written.
        select(id);
        inDialog([&] { m()->EdtAmount->clear(); click(m()->BtnSave); });
        EXPECT_TRUE(lastMessage().contains(u"不是有效的金额"_s)) << lastMessage().toStdString();
        EXPECT_EQ(stored(id), u"-1|8505000|7|京A-1 O'Brien|2026-03-02 00:00|-|退款"_s);
    });
}

TEST_F(EntryTest, EditOfAnEntryDeletedMeanwhileSaysSo)
{
    const qint64 id = add({-1, u"50"_s, At(2026, 3, 5)});
    inBook([&] {
        exec(u"Delete from Acct where ID=:id"_s, {{"id", id}});   // another copy of the program
        const size_t before = messages.size();
        click(u()->BtnModify);
        ASSERT_EQ(messages.size(), before + 1);
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(u()->DBGrid1->model()->rowCount(), 0) << "the list is read afresh";
        // On an empty list both commands do nothing.
        click(u()->BtnModify);
        click(u()->BtnDelete);
        EXPECT_EQ(messages.size(), before + 1);
    });
}

TEST_F(EntryTest, DeleteAsksWithTheKindAndSignedAmount)
{
    const qint64 keep = add({1, u"800"_s, At(2026, 3, 2)});
    const qint64 fee = add({-1, u"50"_s, At(2026, 3, 4), u"费用"_s, 0, -3});
    inBook([&] {
        select(fee);
        answers = {Dlg::IdNo};
        click(u()->BtnDelete);
        const ShownMessage& q = messages.back();
        EXPECT_EQ(q.text, u"确定要删除本条纪录吗？\n\r支:-50"_s);
        EXPECT_EQ(q.caption, AppTitle());
        EXPECT_EQ(q.icon, Dlg::Icon::Question);
        EXPECT_EQ(q.buttons, Dlg::Buttons::YesNo);
        EXPECT_EQ(q.defaultButton, Dlg::IdNo);
        EXPECT_EQ(count(), 2) << "No leaves the entry";

        select(fee);
        answers = {Dlg::IdYes};
        click(u()->BtnDelete);
        EXPECT_EQ(stored(fee), u"(none)"_s) << "the row is removed, not flagged";
        EXPECT_EQ(count(), 1);
        EXPECT_EQ(totals(), (QStringList{u"800"_s, u"0.00"_s, u"800"_s}));

        select(keep);
        answers = {Dlg::IdNo};
        click(u()->BtnDelete);
        EXPECT_EQ(lastMessage(), u"确定要删除本条纪录吗？\n\r收:800"_s);
    });
}

TEST_F(EntryTest, KeysAreNeverReused)
{
    inBook([&] {
        query(QDate(2026, 3, 1), QDate(2026, 3, 31));
        enter(false, u"1"_s, u"a"_s, u"first"_s, QDate(2026, 3, 3));
        enter(false, u"2"_s, u"a"_s, u"second"_s, QDate(2026, 3, 4));
        const qint64 newest = lastId();
        select(newest);
        answers = {Dlg::IdYes};
        click(u()->BtnDelete);
        enter(false, u"3"_s, u"a"_s, u"third"_s, QDate(2026, 3, 5));
        EXPECT_GT(lastId(), newest);
        EXPECT_EQ(stored(newest), u"(none)"_s);
    });
}

} // namespace

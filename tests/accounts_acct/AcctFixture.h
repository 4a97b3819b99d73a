#pragma once
// The account book over entries written by SQL, opened the way the main window
// opens it, with a fixed clock. The including file includes the ui_ headers
// first, so the build generates them.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "app/UnitMain.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Moment.h"
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <ostream>

using namespace Qt::StringLiterals;

inline QDateTime At(int y, int mo, int d, int h = 0, int mi = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, mi)); }

struct Entry {
    int type = 1;
    QString amount = u"100"_s;
    QDateTime when = At(2026, 3, 1);
    QString category = u"杂项"_s;
    QVariant deleted = 0;
    qint64 link = 0;
    QString item = QString();
};

class AcctFixture : public AppFixture {
protected:
    QDateTime now = At(2026, 3, 10, 9, 30);

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([this] { return now; });
    }

    Ui::TfrmAcct* u() { return frmAcct->ui.get(); }
    Ui::TfrmAcctMod* m() { return frmAcctMod->ui.get(); }

    // An entry as the settlement, the fee items or a hand entry leave it; its key.
    qint64 add(const Entry& e)
    {
        exec(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
             "Values(:t,:a,:l,:i,:w,:d,:c)"_s,
             {{"t", e.type}, {"a", QVariant::fromValue(StrToCurr(e.amount))}, {"l", e.link}, {"i", e.item},
              {"w", e.when}, {"d", e.deleted}, {"c", e.category}});
        return db().lastInsertId();
    }

    // Opens the book from the main window, runs fn in it, then closes it by its frame.
    void inBook(const std::function<void()>& fn)
    {
        whenShown(frmAcct, [&] { fn(); if (frmAcct->isVisible()) frmAcct->reject(); });
        frmMain->ToolButton7Click();
    }
    // Sets the range (and a category of the filter list) and clicks 查询.
    void query(const QDate& from, const QDate& to, const QString& category = {})
    {
        u()->DateTimePicker1->setDate(from);
        u()->DateTimePicker2->setDate(to);
        if (!category.isEmpty()) {
            const int i = u()->CmbCat->findText(category);
            ASSERT_GE(i, 0) << "no category " << category.toStdString();
            u()->CmbCat->setCurrentIndex(i);
        }
        click(u()->BtnQry);
    }
    QStringList totals() { return {u()->EdtOwe->text(), u()->EdtPay->text(), u()->EdtBalance->text()}; }

    // The texts a list row shows: 收/支, 日期, 金额, 类目, 事项.
    QString row(int r)
    {
        QStringList l;
        for (int c = 1; c <= 5; ++c) l << u()->DBGrid1->model()->index(r, c).data().toString();
        return l.join(u'|');
    }
    QStringList rows()
    {
        QStringList l;
        for (int r = 0; r < u()->DBGrid1->model()->rowCount(); ++r) l << row(r);
        return l;
    }
    QStringList items(const QComboBox* c)
    {
        QStringList l;
        for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
        return l;
    }
    void select(qint64 id) { ASSERT_TRUE(frmAcct->ADOQry->locate(u"ID"_s, id)) << id; }
    // A mouse click on a column title.
    void clickTitle(int column)
    {
        QHeaderView* h = u()->DBGrid1->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    }
    // A radio button is clicked on its label, near the indicator.
    static void choose(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

    // A stored row: type, amount in ten-thousandths, link, item, moment, deleted flag, category.
    QString stored(qint64 id)
    {
        TStatement st(db(), u"Select [Type],Amount,LeasoID,Item,AcctTime,Deleted,Category from Acct where ID=:id"_s, {{"id", id}});
        if (!st.next()) return u"(none)"_s;
        QStringList l;
        for (int c = 0; c < 7; ++c) {
            const QVariant v = st.value(c);
            l << (v.isNull() ? u"-"_s : c == 4 ? DaysToDateTime(v.toDouble()).toString(u"yyyy-MM-dd HH:mm"_s) : v.toString());
        }
        return l.join(u'|');
    }
    int count() { return scalar(u"Select count(*) from Acct"_s).toInt(); }
};

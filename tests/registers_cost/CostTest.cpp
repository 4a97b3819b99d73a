// The vehicle register's fee-item page and its dialog, driven through the real
// windows: each command with its linked account-book expense, the questions,
// the dialog's defaults, and the failures that must leave nothing written.
#include "ui_UnitCar.h"
#include "ui_UnitCost.h"
#include "ui_UnitMain.h"
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "platform/DBGrid.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include <QTest>

namespace {

const QString Plate = QStringLiteral("京A12345");
const QString AskDelete = QStringLiteral("确实要删除此项纪录吗？");
const QString AskEntry = QStringLiteral("在帐本中有本项费用的记录，是否同步删除帐本中的记录？");

struct Fee {
    QString name, cost;
    bool book = true;
    QDate paid = QDate(2024, 3, 5);
    QString content = QStringLiteral("备注");
    QDate begin = QDate(2024, 3, 1), end = QDate(2025, 2, 28);
};

class CostTest : public AppFixture {
protected:
    Ui::TfrmCar* C() { return frmCar->ui; }
    Ui::TfrmCost* D() { return frmCost->ui; }

    void prepareDatabase(TADOConnection& cn) override
    {
        for (const QString& key : {Plate, QStringLiteral("沪B001")})
            cn.execute(QStringLiteral("Insert into Car(CarID,State,Mark,Odograph) values(:k,'A','大众',100)"), {{QStringLiteral("k"), key}});
    }
    // Opens the register on its fee page, runs fn in it, then leaves with its 退出.
    void inRegister(const std::function<void()>& fn, bool withCar = true)
    {
        whenShown(frmCar, [&] {
            C()->PageControl1->setCurrentWidget(C()->TabSheet1);
            if (withCar) selectCar(Plate);
            fn();
            if (frmCar->isVisible()) click(C()->BtnExit4);
        });
        frmMain->ui->BtnCar->click();
    }
    void selectCar(const QString& key) { ASSERT_TRUE(frmCar->ADOQry->locate(QStringLiteral("CarID"), key)) << key.toStdString(); }
    void selectFee(const QString& name) { ASSERT_TRUE(frmCar->ADOTable1->locate(QStringLiteral("Name"), name)) << name.toStdString(); }
    // Clicks a page button and runs fn in the dialog it opens; one left open is cancelled.
    void inDialog(QAbstractButton* btn, const std::function<void()>& fn)
    {
        whenShown(frmCost, [&] { fn(); if (frmCost->isVisible()) click(D()->BtnCancel); });
        click(btn);
    }
    void fill(const Fee& f)
    {
        clearAndType(D()->EdtName, f.name);
        clearAndType(D()->EdtCost, f.cost);
        D()->Dt1->setDate(f.begin);
        D()->Dt2->setDate(f.end);
        clearAndType(D()->EdtContent, f.content);
        D()->DtCreateTime->setDate(f.paid);
        D()->ChkAcct->setChecked(f.book);
    }
    void add(const Fee& f) { inDialog(C()->BtnAddCost, [&] { fill(f); click(D()->BtnOK); }); }
    void modify(const QString& name, const Fee& f)
    {
        selectFee(name);
        inDialog(C()->BtnModCost, [&] { fill(f); click(D()->BtnOK); });
    }
    void remove(const QString& name, std::deque<int> replies)
    {
        selectFee(name);
        answers = std::move(replies);
        click(C()->BtnDelCost);
    }

    // Rows of a query, "|" between columns; in `kinds` 'm' marks money and 'd' a moment.
    QStringList rows(const QString& sql, const char* kinds)
    {
        QStringList out;
        TStatement st(db(), sql);
        while (st.next()) {
            QStringList cols;
            for (int i = 0; kinds[i]; ++i) {
                const QVariant v = st.value(i);
                cols << (v.isNull() ? QStringLiteral("null") : kinds[i] == 'm' ? Currency::fromRaw(v.toLongLong()).toString()
                         : kinds[i] == 'd' ? DaysToDateTime(v.toDouble()).toString(QStringLiteral("yyyy-MM-dd hh:mm")) : v.toString());
            }
            out << cols.join('|');
        }
        return out;
    }
    QStringList fees() { return rows("select CarID,Name,Cost,BeginTime,EndTime,Content,CreateTime from CarCost order by CostID", "..mdd.d"); }
    QStringList entries() { return rows("select Type,Amount,LeasoID,Item,AcctTime,Deleted,Category from Acct order by ID", ".m..d.."); }
    qint64 costId(const QString& name) { return scalar("select CostID from CarCost where Name=:n", {{"n", name}}).toLongLong(); }
    QString link(const QString& name) { return QString::number(-costId(name)); }
    qint64 entriesLinked(qint64 link) { return scalar("select count(*) from Acct where LeasoID=:l", {{"l", link}}).toLongLong(); }
    // The names the page lists, in its order.
    QStringList listed()
    {
        QStringList out;
        TDataSet* t = frmCar->ADOTable1;
        for (int r = 0; t->active() && r < t->recordCount(); ++r) out << t->textAt(r, t->fieldIndex(QStringLiteral("Name")));
        return out;
    }
};

// ---- the dialog ----

TEST_F(CostTest, TheDialogKeepsItsDatesAndBoxBetweenUsesFiltersTheAmountAndEnablesOkWhenFilled)
{
    const QDate today = NowMoment().date();
    EXPECT_EQ(QList<QDate>({D()->Dt1->date(), D()->Dt2->date(), D()->DtCreateTime->date()}), QList<QDate>({today, today.addDays(365), today}));
    EXPECT_TRUE(D()->ChkAcct->isChecked() && !D()->BtnOK->isEnabled() && D()->EdtCar->isReadOnly());
    EXPECT_EQ(D()->EdtCar->palette().color(QPalette::Base), QColor(0xc0, 0xc0, 0xc0));   // silver
    const Fee f{QStringLiteral("保险"), QStringLiteral("80"), false};
    inRegister([&] {
        add(f);
        inDialog(C()->BtnAddCost, [&] {
            EXPECT_EQ(frmCost->windowTitle() + '|' + D()->EdtCar->text(), QStringLiteral("新增交费项目|") + Plate);
            // The texts are emptied; the dates and the box are those of the last use.
            EXPECT_EQ(D()->EdtName->text() + D()->EdtCost->text() + D()->EdtContent->text(), "");
            EXPECT_EQ(QList<QDate>({D()->Dt1->date(), D()->Dt2->date(), D()->DtCreateTime->date()}), QList<QDate>({f.begin, f.end, f.paid}));
            EXPECT_FALSE(D()->ChkAcct->isChecked());
            const struct { const char* name; const char* cost; bool enabled; } okCases[] = {
                {"", "", false}, {"保险", "", false}, {"", "12", false}, {"保险", "12", true}, {" ", "1", true}};   // a blank name counts
            for (const auto& c : okCases) {
                D()->EdtName->setText(QString::fromUtf8(c.name));
                D()->EdtCost->setText(QString::fromUtf8(c.cost));
                EXPECT_EQ(D()->BtnOK->isEnabled(), c.enabled) << c.name << "/" << c.cost;
            }
            for (const auto& [typed, shown] : {std::pair{"1a2.3.4-", "12.34"}, std::pair{".12345", ".12345"}}) {
                clearAndType(D()->EdtCost, QString::fromLatin1(typed));
                EXPECT_EQ(D()->EdtCost->text(), QString::fromLatin1(shown)) << typed;
            }
            clearAndType(D()->EdtName, QStringLiteral("年检"));
            QTest::keyClick(D()->EdtName, Qt::Key_Return);
            EXPECT_TRUE(frmCost->isVisible() && D()->EdtCost->hasFocus());   // Enter presses no button
        });
    });
    EXPECT_EQ(fees().size(), 1);
}

TEST(CutToCodePageBytes, CountsTheCodePageAndNeverSplitsACharacter)
{
    const QString thirty = QString(30, QChar(0x4FDD));   // 保 × 30
    const struct { const char* label; QString text, cut; } cases[] = {
        {"short text whole", QStringLiteral("保险abc"), QStringLiteral("保险abc")},
        {"Chinese: ten characters", thirty, thirty.left(10)},
        {"ASCII: twenty", QString(25, QLatin1Char('x')), QString(20, QLatin1Char('x'))},
        {"odd byte left over is dropped", QStringLiteral("a") + thirty, QStringLiteral("a") + thirty.left(9)},
        {"exactly twenty with a mix", QStringLiteral("ab") + thirty.left(9), QStringLiteral("ab") + thirty.left(9)},
        {"beyond the basic plane stays whole", QString(18, QLatin1Char('x')) + QString::fromUcs4(U"\U0001F697"), QString(18, 'x')},
        {"empty", QString(), QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(CutToCodePageBytes(c.text, 20), c.cut) << c.label;
}

// ---- add ----

TEST_F(CostTest, AnAddBooksItsExpenseOnlyWhenTickedAndAboveZero)
{
    inRegister([&] {
        add({QStringLiteral("交强险"), QStringLiteral("80")});
        add({QStringLiteral("洗车"), QStringLiteral("0")});
        add({QStringLiteral("停车"), QStringLiteral("15.5"), false});
        EXPECT_EQ(listed(), QStringList({QStringLiteral("交强险"), QStringLiteral("洗车"), QStringLiteral("停车")}));
        EXPECT_EQ(C()->DBGrid2->selectedText(2) + '|' + C()->DBGrid2->selectedText(3) + '|' + C()->DBGrid2->selectedText(4),
                  QStringLiteral("停车|15.5|2024/3/1"));   // stands on the new item
        selectCar(QStringLiteral("沪B001"));   // the items are those of the vehicle selected
        EXPECT_EQ(listed(), QStringList());
    });
    const QString dates = QStringLiteral("|2024-03-01 00:00|2025-02-28 00:00|备注|2024-03-05 00:00");
    EXPECT_EQ(fees(), QStringList({Plate + "|交强险|80" + dates, Plate + "|洗车|0" + dates, Plate + "|停车|15.5" + dates}));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("-1|80|%1|%2 交强险|2024-03-05 00:00|0|费用").arg(link(QStringLiteral("交强险")), Plate)}));
    EXPECT_TRUE(messages.empty()) << messageTexts().join('/').toStdString();
}

TEST_F(CostTest, TheGridShowsItsColumnsAndALongPlateKeepsItsItems)
{
    const QString longPlate = QString(60, QLatin1Char('L')) + QStringLiteral("车");
    exec(QStringLiteral("Insert into Car(CarID,State) values(:k,'A')"), {{QStringLiteral("k"), longPlate}});
    inRegister([&] {
        QStringList captions;
        for (const auto& col : C()->DBGrid2->columns()) if (col.visible) captions << col.caption;
        EXPECT_EQ(captions.join('|'), QStringLiteral("车辆|项目|金额|生效时间|到期时间|内容|付款日期"));
        selectCar(longPlate);
        add({QStringLiteral("保险"), QStringLiteral("1")});
    });
    EXPECT_EQ(scalar(QStringLiteral("select CarID from CarCost")).toString(), longPlate);   // stored whole
    inRegister([&] { selectCar(longPlate); EXPECT_EQ(listed(), QStringList{QStringLiteral("保险")}); });
}

TEST_F(CostTest, QuotedNamesAndRemarksAreCutAtTwentyBytesWhileTheEntryKeepsTheWholeName)
{
    const QString thirty = QString(30, QChar(0x9669)), quoted = QStringLiteral("O'Brien's 险' --");   // 险 × 30
    inRegister([&] {
        add({thirty, QStringLiteral("9"), true, QDate(2024, 3, 5), QStringLiteral("x") + thirty});
        add({quoted, QStringLiteral("20")});
        modify(quoted, {quoted + "'", QStringLiteral("21")});
    });
    EXPECT_EQ(RowsText(db(), "CarCost", {"Name", "Content"}), thirty.left(10) + "|x" + thirty.left(9) + '/' + CutToCodePageBytes(quoted + "'", 20) + "|备注");
    EXPECT_EQ(entries(), QStringList({QStringLiteral("-1|9|%1|%2 %3|2024-03-05 00:00|0|费用").arg(link(thirty.left(10)), Plate, thirty),
                                      QStringLiteral("-1|21|%1|%2 %3'|2024-03-05 00:00|0|费用").arg(link(CutToCodePageBytes(quoted + "'", 20)), Plate, quoted)}));
    EXPECT_TRUE(messages.empty()) << messageTexts().join('/').toStdString();
}

// ---- modify ----

TEST_F(CostTest, AModifyShowsTheItemAndUpdatesOnlyAmountItemAndDateOfAnEntryItHas)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral("80.5")});
        add({QStringLiteral("无帐"), QStringLiteral("60"), false});
        add({QStringLiteral("有帐"), QStringLiteral("50")});
    });
    // The account book changed the entry's category and kind meanwhile; those stay.
    exec(QStringLiteral("Update Acct set Category='保险费', Type=1 where Item like '%保险'"));
    inRegister([&] {
        selectFee(QStringLiteral("保险"));
        inDialog(C()->BtnModCost, [&] {
            EXPECT_EQ(frmCost->windowTitle(), QStringLiteral("修改交费项目"));
            EXPECT_EQ(QStringList({D()->EdtCar->text(), D()->EdtName->text(), D()->EdtCost->text(), D()->EdtContent->text()}).join('|'),
                      Plate + QStringLiteral("|保险|80.5|备注"));
            EXPECT_EQ(QList<QDate>({D()->Dt1->date(), D()->Dt2->date(), D()->DtCreateTime->date()}),
                      QList<QDate>({QDate(2024, 3, 1), QDate(2025, 2, 28), QDate(2024, 3, 5)}));
            EXPECT_TRUE(D()->BtnOK->isEnabled());
            clearAndType(D()->EdtName, QStringLiteral("商业险"));
            clearAndType(D()->EdtCost, QStringLiteral("1200"));
            D()->DtCreateTime->setDate(QDate(2024, 4, 1));
            click(D()->BtnOK);
        });
        EXPECT_EQ(C()->DBGrid2->selectedText(2), QStringLiteral("商业险"));
        // Unticked, the entry stays; ticked, none is made where there was none; cancelled, nothing.
        modify(QStringLiteral("有帐"), {QStringLiteral("有帐"), QStringLiteral("55"), false, QDate(2024, 6, 1)});
        modify(QStringLiteral("无帐"), {QStringLiteral("无帐"), QStringLiteral("66"), true});
        selectFee(QStringLiteral("无帐"));
        inDialog(C()->BtnModCost, [&] { fill({QStringLiteral("改了"), QStringLiteral("9")}); QTest::keyClick(frmCost, Qt::Key_Escape); });
        inDialog(C()->BtnAddCost, [&] { fill({QStringLiteral("新的"), QStringLiteral("5")}); click(D()->BtnCancel); });
    });
    const QString dates = QStringLiteral("|2024-03-01 00:00|2025-02-28 00:00|备注|");
    EXPECT_EQ(fees(), QStringList({Plate + "|商业险|1200" + dates + "2024-04-01 00:00", Plate + "|无帐|66" + dates + "2024-03-05 00:00",
                                   Plate + "|有帐|55" + dates + "2024-06-01 00:00"}));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("1|1200|%1|%2 商业险|2024-04-01 00:00|0|保险费").arg(link(QStringLiteral("商业险")), Plate),
                                      QStringLiteral("-1|50|%1|%2 有帐|2024-03-05 00:00|0|费用").arg(link(QStringLiteral("有帐")), Plate)}));
}

// ---- delete ----

TEST_F(CostTest, TheDeleteAsksItsQuestionsWithYesAsTheDefaultAndOutsideTheTransaction)
{
    const QStringList both{AskDelete, AskEntry}, first{AskDelete};
    const struct { const char* label; bool book; QVariant flag; std::deque<int> replies; QStringList asked; bool itemGone, entryGone; } cases[] = {
        {"No keeps everything", true, 0, {Dlg::IdNo}, first, false, false},
        {"live entry, Yes twice", true, 0, {Dlg::IdYes, Dlg::IdYes}, both, true, true},
        {"live entry, defaults", true, 0, {}, both, true, true},
        {"live entry kept on No", true, 0, {Dlg::IdYes, Dlg::IdNo}, both, true, false},
        {"an empty flag counts as live", true, QVariant(), {Dlg::IdYes, Dlg::IdNo}, both, true, false},
        {"entry flagged deleted goes silently", true, 1, {Dlg::IdYes}, first, true, true},
        {"no entry: one question", false, 0, {Dlg::IdYes}, first, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        exec(QStringLiteral("Delete from CarCost"));
        exec(QStringLiteral("Delete from Acct"));
        inRegister([&] {   // another item with its own entry must never be touched
            add({QStringLiteral("别的"), QStringLiteral("7")});
            add({QStringLiteral("保险"), QStringLiteral("80"), c.book});
        });
        const qint64 l = -costId(QStringLiteral("保险"));
        exec(QStringLiteral("Update Acct set Deleted=:d where LeasoID=:l"), {{QStringLiteral("d"), c.flag}, {QStringLiteral("l"), l}});
        messages.clear();
        int askedInTransaction = 0;
        auto prev = Dlg::hooks().message;
        Dlg::hooks().message = [&, prev](const Dlg::MessageCall& m) { askedInTransaction += db().inTransaction(); return prev(m); };
        inRegister([&] { remove(QStringLiteral("保险"), c.replies); });
        Dlg::hooks().message = prev;
        EXPECT_EQ(messageTexts(), c.asked);
        for (const auto& m : messages)
            EXPECT_TRUE(m.defaultButton == Dlg::IdYes && m.icon == Dlg::Icon::Question && m.caption == QStringLiteral("Quorvane"));
        EXPECT_EQ(askedInTransaction, 0);
        EXPECT_EQ(costId(QStringLiteral("保险")) == 0, c.itemGone);
        EXPECT_EQ(entriesLinked(l), c.book && !c.entryGone ? 1 : 0);
        EXPECT_EQ(entriesLinked(-costId(QStringLiteral("别的"))), 1);
    }
}

TEST_F(CostTest, KeysAreNeverReusedSoANewItemNeverAdoptsAnOldEntry)
{
    inRegister([&] {
        add({QStringLiteral("旧一"), QStringLiteral("10")});
        add({QStringLiteral("旧二"), QStringLiteral("20")});
    });
    const qint64 newest = costId(QStringLiteral("旧二"));
    inRegister([&] {
        remove(QStringLiteral("旧二"), {Dlg::IdYes, Dlg::IdNo});   // its entry stays
        add({QStringLiteral("新"), QStringLiteral("30")});
    });
    const qint64 fresh = costId(QStringLiteral("新"));
    EXPECT_GT(fresh, newest);
    EXPECT_EQ(RowsText(db(), "Acct", {"Item", "Amount"}, "LeasoID=:l", {{"l", -fresh}}), Plate + QStringLiteral(" 新|300000"));
    EXPECT_EQ(RowsText(db(), "Acct", {"Item", "Amount"}, "LeasoID=:l", {{"l", -newest}}), Plate + QStringLiteral(" 旧二|200000"));
    exec(QStringLiteral("Delete from CarCost"));   // cleared fee items do not hand their keys out again either
    inRegister([&] { add({QStringLiteral("清后"), QStringLiteral("40")}); });
    EXPECT_GT(costId(QStringLiteral("清后")), fresh);
    EXPECT_EQ(entries().size(), 4);
}

// ---- failures ----

TEST_F(CostTest, AFailureInsideTheTransactionLeavesNeitherItemNorEntry)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral(".")});   // no number: refused before anything is written
        EXPECT_EQ(lastMessage(), QStringLiteral("“.”不是有效的金额"));
        EXPECT_EQ(messages.back().icon, Dlg::Icon::Error);
        exec(QStringLiteral("Alter table Acct rename to AcctAway"));   // the entry cannot be written: the item goes too
        add({QStringLiteral("车险"), QStringLiteral("12")});
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(listed(), QStringList());
        EXPECT_FALSE(db().inTransaction());
        exec(QStringLiteral("Alter table AcctAway rename to Acct"));
        add({QStringLiteral("车险"), QStringLiteral("12")});   // the page works on afterwards
        EXPECT_EQ(listed(), QStringList{QStringLiteral("车险")});
    });
    EXPECT_EQ(fees().size() + entries().size(), 2);
}

TEST_F(CostTest, AnItemGoneMeanwhileIsReportedAndTheListReadAfresh)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral("80")});
        add({QStringLiteral("年检"), QStringLiteral("90")});
        exec(QStringLiteral("Delete from CarCost where Name='年检'"));
        remove(QStringLiteral("年检"), {Dlg::IdYes, Dlg::IdYes});
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(listed(), QStringList{QStringLiteral("保险")});
        exec(QStringLiteral("Delete from CarCost"));
        messages.clear();
        modify(QStringLiteral("保险"), {QStringLiteral("保险"), QStringLiteral("1")});
        EXPECT_EQ(messageTexts(), QStringList{EChangedError().message()});
        EXPECT_EQ(listed(), QStringList());
    });
    EXPECT_EQ(RowsText(db(), "Acct", {"Amount"}), "800000/900000");   // neither command wrote anything
}

TEST_F(CostTest, WithoutAVehicleOrAfterReplacedDataTheCommandsHaveNothingToActOn)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral("80")});
        emit AppEvents::instance().databaseReplaced();
        EXPECT_FALSE(frmCar->ADOTable1->active());
        EXPECT_EQ(C()->DBGrid2->model()->rowCount(), 0);
        click(C()->BtnModCost);
        click(C()->BtnDelCost);
        EXPECT_FALSE(frmCost->isVisible());
    });
    exec(QStringLiteral("Delete from CarCost"));
    inRegister([&] { EXPECT_EQ(listed(), QStringList()); EXPECT_TRUE(frmCar->ADOTable1->active()); });   // read afresh
    exec(QStringLiteral("Delete from Car"));
    inRegister([&] {
        for (QAbstractButton* b : {C()->BtnAddCost, C()->BtnModCost, C()->BtnDelCost}) click(b);
        EXPECT_FALSE(frmCost->isVisible());
    }, false);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("当前没有车辆信息。请先通过“车辆新增”功能录入车辆信息！")});
    EXPECT_TRUE(fees().isEmpty());
}

} // namespace

// The vehicle register's fee-item page and its dialog, driven through the real
// windows: each command with its linked account-book expense, the questions,
// the dialog's defaults, and the failures that must leave nothing written.
#include "ui_UnitCar.h"
#include "ui_UnitCost.h"
#include "ui_UnitMain.h"
#include "support/AppFixture.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "platform/DataSet.h"
#include "platform/DBGrid.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include <QApplication>
#include <QTest>

// Readable QStrings in failure output.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString Plate = QStringLiteral("京A12345");
const QString NoVehicleYet = QStringLiteral("当前没有车辆信息。请先通过“车辆新增”功能录入车辆信息！");
const QString AskDelete = QStringLiteral("确实要删除此项纪录吗？");
const QString AskEntry = QStringLiteral("在帐本中有本项费用的记录，是否同步删除帐本中的记录？");

struct Fee {
    QString name;
    QString cost;
    bool book = true;
    QDate paid = QDate(2024, 3, 5);
    QString content = QStringLiteral("备注");
    QDate begin = QDate(2024, 3, 1);
    QDate end = QDate(2025, 2, 28);
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
    void inRegister(const std::function<void()>& fn)
    {
        whenShown(frmCar, [&] {
            C()->PageControl1->setCurrentWidget(C()->TabSheet1);
            selectCar(Plate);
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

    static QString day(const QVariant& v) { return v.isNull() ? QStringLiteral("null") : DaysToDateTime(v.toDouble()).toString(QStringLiteral("yyyy-MM-dd hh:mm")); }
    static QString money(const QVariant& v) { return v.isNull() ? QStringLiteral("null") : Currency::fromRaw(v.toLongLong()).toString(); }
    // Every fee item: "car|name|cost|begin|end|content|paid", by key.
    QStringList fees()
    {
        QStringList out;
        TStatement st(db(), QStringLiteral("select CarID,Name,Cost,BeginTime,EndTime,Content,CreateTime from CarCost order by CostID"));
        while (st.next())
            out << QStringList({st.value(0).toString(), st.value(1).toString(), money(st.value(2)), day(st.value(3)), day(st.value(4)),
                                st.value(5).toString(), day(st.value(6))}).join('|');
        return out;
    }
    // Every account entry: "type|amount|link|item|time|deleted|category", by key.
    QStringList entries()
    {
        QStringList out;
        TStatement st(db(), QStringLiteral("select Type,Amount,LeasoID,Item,AcctTime,Deleted,Category from Acct order by ID"));
        while (st.next())
            out << QStringList({st.value(0).toString(), money(st.value(1)), st.value(2).toString(), st.value(3).toString(),
                                day(st.value(4)), st.value(5).toString(), st.value(6).toString()}).join('|');
        return out;
    }
    qint64 costId(const QString& name)
    {
        return scalar(QStringLiteral("select CostID from CarCost where Name=:n"), {{QStringLiteral("n"), name}}).toLongLong();
    }
    QString link(const QString& name) { return QString::number(-costId(name)); }
    // The names the page lists, in its order.
    QStringList listed()
    {
        QStringList out;
        TDataSet* t = frmCar->ADOTable1;
        if (!t->active()) return out;
        for (int r = 0; r < t->recordCount(); ++r) out << t->textAt(r, t->fieldIndex(QStringLiteral("Name")));
        return out;
    }
};

// ---- the dialog ----

TEST_F(CostTest, TheDialogStartsWithItsDatesAndBoxAndKeepsThemBetweenUses)
{
    const QDate today = NowMoment().date();
    EXPECT_EQ(D()->Dt1->date(), today);
    EXPECT_EQ(D()->Dt2->date(), today.addDays(365));
    EXPECT_EQ(D()->DtCreateTime->date(), today);
    EXPECT_TRUE(D()->ChkAcct->isChecked());
    EXPECT_FALSE(D()->BtnOK->isEnabled());
    EXPECT_TRUE(D()->EdtCar->isReadOnly());
    EXPECT_EQ(D()->EdtCar->palette().color(QPalette::Base), QColor(0xc0, 0xc0, 0xc0));   // silver

    inRegister([&] {
        Fee f{QStringLiteral("保险"), QStringLiteral("80"), false};
        add(f);
        inDialog(C()->BtnAddCost, [&] {
            EXPECT_EQ(frmCost->windowTitle(), QStringLiteral("新增交费项目"));
            EXPECT_EQ(D()->EdtCar->text(), Plate);
            // The texts are emptied; the dates and the box are those of the last use.
            EXPECT_EQ(D()->EdtName->text() + D()->EdtCost->text() + D()->EdtContent->text(), "");
            EXPECT_FALSE(D()->BtnOK->isEnabled());
            EXPECT_EQ(D()->Dt1->date(), f.begin);
            EXPECT_EQ(D()->Dt2->date(), f.end);
            EXPECT_EQ(D()->DtCreateTime->date(), f.paid);
            EXPECT_FALSE(D()->ChkAcct->isChecked());
        });
    });
}

TEST_F(CostTest, OKIsEnabledExactlyWhileNameAndAmountAreFilled)
{
    struct Case { const char* label; const char* name; const char* cost; bool enabled; };
    const Case cases[] = {
        {"both empty", "", "", false},
        {"name only", "保险", "", false},
        {"amount only", "", "12", false},
        {"both", "保险", "12", true},
        {"a blank name counts", " ", "1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        D()->EdtName->setText(QString::fromUtf8(c.name));
        D()->EdtCost->setText(QString::fromUtf8(c.cost));
        EXPECT_EQ(D()->BtnOK->isEnabled(), c.enabled);
    }
}

TEST_F(CostTest, TheAmountTakesDigitsAndOnePointAndEnterInTheNameMovesOn)
{
    struct Case { const char* label; const char* typed; const char* shown; };
    const Case cases[] = {
        {"letters and a second point dropped", "1a2.3.4-", "12.34"},
        {"a leading point and many decimals", ".12345", ".12345"},
    };
    inRegister([&] {
        inDialog(C()->BtnAddCost, [&] {
            for (const auto& c : cases) {
                SCOPED_TRACE(c.label);
                clearAndType(D()->EdtCost, QString::fromUtf8(c.typed));
                EXPECT_EQ(D()->EdtCost->text(), QString::fromUtf8(c.shown));
            }
            type(D()->EdtName, QStringLiteral("年检"));
            QTest::keyClick(D()->EdtName, Qt::Key_Return);
            EXPECT_TRUE(frmCost->isVisible());   // Enter presses no button
            EXPECT_TRUE(D()->EdtCost->hasFocus());
        });
    });
    EXPECT_TRUE(fees().isEmpty());
}

TEST(CutToCodePageBytes, CountsTheCodePageAndNeverSplitsACharacter)
{
    struct Case { const char* label; QString text; QString cut; };
    const QString thirty = QString(30, QChar(0x4FDD));   // 保 × 30
    const Case cases[] = {
        {"short text whole", QStringLiteral("保险abc"), QStringLiteral("保险abc")},
        {"Chinese: ten characters", thirty, thirty.left(10)},
        {"ASCII: twenty", QString(25, QLatin1Char('x')), QString(20, QLatin1Char('x'))},
        {"odd byte left over is dropped", QStringLiteral("a") + thirty, QStringLiteral("a") + thirty.left(9)},
        {"exactly twenty with a mix", QStringLiteral("ab") + thirty.left(9), QStringLiteral("ab") + thirty.left(9)},
        {"a character beyond the basic plane stays whole",
         QString(18, QLatin1Char('x')) + QString::fromUcs4(U"\U0001F697"), QString(18, QLatin1Char('x'))},
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
        EXPECT_EQ(C()->DBGrid2->selectedText(2), QStringLiteral("停车"));   // stands on the new item
        EXPECT_EQ(C()->DBGrid2->selectedText(3), QStringLiteral("15.5"));
        EXPECT_EQ(C()->DBGrid2->selectedText(4), QStringLiteral("2024/3/1"));
        // The items are those of the vehicle selected.
        selectCar(QStringLiteral("沪B001"));
        EXPECT_EQ(listed(), QStringList());
        selectCar(Plate);
        EXPECT_EQ(listed().size(), 3);
    });
    EXPECT_EQ(fees(), QStringList({
        Plate + QStringLiteral("|交强险|80|2024-03-01 00:00|2025-02-28 00:00|备注|2024-03-05 00:00"),
        Plate + QStringLiteral("|洗车|0|2024-03-01 00:00|2025-02-28 00:00|备注|2024-03-05 00:00"),
        Plate + QStringLiteral("|停车|15.5|2024-03-01 00:00|2025-02-28 00:00|备注|2024-03-05 00:00")}));
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
        EXPECT_EQ(listed(), QStringList{QStringLiteral("保险")});
    });
    // The key is stored whole, so the item stays on its vehicle's page.
    EXPECT_EQ(scalar(QStringLiteral("select CarID from CarCost")).toString(), longPlate);
    inRegister([&] {
        selectCar(longPlate);
        EXPECT_EQ(listed(), QStringList{QStringLiteral("保险")});
    });
}

TEST_F(CostTest, NameAndRemarkAreCutAtTwentyBytesWhileTheEntryKeepsTheWholeName)
{
    const QString thirty = QString(30, QChar(0x9669));   // 险 × 30
    inRegister([&] { add({thirty, QStringLiteral("9"), true, QDate(2024, 3, 5), QStringLiteral("x") + thirty}); });
    EXPECT_EQ(scalar(QStringLiteral("select Name||'|'||Content from CarCost")).toString(), thirty.left(10) + '|' + 'x' + thirty.left(9));
    EXPECT_EQ(scalar(QStringLiteral("select Item from Acct")).toString(), Plate + ' ' + thirty);
}

TEST_F(CostTest, AnAddWithoutAVehicleSaysSoAndNoDialogOpens)
{
    exec(QStringLiteral("Delete from Car"));
    whenShown(frmCar, [&] {
        C()->PageControl1->setCurrentWidget(C()->TabSheet1);
        click(C()->BtnAddCost);
        click(C()->BtnModCost);
        click(C()->BtnDelCost);
        EXPECT_FALSE(frmCost->isVisible());
        click(C()->BtnExit4);
    });
    frmMain->ui->BtnCar->click();
    EXPECT_EQ(messageTexts(), QStringList{NoVehicleYet});
    EXPECT_TRUE(fees().isEmpty());
}

TEST_F(CostTest, QuotesInTheNameAreStoredAsTypedByAddAndModify)
{
    const QString quoted = QStringLiteral("O'Brien's 险' --");
    inRegister([&] {
        add({quoted, QStringLiteral("20")});
        modify(quoted, {quoted + QStringLiteral("'"), QStringLiteral("21")});
    });
    EXPECT_EQ(scalar(QStringLiteral("select Name from CarCost")).toString(), CutToCodePageBytes(quoted + QStringLiteral("'"), 20));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("-1|21|%1|%2 %3'|2024-03-05 00:00|0|费用").arg(
        QString::number(-scalar(QStringLiteral("select CostID from CarCost")).toLongLong()), Plate, quoted)}));
    EXPECT_TRUE(messages.empty()) << messageTexts().join('/').toStdString();
}

// ---- modify ----

TEST_F(CostTest, AModifyShowsTheItemAndUpdatesOnlyAmountItemAndDateOfItsEntry)
{
    inRegister([&] { add({QStringLiteral("保险"), QStringLiteral("80.5")}); });
    // The account book changed the entry's category and kind meanwhile; those stay.
    exec(QStringLiteral("Update Acct set Category='保险费', Type=1"));
    inRegister([&] {
        selectFee(QStringLiteral("保险"));
        inDialog(C()->BtnModCost, [&] {
            EXPECT_EQ(frmCost->windowTitle(), QStringLiteral("修改交费项目"));
            EXPECT_EQ(QStringList({D()->EdtCar->text(), D()->EdtName->text(), D()->EdtCost->text(), D()->EdtContent->text()}).join('|'),
                      Plate + QStringLiteral("|保险|80.5|备注"));
            EXPECT_EQ(D()->Dt1->date(), QDate(2024, 3, 1));
            EXPECT_EQ(D()->Dt2->date(), QDate(2025, 2, 28));
            EXPECT_EQ(D()->DtCreateTime->date(), QDate(2024, 3, 5));
            EXPECT_TRUE(D()->BtnOK->isEnabled());
            clearAndType(D()->EdtName, QStringLiteral("商业险"));
            clearAndType(D()->EdtCost, QStringLiteral("1200"));
            D()->DtCreateTime->setDate(QDate(2024, 4, 1));
            click(D()->BtnOK);
        });
        EXPECT_EQ(C()->DBGrid2->selectedText(2), QStringLiteral("商业险"));
    });
    EXPECT_EQ(fees(), QStringList{Plate + QStringLiteral("|商业险|1200|2024-03-01 00:00|2025-02-28 00:00|备注|2024-04-01 00:00")});
    EXPECT_EQ(entries(), QStringList{QStringLiteral("1|1200|%1|%2 商业险|2024-04-01 00:00|0|保险费").arg(link(QStringLiteral("商业险")), Plate)});
}

TEST_F(CostTest, AModifyTouchesTheEntryOnlyWhenTickedAndNeverMakesOne)
{
    inRegister([&] {
        add({QStringLiteral("有帐"), QStringLiteral("50")});
        add({QStringLiteral("无帐"), QStringLiteral("60"), false});
        modify(QStringLiteral("有帐"), {QStringLiteral("有帐"), QStringLiteral("55"), false, QDate(2024, 6, 1)});
        modify(QStringLiteral("无帐"), {QStringLiteral("无帐"), QStringLiteral("66"), true});
    });
    EXPECT_EQ(entries(), QStringList{QStringLiteral("-1|50|%1|%2 有帐|2024-03-05 00:00|0|费用").arg(link(QStringLiteral("有帐")), Plate)});
    EXPECT_EQ(fees().join('/').count(QStringLiteral("|55|")) + fees().join('/').count(QStringLiteral("|66|")), 2);
}

TEST_F(CostTest, ACancelledDialogWritesNothing)
{
    inRegister([&] {
        inDialog(C()->BtnAddCost, [&] { fill({QStringLiteral("保险"), QStringLiteral("5")}); click(D()->BtnCancel); });
        add({QStringLiteral("年检"), QStringLiteral("5")});
        inDialog(C()->BtnModCost, [&] { fill({QStringLiteral("改了"), QStringLiteral("9")}); QTest::keyClick(frmCost, Qt::Key_Escape); });
    });
    EXPECT_EQ(fees().size(), 1);
    EXPECT_TRUE(fees().value(0).contains(QStringLiteral("|年检|5|")));
    EXPECT_EQ(entries().size(), 1);
}

// ---- delete ----

struct DeleteCase {
    const char* label;
    bool book;                  // the add made an entry
    QVariant flag;              // the entry's Deleted as the account book left it
    std::deque<int> replies;
    QStringList asked;
    bool itemGone, entryGone;
};

TEST_F(CostTest, TheDeleteAsksItsQuestionsWithYesAsTheDefault)
{
    const QStringList both{AskDelete, AskEntry}, first{AskDelete};
    const DeleteCase cases[] = {
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
        messages.clear();
        // Another item with its own entry must never be touched.
        inRegister([&] {
            add({QStringLiteral("别的"), QStringLiteral("7")});
            add({QStringLiteral("保险"), QStringLiteral("80"), c.book});
        });
        const QString l = link(QStringLiteral("保险"));
        exec(QStringLiteral("Update Acct set Deleted=:d where LeasoID=:l"), {{QStringLiteral("d"), c.flag}, {QStringLiteral("l"), l.toLongLong()}});
        std::vector<bool> inTransaction;
        auto prev = Dlg::hooks().message;
        Dlg::hooks().message = [&, prev](const Dlg::MessageCall& m) { inTransaction.push_back(db().inTransaction()); return prev(m); };
        inRegister([&] { remove(QStringLiteral("保险"), c.replies); });
        Dlg::hooks().message = prev;

        EXPECT_EQ(messageTexts(), c.asked);
        for (const auto& m : messages) {
            EXPECT_EQ(m.defaultButton, Dlg::IdYes);
            EXPECT_EQ(m.icon, Dlg::Icon::Question);
            EXPECT_EQ(m.caption, QStringLiteral("Quorvane"));
        }
        EXPECT_EQ(std::count(inTransaction.begin(), inTransaction.end(), true), 0);
        EXPECT_EQ(costId(QStringLiteral("保险")) == 0, c.itemGone);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Acct where LeasoID=:l"), {{QStringLiteral("l"), l.toLongLong()}}).toLongLong(),
                  c.book && !c.entryGone ? 1 : 0);
        EXPECT_EQ(scalar(QStringLiteral("select count(*) from Acct where Item like '%别的'")).toLongLong(), 1);
        EXPECT_NE(costId(QStringLiteral("别的")), 0);
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
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Acct where LeasoID=:l"), {{QStringLiteral("l"), -fresh}}).toLongLong(), 1);
    EXPECT_EQ(scalar(QStringLiteral("select Item from Acct where LeasoID=:l"), {{QStringLiteral("l"), -fresh}}).toString(), Plate + QStringLiteral(" 新"));
    EXPECT_EQ(scalar(QStringLiteral("select Amount from Acct where LeasoID=:l"), {{QStringLiteral("l"), -newest}}).toLongLong(), 200000);

    // Cleared fee items do not hand their keys out again either.
    exec(QStringLiteral("Delete from CarCost"));
    inRegister([&] { add({QStringLiteral("清后"), QStringLiteral("40")}); });
    EXPECT_GT(costId(QStringLiteral("清后")), fresh);
    EXPECT_EQ(entries().size(), 4);
}

// ---- failures ----

TEST_F(CostTest, AFailureInsideTheTransactionLeavesNeitherItemNorEntry)
{
    inRegister([&] {
        // An amount that is no number is refused before anything is written.
        add({QStringLiteral("保险"), QStringLiteral(".")});
        EXPECT_EQ(lastMessage(), QStringLiteral("“.”不是有效的金额"));
        EXPECT_EQ(messages.back().icon, Dlg::Icon::Error);
        // The entry cannot be written: the item posted before it goes too.
        exec(QStringLiteral("Alter table Acct rename to AcctAway"));
        add({QStringLiteral("车险"), QStringLiteral("12")});
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(listed(), QStringList());
        EXPECT_FALSE(db().inTransaction());
        exec(QStringLiteral("Alter table AcctAway rename to Acct"));
        // The page works on afterwards.
        add({QStringLiteral("车险"), QStringLiteral("12")});
        EXPECT_EQ(listed(), QStringList{QStringLiteral("车险")});
    });
    EXPECT_EQ(fees().size(), 1);
    EXPECT_EQ(entries().size(), 1);
}

TEST_F(CostTest, AnItemGoneMeanwhileIsReportedAndTheListReadAfresh)
{
    const QString changed = EChangedError().message();
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral("80")});
        add({QStringLiteral("年检"), QStringLiteral("90")});
        exec(QStringLiteral("Delete from CarCost where Name='年检'"));
        remove(QStringLiteral("年检"), {Dlg::IdYes, Dlg::IdYes});
        EXPECT_EQ(lastMessage(), changed);
        EXPECT_EQ(listed(), QStringList{QStringLiteral("保险")});

        exec(QStringLiteral("Delete from CarCost"));
        modify(QStringLiteral("保险"), {QStringLiteral("保险"), QStringLiteral("1")});
        EXPECT_EQ(lastMessage(), changed);
        EXPECT_EQ(listed(), QStringList());
    });
    // Both entries stay as they were: neither command wrote anything.
    EXPECT_EQ(entries().join('/').count(QStringLiteral("|80|")) + entries().join('/').count(QStringLiteral("|90|")), 2);
}

TEST_F(CostTest, ReplacedDataLeaveNoRowsOnThePage)
{
    inRegister([&] {
        add({QStringLiteral("保险"), QStringLiteral("80")});
        EXPECT_EQ(C()->DBGrid2->model()->rowCount(), 1);
        emit AppEvents::instance().databaseReplaced();
        EXPECT_FALSE(frmCar->ADOTable1->active());
        EXPECT_EQ(C()->DBGrid2->model()->rowCount(), 0);
        // With no list, the commands have nothing to act on.
        click(C()->BtnModCost);
        click(C()->BtnDelCost);
        EXPECT_FALSE(frmCost->isVisible());
    });
    // The next showing reads afresh.
    exec(QStringLiteral("Delete from CarCost"));
    inRegister([&] { EXPECT_EQ(listed(), QStringList()); EXPECT_TRUE(frmCar->ADOTable1->active()); });
}

} // namespace

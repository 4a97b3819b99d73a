// The statistics window, driven through its real controls over a month of hires.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/XlsxRead.h"
#include "accounts/UnitReport.h"
#include "platform/Convert.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "ui_UnitReport.h"
#include <QTest>

namespace {

const QString Zhang = QStringLiteral("110101199001011234");   // 张三
const QString OBrien = QStringLiteral("B7");                   // O'Brien
const QString Ming = QStringLiteral("320102198505050011");     // 张小明
const QString Pct = QStringLiteral("P9");                      // A%B

QDateTime at(int y, int m, int d, int h = 0, int mi = 0, int s = 0) { return CombineDateTime(QDate(y, m, d), QTime(h, mi, s)); }

class Report : public AppFixture {
protected:
    void prepareDatabase(TADOConnection& cn) override
    {
        const QList<QPair<QString, QString>> custs{{Zhang, QStringLiteral("张三")}, {OBrien, QStringLiteral("O'Brien")},
                                                   {Ming, QStringLiteral("张小明")}, {Pct, QStringLiteral("A%B")}};
        for (const auto& [id, name] : custs)
            cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES (:i, :n)"), {{"i", id}, {"n", name}});
        // A month of hires: the first begins at the month's first midnight, two
        // are still out, two lie just outside the month. Keys 1..7 in this order.
        hire(cn, "京A1", Zhang, at(2024, 3, 1), at(2024, 3, 3, 12), "300.1");
        hire(cn, "京A1", OBrien, at(2024, 3, 10, 8), at(2024, 3, 11, 16), "0.2");
        hire(cn, "京A1", Zhang, at(2024, 3, 20, 9), {}, nullptr);
        hire(cn, "沪B2", Ming, at(2024, 3, 31, 23, 59, 59), {}, nullptr);
        hire(cn, "沪B2", OBrien, at(2024, 4, 1), at(2024, 4, 2), "50");
        hire(cn, "粤C3", Zhang, at(2024, 2, 29, 23, 59, 59), at(2024, 3, 1, 6), nullptr);
        hire(cn, "粤C3", Pct, at(2024, 1, 5, 10), at(2024, 1, 6, 10), "80");
    }
    static void hire(TADOConnection& cn, const char* car, const QString& cust, const QDateTime& b, const QDateTime& e, const char* charge)
    {
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge, ChargeTime, Memo) "
                                  "VALUES (:car, :cust, :b, :e, :m, :ct, '备注')"),
                   {{"car", QString::fromUtf8(car)}, {"cust", cust}, {"b", b}, {"e", e.isValid() ? QVariant(e) : QVariant()},
                    {"m", charge ? QVariant::fromValue(StrToCurr(QString::fromUtf8(charge))) : QVariant()},
                    {"ct", charge ? QVariant(e.addSecs(600)) : QVariant()}});
    }
    void SetUp() override { AppFixture::SetUp(); frmReport->show(); }

    Ui::TfrmReport* R() { return frmReport->ui.get(); }
    static QString cell(TDBGrid* g, int row, int col) { return g->model()->index(row, col).data().toString(); }
    // The rows a grid shows, each as its visible cells joined by "|", sorted.
    static QStringList rows(TDBGrid* g)
    {
        QStringList out;
        for (int r = 0; r < g->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < g->model()->columnCount(); ++c)
                if (!g->isColumnHidden(c)) cells << cell(g, r, c);
            out << cells.join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
    void query(QDateEdit* from, QDateEdit* to, QAbstractButton* go, QDate a, QDate b) { from->setDate(a); to->setDate(b); click(go); }
    void selectRow(TDBGrid* g, const QString& text, int col)
    {
        for (int r = 0; r < g->model()->rowCount(); ++r)
            if (cell(g, r, col) == text) { QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(r, col)).center()); return; }
        ADD_FAILURE() << "no row " << text.toStdString();
    }
    QString hires() { return scalar(QStringLiteral("select group_concat(LeasoID) from (select LeasoID from Leaso order by 1)")).toString(); }
};

} // namespace

TEST_F(Report, TotalsPerVehicleAndCustomerAreExactOverHalfOpenDaysAndExportAsNumbers)
{
    // Given backwards: the pickers exchange their dates.
    query(R()->Dt1, R()->Dt2, R()->BtnQry, QDate(2024, 3, 31), QDate(2024, 3, 1));
    EXPECT_EQ(R()->Dt1->date(), QDate(2024, 3, 1));
    // 京A1: 300.1 + 0.2 exactly, three hires (one still out), 2.5 + 1.333 days;
    // 沪B2: only a hire still out, so no sum and no days.
    EXPECT_EQ(rows(R()->DBGrid1), (QStringList{QStringLiteral("京A1|300.3|3|3.83"), QStringLiteral("沪B2||1|")}));

    // A hire at midnight belongs to its own day only, one at 23:59:59 to its day too.
    query(R()->Dt1, R()->Dt2, R()->BtnQry, QDate(2024, 4, 1), QDate(2024, 4, 1));
    EXPECT_EQ(rows(R()->DBGrid1), QStringList{QStringLiteral("沪B2|50|1|1")}) << "midnight after the month";
    query(R()->Dt1, R()->Dt2, R()->BtnQry, QDate(2024, 2, 29), QDate(2024, 2, 29));
    EXPECT_EQ(rows(R()->DBGrid1), QStringList{QStringLiteral("粤C3||1|0.25")}) << "last second of a leap day";

    query(R()->Dt31, R()->Dt32, R()->BtnQry3, QDate(2024, 3, 1), QDate(2024, 3, 31));
    EXPECT_EQ(rows(R()->DBGrid2), (QStringList{Zhang + QStringLiteral("|张三|300.1|2|2.5"), Ming + QStringLiteral("|张小明||1|"),
                                                OBrien + QStringLiteral("|O'Brien|0.2|1|1.33")}));
    const QString file = dir() + QStringLiteral("c.xlsx");
    saveFileAnswers << file;
    click(R()->BtnExpXls3);
    EXPECT_EQ(lastMessage(), QStringLiteral("导出完毕！"));
    XlsxSheet x;
    ASSERT_TRUE(x.load(file));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/3/1至2024/3/31客户交易情况统计"));
    int r = 3;
    while (r <= x.rowCount() && x.text(r, 1) != Zhang) ++r;
    ASSERT_TRUE(x.cell(r, 1) && x.cell(r, 3) && x.cell(r, 5));
    EXPECT_TRUE(x.cell(r, 1)->isText()) << "an 18-digit document number stays text";
    EXPECT_DOUBLE_EQ(x.cell(r, 3)->number(), 300.1);
    EXPECT_DOUBLE_EQ(x.cell(r, 5)->number(), 2.5);
}

// A charge or return time another tool stored as text, or a charge past what
// money holds: every group is still listed, the totals add only the values
// stored as numbers money holds, and one box says how many hires they left out.
TEST_F(Report, TotalsLeaveOutValuesThatAreNotNumbersAndOneBoxCountsTheHires)
{
    TADOConnection& cn = db();
    hire(cn, "京D4", Zhang, at(2024, 5, 1), at(2024, 5, 2), "100");
    hire(cn, "京D4", Zhang, at(2024, 5, 3), at(2024, 5, 5), "1");               // charge: abc
    hire(cn, "京D4", OBrien, at(2024, 5, 8, 10), at(2024, 5, 9, 10), "50");     // return: text moment
    hire(cn, "京D4", OBrien, at(2024, 5, 10), {}, nullptr);                     // still out
    hire(cn, "京E5", Ming, at(2024, 5, 11), at(2024, 5, 11, 12), "1");          // charge: 12abc
    hire(cn, "京E5", Ming, at(2024, 6, 1), at(2024, 6, 2), "1");                // charge: abc, after May
    hire(cn, "京D4", Zhang, at(2024, 7, 1), at(2024, 7, 2), "100");
    hire(cn, "京D4", Zhang, at(2024, 7, 3), at(2024, 7, 4), "1");               // charge: past the money range
    hire(cn, "京E5", Ming, at(2024, 7, 5), at(2024, 7, 6), "1");                // charge: below it
    exec(QStringLiteral("update Leaso set Charge=case LeasoID when 12 then '12abc' when 15 then 1e300 when 16 then -9.3e18 "
                        "else 'abc' end where LeasoID in (9,12,13,15,16)"));
    exec(QStringLiteral("update Leaso set EndTime='2024/5/9 10:00' where LeasoID=10"));
    const auto box = [](int n) {
        return QStringLiteral("统计范围内有%1次租借的结算金额或还车时间不是数字，合计结算金额和合计出租天数没有计入这些值。").arg(n);
    };
    const struct { const char* name; bool perCar; QDate from, to; QStringList rows, boxes; } cases[] = {
        {"vehicles, text in range", true, QDate(2024, 5, 1), QDate(2024, 5, 31),
         {QStringLiteral("京D4|150|4|3"), QStringLiteral("京E5||1|0.5")}, {box(3)}},
        {"vehicles, text after the range", true, QDate(2024, 5, 1), QDate(2024, 5, 2), {QStringLiteral("京D4|100|1|1")}, {}},
        {"vehicles, open hires with nulls", true, QDate(2024, 3, 1), QDate(2024, 3, 31),
         {QStringLiteral("京A1|300.3|3|3.83"), QStringLiteral("沪B2||1|")}, {}},
        {"customers, text in range", false, QDate(2024, 5, 1), QDate(2024, 5, 31),
         {Zhang + QStringLiteral("|张三|100|2|3"), Ming + QStringLiteral("|张小明||1|0.5"), OBrien + QStringLiteral("|O'Brien|50|2|")},
         {box(3)}},
        {"vehicles, numbers past the money range", true, QDate(2024, 7, 1), QDate(2024, 7, 31),
         {QStringLiteral("京D4|100|2|2"), QStringLiteral("京E5||1|1")}, {box(2)}},
        {"customers, numbers past the money range", false, QDate(2024, 7, 1), QDate(2024, 7, 31),
         {Zhang + QStringLiteral("|张三|100|2|2"), Ming + QStringLiteral("|张小明||1|1")}, {box(2)}},
    };
    for (const auto& c : cases) {
        messages.clear();
        if (c.perCar) query(R()->Dt1, R()->Dt2, R()->BtnQry, c.from, c.to);
        else query(R()->Dt31, R()->Dt32, R()->BtnQry3, c.from, c.to);
        EXPECT_EQ(rows(c.perCar ? R()->DBGrid1 : R()->DBGrid2), c.rows) << c.name;
        EXPECT_EQ(messageTexts(), c.boxes) << c.name;
        for (const auto& m : messages) EXPECT_EQ(m.icon, Dlg::Icon::Information) << c.name;
    }
}

TEST_F(Report, DeletesOnlyAFinishedHireKeepingItsIncomeEntryAndReportsOneGoneMeanwhile)
{
    exec(QStringLiteral("INSERT INTO Acct (Type, Amount, LeasoID, Item, AcctTime, Deleted, Category) VALUES (1, 2000, 2, 'x', :t, 0, '租金')"),
         {{"t", at(2024, 3, 11, 16)}});
    R()->PageControl1->setCurrentIndex(1);
    clearAndType(R()->CmbCar->lineEdit(), QStringLiteral("京a1"));   // another letter case still matches
    click(R()->BtnQry2);
    ASSERT_EQ(R()->DBGrid3->model()->rowCount(), 3);

    selectRow(R()->DBGrid3, QStringLiteral("2024/3/20 9:00:00"), 2);
    click(R()->Button1);
    EXPECT_EQ(lastMessage(), QStringLiteral("该车辆为“租出”状态，请先做“还车”操作后再删除！"));
    EXPECT_EQ(hires(), "1,2,3,4,5,6,7");

    selectRow(R()->DBGrid3, QStringLiteral("2024/3/10 8:00:00"), 2);
    answers = {Dlg::IdNo};
    click(R()->Button1);
    EXPECT_EQ(lastMessage(), QStringLiteral("确定要删除本条纪录吗？"));
    EXPECT_EQ(hires(), "1,2,3,4,5,6,7") << "No keeps it";
    answers = {Dlg::IdYes};
    click(R()->Button1);
    EXPECT_EQ(hires(), "1,3,4,5,6,7");
    EXPECT_EQ(R()->DBGrid3->model()->rowCount(), 2) << "the list is read again";
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Acct where LeasoID=2")).toInt(), 1)
        << "its income entry stays in the account book";

    selectRow(R()->DBGrid3, QStringLiteral("2024/3/1"), 2);
    exec(QStringLiteral("delete from Leaso where LeasoID=1"));   // by another copy of the program
    answers = {Dlg::IdYes};
    click(R()->Button1);
    EXPECT_EQ(lastMessage(), EChangedError().message());
    EXPECT_EQ(R()->DBGrid3->model()->rowCount(), 1);
    EXPECT_EQ(hires(), "3,4,5,6,7");
}

TEST_F(Report, CustomerLookUpsMatchSubstringsLiterally)
{
    const struct { const char* name; bool byName; QString text; int want; } cases[] = {
        {"name with a quote", true, QStringLiteral("O'B"), 2},
        {"percent matched as itself", true, QStringLiteral("%"), 1},
        {"underscore matched as itself", true, QStringLiteral("_"), 0},
        {"document-number substring", false, QStringLiteral("1234"), 3}};
    for (const auto& c : cases) {
        QRadioButton* b = c.byName ? R()->RbName : R()->RbCardID;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
        clearAndType(R()->CmbCust->lineEdit(), c.text);
        click(R()->BtnQry4);
        EXPECT_EQ(R()->DBGrid4->model()->rowCount(), c.want) << c.name;
    }
}

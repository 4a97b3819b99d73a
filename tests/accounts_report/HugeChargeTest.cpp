// A charge another tool stored as a number beyond what money holds: the
// statistics never add it into a wrapped total; they leave it out and say so.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "ui_UnitReport.h"
#include "accounts/UnitReport.h"
#include "platform/Moment.h"

using namespace Qt::StringLiterals;

namespace {

class ReportHugeCharge : public AppFixture {
protected:
    void SetUp() override { AppFixture::SetUp(); frmReport->show(); }
    void hire(const char* car, int day, const QVariant& charge)
    {
        exec(u"INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge) VALUES (:car, 'C1', :b, :e, :c)"_s,
             {{"car", QString::fromUtf8(car)}, {"b", CombineDateTime(QDate(2024, 5, day), QTime(8, 0))},
              {"e", CombineDateTime(QDate(2024, 5, day + 1), QTime(8, 0))}, {"c", charge}});
    }
};

TEST_F(ReportHugeCharge, TotalsLeaveOutAChargePastTheMoneyRangeAndOneBoxCountsIt)
{
    exec(u"INSERT INTO Customer (CustID, CustName) VALUES ('C1', '张三')"_s);
    hire("京D4", 1, qint64(1000000));
    hire("京D4", 3, 1e300);
    hire("京E5", 5, -9.3e18);
    auto* r = frmReport->ui.get();
    const struct { const char* name; QDateEdit *from, *to; QAbstractButton* go; TDBGrid* grid; QStringList rows; } cases[] = {
        {"per vehicle", r->Dt1, r->Dt2, r->BtnQry, r->DBGrid1, {u"京D4|100|2|2"_s, u"京E5||1|1"_s}},
        {"per customer", r->Dt31, r->Dt32, r->BtnQry3, r->DBGrid2, {u"C1|张三|100|3|3"_s}},
    };
    for (const auto& c : cases) {
        messages.clear();
        c.from->setDate(QDate(2024, 5, 1));
        c.to->setDate(QDate(2024, 5, 31));
        click(c.go);
        QStringList shown;
        for (int row = 0; row < c.grid->model()->rowCount(); ++row) {
            QStringList cells;
            for (int col = 0; col < c.grid->model()->columnCount(); ++col)
                if (!c.grid->isColumnHidden(col)) cells << c.grid->model()->index(row, col).data().toString();
            shown << cells.join(u'|');
        }
        EXPECT_EQ(shown, c.rows) << c.name;
        EXPECT_EQ(messageTexts(), QStringList{u"统计范围内有2次租借的结算金额或还车时间不是数字，合计结算金额和合计出租天数没有计入这些值。"_s})
            << c.name;
    }
    ExpectLastGuardQuiet();
}

} // namespace

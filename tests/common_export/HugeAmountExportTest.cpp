// An amount another tool stored as a number past what money holds goes out
// as the list shows it, never as a wrapped figure, and the export completes.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/XlsxRead.h"
#include "common/UnitPublic.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"

using namespace Qt::StringLiterals;

TEST_F(AppFixture, AnAmountPastTheMoneyRangeIsExportedAsTheListShowsIt)
{
    TADOConnection cn;
    cn.open(dbFile());
    cn.execute(u"INSERT INTO Leaso (CarID, Charge) VALUES ('京A1', 1e300), ('沪B2', -9.3e18), ('粤C3', 1234560)"_s);
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(u"select CarID, Charge from Leaso order by LeasoID"_s);
    TDBGrid grid;
    grid.setDataSet(&ds);
    grid.addColumn(u"CarID"_s, u"车辆"_s);
    grid.addColumn(u"Charge"_s, u"租金"_s);
    ds.open();
    const QString file = dir() + u"huge.xlsx"_s;
    ExportGridToExcel(file, u"t"_s, &ds, &grid);
    EXPECT_EQ(messageTexts(), QStringList{u"导出完毕！"_s});
    XlsxSheet x;
    ASSERT_TRUE(x.load(file));
    const struct { int row; bool text; const char* shown; } cells[] = {{3, true, "1e+300"}, {4, true, "-9.3e+18"}, {5, false, "123.456"}};
    for (const auto& c : cells) {
        ASSERT_TRUE(x.cell(c.row, 2)) << c.shown;
        EXPECT_EQ(x.cell(c.row, 2)->isText(), c.text) << c.shown;
        EXPECT_EQ(x.text(c.row, 2), QString::fromUtf8(c.shown));
    }
}

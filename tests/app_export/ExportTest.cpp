// The workbook export: a real file written through a grid and read back.
#include "app/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Moment.h"
#include "support/XlsxRead.h"
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString Done = QStringLiteral("导出完毕！");
const QString NoExcel = QStringLiteral("本机没有安装Excel.");
const QString DocNo = QStringLiteral("110101199001011234");   // 18 digits: must stay text

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        EnsureDatabaseFile(path(QStringLiteral("Leaso3.mdb")));
        cn.open(path(QStringLiteral("Leaso3.mdb")));
        Dlg::hooks() = Dlg::Hooks{};
        Dlg::hooks().message = [this](const Dlg::MessageCall& c) { shown.push_back(c); return int(c.defaultButton); };

        cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES (:id, :n)"), {{"id", DocNo}, {"n", QStringLiteral("张三")}});
        cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES ('B7', 'O''Brien')"));
        // One hire still out (no return time, no charge), one returned at midnight and settled.
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge) VALUES ('京A1', :c, :b, NULL, NULL)"),
                   {{"c", DocNo}, {"b", CombineDateTime(QDate(2024, 3, 5), QTime(9, 30, 15))}});
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge) VALUES ('沪B2', 'B7', :b, :e, :m)"),
                   {{"b", CombineDateTime(QDate(2024, 2, 29), QTime(0, 0))}, {"e", CombineDateTime(QDate(2024, 3, 2), QTime(0, 0))},
                    {"m", QVariant::fromValue(StrToCurr(QStringLiteral("1234.56")))}});

        ds.setConnection(&cn);
        ds.setSQL(QStringLiteral("select Leaso.LeasoID, Leaso.CustID, CustName, CarID, BeginTime, EndTime, Charge "
                                 "from Leaso, Customer where Leaso.CustID=Customer.CustID order by LeasoID"));
        // A calculated field goes out like a stored one.
        ds.addCalcField(QStringLiteral("Owed"), FieldType::Currency);
        ds.onCalcFields = [](TDataSet& d) {
            d.fieldByName(QStringLiteral("Owed")).setValue(QVariant::fromValue(-d.fieldByName(QStringLiteral("Charge")).asCurrency()));
        };
        grid.setDataSet(&ds);
        grid.addColumn(QStringLiteral("LeasoID"), QStringLiteral("编号"));
        grid.setColumnVisible(0, false);
        grid.addColumn(QStringLiteral("CustID"), QStringLiteral("证件号"));
        grid.addColumn(QStringLiteral("CustName"), QStringLiteral("客户"));
        grid.addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"));
        grid.addColumn(QStringLiteral("BeginTime"), QStringLiteral("租出时间"));
        grid.addColumn(QStringLiteral("EndTime"), QStringLiteral("还车日期"));
        grid.addColumn(QStringLiteral("Charge"), QStringLiteral("租金"));
        grid.addColumn(QStringLiteral("Owed"), QStringLiteral("欠款"));
        grid.addColumn(QString(), QStringLiteral("应收（欠款）"));
    }
    void TearDown() override { Dlg::hooks() = Dlg::Hooks{}; }

    QString path(const QString& name) const { return tmp.path() + QLatin1Char('/') + name; }
    // Files in the folder other than the database: nothing half-written may stay.
    QStringList strayFiles() const
    {
        QStringList l = QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        l.removeAll(QStringLiteral("Leaso3.mdb"));
        return l;
    }
    void expectFailure(const QString& cause)
    {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, NoExcel + QLatin1Char('\n') + cause);
        EXPECT_EQ(shown[0].caption, QStringLiteral("错误"));
        EXPECT_EQ(shown[0].icon, Dlg::Icon::None);
        EXPECT_EQ(shown[0].buttons, Dlg::Buttons::OK);
    }

    QTemporaryDir tmp;
    TADOConnection cn;
    TDataSet ds;
    TDBGrid grid;
    std::vector<Dlg::MessageCall> shown;
};

} // namespace

TEST_F(ExportTest, WritesTitleVisibleCaptionsInShownOrderAndTypedCells)
{
    ds.open();
    // The user dragged 租金 in front of 客户.
    grid.horizontalHeader()->moveSection(grid.horizontalHeader()->visualIndex(6), 2);
    ds.setRecNo(1);
    const QString file = path(QStringLiteral("车辆租借明细.xlsx"));
    ExportGridToExcel(file, QStringLiteral("2024/2/1至2024/3/31  车辆租借情况统计"), &ds, &grid);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Done);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Quorvane"));
    EXPECT_EQ(shown[0].icon, Dlg::Icon::Exclamation);
    EXPECT_EQ(ds.recNo(), 0) << "the list stands on its first row after an export";
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(strayFiles(), QStringList{QStringLiteral("车辆租借明细.xlsx")});

    XlsxSheet x;
    QString err;
    ASSERT_TRUE(x.load(file, &err)) << err.toStdString();
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/2/1至2024/3/31  车辆租借情况统计"));
    EXPECT_EQ(x.columnCount(1), 1) << "nothing else in row 1";
    const QStringList captions{QStringLiteral("证件号"), QStringLiteral("租金"), QStringLiteral("客户"), QStringLiteral("车辆"),
                               QStringLiteral("租出时间"), QStringLiteral("还车日期"), QStringLiteral("欠款"), QStringLiteral("应收（欠款）")};
    for (int c = 0; c < captions.size(); ++c) EXPECT_EQ(x.text(2, c + 1), captions[c]) << "caption " << c + 1;
    EXPECT_EQ(x.columnCount(2), captions.size()) << "the hidden key takes no column";
    EXPECT_EQ(x.rowCount(), 4);

    // Row 3: the hire still out.
    auto id = x.cell(3, 1);
    ASSERT_TRUE(id);
    EXPECT_TRUE(id->isText()) << "an 18-digit document number stays text";
    EXPECT_EQ(id->text, DocNo);
    EXPECT_FALSE(x.cell(3, 2)) << "no charge: empty cell";
    EXPECT_EQ(x.text(3, 3), QStringLiteral("张三"));
    EXPECT_EQ(x.text(3, 4), QStringLiteral("京A1"));
    auto begin = x.cell(3, 5);
    ASSERT_TRUE(begin);
    EXPECT_TRUE(begin->isDate()) << begin->numFmt.toStdString();
    EXPECT_EQ(begin->numFmt, QStringLiteral("yyyy/m/d h:mm:ss"));
    EXPECT_EQ(begin->moment(), CombineDateTime(QDate(2024, 3, 5), QTime(9, 30, 15)));
    EXPECT_FALSE(x.cell(3, 6)) << "no return time: empty cell";
    auto owedZero = x.cell(3, 7);
    ASSERT_TRUE(owedZero);
    EXPECT_TRUE(owedZero->isNumber());
    EXPECT_EQ(owedZero->number(), 0.0);
    EXPECT_FALSE(x.cell(3, 8)) << "a column without a field stays empty";

    // Row 4: returned at midnight and settled; a name with a quote.
    auto charge = x.cell(4, 2);
    ASSERT_TRUE(charge);
    EXPECT_TRUE(charge->isNumber());
    EXPECT_FALSE(charge->isDate());
    EXPECT_DOUBLE_EQ(charge->number(), 1234.56);
    EXPECT_EQ(x.text(4, 3), QStringLiteral("O'Brien"));
    auto end = x.cell(4, 6);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->numFmt, QStringLiteral("yyyy/m/d")) << "a moment at midnight is a date alone";
    EXPECT_EQ(end->moment(), CombineDateTime(QDate(2024, 3, 2), QTime(0, 0)));
    EXPECT_EQ(x.cell(4, 5)->moment(), CombineDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(x.cell(4, 7)->number(), -1234.56) << "the calculated field";
}

TEST_F(ExportTest, AnEmptyListGivesTitleAndCaptionsAndReplacesAnOlderFileWhole)
{
    const QString file = path(QStringLiteral("old.xlsx"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(100000, 'x'));
    f.close();
    ds.setSQL(ds.sql() + QStringLiteral(" limit 0"));
    ds.open();
    ExportGridToExcel(file, QStringLiteral("空"), &ds, &grid);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, Done);
    XlsxSheet x;
    ASSERT_TRUE(x.load(file));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("空"));
    EXPECT_EQ(x.text(2, 1), QStringLiteral("证件号"));
    EXPECT_EQ(x.rowCount(), 2);
    EXPECT_EQ(strayFiles(), QStringList{QStringLiteral("old.xlsx")});
}

TEST_F(ExportTest, FailuresShowTheBoxWithTheirCauseAndLeaveNoFileAndAnOldFileUntouched)
{
    // A closed list: nothing to export, and the file already there keeps its bytes.
    const QString kept = path(QStringLiteral("kept.xlsx"));
    QFile f(kept);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old content");
    f.close();
    ExportGridToExcel(kept, QStringLiteral("t"), &ds, &grid);
    expectFailure(QStringLiteral("列表没有打开，没有可以导出的内容"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old content"));
    f.close();
    shown.clear();

    ds.open();
    // A folder that cannot be written (a path under a regular file; root writes read-only folders).
    const QString under = kept + QStringLiteral("/out.xlsx");
    ExportGridToExcel(under, QStringLiteral("t"), &ds, &grid);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(NoExcel + QStringLiteral("\n不能在文件夹“") + kept + QStringLiteral("”中写入文件："))) << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(shown[0].icon, Dlg::Icon::None);
    EXPECT_FALSE(QFile::exists(under));
    shown.clear();

    // The workbook is complete but cannot take its name (a folder holds it): the
    // temporary file goes, the folder stays as it was.
    const QString busy = path(QStringLiteral("busy.xlsx"));
    ASSERT_TRUE(QDir().mkpath(busy + QStringLiteral("/inside")));
    ExportGridToExcel(busy, QStringLiteral("t"), &ds, &grid);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(NoExcel + QStringLiteral("\n不能保存为“") + busy + QStringLiteral("”："))) << shown[0].text.toStdString();
    EXPECT_TRUE(QDir(busy + QStringLiteral("/inside")).exists());
    EXPECT_EQ(strayFiles(), QStringList{QStringLiteral("kept.xlsx")});
    shown.clear();

    // No file name at all.
    ExportGridToExcel(QString(), QStringLiteral("t"), &ds, &grid);
    expectFailure(QStringLiteral("没有给出文件名"));
}

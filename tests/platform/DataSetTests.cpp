// The connection, datasets and grids over a real database file.
#include "app/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        file = tmp.path() + QStringLiteral("/Leaso3.mdb");
        EnsureDatabaseFile(file);
        cn.open(file);
        EnsureAcctTable(cn);
    }
    QVariant cur(const char* s) { return QVariant::fromValue(StrToCurr(QString::fromUtf8(s))); }
    QTemporaryDir tmp;
    QString file;
    TADOConnection cn;
};

} // namespace

TEST_F(DataSetTest, OpeningNeverCreatesAMissingFile)
{
    TADOConnection other;
    const QString missing = tmp.path() + QStringLiteral("/none/Leaso3.mdb");
    try {
        other.open(missing);
        ADD_FAILURE() << "opened a missing file";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(missing)) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(missing));
    // A file that is not a database is named too.
    const QString junk = tmp.path() + QStringLiteral("/junk.mdb");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_THROW(other.open(junk), EDatabaseError);
}

TEST_F(DataSetTest, EnsureDatabaseFileNeverOverwrites)
{
    cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES ('A1','A')"));
    cn.close();
    EXPECT_FALSE(EnsureDatabaseFile(file));
    cn.open(file);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 1);
}

TEST_F(DataSetTest, AmountsSumExactlyInSql)
{
    cn.execute(QStringLiteral("INSERT INTO Acct (Type, Amount) VALUES (1, :a)"), {{"a", cur("0.1")}});
    cn.execute(QStringLiteral("INSERT INTO Acct (Type, Amount) VALUES (1, :a)"), {{"a", cur("0.2")}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("SELECT sum(Amount) AS total, Round(sum(Amount),2) AS r FROM Acct"));
    ds.declareField(QStringLiteral("total"), FieldType::Currency);
    ds.declareField(QStringLiteral("r"), FieldType::Currency);
    ds.open();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("total")).asCurrency(), StrToCurr(QStringLiteral("0.3")));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("total")).asString(), "0.3");
    EXPECT_EQ(ds.fieldByName(QStringLiteral("r")).asString(), "0.3");
}

TEST_F(DataSetTest, MomentsRoundTripAndFilterWithCDate)
{
    const QDateTime b = CombineDateTime(QDate(2026, 5, 1), QTime(9, 0));
    const QDateTime e = CombineDateTime(QDate(2026, 5, 3), QTime(15, 0));
    cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, BeginTime, EndTime) VALUES ('A', :b, :e)"), {{"b", b}, {"e", e}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("SELECT BeginTime, EndTime, EndTime-BeginTime AS d FROM Leaso "
                             "WHERE BeginTime Between CDate('2026/5/1') and CDate('2026/5/1 23:59:59')"));
    ds.open();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("BeginTime")).asDateTime(), b);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("EndTime")).asString(), "2026/5/3 15:00:00");
    EXPECT_DOUBLE_EQ(ds.fieldByName(QStringLiteral("d")).asFloat(), 2.25);
    // Now() is local wall-clock time.
    const double now = cn.scalar(QStringLiteral("SELECT Now()")).toDouble();
    EXPECT_LE(std::abs(DaysToDateTime(now).secsTo(NowMoment())), 2);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT Len('车辆A')")).toInt(), 3);
    EXPECT_THROW(cn.scalar(QStringLiteral("SELECT CDate('not a date')")), EDatabaseError);
}

TEST_F(DataSetTest, QuotesAndOddCharactersAreStoredExactly)
{
    const QString name = QStringLiteral("O'Brien \"Bob\" 100% -- ; DROP TABLE Customer; 张三");
    cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES (:id, :name)"),
               {{"id", QStringLiteral("11'01")}, {"name", name}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("Select * from Customer where CustName=:n"));
    ds.setParam(QStringLiteral("n"), name);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CustID")).asString(), "11'01");
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CustName")).asString(), name);
}

TEST_F(DataSetTest, AppendAssignsDistinctKeysAndEditPostsTypedValues)
{
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("Select * from Acct"));
    ds.open();
    for (int i = 0; i < 2; ++i) {
        ds.append();
        ds.fieldByName(QStringLiteral("Type")).setValue(1);
        ds.fieldByName(QStringLiteral("Amount")).setValue(QStringLiteral("12.5"));
        ds.fieldByName(QStringLiteral("Item")).setValue(QStringLiteral("O'Brien"));
        ds.fieldByName(QStringLiteral("AcctTime")).setValue(CombineDateTime(QDate(2026, 6, 1), QTime(8, 0)));
        ds.post();
    }
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL")).toInt(), 2);
    // The key the database assigned is in the dataset row.
    EXPECT_EQ(ds.fieldByName(QStringLiteral("ID")).asInteger(), cn.scalar(QStringLiteral("SELECT max(ID) FROM Acct")).toLongLong());

    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("Amount")).setValue(QVariant::fromValue(StrToCurr(QStringLiteral("0.3"))));
    ds.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT Amount FROM Acct ORDER BY ID LIMIT 1")).toLongLong(), 3000);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT Item FROM Acct ORDER BY ID LIMIT 1")).toString(), "O'Brien");

    // Keys are never reused after a delete.
    const qint64 top = cn.scalar(QStringLiteral("SELECT max(ID) FROM Acct")).toLongLong();
    ds.last();
    ds.deleteRecord();
    EXPECT_EQ(ds.recordCount(), 1);
    ds.append();
    ds.fieldByName(QStringLiteral("Type")).setValue(-1);
    ds.post();
    EXPECT_GT(ds.fieldByName(QStringLiteral("ID")).asInteger(), top);
}

TEST_F(DataSetTest, EditOfAChangedKeyUsesTheOldKey)
{
    cn.execute(QStringLiteral("INSERT INTO PriceList (PriceName, LeasoType, BasicPrice) VALUES ('日租', 0, :p)"), {{"p", cur("150")}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("Select * from PriceList where PriceName=:n"));
    ds.setParam(QStringLiteral("n"), QStringLiteral("日租"));
    ds.open();
    ds.edit();
    ds.fieldByName(QStringLiteral("PriceName")).setValue(QStringLiteral("日租 A"));
    ds.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT PriceName FROM PriceList")).toString(), "日租 A");
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM PriceList")).toInt(), 1);
}

TEST_F(DataSetTest, FieldsOutsideEditStateCannotBeWritten)
{
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("Select * from Acct"));
    ds.open();
    EXPECT_THROW(ds.fieldByName(QStringLiteral("Type")).setValue(1), EDatabaseError);
    EXPECT_THROW(ds.fieldByName(QStringLiteral("NoSuchField")), EDatabaseError);
    EXPECT_THROW(ds.edit(), EDatabaseError);   // empty
}

TEST_F(DataSetTest, CalculatedFieldsFiltersAndCursor)
{
    for (int i = 0; i < 5; ++i)
        cn.execute(QStringLiteral("INSERT INTO PriceList (PriceName, LeasoType) VALUES (:n, :t)"),
                   {{"n", QStringLiteral("方案%1").arg(i)}, {"t", i}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ds.onCalcFields = [](TDataSet& d) {
        d.fieldByName(QStringLiteral("LeasoTypeStr")).setValue(LeasoTypeStr(d.fieldByName(QStringLiteral("LeasoType")).asInteger()));
    };
    ds.setTableName(QStringLiteral("PriceList"), QStringLiteral("PriceName"));
    int scrolls = 0;
    QObject::connect(&ds, &TDataSet::afterScroll, [&] { ++scrolls; });
    ds.open();
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(ds.recordCount(), 5);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("LeasoTypeStr")).asString(), "按天");
    ds.next(); ds.next();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("LeasoTypeStr")).asString(), "按小时");
    ds.next();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("LeasoTypeStr")).asString(), "");
    ds.last();
    ds.next();
    EXPECT_TRUE(ds.eof());

    ds.setFilter([](TDataSet& d) { return d.fieldByName(QStringLiteral("LeasoType")).asInteger() % 2 == 0; });
    ds.setFiltered(true);
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("PriceName")).asString(), "方案0");
    ds.setRecNo(2);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("PriceName")).asString(), "方案4");
    EXPECT_TRUE(ds.locate(QStringLiteral("PriceName"), QStringLiteral("方案2")));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_FALSE(ds.locate(QStringLiteral("PriceName"), QStringLiteral("方案1")));
    ds.setFiltered(false);
    EXPECT_EQ(ds.recordCount(), 5);
}

TEST_F(DataSetTest, DetailFollowsItsMaster)
{
    cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES ('京A1','A'), ('京A2','A')"));
    cn.execute(QStringLiteral("INSERT INTO CarCost (CarID, Name, Cost) VALUES ('京A1','保险',:c), ('京A1','年检',:c), ('京A2','保险',:c)"),
               {{"c", cur("100")}});
    TDataSet master, detail;
    master.setConnection(&cn);
    detail.setConnection(&cn);
    master.setSQL(QStringLiteral("Select * from Car order by CarID"));
    detail.setTableName(QStringLiteral("CarCost"));
    detail.setMaster(&master, QStringLiteral("CarID"), QStringLiteral("CarID"));
    master.open();
    detail.open();
    EXPECT_EQ(detail.recordCount(), 2);
    master.next();
    EXPECT_EQ(detail.recordCount(), 1);
    detail.append();
    EXPECT_EQ(detail.fieldByName(QStringLiteral("CarID")).asString(), "京A2");
    detail.fieldByName(QStringLiteral("Name")).setValue(QStringLiteral("路桥费"));
    detail.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM CarCost WHERE CarID='京A2'")).toInt(), 2);
}

TEST_F(DataSetTest, TransactionsRollBackAsAWhole)
{
    cn.beginTrans();
    cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES ('X1','A')"));
    EXPECT_THROW(cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES ('x1','A')")), EDatabaseError);  // key ignores case
    EXPECT_TRUE(cn.inTransaction());
    cn.rollbackTrans();
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 0);
}

TEST_F(DataSetTest, GridFollowsTheCursorAndTheOtherWayRound)
{
    for (int i = 0; i < 50; ++i)
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, Prepay, BeginTime) VALUES (:c, :p, :b)"),
                   {{"c", QStringLiteral("车%1").arg(i)}, {"p", cur("0.5")},
                    {"b", CombineDateTime(QDate(2026, 1, 1), QTime(0, 0)).addDays(i)}});
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setSQL(QStringLiteral("Select * from Leaso order by LeasoID"));
    TDBGrid grid;
    grid.addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    grid.addColumn(QStringLiteral("Prepay"), QStringLiteral("预付"), 60);
    grid.addColumn(QStringLiteral("BeginTime"), QStringLiteral("出租时间"), 120);
    grid.setDataSet(&ds);
    ds.open();
    EXPECT_EQ(grid.model()->rowCount(), 50);
    EXPECT_EQ(grid.model()->index(3, 1).data().toString(), "0.5");
    EXPECT_EQ(grid.model()->index(3, 2).data().toString(), "2026/1/4");
    ds.setRecNo(10);
    EXPECT_EQ(grid.currentIndex().row(), 10);
    EXPECT_EQ(grid.selectedText(0), "车10");
    grid.selectRow(20);
    EXPECT_EQ(ds.recNo(), 20);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CarID")).asString(), "车20");
    grid.setRowForeground([](TDataSet& d, int row) { return d.textAt(row, d.fieldIndex(QStringLiteral("CarID"))) == "车1" ? QColor(Qt::red) : QColor(); });
    EXPECT_EQ(grid.model()->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(grid.model()->index(2, 0).data(Qt::ForegroundRole).isValid());
    ds.close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.selectedText(0), "");
}

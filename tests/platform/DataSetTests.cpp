// The connection and datasets over a real database file. Rows are kept as
// read and decoded on demand, so every accessor must give what was stored,
// also after edits, inserts and deletes move text about in the store.
#include "common/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
        ds.setConnection(&cn);
    }
    QVariant cur(const char* s) { return QVariant::fromValue(StrToCurr(QString::fromUtf8(s))); }
    void addCar(const QString& id, const QVariant& mark, const QVariant& odo, const QVariant& bought = {})
    {
        cn.execute(u"INSERT INTO Car (CarID, State, Mark, Odograph, BuyDate) VALUES (:id, 'A', :m, :o, :b)"_s,
                   {{"id", id}, {"m", mark}, {"o", odo}, {"b", bought}});
    }
    static QStringList marks(TDataSet& d)
    {
        QStringList l;
        for (int r = 0; r < d.recordCount(); ++r) l << d.textAt(r, d.fieldIndex(u"Mark"_s));
        return l;
    }
    QTemporaryDir tmp;
    QString file;
    TADOConnection cn;
    TDataSet ds;
};

} // namespace

TEST_F(DataSetTest, AnExistingFileIsNeverOverwritten)
{
    cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES ('A1','A')"));
    cn.close();
    EXPECT_FALSE(EnsureDatabaseFile(file));
    cn.open(file);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(), 1);
}

TEST_F(DataSetTest, AmountsAndMomentsComputeExactlyInSql)
{
    cn.execute(QStringLiteral("INSERT INTO Acct (Type, Amount) VALUES (1, :a), (1, :b)"), {{"a", cur("0.1")}, {"b", cur("0.2")}});
    ds.setSQL(QStringLiteral("SELECT sum(Amount) AS total, Round(sum(Amount),2) AS r FROM Acct"));
    ds.declareField(QStringLiteral("total"), FieldType::Currency);
    ds.declareField(QStringLiteral("r"), FieldType::Currency);
    ds.open();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("total")).asCurrency(), StrToCurr(QStringLiteral("0.3")));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("r")).asString(), "0.3");

    const QDateTime b = CombineDateTime(QDate(2026, 5, 1), QTime(9, 0));
    const QDateTime e = CombineDateTime(QDate(2026, 5, 3), QTime(15, 0));
    cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, BeginTime, EndTime) VALUES ('A', :b, :e)"), {{"b", b}, {"e", e}});
    ds.setSQL(QStringLiteral("SELECT BeginTime, EndTime, EndTime-BeginTime AS d FROM Leaso "
                             "WHERE BeginTime Between CDate('2026/5/1') and CDate('2026/5/1 23:59:59')"));
    ds.open();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("BeginTime")).asDateTime(), b);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("EndTime")).asString(), "2026/5/3 15:00:00");
    EXPECT_DOUBLE_EQ(ds.fieldByName(QStringLiteral("d")).asFloat(), 2.25);
    // Now() is local wall-clock time.
    EXPECT_LE(std::abs(DaysToDateTime(cn.scalar(QStringLiteral("SELECT Now()")).toDouble()).secsTo(NowMoment())), 2);
    EXPECT_THROW(cn.scalar(QStringLiteral("SELECT CDate('not a date')")), EDatabaseError);
}

TEST_F(DataSetTest, QuotesAndOddCharactersAreStoredExactly)
{
    const QString name = QStringLiteral("O'Brien \"Bob\" 100% -- ; DROP TABLE Customer; 张三");
    cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES (:id, :name)"),
               {{"id", QStringLiteral("11'01")}, {"name", name}});
    ds.setSQL(QStringLiteral("Select * from Customer where CustName=:n"));
    ds.setParam(QStringLiteral("n"), name);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CustID")).asString(), "11'01");
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CustName")).asString(), name);
}

TEST_F(DataSetTest, PostsWriteTypedValuesUnderTheRightKey)
{
    ds.setSQL(QStringLiteral("Select * from Acct"));
    ds.open();
    for (int i = 0; i < 2; ++i)
        ds.appendRecord({{QStringLiteral("Type"), 1}, {QStringLiteral("Amount"), QStringLiteral("12.5")}});
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL")).toInt(), 2);
    const qint64 top = cn.scalar(QStringLiteral("SELECT max(ID) FROM Acct")).toLongLong();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("ID")).asInteger(), top);

    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("Amount")).setValue(cur("0.3"));
    ds.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT Amount FROM Acct ORDER BY ID LIMIT 1")).toLongLong(), 3000);
    // Keys are never reused after a delete.
    ds.last();
    ds.deleteRecord();
    ds.appendRecord({{QStringLiteral("Type"), -1}});
    EXPECT_GT(ds.fieldByName(QStringLiteral("ID")).asInteger(), top);

    // An edit of the key itself finds the row by its old key.
    cn.execute(QStringLiteral("INSERT INTO PriceList (PriceName, LeasoType, BasicPrice) VALUES ('日租', 0, :p)"), {{"p", cur("150")}});
    ds.setTableName(QStringLiteral("PriceList"));
    ds.open();
    ds.edit();
    ds.fieldByName(QStringLiteral("PriceName")).setValue(QStringLiteral("日租 A"));
    ds.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT group_concat(PriceName) FROM PriceList")).toString(), "日租 A");
}

TEST_F(DataSetTest, ValuesReadBackAsStoredAndNullsStayNull)
{
    const QDateTime bought = CombineDateTime(QDate(2019, 7, 1), QTime(8, 30, 5));
    addCar(u"A1"_s, u"O'Brien “大众” -- 100%"_s, 123456, bought);
    addCar(u"A2"_s, u""_s, QVariant());
    ds.setSQL(u"select CarID, Mark, Odograph, BuyDate, Odograph * 2 as twice from Car order by CarID"_s);
    ds.open();
    EXPECT_EQ(ds.fieldByName(u"mark"_s).asString(), u"O'Brien “大众” -- 100%"_s);
    EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asInteger(), 123456);
    EXPECT_EQ(ds.fieldByName(u"BuyDate"_s).asDateTime(), bought);
    EXPECT_EQ(ds.fieldByName(u"twice"_s).asString(), u"246912"_s);
    ds.setRecNo(1);
    EXPECT_FALSE(ds.fieldByName(u"Mark"_s).isNull());
    EXPECT_TRUE(ds.fieldByName(u"Odograph"_s).isNull());
    EXPECT_EQ(ds.fieldByName(u"twice"_s).asString(), u""_s);
    // Another statement, other positions: nothing of the first one is kept.
    ds.setSQL(u"select Mark as c, Odograph as B from Car"_s);
    ds.open();
    EXPECT_EQ(ds.fieldIndex(u"b"_s), 1);
    EXPECT_THROW(ds.fieldByName(u"CarID"_s), EDatabaseError);
}

TEST_F(DataSetTest, EditsInsertsAndDeletesLeaveTheOtherRowsAsRead)
{
    for (int i = 1; i <= 4; ++i) addCar(u"C%1"_s.arg(i), u"品牌%1"_s.arg(i), i * 100);
    ds.setTableName(u"Car"_s, u"CarID"_s);
    ds.open();
    ds.setRecNo(1);
    ds.edit();
    ds.fieldByName(u"Mark"_s).setValue(u"一个长得多的新品牌名称"_s);
    ds.post();
    ds.appendRecord({{u"CarID"_s, u"C5"_s}, {u"Mark"_s, u"新车"_s}, {u"Odograph"_s, 7}});
    ds.setRecNo(2);
    ds.deleteRecord();
    EXPECT_EQ(marks(ds), (QStringList{u"品牌1"_s, u"一个长得多的新品牌名称"_s, u"品牌4"_s, u"新车"_s}));
    EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asInteger(), 400);

    // What the dataset shows is what the file holds.
    TDataSet again;
    again.setConnection(&cn);
    again.setTableName(u"Car"_s, u"CarID"_s);
    again.open();
    EXPECT_EQ(marks(again), marks(ds));

}

TEST_F(DataSetTest, LenCountsTextAsTheProgramCountsIt)
{
    for (const QString& text : {u"车辆A"_s, QString::fromUtf8("\xF0\xA0\x80\x80x")})
        EXPECT_EQ(cn.scalar(u"SELECT Len(:t)"_s, {{"t", text}}).toLongLong(), text.size()) << text.toStdString();
    EXPECT_TRUE(cn.scalar(u"SELECT Len(NULL)"_s).isNull());
}

// Rows kept as read (numbers as numbers, text as its bytes) and decoded when
// a value is asked for: every accessor gives what was stored, also after
// edits, inserts and deletes move text about in the store.
#include "app/UnitPublic.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class DataSetStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        EnsureDatabaseFile(tmp.path() + u"/Leaso3.mdb"_s);
        cn.open(tmp.path() + u"/Leaso3.mdb"_s);
        ds.setConnection(&cn);
    }
    void addCar(const QString& id, const QVariant& mark, const QVariant& odo, const QVariant& bought)
    {
        cn.execute(u"INSERT INTO Car (CarID, State, Mark, Odograph, BuyDate) VALUES (:id, 'A', :m, :o, :b)"_s,
                   {{"id", id}, {"m", mark}, {"o", odo}, {"b", bought}});
    }
    QStringList marks()
    {
        QStringList l;
        for (int r = 0; r < ds.recordCount(); ++r) l << ds.textAt(r, ds.fieldIndex(u"Mark"_s));
        return l;
    }
    QTemporaryDir tmp;
    TADOConnection cn;
    TDataSet ds;
};

} // namespace

TEST_F(DataSetStore, EveryKindOfValueReadsBackThroughEveryAccessor)
{
    const QDateTime bought = CombineDateTime(QDate(2019, 7, 1), QTime(8, 30, 5));
    addCar(u"京A·01"_s, u"O'Brien “大众” -- 100%"_s, 123456, bought);
    addCar(u"京A·02"_s, u""_s, QVariant(), QVariant());
    addCar(u"京A·03"_s, QVariant(), 0, QDate(2020, 1, 2));
    ds.setSQL(u"select CarID, Mark, Odograph, BuyDate, Odograph * 2 as twice from Car order by CarID"_s);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 3);

    struct Row { const char* name; QString mark; bool markNull; QString odo; bool odoNull; QString date; QString twice; };
    const Row rows[] = {
        {"text with quotes and a number", u"O'Brien “大众” -- 100%"_s, false, u"123456"_s, false, DateTimeToStr(bought), u"246912"_s},
        {"empty text and nulls", u""_s, false, u""_s, true, u""_s, u""_s},
        {"null text, zero and a date", u""_s, true, u"0"_s, false, DateTimeToStr(CombineDateTime(QDate(2020, 1, 2), QTime(0, 0))), u"0"_s},
    };
    for (int r = 0; r < 3; ++r) {
        const Row& w = rows[r];
        ds.setRecNo(r);
        EXPECT_EQ(ds.fieldByName(u"mark"_s).asString(), w.mark) << w.name;
        EXPECT_EQ(ds.fieldByName(u"Mark"_s).isNull(), w.markNull) << w.name;
        EXPECT_EQ(ds.textAt(r, 1), w.mark) << w.name;
        EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asString(), w.odo) << w.name;
        EXPECT_EQ(ds.fieldByName(u"Odograph"_s).isNull(), w.odoNull) << w.name;
        EXPECT_EQ(ds.fieldByName(u"BuyDate"_s).asString(), w.date) << w.name;
        EXPECT_EQ(ds.textAt(r, 3), w.date) << w.name;
        // An expression column takes the type of its first value.
        EXPECT_EQ(ds.fieldByName(u"twice"_s).asString(), w.twice) << w.name;
    }
    EXPECT_EQ(ds.fieldType(4), FieldType::Integer);
    ds.setRecNo(0);
    EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asInteger(), 123456);
    EXPECT_EQ(ds.fieldByName(u"BuyDate"_s).asDateTime(), bought);
    EXPECT_EQ(ds.valueAt(0, 2).userType(), QMetaType::LongLong);
    EXPECT_EQ(ds.valueAt(0, 1).toString(), rows[0].mark);
    EXPECT_TRUE(ds.valueAt(2, 1).isNull());
}

TEST_F(DataSetStore, EditsInsertsAndDeletesLeaveTheOtherRowsAsRead)
{
    for (int i = 1; i <= 4; ++i) addCar(u"C%1"_s.arg(i), u"品牌%1"_s.arg(i), i * 100, QVariant());
    ds.setTableName(u"Car"_s, u"CarID"_s);
    ds.open();
    ds.setRecNo(1);
    ds.edit();
    ds.fieldByName(u"Mark"_s).setValue(u"一个长得多的新品牌名称"_s);
    ds.post();
    EXPECT_EQ(marks(), (QStringList{u"品牌1"_s, u"一个长得多的新品牌名称"_s, u"品牌3"_s, u"品牌4"_s}));

    ds.appendRecord({{u"CarID"_s, u"C5"_s}, {u"Mark"_s, u"新车"_s}, {u"Odograph"_s, 7}});
    EXPECT_EQ(ds.fieldByName(u"Mark"_s).asString(), u"新车"_s);
    ds.setRecNo(2);
    ds.deleteRecord();
    EXPECT_EQ(marks(), (QStringList{u"品牌1"_s, u"一个长得多的新品牌名称"_s, u"品牌4"_s, u"新车"_s}));
    EXPECT_EQ(ds.fieldByName(u"CarID"_s).asString(), u"C4"_s);
    EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asInteger(), 400);

    // What the dataset shows is what the file holds.
    TDataSet again;
    again.setConnection(&cn);
    again.setTableName(u"Car"_s, u"CarID"_s);
    again.open();
    QStringList stored;
    for (int r = 0; r < again.recordCount(); ++r) stored << again.textAt(r, again.fieldIndex(u"Mark"_s));
    EXPECT_EQ(stored, marks());

    // An edit that is cancelled changes nothing.
    ds.setRecNo(0);
    ds.edit();
    ds.fieldByName(u"Mark"_s).setValue(u"不保存"_s);
    EXPECT_EQ(ds.fieldByName(u"Mark"_s).asString(), u"不保存"_s);
    ds.cancel();
    EXPECT_EQ(ds.fieldByName(u"Mark"_s).asString(), u"品牌1"_s);
}

TEST_F(DataSetStore, FieldNamesAreFoundInAnyCaseAndForgottenWithTheStatement)
{
    addCar(u"C1"_s, u"M"_s, 1, QVariant());
    ds.setSQL(u"select CarID as a, Mark as b from Car"_s);
    ds.open();
    EXPECT_EQ(ds.fieldIndex(u"A"_s), 0);
    EXPECT_EQ(ds.fieldIndex(u"b"_s), 1);
    EXPECT_EQ(ds.fieldIndex(u"c"_s), -1);
    EXPECT_THROW(ds.fieldByName(u"c"_s), EDatabaseError);
    // Another statement, other positions: nothing of the first one is kept.
    ds.setSQL(u"select Mark as c, Odograph as B, CarID as a from Car"_s);
    ds.open();
    EXPECT_EQ(ds.fieldIndex(u"c"_s), 0);
    EXPECT_EQ(ds.fieldIndex(u"b"_s), 1);
    EXPECT_EQ(ds.fieldIndex(u"A"_s), 2);
    EXPECT_EQ(ds.fieldByName(u"b"_s).asInteger(), 1);
}

TEST_F(DataSetStore, CalculatedFieldsOfEveryRowAndAfterAPost)
{
    for (int i = 0; i < 3; ++i) addCar(u"C%1"_s.arg(i), u"M"_s, i, QVariant());
    ds.addCalcField(u"Label"_s, FieldType::String);
    int calls = 0;
    ds.onCalcFields = [&calls](TDataSet& d) {
        ++calls;
        d.fieldByName(u"Label"_s).setValue(u"里程 "_s + d.fieldByName(u"Odograph"_s).asString());
    };
    ds.setTableName(u"Car"_s, u"CarID"_s);
    ds.open();
    EXPECT_EQ(calls, 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(ds.textAt(r, ds.fieldIndex(u"label"_s)), u"里程 %1"_s.arg(r));
    ds.setRecNo(1);
    ds.edit();
    ds.fieldByName(u"Odograph"_s).setValue(55);
    ds.post();
    EXPECT_EQ(ds.fieldByName(u"Label"_s).asString(), u"里程 55"_s);
    EXPECT_EQ(ds.textAt(2, ds.fieldIndex(u"label"_s)), u"里程 2"_s);
    ds.close();
    EXPECT_EQ(ds.recordCount(), 0);
    ds.open();
    EXPECT_EQ(ds.recordCount(), 3);
}

TEST_F(DataSetStore, LenCountsTextAsTheProgramCountsIt)
{
    // Statements call Len for every row; it counts as QString::size does.
    for (const QString& text : {u""_s, u"abc"_s, u"车辆A"_s, u"110101199003071234"_s, QString::fromUtf8("\xF0\xA0\x80\x80x"), u"é—ü"_s})
        EXPECT_EQ(cn.scalar(u"SELECT Len(:t)"_s, {{"t", text}}).toLongLong(), text.size()) << text.toStdString();
    EXPECT_TRUE(cn.scalar(u"SELECT Len(NULL)"_s).isNull());
    EXPECT_EQ(cn.scalar(u"SELECT Len(12345)"_s).toLongLong(), 5);
}

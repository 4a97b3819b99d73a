// The ground every window stands on: money, moments, the connection and
// datasets over a real database file, transactions and errors in the user's
// words. Dataset rows are kept as read and decoded on demand, so every
// accessor must give what was stored, also after edits move text about.
#include "common/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/Currency.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "platform/Transaction.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "support/FileTools.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

Currency C(const char* s) { return StrToCurr(QString::fromUtf8(s)); }

// The text of the error f throws; "" when it throws none.
QString ErrorOf(const std::function<void()>& f)
{
    try { f(); } catch (const std::exception& e) { return ErrorText(e); }
    return {};
}

class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        EnsureDatabaseFile(file);
        cn.open(file, ProgramTables());
        EnsureSchema(cn);
        ds.setConnection(&cn);
    }
    static QVariant cur(const char* s) { return QVariant::fromValue(C(s)); }
    void addCar(const QString& id, const QVariant& mark = {}, const QVariant& odo = {}, const QVariant& bought = {})
    {
        cn.execute(u"INSERT INTO Car (CarID, State, Mark, Odograph, BuyDate) VALUES (:id, 'A', :m, :o, :b)"_s,
                   {{"id", id}, {"m", mark}, {"o", odo}, {"b", bought}});
    }
    int cars() { return cn.scalar(u"SELECT count(*) FROM Car"_s).toInt(); }
    QTemporaryDir tmp;
    const QString file = tmp.path() + u"/Leaso3.mdb"_s;
    TADOConnection cn;
    TDataSet ds;
};

} // namespace

TEST(Convert, MoneyAndWholeNumbersAreExactAndBadTextIsRefused)
{
    EXPECT_EQ((C("0.1") + C("0.2")).raw(), C("0.3").raw());
    // Blanks around are dropped; more than four decimals round half up on the fifth.
    for (const auto& [text, shown] : {std::pair{"29.6", "29.6"}, {"-3.25", "-3.25"}, {" 12.50 ", "12.5"}, {"1.00005", "1.0001"}})
        EXPECT_EQ(C(text).toString(), shown) << text;
    for (const char* bad : {"", "abc", "1.2.3", "1,5", "1e5", "１２"})
        EXPECT_TRUE(ErrorOf([&] { C(bad); }).contains(u"不是有效的金额"_s)) << bad;
    EXPECT_THROW(C("99999999999999999"), EConvertError);
    const Currency big = Currency::fromRaw(INT64_MAX / 2 + 1);
    EXPECT_THROW(big + big, EConvertError);
    EXPECT_THROW(big * 3, EConvertError);
    EXPECT_EQ((C("0.8") * 200).toString(), "160");

    EXPECT_EQ(StrToInt(u" -5 "_s), -5);
    EXPECT_THROW(StrToInt(u""_s), EConvertError);   // never silently zero
    EXPECT_THROW(StrToInt(u"2147483648"_s), EConvertError);
    EXPECT_EQ(StrToIntDef(u""_s, 7), 7);
    EXPECT_THROW(StrToIntDef(u"x"_s, 7), EConvertError);
    EXPECT_THROW(StrToFloat(u"."_s), EConvertError);
}

// Whole yuan, halfway to even; cents, halfway up.
TEST(Currency, RoundingRules)
{
    for (const auto& [amount, yuan] : {std::pair{"2.5", "2"}, {"3.5", "4"}, {"2.5001", "3"}, {"-3.5", "-4"}})
        EXPECT_EQ(C(amount).roundedToYuanHalfEven().toString(), yuan) << amount;
    for (const auto& [amount, cents] : {std::pair{"2.004", "2"}, {"2.005", "2.01"}, {"-0.125", "-0.13"}})
        EXPECT_EQ(C(amount).roundedToCentsHalfUp().toString(), cents) << amount;
}

TEST(Moment, DayNumbersAndFormats)
{
    EXPECT_EQ(DateToDays(QDate(1899, 12, 30)), 0.0);
    const double d = DateTimeToDays(CombineDateTime(QDate(2026, 5, 1), QTime(9, 0)));
    EXPECT_DOUBLE_EQ(d - std::floor(d), 0.375);
    // Round trips keep every millisecond, also before the epoch.
    for (const QDateTime& t : {CombineDateTime(QDate(2031, 12, 31), QTime(23, 59, 59, 999)),
                               CombineDateTime(QDate(1899, 12, 29), QTime(18, 0))})
        EXPECT_EQ(DaysToDateTime(DateTimeToDays(t)), t);
    EXPECT_EQ(DateTimeToStr(CombineDateTime(QDate(2026, 12, 6), QTime(15, 0, 7))), "2026/12/6 15:00:07");
    EXPECT_EQ(DateTimeToStr(CombineDateTime(QDate(2026, 12, 6), QTime(0, 0))), "2026/12/6");
    EXPECT_EQ(TimeToStr(QTime(9, 5, 0)), "9:05:00");
    EXPECT_EQ(ParseMoment(u"2026/5/3 15:00:00"_s), CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
    EXPECT_FALSE(ParseMoment(u"2026/2/30"_s).has_value());
    EXPECT_FALSE(ParseMoment(u"2026/5/3 25:00"_s).has_value());
}

TEST_F(Store, AmountsMomentsAndLengthsComputeInSqlAsTheProgramDoes)
{
    cn.execute(u"INSERT INTO Acct (Type, Amount) VALUES (1, :a), (1, :b)"_s, {{"a", cur("0.1")}, {"b", cur("0.2")}});
    ds.setSQL(u"SELECT sum(Amount) AS total, Round(sum(Amount),2) AS r FROM Acct"_s);
    ds.declareField(u"total"_s, FieldType::Currency);
    ds.declareField(u"r"_s, FieldType::Currency);
    ds.open();
    EXPECT_EQ(ds.fieldByName(u"total"_s).asCurrency(), C("0.3"));
    EXPECT_EQ(ds.fieldByName(u"r"_s).asString(), "0.3");

    const QDateTime b = CombineDateTime(QDate(2026, 5, 1), QTime(9, 0));
    const QDateTime e = CombineDateTime(QDate(2026, 5, 3), QTime(15, 0));
    cn.execute(u"INSERT INTO Leaso (CarID, BeginTime, EndTime) VALUES ('A', :b, :e)"_s, {{"b", b}, {"e", e}});
    ds.setSQL(u"SELECT BeginTime, EndTime, EndTime-BeginTime AS d FROM Leaso "
              "WHERE BeginTime Between CDate('2026/5/1') and CDate('2026/5/1 23:59:59')"_s);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(u"EndTime"_s).asString(), "2026/5/3 15:00:00");
    EXPECT_DOUBLE_EQ(ds.fieldByName(u"d"_s).asFloat(), 2.25);
    // Now() is local wall-clock time.
    EXPECT_LE(std::abs(DaysToDateTime(cn.scalar(u"SELECT Now()"_s).toDouble()).secsTo(NowMoment())), 2);
    EXPECT_THROW(cn.scalar(u"SELECT CDate('not a date')"_s), EDatabaseError);
    // Len counts as QString does, a character outside the basic plane as two.
    for (const QString& text : {u"车辆A"_s, QString::fromUtf8("\xF0\xA0\x80\x80x")})
        EXPECT_EQ(cn.scalar(u"SELECT Len(:t)"_s, {{"t", text}}).toLongLong(), text.size()) << text.toStdString();
    EXPECT_TRUE(cn.scalar(u"SELECT Len(NULL)"_s).isNull());
}

TEST_F(Store, PostsWriteTypedValuesUnderTheRightKey)
{
    ds.setSQL(u"Select * from Acct"_s);
    ds.open();
    for (int i = 0; i < 2; ++i) ds.appendRecord({{u"Type"_s, 1}, {u"Amount"_s, u"12.5"_s}});
    EXPECT_EQ(cn.scalar(u"SELECT count(DISTINCT ID) FROM Acct WHERE ID IS NOT NULL"_s).toInt(), 2);
    const qint64 top = cn.scalar(u"SELECT max(ID) FROM Acct"_s).toLongLong();
    EXPECT_EQ(ds.fieldByName(u"ID"_s).asInteger(), top);

    ds.first();
    ds.edit();
    ds.fieldByName(u"Amount"_s).setValue(cur("0.3"));
    ds.post();
    EXPECT_EQ(cn.scalar(u"SELECT Amount FROM Acct ORDER BY ID LIMIT 1"_s).toLongLong(), 3000);
    // Keys are never reused after a delete.
    ds.last();
    ds.deleteRecord();
    ds.appendRecord({{u"Type"_s, -1}});
    EXPECT_GT(ds.fieldByName(u"ID"_s).asInteger(), top);

    // An edit of the key itself finds the row by its old key.
    cn.execute(u"INSERT INTO PriceList (PriceName, LeasoType, BasicPrice) VALUES ('日租', 0, :p)"_s, {{"p", cur("150")}});
    ds.setTableName(u"PriceList"_s);
    ds.open();
    ds.edit();
    ds.fieldByName(u"PriceName"_s).setValue(u"日租 A"_s);
    ds.post();
    EXPECT_EQ(cn.scalar(u"SELECT group_concat(PriceName) FROM PriceList"_s).toString(), "日租 A");
}

TEST_F(Store, ValuesReadBackAsStoredAndNullsStayNull)
{
    const QDateTime bought = CombineDateTime(QDate(2019, 7, 1), QTime(8, 30, 5));
    const QString odd = u"O'Brien \"Bob\" “大众” 100% -- ; DROP TABLE Car; 张三"_s;
    addCar(u"11'01"_s, odd, 123456, bought);
    addCar(u"A2"_s, u""_s);
    ds.setSQL(u"select CarID, Mark, Odograph, BuyDate, Odograph * 2 as twice from Car where Mark=:m or Mark='' order by CarID"_s);
    ds.setParam(u"m"_s, odd);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(ds.fieldByName(u"CarID"_s).asString(), u"11'01"_s);
    EXPECT_EQ(ds.fieldByName(u"mark"_s).asString(), odd);
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

TEST_F(Store, EditsInsertsAndDeletesLeaveTheOtherRowsAsRead)
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
    QStringList shown;
    for (int r = 0; r < ds.recordCount(); ++r) shown << ds.textAt(r, ds.fieldIndex(u"Mark"_s));
    EXPECT_EQ(shown, (QStringList{u"品牌1"_s, u"一个长得多的新品牌名称"_s, u"品牌4"_s, u"新车"_s}));
    EXPECT_EQ(ds.fieldByName(u"Odograph"_s).asInteger(), 400);

    // What the dataset shows is what the file holds, and making the file
    // again leaves an existing one as it is.
    cn.close();
    EXPECT_FALSE(EnsureDatabaseFile(file));
    cn.open(file);
    EXPECT_EQ(cn.scalar(u"select group_concat(Mark, '|') from (select Mark from Car order by CarID)"_s).toString(), shown.join(u'|'));
}

TEST_F(Store, TheTransactionRollsBackOnAnExceptionAndOnAMissingCommit)
{
    ErrorOf([&] {
        TTransaction tr(cn);
        addCar(u"X1"_s);
        StrToInt(u"x"_s);   // fails before the commit
    });
    {
        TTransaction tr(cn);
        addCar(u"X3"_s);
        TTransaction inner(cn);   // joins the outer one: its commit is not the outer's
        addCar(u"X4"_s);
        inner.commit();
    }   // outer never committed, as on an early return
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cars(), 0);
    { TTransaction tr(cn); addCar(u"X5"_s); tr.commit(); }   // a committed one stays
    EXPECT_EQ(cars(), 1);
}

TEST_F(Store, BindingIsStrict)
{
    // A parameter the statement lacks, or one left out (not taken as NULL).
    const QString unknown = ErrorOf([&] { cn.execute(u"INSERT INTO Car (CarID, State) VALUES (:id,'A')"_s, {{"id", "A1"}, {"stat", "B"}}); });
    const QString missing = ErrorOf([&] { cn.execute(u"INSERT INTO Car (CarID, State) VALUES (:id,:state)"_s, {{"id", "A1"}}); });
    EXPECT_TRUE(unknown.contains(u":stat"_s)) << unknown.toStdString();
    EXPECT_TRUE(missing.contains(u":state"_s)) << missing.toStdString();
    EXPECT_EQ(cars(), 0);
}

TEST_F(Store, AGuardedWriteOfARecordChangedMeanwhileThrowsAndWritesNothing)
{
    addCar(u"A1"_s);
    TADOConnection other;
    other.open(file);
    other.execute(u"UPDATE Car SET State='B'"_s);
    EXPECT_EQ(ErrorOf([&] {
                  TTransaction tr(cn);
                  cn.execute(u"UPDATE Car SET Odograph=5 WHERE CarID='A1'"_s);
                  ExpectOneRow(cn.execute(u"UPDATE Car SET State='B' WHERE CarID='A1' AND State='A'"_s));
                  tr.commit();
              }),
              EChangedError().message());
    EXPECT_TRUE(cn.scalar(u"SELECT Odograph FROM Car"_s).isNull());
    // A dataset's edit of a row deleted meanwhile says the same.
    ds.setTableName(u"Car"_s);
    ds.open();
    other.execute(u"DELETE FROM Car"_s);
    ds.edit();
    ds.fieldByName(u"Style"_s).setValue(u"x"_s);
    EXPECT_THROW(ds.post(), EChangedError);
}

// A failed read says what could not be read; a write says nothing was saved,
// and names the file's folder when the engine cannot write there. The
// engine's own text follows on a second line.
TEST_F(Store, EngineErrorsTellAFailedReadFromAFailedWrite)
{
    using A = EngineAccess;
    const struct { const char* name; int code; A access; QString sentence; } rows[] = {
        {"damaged index, read", SQLITE_CORRUPT_INDEX, A::Read, u"读取数据时出错：数据库文件已损坏。"_s},
        {"held, read", SQLITE_BUSY, A::Read, u"读取数据时出错：数据库正被另一个程序占用，请稍后再试。"_s},
        {"read-only file", SQLITE_READONLY, A::Write, u"数据库文件是只读的，不能写入，本次没有保存任何内容。"_s},
        {"read-only folder", SQLITE_READONLY_DIRECTORY, A::Write,
         u"数据库文件所在的文件夹“/data/租车”是只读的，不能写入，本次没有保存任何内容。"_s},
        {"journal not made", SQLITE_CANTOPEN, A::Write,
         u"无法在数据库文件所在的文件夹“/data/租车”中建立临时文件（这个文件夹可能是只读的），本次没有保存任何内容。"_s},
    };
    for (const auto& r : rows) EXPECT_EQ(EEngineError::sentence(r.code, r.access, u"/data/租车"_s), r.sentence) << r.name;
    EXPECT_EQ(ErrorOf([&] { cn.scalar(u"select Gone from Car"_s); }), u"读取数据时出错。\nno such column: Gone"_s);
    addCar(u"K"_s);   // keys ignore case
    EXPECT_EQ(ErrorOf([&] { addCar(u"k"_s); }),
              u"数据不符合数据库的约束（例如编号重复），本次没有保存任何内容。\nUNIQUE constraint failed: Car.CarID"_s);

    // A damaged vehicle page: a read alone, a write, and a read inside a
    // command's transaction, which fails that command.
    const qint64 page = cn.scalar(u"select rootpage from sqlite_master where name='Car'"_s).toLongLong();
    cn.close();
    ASSERT_TRUE(ScribblePage(file, page));
    cn.open(file);
    const QString engine = u"\ndatabase disk image is malformed"_s;
    EXPECT_EQ(ErrorOf([&] { cn.scalar(u"select Mark from Car"_s); }), u"读取数据时出错：数据库文件已损坏。"_s + engine);
    EXPECT_EQ(ErrorOf([&] { addCar(u"京B2"_s); }), u"数据库文件已损坏，本次没有保存任何内容。"_s + engine);
    EXPECT_EQ(ErrorOf([&] { TTransaction tr(cn); cn.scalar(u"select Mark from Car"_s); }),
              u"数据库文件已损坏，本次没有保存任何内容。"_s + engine);
}

// A window that reports its own failures says the change was saved when it was, and only then.
TEST_F(Store, AReportedFailureAfterACommitSaysTheChangeWasSaved)
{
    SetGuardConnection(&cn);
    QStringList shown;
    const auto keep = Dlg::hooks().message;
    Dlg::hooks().message = [&](const Dlg::MessageCall& c) { shown << c.text; return Dlg::IdOK; };
    const QString later = u"之后出错"_s;
    EXPECT_FALSE(WriteOrReport(nullptr, [&] {
        TTransaction tr(cn);
        addCar(u"X1"_s);
        throw EAppError(later);
    }));
    EXPECT_FALSE(WriteOrReport(nullptr, [&] {
        { TTransaction tr(cn); addCar(u"X2"_s); tr.commit(); }
        throw EAppError(later);
    }));
    Dlg::hooks().message = keep;
    SetGuardConnection(nullptr);
    EXPECT_EQ(shown, QStringList({later, u"本次的修改已经保存，但之后出错，窗口里显示的内容可能不是最新的：\n"_s + later}));
    EXPECT_EQ(cars(), 1);
}

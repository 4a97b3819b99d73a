// The ground every window writes through: the transaction object, strict
// binding, guarded writes, engine errors in the user's words, the table-key
// cache, stored values and the pasted-text check.
#include "app/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/StoredValue.h"
#include "platform/Transaction.h"
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

class Ground : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        file = tmp.path() + QStringLiteral("/Leaso3.mdb");
        EnsureDatabaseFile(file);
        cn.open(file, ProgramTables());
        EnsureSchema(cn);
    }
    int cars() { return cn.scalar(QStringLiteral("SELECT count(*) FROM Car")).toInt(); }
    void addCar(const QString& id) { cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES (:id,'A')"), {{QStringLiteral("id"), id}}); }
    QTemporaryDir tmp;
    QString file;
    TADOConnection cn;
};

} // namespace

TEST_F(Ground, TheTransactionRollsBackOnAnExceptionAndOnAMissingCommit)
{
    try {
        TTransaction tr(cn);
        addCar(QStringLiteral("X1"));
        throw EConvertError(QStringLiteral("bad"));
    } catch (const EConvertError&) {
    }
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cars(), 0);
    {
        TTransaction tr(cn);
        addCar(QStringLiteral("X2"));
    }   // no commit: an early return
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(cars(), 0);
    {
        TTransaction tr(cn);
        addCar(QStringLiteral("X3"));
        {
            TTransaction inner(cn);   // joins the outer one
            EXPECT_FALSE(inner.owner());
            addCar(QStringLiteral("X4"));
            inner.commit();
        }
        EXPECT_TRUE(cn.inTransaction());
    }
    EXPECT_EQ(cars(), 0);
    {
        TTransaction tr(cn);
        addCar(QStringLiteral("X5"));
        tr.commit();
    }
    EXPECT_EQ(cars(), 1);
}

TEST_F(Ground, BindingIsStrict)
{
    try {
        cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES (:id,'A')"),
                   {{QStringLiteral("id"), QStringLiteral("A1")}, {QStringLiteral("stat"), QStringLiteral("B")}});
        ADD_FAILURE() << "an unknown parameter was taken";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral(":stat"))) << e.message().toStdString();
    }
    try {
        cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES (:id,:state)"), {{QStringLiteral("id"), QStringLiteral("A1")}});
        ADD_FAILURE() << "a missing parameter became NULL";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral(":state"))) << e.message().toStdString();
    }
    EXPECT_EQ(cars(), 0);
}

TEST_F(Ground, AGuardedWriteOfARecordChangedMeanwhileThrowsAndWritesNothing)
{
    addCar(QStringLiteral("A1"));
    TADOConnection other;
    other.open(file);
    other.execute(QStringLiteral("UPDATE Car SET State='B'"));
    try {
        TTransaction tr(cn);
        cn.execute(QStringLiteral("UPDATE Car SET Odograph=5 WHERE CarID='A1'"));
        ExpectOneRow(cn.execute(QStringLiteral("UPDATE Car SET State='B' WHERE CarID='A1' AND State='A'")));
        tr.commit();
        ADD_FAILURE() << "no error";
    } catch (const EChangedError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("没有保存任何内容")));
    }
    EXPECT_TRUE(cn.scalar(QStringLiteral("SELECT Odograph FROM Car")).isNull());
    // A dataset's edit of a row deleted meanwhile says the same.
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setTableName(QStringLiteral("Car"));
    ds.open();
    other.execute(QStringLiteral("DELETE FROM Car"));
    ds.edit();
    ds.fieldByName(QStringLiteral("Style")).setValue(QStringLiteral("x"));
    EXPECT_THROW(ds.post(), EChangedError);
}

TEST_F(Ground, EngineErrorsSayNothingWasSavedWithTheEngineTextBelow)
{
    struct Case { const char* name; std::function<void()> fail; const char* sentence; const char* engine; };
    TADOConnection other;
    other.open(file);
    const std::vector<Case> cases = {
        {"read-only", [&] { cn.execute(QStringLiteral("PRAGMA query_only=1")); addCar(QStringLiteral("R")); },
         "数据库文件是只读的，不能写入，本次没有保存任何内容。", "attempt to write a readonly database"},
        {"locked", [&] {
             cn.execute(QStringLiteral("PRAGMA query_only=0"));
             other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
             sqlite3_busy_timeout(cn.handle(), 50);
             addCar(QStringLiteral("L"));
         }, "数据库正被另一个程序占用，本次没有保存任何内容，请稍后再试。", "database is locked"},
        {"taken key", [&] { other.execute(QStringLiteral("COMMIT")); addCar(QStringLiteral("K")); addCar(QStringLiteral("k")); },
         "数据不符合数据库的约束（例如编号重复），本次没有保存任何内容。", "UNIQUE constraint failed: Car.CarID"},
    };
    for (const auto& c : cases) {
        try {
            c.fail();
            ADD_FAILURE() << c.name;
        } catch (const std::exception& e) {
            const QStringList lines = ErrorText(e).split(QLatin1Char('\n'));
            ASSERT_EQ(lines.size(), 2) << c.name << ErrorText(e).toStdString();
            EXPECT_EQ(lines[0], QString::fromUtf8(c.sentence)) << c.name;
            EXPECT_EQ(lines[1], QString::fromUtf8(c.engine)) << c.name;
        }
    }
    // The program's own messages stay as they are.
    EXPECT_EQ(ErrorText(EConvertError(QStringLiteral("“x”不是有效的整数"))), QStringLiteral("“x”不是有效的整数"));
}

TEST_F(Ground, TableKeysAreCachedPerFileAndForgottenWhenAnotherOpens)
{
    EXPECT_EQ(cn.keyColumns(QStringLiteral("car")), QStringList{QStringLiteral("CarID")});
    // Another file where Car has another key.
    const QString second = tmp.path() + QStringLiteral("/other.mdb");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(second.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE Car(No INTEGER PRIMARY KEY, CarID TEXT, State TEXT)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    cn.open(second);
    EXPECT_EQ(cn.keyColumns(QStringLiteral("Car")), QStringList{QStringLiteral("No")});
    cn.execute(QStringLiteral("INSERT INTO Car VALUES (7, 'A1', 'A')"));
    TDataSet ds;
    ds.setConnection(&cn);
    ds.setTableName(QStringLiteral("Car"));
    ds.open();
    ds.edit();
    ds.fieldByName(QStringLiteral("State")).setValue(QStringLiteral("B"));
    ds.post();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT State FROM Car WHERE No=7")).toString(), QStringLiteral("B"));
}

TEST(StoredValue, OneEncodingForStatementsAndDatasets)
{
    const QDateTime m = CombineDateTime(QDate(2026, 3, 10), QTime(9, 30, 15));
    struct Row { const char* name; QVariant value; FieldType type; QVariant stored; };
    const Row rows[] = {
        {"amount", QVariant::fromValue(StrToCurr(QStringLiteral("12.3456"))), FieldType::Currency, QVariant(qint64(123456))},
        {"amount text", QStringLiteral("0.1"), FieldType::Currency, QVariant(qint64(1000))},
        {"moment", m, FieldType::DateTime, QVariant(DateTimeToDays(m))},
        {"date", m.date(), FieldType::DateTime, QVariant(DateToDays(m.date()))},
        {"flag", true, FieldType::Boolean, QVariant(qint64(1))},
        {"whole", 42, FieldType::Integer, QVariant(qint64(42))},
        {"text", QStringLiteral("O'Brien 100%"), FieldType::String, QStringLiteral("O'Brien 100%")},
        {"null", QVariant(), FieldType::Currency, QVariant()},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ToStored(r.value, r.type), r.stored) << r.name;
        if (r.value.userType() != QMetaType::QString) EXPECT_EQ(ToStored(r.value), r.stored) << r.name;
    }
    EXPECT_EQ(StoredCurrency(QVariant(qint64(123456))), StrToCurr(QStringLiteral("12.3456")));
    EXPECT_THROW(ToStored(QStringLiteral("12,5"), FieldType::Currency), EConvertError);
}

TEST(KeyFilters, PastedTextIsCheckedAgainstTheFilterOfItsBox)
{
    struct Row { KeyFilter kind; const char* text; bool ok; };
    const Row rows[] = {
        {KeyFilter::Money, "300", true}, {KeyFilter::Money, "0.5", true}, {KeyFilter::Money, " 12. ", true},
        {KeyFilter::Money, "", true}, {KeyFilter::Money, "-300", false}, {KeyFilter::Money, "1.2.3", false},
        {KeyFilter::Money, "1e3", false}, {KeyFilter::Money, "３００", false},
        {KeyFilter::WholeNumber, "10800", true}, {KeyFilter::WholeNumber, "-5", false}, {KeyFilter::WholeNumber, "1.5", false},
        {KeyFilter::AcctAmount, "12.34", true}, {KeyFilter::AcctAmount, ".5", false}, {KeyFilter::AcctAmount, "1.234", false},
        {KeyFilter::AcctAmount, "-1", false},
    };
    for (const Row& r : rows) EXPECT_EQ(FilterAccepts(r.kind, QString::fromUtf8(r.text)), r.ok) << r.text;

    QStringList shown;
    Dlg::hooks().message = [&](const Dlg::MessageCall& c) { shown << c.text; return int(Dlg::IdOK); };
    QLineEdit plain, money, reading;
    InstallKeyFilter(&money, KeyFilter::Money);
    InstallKeyFilter(&reading, KeyFilter::WholeNumber);
    plain.setText(QStringLiteral("-1"));   // no filter: not checked
    money.setText(QStringLiteral("12.5"));
    reading.setText(QStringLiteral("-300"));
    EXPECT_FALSE(CheckFilteredInput(nullptr, {&plain, &money, &reading}));
    EXPECT_EQ(shown, QStringList{QStringLiteral("“-300”不是有效的整数，这里只能输入数字，请重新输入！")});
    reading.setText(QStringLiteral("300"));
    EXPECT_TRUE(CheckFilteredInput(nullptr, {&plain, &money, &reading}));
    Dlg::hooks() = Dlg::Hooks{};
}

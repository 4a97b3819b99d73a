// The ground every window writes through: the transaction object, strict
// binding, guarded writes and engine errors in the user's words.
#include "common/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/Transaction.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        addCar(QStringLiteral("X3"));
        {
            TTransaction inner(cn);   // joins the outer one: its commit is not the outer's
            addCar(QStringLiteral("X4"));
            inner.commit();
        }
    }   // outer never committed, as on an early return
    EXPECT_FALSE(cn.inTransaction());
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
    struct Case { const char* sql; Params params; const char* named; };
    const Case cases[] = {
        {"INSERT INTO Car (CarID, State) VALUES (:id,'A')", {{"id", "A1"}, {"stat", "B"}}, ":stat"},   // unknown
        {"INSERT INTO Car (CarID, State) VALUES (:id,:state)", {{"id", "A1"}}, ":state"},   // missing, not NULL
    };
    for (const Case& c : cases) {
        try {
            cn.execute(QString::fromUtf8(c.sql), c.params);
            ADD_FAILURE() << c.named << " was not refused";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.named))) << e.message().toStdString();
        }
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
    const std::vector<Case> cases = {
        {"read-only", [&] { cn.execute(QStringLiteral("PRAGMA query_only=1")); addCar(QStringLiteral("R")); },
         "数据库文件是只读的，不能写入，本次没有保存任何内容。", "attempt to write a readonly database"},
        // Keys ignore case.
        {"taken key", [&] { cn.execute(QStringLiteral("PRAGMA query_only=0")); addCar(QStringLiteral("K")); addCar(QStringLiteral("k")); },
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

// Return and settlement through a second copy of the program on the same file:
// a hire that another copy got to first is refused with the notice, nothing is
// written, and the list is read afresh.
#include "HireFixture.h"
#include "platform/Errors.h"

namespace {

const QString kChanged = EChangedError().message();

class GuardTest : public HireFixture {
protected:
    // The other copy of the program.
    TADOConnection other;
    void SetUp() override
    {
        HireFixture::SetUp();
        other.open(dbFile());
    }
    // What the hire and its vehicle hold, to compare before and after.
    QStringList hireRow(qint64 id)
    {
        QStringList r;
        for (const char* c : {"EndTime", "Odograph2", "Charge", "ChargeTime", "Memo"}) r << leaso(id, c).toString();
        return r;
    }
};

} // namespace

TEST_F(GuardTest, ReturnOfAHireReturnedMeanwhileIsRefused)
{
    for (bool settle : {false, true}) {
        messages.clear();
        const qint64 id = standardHire({.car = settle ? "粤B-2" : "粤A-1"});
        openReturn([&] {
            auto* ui = frmReturn->ui;
            ASSERT_TRUE(frmReturn->ADOQry->locate("LeasoID", id));
            other.execute("Update Leaso set EndTime=:e, Odograph2=10500 where LeasoID=:id",
                          {{"e", M(2026, 5, 2, 10)}, {"id", id}});
            other.execute("Update Car set State='A', Odograph=10500 where CarID=(select CarID from Leaso where LeasoID=:id)",
                          {{"id", id}});
            const QStringList before = hireRow(id);
            clearAndType(ui->EdtOdograph, "10900");
            clearAndType(ui->EdtLeaso, "300");
            click(settle ? ui->BtnReturnCharge : ui->BtnReturn);
            EXPECT_EQ(hireRow(id), before);
            EXPECT_FALSE(frmReturn->ADOQry->locate("LeasoID", id)) << "the list was not read afresh";
        });
        ASSERT_EQ(messages.size(), 2u) << settle;   // the confirmation, then the notice
        expectMessage(1, kChanged);
        EXPECT_EQ(count("Select count(*) from Acct"), 0);
        EXPECT_EQ(car(settle ? "粤B-2" : "粤A-1", "Odograph").toLongLong(), 10500);
        EXPECT_FALSE(db().inTransaction());
    }
}

TEST_F(GuardTest, SettlementOfAHireSettledMeanwhileIsRefused)
{
    const qint64 id = returnedHire();
    openCharge([&] {
        auto* ui = frmCharge->ui;
        ASSERT_EQ(frmCharge->ADOQry->recordCount(), 1);
        other.execute("Update Leaso set ChargeTime=Now(), Charge=:c where LeasoID=:id",
                      {{"c", QVariant::fromValue(Yuan("500"))}, {"id", id}});
        other.execute("Insert Into Acct([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
                      "Values(1,:c,:id,'x',Now(),0,'租车款')", {{"c", QVariant::fromValue(Yuan("500"))}, {"id", id}});
        const QStringList before = hireRow(id);
        clearAndType(ui->EdtLeaso, "300");
        click(ui->Button1);
        EXPECT_EQ(hireRow(id), before);
        EXPECT_EQ(frmCharge->ADOQry->recordCount(), 0) << "the list was not read afresh";
    });
    ASSERT_EQ(messages.size(), 1u);
    expectMessage(0, kChanged);
    EXPECT_EQ(count("Select count(*) from Acct"), 1);
    EXPECT_EQ(money(leaso(id, "Charge")), Yuan("500"));
}

// A database that cannot be written: the box says in a sentence that nothing
// was saved, with the engine's text on the second line.
TEST_F(GuardTest, AReadOnlyDatabaseGivesTheSentenceWithTheEngineText)
{
    const qint64 id = returnedHire();
    db().execute("PRAGMA query_only=1");
    openCharge([&] {
        clearAndType(frmCharge->ui->EdtLeaso, "300");
        click(frmCharge->ui->Button1);
    });
    db().execute("PRAGMA query_only=0");
    ASSERT_EQ(messages.size(), 1u);
    expectMessage(0, "数据库文件是只读的，不能写入，本次没有保存任何内容。\nattempt to write a readonly database", Dlg::Icon::Error);
    EXPECT_TRUE(leaso(id, "ChargeTime").isNull());
    EXPECT_EQ(count("Select count(*) from Acct"), 0);
}

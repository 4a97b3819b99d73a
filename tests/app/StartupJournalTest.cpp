// The end of start-up adds what the file lacks, then takes the program's journal mode: when another
// program holding the file in WAL mode keeps that switch from being made, the box says what was
// written, never that the file was not changed.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include <sqlite3.h>

using namespace Qt::StringLiterals;
namespace {

class StartupJournal : public AppFixture {
protected:
    void SetUp() override { createForms = false; AppFixture::SetUp(); }
};

TEST_F(StartupJournal, ASwitchRefusedAfterTheAdditionsSaysTheyWereWritten)
{
    const QString head = u"无法打开数据库文件“%1”：另一个程序正在使用这个文件，请关闭那个程序后再启动。"_s.arg(dbFile());
    const struct { const char* name; QString change, said; } rows[] = {
        {"nothing to add", {}, u"这个文件没有被改动。"_s},
        {"an index to add", u"DROP INDEX Car_State"_s, u"本程序启动时对它所做的补建和整理（数据表、索引）已经写入，此外这个文件没有被改动。"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        if (!r.change.isEmpty()) exec(r.change);
        // Another program holds the file open in WAL mode.
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(dbFile().toUtf8().constData(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL; SELECT count(*) FROM Car", nullptr, nullptr, nullptr), SQLITE_OK);
        messages.clear();
        startApp();
        sqlite3_busy_timeout(frmMain->ADOCn.handle(), 50);   // the switch gives up at once
        frmMain->FormShow();
        EXPECT_TRUE(frmMain->startFailed());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(lastMessage().split(u'\n').value(0), head + r.said);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(other, "SELECT count(*) FROM sqlite_master WHERE name='Car_State'", -1, &st, nullptr);
        EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(st, 0), 1) << "the index is in the file";
        sqlite3_finalize(st);
        sqlite3_close(other);
        DestroyForms();
    }
}

} // namespace

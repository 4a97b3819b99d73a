// A restore refuses a backup the end of start-up could not bring up to what the program needs, as the
// next start would refuse it, and names the real cause when the live file cannot take the data.
#include "support/BackupDialog.h"
#include "support/PrintQString.h"
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;
namespace {

using RestoreReads = BackupDialog;

TEST_F(RestoreReads, ABackupTheEndOfStartUpCouldNotCompleteIsRefused)
{
    backup();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    const QByteArray made = FileBytes(bak());
    const QString unfit = u"从备份文件恢复数据失败：不是合法的备份文件！\n它的结构与本程序的数据库不符。\n"_s;
    const struct { const char* name; QString change, reason; } rows[] = {
        {"account book name taken by a view",
         u"DROP TABLE ACCT;CREATE VIEW ACCT AS SELECT 1 AS LeasoID, 1 AS AcctTime"_s, u"数据表名 ACCT 已被其他对象占用"_s},
        {"account book name taken by an index", u"DROP TABLE ACCT;CREATE INDEX acct ON Car(State)"_s,
         u"数据表名 ACCT 已被其他对象占用"_s},
        {"photo mark table name taken by a view", u"DROP TABLE PhotoChange;CREATE VIEW PhotoChange AS SELECT 1 AS ID"_s,
         u"数据表名 PhotoChange 已被其他对象占用"_s},
        {"photo mark table name taken by an index", u"DROP TABLE PhotoChange;CREATE INDEX photochange ON Car(State)"_s,
         u"数据表名 PhotoChange 已被其他对象占用"_s}};
    QList<QByteArray> refused;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(WriteFile(bak(), made));
        runOn(bak(), r.change);
        const QByteArray live = FileBytes(dbFile());
        restore();
        EXPECT_EQ(messageTexts(), QStringList{unfit + r.reason});
        EXPECT_FALSE(frmBackup->Restored);
        EXPECT_TRUE(FileBytes(dbFile()) == live) << "the live file changed";
        refused << FileBytes(bak());
    }
    // The program refuses each of them as its live file.
    DestroyForms();
    for (const QByteArray& file : refused) {
        ASSERT_TRUE(WriteFile(dbFile(), file));
        ASSERT_TRUE(CreateForms());
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        deadline.start(20000);
        EXPECT_EQ(RunMainLoop(), 1);
        DestroyForms();
    }
}

// Another file was renamed over the live one while the program runs: the restore cannot write into
// the file the program holds, and the box says so instead of blaming the backup.
TEST_F(RestoreReads, ALiveFileReplacedWhileRunningIsNamedAsTheCause)
{
    backup();
    const QString other = dir() + u"other.mdb"_s;
    ASSERT_TRUE(QFile::copy(dbFile(), other));
    ASSERT_EQ(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(dbFile()).constData()), 0);
    restore();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败，现有数据没有改动。\n数据库文件已被移动、删除或被另一个文件替换"_s))
        << lastMessage().toStdString();
}
} // namespace

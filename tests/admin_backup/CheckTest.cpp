// A backup is kept only when it would restore, and a restore reads the backup as start-up would
// before it replaces anything: the same check on both sides, its finding in the box.
#include "support/BackupDialog.h"
#include "support/PrintQString.h"
#include "platform/Backup.h"

using namespace Qt::StringLiterals;
namespace {

class BackupCheck : public BackupDialog {
protected:
    void SetUp() override
    {
        createForms = false;   // a test may spoil the live file before the program opens it
        BackupDialog::SetUp();
        for (int i = 0; i < 40; ++i)   // pages of a table start-up reads only in part
            exec(u"Insert into Car(CarID,State,Description) values('京A'||:n,'A',:d)"_s,
                 {{u"n"_s, QString::number(i)}, {u"d"_s, QString(200, u'x')}});
        exec(u"Insert into Customer(CustID,CustName) values('110101199001011234','张三')"_s);
    }
    // The root page of the file's table or index scribbled over.
    static void scribble(const QString& file, const QString& name)
    {
        const qint64 page = TDatabaseFile(file).scalar(u"select rootpage from sqlite_master where name=:n"_s, {{u"n"_s, name}}).toLongLong();
        ASSERT_TRUE(ScribblePage(file, page)) << name.toStdString();
    }
};

// A page start-up never reads is damaged: the program starts, but the copy fails the restore's check, so
// the box names the live file and the finding, no copy nor photo is left and the live file is as it was.
TEST_F(BackupCheck, ACopyThatWouldNotRestoreIsRemovedAndTheBoxSaysWhy)
{
    QDir().mkpath(dir() + u"DBPic"_s);
    write(dir() + u"DBPic/京A1.bmp"_s);
    scribble(dbFile(), u"Car"_s);
    startApp();
    ASSERT_TRUE(frmMain->started()) << lastMessage().toStdString();
    const QByteArray live = FileBytes(dbFile());
    backup();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().startsWith(u"备份失败：数据库的副本无法用来恢复数据，已被删除。现有数据文件“%1”有问题：文件已损坏。\n"_s
                                             .arg(dbFile()))) << lastMessage().toStdString();
    EXPECT_EQ(FilesUnder(root), QStringList{});
    EXPECT_TRUE(FileBytes(dbFile()) == live) << "the live file changed";
}

// A backup another tool changed so that start-up could not read it, or could not make what it makes, is
// refused with the reason before anything is replaced: the live file byte for byte, no safety copy. The
// unchanged backup restores, though another tool left it in WAL mode, as does an older one without the
// table of photo marks or one with marks of changes long over: the live file stays one file with its
// rollback journal and holds no mark, as start-up leaves it.
TEST_F(BackupCheck, ARestoreRefusesABackupStartUpCouldNotReadAndSaysWhy)
{
    startApp();
    backup();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    const QByteArray made = FileBytes(bak());
    const QString unfit = u"它的结构与本程序的数据库不符。\n"_s;
    const struct { const char* name; QString change, reason; } rows[] = {
        {"customer name renamed", u"ALTER TABLE Customer RENAME COLUMN CustName TO Name"_s, unfit + u"no such column: CustName"_s},
        {"vehicle key renamed", u"ALTER TABLE Car RENAME COLUMN CarID TO Plate"_s, unfit + u"no such column: CARID"_s},
        {"fee item table dropped", u"DROP TABLE CarCost"_s, u"它不是本程序的数据库。\n缺少数据表 CarCost"_s},
        {"scheme unit renamed", u"ALTER TABLE PriceList RENAME COLUMN LeasoType TO Kind"_s, unfit + u"找不到字段 LeasoType"_s},
        {"settings key renamed", u"ALTER TABLE Config RENAME COLUMN Item TO K"_s, unfit + u"no such column: Item"_s},
        {"indexed column renamed, its index gone",
         u"DROP INDEX Leaso_ChargeTime;ALTER TABLE Leaso RENAME COLUMN ChargeTime TO Paid"_s, unfit + u"no such column: ChargeTime"_s},
        {"index name taken", u"DROP INDEX Car_State;CREATE VIEW Car_State AS SELECT 1"_s, unfit + u"索引名 Car_State 已被其他对象占用"_s},
        {"fee item table damaged", u"*CarCost"_s, u"文件已损坏。\n"_s},
        {"photo mark table remade", u"DROP TABLE PhotoChange;CREATE TABLE PhotoChange(Mark)"_s, unfit + u"no such column: ID"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(WriteFile(bak(), made));
        if (r.change.startsWith(u'*')) scribble(bak(), r.change.mid(1));
        else runOn(bak(), r.change);
        const QByteArray live = FileBytes(dbFile());
        restore();
        EXPECT_EQ(messages.size(), 1u) << messageTexts().join(u"|"_s).toStdString();
        EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败：不是合法的备份文件！\n"_s + r.reason)) << lastMessage().toStdString();
        EXPECT_FALSE(frmBackup->Restored);
        EXPECT_TRUE(FileBytes(dbFile()) == live) << "the live file changed";
        EXPECT_FALSE(QFileInfo::exists(safety()));
    }
    for (const QString& change : {u"PRAGMA journal_mode=WAL"_s, u"DROP TABLE PhotoChange"_s,
                                  u"INSERT INTO PhotoChange(ID) VALUES('0123456789abcdef0123456789abcdef')"_s,
                                  // Triggers have names of their own: one may bear an index's or a table's name.
                                  u"DROP INDEX Car_State;DROP TABLE ACCT;CREATE TRIGGER Car_State AFTER INSERT ON Car BEGIN SELECT 1; END;"
                                  "CREATE TRIGGER ACCT AFTER INSERT ON Car BEGIN SELECT 1; END"_s}) {
        SCOPED_TRACE(change.toStdString());
        ASSERT_TRUE(WriteFile(bak(), made));
        runOn(bak(), change);
        if (change.startsWith(u"PRAGMA"_s)) ASSERT_EQ(FileBytes(bak()).mid(18, 2), QByteArray("\x02\x02", 2));
        restore();
        ASSERT_EQ(lastMessage(), Restored);
        EXPECT_EQ(FileBytes(dbFile()).mid(18, 2), QByteArray("\x01\x01", 2));
        EXPECT_EQ(scalar(u"select count(*) from PhotoChange"_s).toLongLong(), 0);
    }
}

// The backup changes after it passed, before the data are replaced: the box says where the data that
// were to be replaced now also stand.
TEST_F(BackupCheck, ARestoreThatFailsAfterTheSafetyCopyNamesIt)
{
    startApp();
    backup();
    const qint64 live = FileBytes(dbFile()).size();
    auto& hook = Dlg::hooks().message;
    hook = [this, record = hook](const Dlg::MessageCall& c) {
        if (c.text.startsWith(u"数据备份日期"_s)) EXPECT_TRUE(WriteFile(bak(), "no longer a database"));
        return record(c);
    };
    restore();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败，现有数据没有改动。\n"_s)) << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().endsWith(u"\n恢复前的数据保存在“%1”。"_s.arg(safety()))) << lastMessage().toStdString();
    EXPECT_EQ(FileBytes(safety()).size(), live);
    EXPECT_FALSE(frmBackup->Restored);
}

} // namespace

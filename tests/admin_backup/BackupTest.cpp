// Backing up from the open connection into a dated folder, with the clock fixed.
#include "BackupFixture.h"
#include "support/LockedPath.h"
#include "platform/Connection.h"

namespace {

struct DayCase { const char* name; QDate date; const char* text; };
void PrintTo(const DayCase& c, std::ostream* os) { *os << c.name; }

class BackupNames : public BackupFixture, public ::testing::WithParamInterface<DayCase> {};

TEST_P(BackupNames, DatedFolderAndFileWithoutLeadingZeros)
{
    const DayCase c = GetParam();
    fixClock(QDateTime(c.date, QTime(10, 5, 7)));
    write(CarPicDir + u"京A12345.bmp"_s, "car");
    QDir().mkpath(CustPicDir + u"old"_s);
    write(CustPicDir + u"old/110101199001011234.bmp"_s, "cust");
    const QString root = mkdir(u"target"_s), folder = root + u"Tesmarul"_s + QLatin1String(c.text) + u"/"_s;

    folderAnswers << dir() + u"target"_s;   // without the trailing separator
    whenShown(frmBackup, [&] {
        click(B()->BtnSelectPath);
        EXPECT_EQ(B()->EdtBackupPath->text(), root);
        EXPECT_EQ(B()->lblBackupDir->text(), u"提示： 数据备份到"_s + folder);
        click(B()->BtnBackup);
        EXPECT_TRUE(frmBackup->isVisible()) << "the backup button leaves the dialog open";
        click(B()->BtnCancel);
    });
    frmMain->N8Click();

    EXPECT_EQ(EntriesIn(folder), (QStringList{QLatin1String(c.text) + u".bak"_s, u"DBCustPic"_s, u"DBPic"_s}));
    EXPECT_EQ(FileBytes(folder + u"DBPic/京A12345.bmp"_s), "car");
    EXPECT_EQ(FileBytes(folder + u"DBCustPic/old/110101199001011234.bmp"_s), "cust");
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
}

INSTANTIATE_TEST_SUITE_P(Days, BackupNames, ::testing::Values(
    DayCase{"NinthJanuary", QDate(2025, 1, 9), "2025-1-9"}, DayCase{"FifthMay", QDate(2024, 5, 5), "2024-5-5"},
    DayCase{"FirstOctober", QDate(2025, 10, 1), "2025-10-1"}, DayCase{"LastDecember", QDate(2025, 12, 31), "2025-12-31"}),
    [](const auto& info) { return std::string(info.param.name); });

using BackupTest = BackupFixture;

// The stamp is in the copy only; a second backup of the day replaces the copy
// and the photos that are still there, and keeps the photos deleted since.
TEST_F(BackupTest, StampIsInTheCopyOnlyAndSecondBackupOfTheDayReplacesIt)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)));
    const QString root = mkdir(u"target"_s), folder = folderOf(root, QDate(2025, 1, 9)), bak = folder + u"2025-1-9.bak"_s;
    const QString stamp = u"Select [Value] from Config where Item='BACKUP'"_s;
    write(CarPicDir + u"A.bmp"_s, "first A");
    write(CarPicDir + u"B.bmp"_s, "B");
    backupTo(root);
    EXPECT_EQ(inFile(bak, stamp).toString(), u"2025/1/9 10:05:07"_s);
    QFile::remove(CarPicDir + u"B.bmp"_s);
    write(CarPicDir + u"A.bmp"_s, "second A");
    addCar(u"京B1"_s);
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(17, 30, 5)));
    backupTo(root);

    EXPECT_EQ(FileBytes(folder + u"DBPic/A.bmp"_s), "second A");
    EXPECT_EQ(FileBytes(folder + u"DBPic/B.bmp"_s), "B");
    EXPECT_EQ(inFile(bak, u"Select count(*) from Car"_s).toInt(), 1);
    EXPECT_EQ(inFile(bak, stamp).toString(), u"2025/1/9 17:30:05"_s);
    EXPECT_TRUE(scalar(stamp).isNull());
    EXPECT_EQ(EntriesIn(folder), (QStringList{u"2025-1-9.bak"_s, u"DBCustPic"_s, u"DBPic"_s}));
    EXPECT_EQ(messageTexts(), (QStringList{Done, Done}));
}

// A hire being written by another writer, and a list being read by the
// program, while the backup runs: the copy holds the committed state only,
// and restoring it gives back exactly the row counts of that moment.
TEST_F(BackupTest, BackupDuringAWriteRestoresToIdenticalCounts)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    addCar(u"京A1"_s);
    exec(u"Insert into Customer(CustID,CustName) values('C1','张三')"_s);
    exec(u"Insert into Leaso(CarID,CustID,BeginTime) values('京A1','C1',45000)"_s);
    const QStringList tables{u"Car"_s, u"Customer"_s, u"Leaso"_s, u"Acct"_s};
    QList<qint64> atBackup;
    for (const QString& t : tables) atBackup << count(t);

    TADOConnection writer;
    writer.open(dbFile());
    writer.beginTrans();
    writer.execute(u"Insert into Leaso(CarID,CustID,BeginTime) values('京A1','C1',45001)"_s);
    {
        TStatement reading(db(), u"Select CarID from Car"_s);
        ASSERT_TRUE(reading.next());
        backupTo(mkdir(u"target"_s));
    }
    writer.commitTrans();
    writer.close();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(count(u"Leaso"_s), 2);

    ASSERT_TRUE(restoreFrom(folderOf(dir() + u"target/"_s, QDate(2025, 1, 9))));
    EXPECT_EQ(lastMessage(), RestoredText);
    for (int i = 0; i < tables.size(); ++i) EXPECT_EQ(count(tables[i]), atBackup[i]) << tables[i].toStdString();
}

TEST_F(BackupTest, ReadOnlyTargetIsRefusedWithoutSuccess)
{
    const QString root = mkdir(u"locked"_s);
    LockedPath lock(root);
    if (!lock.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
    backupTo(root);
    expectOneFailure(u"备份失败："_s);
    EXPECT_TRUE(EntriesIn(root).isEmpty());
}

// The database copy cannot take its name (a folder stands there), or a photo
// cannot be copied (a folder where it goes): the failure is reported, what
// stood there is untouched and no half-made copy is left.
TEST_F(BackupTest, CopyOrPhotoThatCannotBeWrittenIsReported)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    const QString root = mkdir(u"target"_s), folder = folderOf(root, QDate(2025, 1, 9));
    QDir().mkpath(folder + u"2025-1-9.bak"_s);
    backupTo(root);
    expectOneFailure(u"备份失败："_s);
    EXPECT_EQ(EntriesIn(folder), QStringList{u"2025-1-9.bak"_s});
    EXPECT_TRUE(QFileInfo(folder + u"2025-1-9.bak"_s).isDir());

    messages.clear();
    QDir(folder).removeRecursively();
    write(CarPicDir + u"A.bmp"_s, "A");
    QDir().mkpath(folder + u"DBPic/A.bmp"_s);
    backupTo(root);
    expectOneFailure(u"备份没有完成：数据库已备份，但有 1 个图片文件没有复制"_s);
}

// A target inside a photo folder: the backup folder is not copied into itself.
TEST_F(BackupTest, TargetInsidePhotoFolderDoesNotCopyItself)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    write(CarPicDir + u"A.bmp"_s, "A");
    backupTo(CarPicDir);
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(EntriesIn(folderOf(CarPicDir, QDate(2025, 1, 9)) + u"DBPic"_s), QStringList{u"A.bmp"_s});
}

TEST_F(BackupTest, PagesCarryTheirCaptions)
{
    const QString backup = u"数据备份"_s, restore = u"从备份文件恢复数据"_s;
    whenShown(frmBackup, [&] {
        EXPECT_EQ(frmBackup->windowTitle() + QString::number(B()->PageControl1->currentIndex()), backup + u"0"_s);
        B()->PageControl1->setCurrentIndex(1);
        EXPECT_EQ(frmBackup->windowTitle(), restore);
        B()->BtnCancel2->click();
    });
    frmMain->N8Click();
    whenShown(frmBackup, [&] {
        EXPECT_EQ(frmBackup->windowTitle() + QString::number(B()->PageControl1->currentIndex()), restore + u"1"_s);
        frmBackup->reject();
    });
    frmMain->N9Click();
    EXPECT_FALSE(frmBackup->Restored);
}

} // namespace

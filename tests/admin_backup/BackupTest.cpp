// Backing up from the open connection into a dated folder.
#include "BackupFixture.h"
#include "platform/Connection.h"

namespace {
using BackupTest = BackupFixture;

// The folder and file are named by the day without leading zeros; the stamp is
// in the copy only; a second backup of the day replaces the copy and the photos
// still there, and keeps the photos deleted since.
TEST_F(BackupTest, DatedCopyWithPhotosAndSecondBackupOfTheDayReplacesIt)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)));
    const QString root = mkdir(u"target"_s), folder = root + u"Tesmarul2025-1-9/"_s, bak = folder + u"2025-1-9.bak"_s;
    write(CarPicDir + u"A.bmp"_s, "first A");
    write(CarPicDir + u"B.bmp"_s, "B");
    QDir().mkpath(CustPicDir + u"old"_s);
    write(CustPicDir + u"old/110101199001011234.bmp"_s, "cust");
    backupTo(dir() + u"target"_s);   // without the trailing separator
    EXPECT_EQ(EntriesIn(folder), (QStringList{u"2025-1-9.bak"_s, u"DBCustPic"_s, u"DBPic"_s}));
    EXPECT_EQ(FileBytes(folder + u"DBCustPic/old/110101199001011234.bmp"_s), "cust");
    EXPECT_EQ(inFile(bak, Stamp).toString(), u"2025/1/9 10:05:07"_s);

    QFile::remove(CarPicDir + u"B.bmp"_s);
    write(CarPicDir + u"A.bmp"_s, "second A");
    addCar(u"京B1"_s);
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(17, 30, 5)));
    backupTo(root);
    EXPECT_EQ(FileBytes(folder + u"DBPic/A.bmp"_s), "second A");
    EXPECT_EQ(FileBytes(folder + u"DBPic/B.bmp"_s), "B");
    EXPECT_EQ(inFile(bak, u"Select count(*) from Car"_s).toInt(), 1);
    EXPECT_EQ(inFile(bak, Stamp).toString(), u"2025/1/9 17:30:05"_s);
    EXPECT_TRUE(scalar(Stamp).isNull());
    EXPECT_EQ(messageTexts(), (QStringList{Done, Done}));
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
}

// Another writer's open transaction and a read in progress during the backup:
// the copy holds the committed state, and restoring it gives back those counts.
TEST_F(BackupTest, BackupDuringAWriteRestoresToIdenticalCounts)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    addCar(u"京A1"_s);
    TADOConnection writer;
    writer.open(dbFile());
    writer.beginTrans();
    writer.execute(u"Insert into Car(CarID,State) values('京A2','A')"_s);
    {
        TStatement reading(db(), u"Select CarID from Car"_s);
        ASSERT_TRUE(reading.next());
        backupTo(mkdir(u"target"_s));
    }
    writer.commitTrans();
    writer.close();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(count(u"Car"_s), 2);

    ASSERT_TRUE(restoreFrom(folderOf(dir() + u"target/"_s, QDate(2025, 1, 9))));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(count(u"Car"_s), 1);
}

// A folder standing where the copy or a photo goes: the failure is reported,
// never the success notice, and no half-made copy is left.
TEST_F(BackupTest, CopyOrPhotoThatCannotBeWrittenIsReported)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    const QString root = mkdir(u"target"_s), folder = folderOf(root, QDate(2025, 1, 9));
    QDir().mkpath(folder + u"2025-1-9.bak"_s);
    backupTo(root);
    EXPECT_EQ(EntriesIn(folder), QStringList{u"2025-1-9.bak"_s});
    QDir(folder).removeRecursively();
    write(CarPicDir + u"A.bmp"_s, "A");
    QDir().mkpath(folder + u"DBPic/A.bmp"_s);
    backupTo(root);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].text.startsWith(u"备份失败："_s)) << messages[0].text.toStdString();
    EXPECT_TRUE(lastMessage().startsWith(u"备份没有完成：数据库已备份，但有 1 个图片文件没有复制"_s)) << lastMessage().toStdString();
}

TEST_F(BackupTest, TargetInsidePhotoFolderDoesNotCopyItself)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    write(CarPicDir + u"A.bmp"_s, "A");
    backupTo(CarPicDir);
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(EntriesIn(folderOf(CarPicDir, QDate(2025, 1, 9)) + u"DBPic"_s), QStringList{u"A.bmp"_s});
}

} // namespace

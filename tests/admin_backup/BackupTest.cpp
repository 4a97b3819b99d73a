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
    write(CarPicDir + u"A.bmp"_s, "first A");
    write(CarPicDir + u"B.bmp"_s, "B");
    QDir().mkpath(CustPicDir + u"old"_s);
    write(CustPicDir + u"old/110101199001011234.bmp"_s, "cust");
    backupTo(dir() + u"target"_s);   // without the trailing separator
    EXPECT_EQ(EntriesIn(folder), (QStringList{u"2025-1-9.bak"_s, u"DBCustPic"_s, u"DBPic"_s}));
    EXPECT_EQ(FileBytes(folder + u"DBCustPic/old/110101199001011234.bmp"_s), "cust");
    EXPECT_EQ(inFile(bak(), Stamp).toString(), u"2025/1/9 10:05:07"_s);

    QFile::remove(CarPicDir + u"B.bmp"_s);
    write(CarPicDir + u"A.bmp"_s, "second A");
    addCar(u"京B1"_s);
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(17, 30, 5)));
    backupTo(root);
    EXPECT_EQ(FileBytes(folder + u"DBPic/A.bmp"_s), "second A");
    EXPECT_EQ(FileBytes(folder + u"DBPic/B.bmp"_s), "B");
    EXPECT_EQ(inFile(bak(), u"Select count(*) from Car"_s).toInt(), 1);
    EXPECT_EQ(inFile(bak(), Stamp).toString(), u"2025/1/9 17:30:05"_s);
    EXPECT_TRUE(scalar(Stamp).isNull());
    EXPECT_EQ(messageTexts(), (QStringList{Done, Done}));
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
}

// Another writer's open transaction and a read in progress during the backup:
// the copy holds the committed state, and restoring it gives back those counts.
TEST_F(BackupTest, BackupDuringAWriteRestoresToIdenticalCounts)
{
    addCar(u"京A1"_s);
    TADOConnection writer;
    writer.open(dbFile());
    writer.beginTrans();
    writer.execute(u"Insert into Car(CarID,State) values('京A2','A')"_s);
    {
        TStatement reading(db(), u"Select CarID from Car"_s);
        ASSERT_TRUE(reading.next());
        backupTo(root);
    }
    writer.commitTrans();
    writer.close();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(count(u"Car"_s), 2);

    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(count(u"Car"_s), 1);
}

// A folder standing where the copy goes: the failure is reported, never the
// success notice, and no half-made copy is left.
TEST_F(BackupTest, CopyThatCannotBeWrittenIsReported)
{
    QDir().mkpath(folder + u"2025-1-9.bak"_s);
    backupTo(root);
    EXPECT_EQ(EntriesIn(folder), QStringList{u"2025-1-9.bak"_s});
    EXPECT_TRUE(lastMessage().startsWith(u"备份失败："_s)) << lastMessage().toStdString();
}

// Photos that cannot be written where something else stands: every file is
// tried and counted, also inside a subfolder that cannot be made, and the
// others land beside what stood in the way.
TEST_F(BackupTest, PhotoFilesThatCannotBeWrittenAreCountedOneByOne)
{
    const QString pics = folder + u"DBPic/"_s;
    QDir().mkpath(CarPicDir + u"sub"_s);
    for (const char* f : {"a.bmp", "b.bmp", "c.bmp", "sub/x.bmp", "sub/y.bmp"}) write(CarPicDir + QString::fromUtf8(f), f);
    const struct { const char* name; QStringList files, folders; int count; QStringList after; } cases[] = {
        {"the photo folder's place holds a file", {u"DBPic"_s}, {}, 5, {}},
        {"a photo's place holds a folder, the subfolder's a file", {u"DBPic/sub"_s}, {u"DBPic/a.bmp"_s}, 3,
         {u"b.bmp"_s, u"c.bmp"_s, u"sub"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        QDir().mkpath(pics);
        for (const QString& f : c.folders) QDir().mkpath(folder + f);
        for (const QString& f : c.files) { QDir(folder + f).removeRecursively(); write(folder + f, "taken"); }
        messages.clear();
        backupTo(root);
        EXPECT_EQ(messageTexts(), QStringList{u"备份没有完成：数据库已备份，但有 %1 个图片文件没有复制，例如“%2a.bmp”。"_s
                                                   .arg(c.count).arg(pics)});
        EXPECT_EQ(filesUnder(pics), c.after);
    }
}

// A linked folder is copied once as a folder; a link back up the tree, or the
// second of two folders linked to each other, is followed no further and named.
TEST_F(BackupTest, LinkedFoldersAreCopiedOnceAndLoopsAreNamed)
{
    const QString outside = mkdir(u"outside"_s), pics = CarPicDir;
    for (const char* f : {"p", "q", "sub"}) QDir().mkpath(pics + QString::fromUtf8(f));
    for (const QString& f : {outside + u"o.bmp"_s, pics + u"p/p.bmp"_s, pics + u"q/q.bmp"_s, pics + u"sub/x.bmp"_s}) write(f, "photo");
    link(outside, pics + u"linked"_s);
    link(pics + u"q"_s, pics + u"p/toQ"_s);
    link(pics + u"p"_s, pics + u"q/toP"_s);
    link(pics, pics + u"sub/up"_s);
    backupTo(root);
    EXPECT_EQ(messageTexts(), QStringList{u"备份完成！\n以下目录链接指向上层目录或备份目录，没有跟随复制："
                                          "“%1p/toQ/toP”、“%1q/toP/toQ”、“%1sub/up”。"_s.arg(pics)});
    EXPECT_EQ(filesUnder(folder + u"DBPic"_s),
              (QStringList{u"linked/o.bmp"_s, u"p/p.bmp"_s, u"p/toQ/q.bmp"_s, u"q/q.bmp"_s, u"q/toP/p.bmp"_s, u"sub/x.bmp"_s}));
}

TEST_F(BackupTest, TargetInsidePhotoFolderDoesNotCopyItself)
{
    write(CarPicDir + u"A.bmp"_s, "A");
    backupTo(CarPicDir);
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(EntriesIn(folderOf(CarPicDir, QDate(2025, 1, 9)) + u"DBPic"_s), QStringList{u"A.bmp"_s});
}

} // namespace

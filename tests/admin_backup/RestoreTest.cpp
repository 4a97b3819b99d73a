// Restoring from a backup folder: the checks before anything is touched, the
// safety copy, the replaced data and the photos copied back.
#include "BackupFixture.h"
#include "common/AppContext.h"
#include "platform/Connection.h"

namespace {

class RestoreTest : public BackupFixture {
protected:
    QString safety() const { return dir() + u"R.~tmp"_s; }
    QString cars() { return scalar(u"Select group_concat(CarID) from Car"_s).toString(); }
    // A backup holding one vehicle, which the live data then lose.
    void makeBackup()
    {
        addCar(u"京A12345"_s);
        backupTo(root);
        ASSERT_EQ(messageTexts(), QStringList{Done});
        messages.clear();
        exec(u"Delete from Car"_s);
    }
    static void runOn(const QString& file, const char* sql) { TADOConnection cn; cn.open(file); cn.execute(QString::fromUtf8(sql)); }
};

// The confirmation names the backup's moment; the replaced data go to the
// safety copy; live photos are kept and only missing ones come back. The
// backup is an older one: capital extension, no account book table.
TEST_F(RestoreTest, BringsBackADeletedVehicleAndKeepsWhatWasReplaced)
{
    write(CarPicDir + u"both.bmp"_s, "backup version");
    write(CarPicDir + u"backupOnly.bmp"_s, "from backup");
    makeBackup();
    runOn(bak(), "Drop table Acct");
    ASSERT_TRUE(QFile::rename(bak(), folder + u"2025-1-9.BAK"_s));
    write(CarPicDir + u"both.bmp"_s, "live version");
    QFile::remove(CarPicDir + u"backupOnly.bmp"_s);
    addCar(u"京Z9"_s);
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });

    ASSERT_TRUE(restoreFrom(folder));

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, u"数据备份日期：[ 2025/1/9 10:05:07 ] 要从这个备份恢复数据吗？"_s);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
    EXPECT_EQ(messages[1].text, RestoredText);
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(cars(), u"京A12345"_s);
    EXPECT_EQ(scalar(Stamp).toString(), u"2025/1/9 10:05:07"_s);
    EXPECT_EQ(inFile(safety(), u"Select group_concat(CarID) from Car"_s).toString(), u"京Z9"_s);
    EXPECT_EQ(FileBytes(CarPicDir + u"both.bmp"_s), "live version");
    EXPECT_EQ(FileBytes(CarPicDir + u"backupOnly.bmp"_s), "from backup");
    EXPECT_EQ(scalar(u"Select count(*) from sqlite_master where type='table' and name='ACCT'"_s).toInt(), 1);
    addCar(u"京B2"_s);   // the program goes on writing to the restored data
    EXPECT_EQ(count(u"Car"_s), 2);
}

// The photos copied back go file by file: where a file of the live folder
// stands in the way of a subfolder, each of its photos is counted; a link in
// the backup that leads back up is named.
TEST_F(RestoreTest, PhotosThatCannotComeBackAreCountedAndLoopsNamed)
{
    QDir().mkpath(CarPicDir + u"sub"_s);
    write(CarPicDir + u"sub/x.bmp"_s, "x");
    write(CarPicDir + u"sub/y.bmp"_s, "y");
    makeBackup();
    link(folder + u"DBPic"_s, folder + u"DBPic/sub/up"_s);
    QDir(CarPicDir + u"sub"_s).removeRecursively();
    write(CarPicDir + u"sub"_s, "live file");
    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), u"数据已从备份文件恢复，但恢复没有全部完成：\n有 2 个图片文件没有复制，例如“%1sub/x.bmp”。"
                             "\n以下目录链接指向上层目录或备份目录，没有跟随复制：“%2DBPic/sub/up”。"_s.arg(CarPicDir, folder));
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_EQ(cars(), u"京A12345"_s);
}

// Files that are no backup of this program are refused before anything is touched.
TEST_F(RestoreTest, InvalidBackupIsRefusedWithTheLiveFileUntouched)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"text file", [&] { QFile::remove(bak()); write(bak(), "2025-1-9 not a database\r\n"); }},
        {"without stamp", [&] { runOn(bak(), "Delete from Config where Item='BACKUP'"); }},
        {"damaged", [&] {   // every page but the first scribbled over
             QFile file(bak());
             ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.size() > 8192);
             file.seek(4096);
             file.write(QByteArray(int(file.size() - 4096), '\x5a'));
         }},
    };
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        QDir(root).removeRecursively();
        makeBackup();
        exec(u"Insert into Car(CarID,State) values('live','A')"_s);
        spoil();
        const QByteArray live = FileBytes(dbFile());
        ASSERT_TRUE(restoreFrom(folder));
        EXPECT_EQ(messageTexts(), QStringList{u"从备份文件恢复数据失败：不是合法的备份文件！"_s});
        EXPECT_FALSE(frmBackup->Restored);
        EXPECT_EQ(FileBytes(dbFile()), live);
        EXPECT_FALSE(QFileInfo::exists(safety()));
        EXPECT_EQ(cars(), u"live"_s);
        messages.clear();
    }
}

// Answering no, or no room for the safety copy: the live data are not touched.
TEST_F(RestoreTest, NoOrSafetyCopyThatCannotBeWrittenLeavesTheLiveData)
{
    makeBackup();
    const QByteArray live = FileBytes(dbFile());
    ASSERT_TRUE(restoreFrom(folder, {Dlg::IdNo}));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    QDir().mkpath(safety());   // a folder where the copy goes
    ASSERT_TRUE(restoreFrom(folder));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”"_s)) << lastMessage().toStdString();
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(FileBytes(dbFile()), live);
}

} // namespace

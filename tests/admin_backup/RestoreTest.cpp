// Restoring from a backup folder: the checks before anything is touched, the
// safety copy, the replaced data and the photos copied back.
#include "BackupFixture.h"
#include "support/LockedPath.h"
#include "app/AppContext.h"
#include "platform/Connection.h"

namespace {

class RestoreTest : public BackupFixture {
protected:
    QString root, folder;   // the target and the day's backup folder in it

    void SetUp() override
    {
        BackupFixture::SetUp();
        fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)));
        root = mkdir(u"target"_s);
        folder = folderOf(root, QDate(2025, 1, 9));
    }
    QString bak() const { return folder + u"2025-1-9.bak"_s; }
    QString safety() const { return dir() + u"R.~tmp"_s; }
    // A backup holding one vehicle, which the live data then lose.
    void makeBackup(bool withCar = true)
    {
        if (withCar) addCar(u"京A12345"_s);
        backupTo(root);
        ASSERT_EQ(messageTexts(), QStringList{Done});
        messages.clear();
        exec(u"Delete from Car"_s);
    }
};

TEST_F(RestoreTest, BringsBackADeletedVehicleAndKeepsTheReplacedData)
{
    makeBackup();
    addCar(u"京Z9"_s);
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });

    ASSERT_TRUE(restoreFrom(folder));

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, u"数据备份日期：[ 2025/1/9 10:05:07 ] 要从这个备份恢复数据吗？"_s);
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
    EXPECT_EQ(messages[0].buttons, Dlg::Buttons::YesNo);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
    EXPECT_EQ(messages[1].text, RestoredText);
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_FALSE(frmBackup->isVisible());
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(scalar(u"Select group_concat(CarID) from Car"_s).toString(), u"京A12345"_s);
    // The restored data carry the backup's stamp; the safety copy holds what was replaced.
    const QString stamp = u"Select [Value] from Config where Item='BACKUP'"_s;
    EXPECT_EQ(scalar(stamp).toString(), u"2025/1/9 10:05:07"_s);
    EXPECT_EQ(inFile(safety(), u"Select group_concat(CarID) from Car"_s).toString(), u"京Z9"_s);
    EXPECT_TRUE(inFile(safety(), stamp).isNull());
    // The program goes on writing to the restored data.
    addCar(u"京B2"_s);
    EXPECT_EQ(count(u"Car"_s), 2);
}

TEST_F(RestoreTest, AnsweringNoTouchesNothing)
{
    makeBackup();
    const QByteArray live = FileBytes(dbFile());
    ASSERT_TRUE(restoreFrom(folder, {Dlg::IdNo}));
    ASSERT_EQ(messages.size(), 1u) << "nothing after the question";
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(FileBytes(dbFile()), live);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    EXPECT_EQ(count(u"Car"_s), 0);
}

// A change made to the day's backup folder before restoring from it.
struct Change { const char* name; std::function<void(const QString& folder, const QString& bak)> make; };
void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

void runOn(const QString& file, const char* sql)
{
    TADOConnection cn;
    cn.open(file);
    cn.execute(QString::fromUtf8(sql));
}
void replaceWith(const QString& file, const QByteArray& content) { QFile::remove(file); ASSERT_TRUE(WriteFile(file, content)); }

// Files that must be refused before anything is touched.
class RefusedBackup : public RestoreTest, public ::testing::WithParamInterface<Change> {};

TEST_P(RefusedBackup, IsRefusedWithTheLiveFileUntouched)
{
    makeBackup();
    exec(u"Insert into Car(CarID,State) values('live','A')"_s);
    GetParam().make(folder, bak());
    const QByteArray live = FileBytes(dbFile());

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_EQ(messageTexts(), QStringList{NotValid});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(FileBytes(dbFile()), live);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    EXPECT_EQ(scalar(u"Select group_concat(CarID) from Car"_s).toString(), u"live"_s);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedBackup, ::testing::Values(
    Change{"TextFile", [](const QString&, const QString& f) { replaceWith(f, "2025-1-9 not a database\r\n"); }},
    Change{"EmptyFile", [](const QString&, const QString& f) { replaceWith(f, QByteArray()); }},
    Change{"WithoutStamp", [](const QString&, const QString& f) { runOn(f, "Delete from Config where Item='BACKUP'"); }},
    Change{"NullStamp", [](const QString&, const QString& f) { runOn(f, "Update Config set [Value]=null where Item='BACKUP'"); }},
    Change{"AnotherProgramsDatabase", [](const QString&, const QString& f) { runOn(f, "Drop table Leaso"); }},
    Change{"Damaged", [](const QString&, const QString& f) {
        // Scribble over every page but the first, keeping the file's size.
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.size() > 8192);
        const qint64 size = file.size();
        file.seek(4096);
        file.write(QByteArray(int(size - 4096), '\x5a'));
    }}),
    [](const auto& info) { return std::string(info.param.name); });

// Backups that differ from a fresh one but are sound: each restores the vehicle.
class SoundBackup : public RestoreTest, public ::testing::WithParamInterface<Change> {};

TEST_P(SoundBackup, Restores)
{
    makeBackup();
    GetParam().make(folder, bak());
    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_EQ(count(u"Car"_s), 1);
    // The start-up's schema steps run on the restored data.
    EXPECT_EQ(scalar(u"Select count(*) from sqlite_master where type='table' and name='ACCT'"_s).toInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(Folders, SoundBackup, ::testing::Values(
    Change{"ExtensionInCapitals", [](const QString& d, const QString& f) { ASSERT_TRUE(QFile::rename(f, d + u"2025-1-9.BAK"_s)); }},
    Change{"WithoutPhotoFolders", [](const QString& d, const QString&) {
        ASSERT_TRUE(QDir(d + u"DBPic"_s).removeRecursively() && QDir(d + u"DBCustPic"_s).removeRecursively());
    }},
    Change{"WithoutAccountBookTable", [](const QString&, const QString& f) { runOn(f, "Drop table Acct"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestoreTest, FolderWithoutBackupFileLeavesRestoreDisabled)
{
    const QString empty = mkdir(u"empty"_s);
    write(empty + u"notes.txt"_s, "x");
    EXPECT_FALSE(restoreFrom(empty));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RestoreTest, FileRemovedAfterTheChoiceIsReported)
{
    makeBackup(false);
    folderAnswers << folder;
    whenShown(frmBackup, [this] {
        click(B()->BtnSelectDir);
        ASSERT_TRUE(B()->BtnRecover->isEnabled());
        QFile::remove(bak());
        B()->BtnRecover->click();
        if (frmBackup->isVisible()) frmBackup->reject();
    });
    frmMain->N9Click();
    EXPECT_EQ(messageTexts(), QStringList{u"没有找到备份文件！"_s});
    EXPECT_FALSE(frmBackup->Restored);
}

TEST_F(RestoreTest, PhotosMissingFromTheLiveFoldersAreCopiedBack)
{
    write(CarPicDir + u"both.bmp"_s, "backup version");
    write(CarPicDir + u"backupOnly.bmp"_s, "from backup");
    write(CustPicDir + u"cust.bmp"_s, "customer");
    makeBackup(false);
    write(CarPicDir + u"both.bmp"_s, "live version");
    QFile::remove(CarPicDir + u"backupOnly.bmp"_s);
    QFile::remove(CustPicDir + u"cust.bmp"_s);
    write(CarPicDir + u"liveOnly.bmp"_s, "live only");

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(FileBytes(CarPicDir + u"both.bmp"_s), "live version");
    EXPECT_EQ(FileBytes(CarPicDir + u"backupOnly.bmp"_s), "from backup");
    EXPECT_EQ(FileBytes(CarPicDir + u"liveOnly.bmp"_s), "live only");
    EXPECT_EQ(FileBytes(CustPicDir + u"cust.bmp"_s), "customer");
}

// Without room for the safety copy the restore stops before the live data are touched.
TEST_F(RestoreTest, SafetyCopyThatCannotBeWrittenStopsTheRestore)
{
    makeBackup();
    QDir().mkpath(safety());   // a folder where the copy goes
    const QByteArray live = FileBytes(dbFile());

    ASSERT_TRUE(restoreFrom(folder));

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”"_s)) << lastMessage().toStdString();
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(FileBytes(dbFile()), live);
    EXPECT_EQ(count(u"Car"_s), 0);
}

// A photo that cannot be copied back after the data were replaced: said as
// such, never as an invalid backup.
TEST_F(RestoreTest, FailureAfterTheDataWereReplacedSaysSo)
{
    write(CarPicDir + u"A.bmp"_s, "A");
    makeBackup();
    QFile::remove(CarPicDir + u"A.bmp"_s);
    LockedPath lock(CarPicDir);
    if (!lock.ok()) GTEST_SKIP() << "no way to make a folder read-only here";

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_TRUE(lastMessage().startsWith(u"数据已从备份文件恢复"_s)) << lastMessage().toStdString();
    EXPECT_TRUE(frmBackup->Restored) << "the live data are the backup's";
    EXPECT_EQ(count(u"Car"_s), 1);
}

} // namespace

// Restoring from a backup folder: the checks before anything is touched, the
// safety copy, the replaced data and the photos copied back.
#include "BackupFixture.h"
#include "support/LockedPath.h"
#include "app/AppContext.h"
#include "platform/Connection.h"

namespace {

class RestoreTest : public BackupFixture {
protected:
    const QDate day{2025, 1, 9};
    QString root;
    QString folder;   // the day's backup folder

    void SetUp() override
    {
        BackupFixture::SetUp();
        fixClock(QDateTime(day, QTime(10, 5, 7)));
        root = mkdir(QStringLiteral("target"));
        folder = folderOf(root, day);
    }
    QString bak() const { return folder + QStringLiteral("2025-1-9.bak"); }
    QString safety() const { return dir() + QStringLiteral("R.~tmp"); }
    void makeBackup()
    {
        backupTo(root);
        ASSERT_EQ(messageTexts(), QStringList{Done});
        messages.clear();
    }
};

TEST_F(RestoreTest, BringsBackADeletedVehicleAndKeepsTheReplacedData)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    exec(QStringLiteral("Delete from Car"));
    addCar(QStringLiteral("京Z9"));
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });

    ASSERT_TRUE(restoreFrom(folder));

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, QStringLiteral("数据备份日期：[ 2025/1/9 10:05:07 ] 要从这个备份恢复数据吗？"));
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
    EXPECT_EQ(messages[0].buttons, Dlg::Buttons::YesNo);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
    EXPECT_EQ(messages[1].text, RestoredText);
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_FALSE(frmBackup->isVisible());
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(scalar(QStringLiteral("Select group_concat(CarID) from Car")).toString(), QStringLiteral("京A12345"));
    // The restored data carry the backup's stamp; the safety copy holds what was replaced.
    EXPECT_EQ(scalar(QStringLiteral("Select [Value] from Config where Item='BACKUP'")).toString(), QStringLiteral("2025/1/9 10:05:07"));
    EXPECT_EQ(inFile(safety(), QStringLiteral("Select group_concat(CarID) from Car")).toString(), QStringLiteral("京Z9"));
    EXPECT_TRUE(inFile(safety(), QStringLiteral("Select [Value] from Config where Item='BACKUP'")).isNull());
    // The program goes on writing to the restored data.
    addCar(QStringLiteral("京B2"));
    EXPECT_EQ(count(QStringLiteral("Car")), 2);
}

TEST_F(RestoreTest, AnsweringNoTouchesNothing)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    exec(QStringLiteral("Delete from Car"));
    const QByteArray live = bytes(dbFile());

    ASSERT_TRUE(restoreFrom(folder, {Dlg::IdNo}));

    ASSERT_EQ(messages.size(), 1u) << "nothing after the question";
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(bytes(dbFile()), live);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
}

// Files that must be refused before anything is touched.
struct BadFile { const char* name; std::function<void(const QString& bak)> make; };
void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

class RefusedBackup : public RestoreTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RefusedBackup, IsRefusedWithTheLiveFileUntouched)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    GetParam().make(bak());
    const QByteArray live = bytes(dbFile());

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_EQ(messageTexts(), QStringList{NotValid});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(bytes(dbFile()), live);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
}

void replaceWith(const QString& file, const QByteArray& content)
{
    QFile::remove(file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void runOn(const QString& file, const QString& sql)
{
    TADOConnection cn;
    cn.open(file);
    cn.execute(sql);
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedBackup, ::testing::Values(
    BadFile{"TextFile", [](const QString& f) { replaceWith(f, "2025-1-9 not a database\r\n"); }},
    BadFile{"EmptyFile", [](const QString& f) { replaceWith(f, QByteArray()); }},
    BadFile{"WithoutStamp", [](const QString& f) { runOn(f, QStringLiteral("Delete from Config where Item='BACKUP'")); }},
    BadFile{"NullStamp", [](const QString& f) { runOn(f, QStringLiteral("Update Config set [Value]=null where Item='BACKUP'")); }},
    BadFile{"AnotherProgramsDatabase", [](const QString& f) { runOn(f, QStringLiteral("Drop table Leaso")); }},
    BadFile{"Damaged", [](const QString& f) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 size = file.size();
        ASSERT_GT(size, 8192);
        // Scribble over every page but the first, keeping the file's size.
        file.seek(4096);
        file.write(QByteArray(int(size - 4096), '\x5a'));
    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestoreTest, FolderWithoutBackupFileLeavesRestoreDisabled)
{
    const QString empty = mkdir(QStringLiteral("empty"));
    write(empty + QStringLiteral("notes.txt"), "x");
    EXPECT_FALSE(restoreFrom(empty));
    EXPECT_TRUE(messages.empty());
}

TEST_F(RestoreTest, FileRemovedAfterTheChoiceIsReported)
{
    makeBackup();
    answers.clear();
    folderAnswers << folder;
    whenShown(frmBackup, [this] {
        click(B()->BtnSelectDir);
        ASSERT_TRUE(B()->BtnRecover->isEnabled());
        QFile::remove(bak());
        B()->BtnRecover->click();
        if (frmBackup->isVisible()) frmBackup->reject();
    });
    frmMain->N9Click();
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("没有找到备份文件！")});
    EXPECT_FALSE(frmBackup->Restored);
}

TEST_F(RestoreTest, ExtensionInCapitalsIsFound)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    ASSERT_TRUE(QFile::rename(bak(), folder + QStringLiteral("2025-1-9.BAK")));
    exec(QStringLiteral("Delete from Car"));
    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
}

TEST_F(RestoreTest, PhotosMissingFromTheLiveFoldersAreCopiedBack)
{
    write(CarPicDir + QStringLiteral("both.bmp"), "backup version");
    write(CarPicDir + QStringLiteral("backupOnly.bmp"), "from backup");
    write(CustPicDir + QStringLiteral("cust.bmp"), "customer");
    makeBackup();
    write(CarPicDir + QStringLiteral("both.bmp"), "live version");
    QFile::remove(CarPicDir + QStringLiteral("backupOnly.bmp"));
    QFile::remove(CustPicDir + QStringLiteral("cust.bmp"));
    write(CarPicDir + QStringLiteral("liveOnly.bmp"), "live only");

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(bytes(CarPicDir + QStringLiteral("both.bmp")), "live version");
    EXPECT_EQ(bytes(CarPicDir + QStringLiteral("backupOnly.bmp")), "from backup");
    EXPECT_EQ(bytes(CarPicDir + QStringLiteral("liveOnly.bmp")), "live only");
    EXPECT_EQ(bytes(CustPicDir + QStringLiteral("cust.bmp")), "customer");
}

TEST_F(RestoreTest, BackupWithoutPhotoFoldersRestores)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    ASSERT_TRUE(QDir(folder + QStringLiteral("DBPic")).removeRecursively());
    ASSERT_TRUE(QDir(folder + QStringLiteral("DBCustPic")).removeRecursively());
    exec(QStringLiteral("Delete from Car"));
    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
}

// The start-up's schema steps run on the restored data.
TEST_F(RestoreTest, AccountBookTableIsMadeWhenTheBackupLacksIt)
{
    makeBackup();
    runOn(bak(), QStringLiteral("Drop table Acct"));
    ASSERT_TRUE(restoreFrom(folder));
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(scalar(QStringLiteral("Select count(*) from sqlite_master where type='table' and name='ACCT'")).toInt(), 1);
}

// Without room for the safety copy the restore stops before the live data are touched.
TEST_F(RestoreTest, SafetyCopyThatCannotBeWrittenStopsTheRestore)
{
    addCar(QStringLiteral("京A12345"));
    makeBackup();
    exec(QStringLiteral("Delete from Car"));
    QDir().mkpath(safety());   // a folder where the copy goes
    const QByteArray live = bytes(dbFile());

    ASSERT_TRUE(restoreFrom(folder));

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(lastMessage(), NotValid);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”")))
        << lastMessage().toStdString();
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(bytes(dbFile()), live);
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
}

// A photo that cannot be copied back after the data were replaced: said as
// such, never as an invalid backup.
TEST_F(RestoreTest, FailureAfterTheDataWereReplacedSaysSo)
{
    addCar(QStringLiteral("京A12345"));
    write(CarPicDir + QStringLiteral("A.bmp"), "A");
    makeBackup();
    QFile::remove(CarPicDir + QStringLiteral("A.bmp"));
    exec(QStringLiteral("Delete from Car"));
    LockedPath lock(CarPicDir);
    if (!lock.ok()) GTEST_SKIP() << "no way to make a folder read-only here";

    ASSERT_TRUE(restoreFrom(folder));

    EXPECT_NE(lastMessage(), NotValid);
    EXPECT_NE(lastMessage(), RestoredText);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("数据已从备份文件恢复"))) << lastMessage().toStdString();
    EXPECT_TRUE(frmBackup->Restored) << "the live data are the backup's";
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
}

} // namespace

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
    write(CarPicDir + QStringLiteral("京A12345.bmp"), "car");
    QDir().mkpath(CustPicDir + QStringLiteral("old"));
    write(CustPicDir + QStringLiteral("old/110101199001011234.bmp"), "cust");
    const QString root = mkdir(QStringLiteral("target"));

    folderAnswers << dir() + QStringLiteral("target");   // without the trailing separator
    whenShown(frmBackup, [&] {
        click(B()->BtnSelectPath);
        EXPECT_EQ(B()->EdtBackupPath->text(), root);
        EXPECT_EQ(B()->lblBackupDir->text(), QStringLiteral("提示： 数据备份到") + root + QStringLiteral("Tesmarul") + c.text + "/");
        click(B()->BtnBackup);
        EXPECT_TRUE(frmBackup->isVisible()) << "the backup button leaves the dialog open";
        click(B()->BtnCancel);
    });
    frmMain->N8Click();

    const QString folder = root + QStringLiteral("Tesmarul") + c.text + "/";
    EXPECT_EQ(filesIn(folder), (QStringList{QString::fromLatin1(c.text) + ".bak", QStringLiteral("DBCustPic"), QStringLiteral("DBPic")}));
    EXPECT_EQ(bytes(folder + QStringLiteral("DBPic/京A12345.bmp")), "car");
    EXPECT_EQ(bytes(folder + QStringLiteral("DBCustPic/old/110101199001011234.bmp")), "cust");
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
}

INSTANTIATE_TEST_SUITE_P(Days, BackupNames, ::testing::Values(
    DayCase{"NinthJanuary", QDate(2025, 1, 9), "2025-1-9"},
    DayCase{"FifthMay", QDate(2024, 5, 5), "2024-5-5"},
    DayCase{"FirstOctober", QDate(2025, 10, 1), "2025-10-1"},
    DayCase{"LastDecember", QDate(2025, 12, 31), "2025-12-31"}),
    [](const auto& info) { return std::string(info.param.name); });

using BackupTest = BackupFixture;

TEST_F(BackupTest, StampIsInTheCopyOnly)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)));
    addCar(QStringLiteral("京A12345"));
    backupTo(mkdir(QStringLiteral("target")));
    const QString bak = folderOf(dir() + QStringLiteral("target/"), QDate(2025, 1, 9)) + QStringLiteral("2025-1-9.bak");
    EXPECT_EQ(inFile(bak, QStringLiteral("Select [Value] from Config where Item='BACKUP'")).toString(), QStringLiteral("2025/1/9 10:05:07"));
    EXPECT_EQ(inFile(bak, QStringLiteral("Select count(*) from Car")).toInt(), 1);
    EXPECT_TRUE(scalar(QStringLiteral("Select count(*) from Config where Item='BACKUP'")).toInt() == 0);
    EXPECT_FALSE(QFileInfo::exists(bak + QStringLiteral(".part")));
}

TEST_F(BackupTest, SecondBackupOfTheDayReplacesTheCopyAndKeepsDeletedPhotos)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(9, 0)));
    const QString root = mkdir(QStringLiteral("target"));
    write(CarPicDir + QStringLiteral("A.bmp"), "first A");
    write(CarPicDir + QStringLiteral("B.bmp"), "B");
    backupTo(root);
    QFile::remove(CarPicDir + QStringLiteral("B.bmp"));
    write(CarPicDir + QStringLiteral("A.bmp"), "second A");
    addCar(QStringLiteral("京B1"));
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(17, 30)));
    backupTo(root);

    const QString folder = folderOf(root, QDate(2025, 1, 9));
    EXPECT_EQ(bytes(folder + QStringLiteral("DBPic/A.bmp")), "second A");
    EXPECT_EQ(bytes(folder + QStringLiteral("DBPic/B.bmp")), "B");
    EXPECT_EQ(inFile(folder + QStringLiteral("2025-1-9.bak"), QStringLiteral("Select count(*) from Car")).toInt(), 1);
    EXPECT_EQ(inFile(folder + QStringLiteral("2025-1-9.bak"), QStringLiteral("Select [Value] from Config where Item='BACKUP'")).toString(),
              QStringLiteral("2025/1/9 17:30:00"));
    EXPECT_EQ(messageTexts(), (QStringList{Done, Done}));
}

// A hire being written by another writer, and a list being read by the
// program, while the backup runs: the copy holds the committed state only,
// and restoring it gives back exactly the row counts of that moment.
TEST_F(BackupTest, BackupDuringAWriteRestoresToIdenticalCounts)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    addCar(QStringLiteral("京A1"));
    exec(QStringLiteral("Insert into Customer(CustID,CustName) values('C1','张三')"));
    exec(QStringLiteral("Insert into Leaso(CarID,CustID,BeginTime) values('京A1','C1',45000)"));
    const QStringList tables{QStringLiteral("Car"), QStringLiteral("Customer"), QStringLiteral("Leaso"), QStringLiteral("Acct")};
    QList<qint64> atBackup;
    for (const QString& t : tables) atBackup << count(t);

    TADOConnection writer;
    writer.open(dbFile());
    writer.beginTrans();
    writer.execute(QStringLiteral("Insert into Leaso(CarID,CustID,BeginTime) values('京A1','C1',45001)"));
    {
        TStatement reading(db(), QStringLiteral("Select CarID from Car"));
        ASSERT_TRUE(reading.next());
        backupTo(mkdir(QStringLiteral("target")));
    }
    writer.commitTrans();
    writer.close();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(count(QStringLiteral("Leaso")), 2);

    ASSERT_TRUE(restoreFrom(folderOf(dir() + QStringLiteral("target/"), QDate(2025, 1, 9))));
    EXPECT_EQ(lastMessage(), RestoredText);
    for (int i = 0; i < tables.size(); ++i) EXPECT_EQ(count(tables[i]), atBackup[i]) << tables[i].toStdString();
}

TEST_F(BackupTest, ReadOnlyTargetIsRefusedWithoutSuccess)
{
    const QString root = mkdir(QStringLiteral("locked"));
    LockedPath lock(root);
    if (!lock.ok()) GTEST_SKIP() << "no way to make a folder read-only here";
    backupTo(root);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(lastMessage(), Done);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("备份失败："))) << lastMessage().toStdString();
    EXPECT_EQ(messages.back().caption, QStringLiteral("Quorvane"));
    EXPECT_TRUE(filesIn(root).isEmpty());
}

// The database copy cannot take its name (a folder stands there): the failure
// is reported, the folder is untouched and no half-made copy is left.
TEST_F(BackupTest, CopyThatCannotBeNamedIsReported)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    const QString root = mkdir(QStringLiteral("target"));
    const QString folder = folderOf(root, QDate(2025, 1, 9));
    QDir().mkpath(folder + QStringLiteral("2025-1-9.bak"));
    backupTo(root);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("备份失败："))) << lastMessage().toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("2025-1-9.bak")).isDir());
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("2025-1-9.bak")});
}

TEST_F(BackupTest, PhotoThatCannotBeCopiedIsReported)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    const QString root = mkdir(QStringLiteral("target"));
    write(CarPicDir + QStringLiteral("A.bmp"), "A");
    const QString folder = folderOf(root, QDate(2025, 1, 9));
    QDir().mkpath(folder + QStringLiteral("DBPic/A.bmp"));   // a folder where the photo goes
    backupTo(root);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("图片文件"))) << lastMessage().toStdString();
    EXPECT_NE(lastMessage(), Done);
}

// A target inside a photo folder: the backup folder is not copied into itself.
TEST_F(BackupTest, TargetInsidePhotoFolderDoesNotCopyItself)
{
    fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 0)));
    write(CarPicDir + QStringLiteral("A.bmp"), "A");
    backupTo(CarPicDir);
    EXPECT_EQ(messageTexts(), QStringList{Done});
    const QString folder = folderOf(CarPicDir, QDate(2025, 1, 9));
    EXPECT_EQ(filesIn(folder + QStringLiteral("DBPic")), QStringList{QStringLiteral("A.bmp")});
}

TEST_F(BackupTest, PagesCarryTheirCaptions)
{
    whenShown(frmBackup, [this] {
        EXPECT_EQ(frmBackup->windowTitle(), QStringLiteral("数据备份"));
        EXPECT_EQ(B()->PageControl1->currentIndex(), 0);
        B()->PageControl1->setCurrentIndex(1);
        EXPECT_EQ(frmBackup->windowTitle(), QStringLiteral("从备份文件恢复数据"));
        B()->BtnCancel2->click();
    });
    frmMain->N8Click();
    whenShown(frmBackup, [this] {
        EXPECT_EQ(frmBackup->windowTitle(), QStringLiteral("从备份文件恢复数据"));
        EXPECT_EQ(B()->PageControl1->currentIndex(), 1);
        frmBackup->reject();
    });
    frmMain->N9Click();
    EXPECT_FALSE(frmBackup->Restored);
}

} // namespace

// The backup dialog from the main window's two menu commands, the clock fixed
// and folders answered through the hook: backing up into a dated folder, restoring from one.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/FileTools.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "common/AppContext.h"
#include "platform/Backup.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"
#include <QTabBar>
#include <QTest>

using namespace Qt::StringLiterals;
namespace {

class BackupTest : public AppFixture {
protected:
    const QString Done = u"备份完成！"_s;
    const QString RestoredText = u"从备份文件成功恢复数据！"_s;
    const QString Stamp = u"Select [Value] from Config where Item='BACKUP'"_s;

    QString root, folder;   // the target and the day's backup folder in it

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)); });
        root = mkdir(u"target"_s);
        folder = folderOf(root, QDate(2025, 1, 9));
    }
    Ui::TfrmBackup* B() { return frmBackup->ui.get(); }
    QString bak() const { return folder + u"2025-1-9.bak"_s; }

    void backupTo(const QString& folder)
    {
        folderAnswers << folder;
        whenShown(frmBackup, [this] {
            click(B()->BtnSelectPath);
            if (B()->BtnBackup->isEnabled()) B()->BtnBackup->click();
            if (frmBackup->isVisible()) B()->BtnCancel->click();
        });
        frmMain->N8Click();
    }
    // Clicks 恢复, which the chosen folder must enable; the reply answers the confirmation.
    void restoreFrom(const QString& folder, int reply = Dlg::IdYes)
    {
        answers = {reply};
        folderAnswers << folder;
        whenShown(frmBackup, [this] {
            click(B()->BtnSelectDir);
            click(B()->BtnRecover);
            if (frmBackup->isVisible()) B()->BtnCancel2->click();
        });
        frmMain->N9Click();
    }

    static QString folderOf(const QString& root, const QDate& d) { return root + u"Tesmarul"_s + BackupDateText(d) + u"/"_s; }
    static void write(const QString& file, const QByteArray& content) { ASSERT_TRUE(WriteFile(file, content)) << file.toStdString(); }
    QString mkdir(const QString& name) { QDir().mkpath(dir() + name); return dir() + name + u"/"_s; }
    static void link(const QString& to, const QString& name) { ASSERT_TRUE(QFile::link(to, name)) << name.toStdString(); }
    static QVariant inFile(const QString& file, const QString& sql) { return TDatabaseFile(file).scalar(sql); }
    void addCar(const QString& id) { exec(u"Insert into Car(CarID,State,Odograph) values(:id,'A',100)"_s, {{u"id"_s, id}}); }
    QString cars() { return scalar(u"Select group_concat(CarID) from Car"_s).toString(); }
    QString safety() const { return dir() + u"R.~tmp"_s; }   // where a restore keeps the data it replaced
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
using RestoreTest = BackupTest;

// Folder and file are named by the day without leading zeros, the stamp is in the copy only; a second
// backup of the day replaces the copy and the photos still there, and keeps the photos deleted since.
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
    SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(17, 30, 5)); });
    backupTo(root);
    EXPECT_EQ(FileBytes(folder + u"DBPic/A.bmp"_s), "second A");
    EXPECT_EQ(FileBytes(folder + u"DBPic/B.bmp"_s), "B");
    EXPECT_EQ(inFile(bak(), u"Select count(*) from Car"_s).toInt(), 1);
    EXPECT_EQ(inFile(bak(), Stamp).toString(), u"2025/1/9 17:30:05"_s);
    EXPECT_TRUE(scalar(Stamp).isNull());
    backupTo(CarPicDir);   // a target inside the photo folder is not copied into itself
    EXPECT_EQ(EntriesIn(folderOf(CarPicDir, QDate(2025, 1, 9)) + u"DBPic"_s), QStringList{u"A.bmp"_s});
    EXPECT_EQ(messageTexts(), (QStringList{Done, Done, Done}));
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
    EXPECT_EQ(cars(), u"京A1,京A2"_s);

    restoreFrom(folder);
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(cars(), u"京A1"_s);
}

// A folder standing where the copy goes: the failure is reported and no half-made copy left.
TEST_F(BackupTest, CopyThatCannotBeWrittenIsReported)
{
    QDir().mkpath(folder + u"2025-1-9.bak"_s);
    backupTo(root);
    EXPECT_EQ(EntriesIn(folder), QStringList{u"2025-1-9.bak"_s});
    EXPECT_TRUE(lastMessage().startsWith(u"备份失败："_s)) << lastMessage().toStdString();
}

// Photos that cannot be written where something else stands: every file is tried and counted, also
// inside a subfolder that cannot be made, and the others land beside what stood in the way.
TEST_F(BackupTest, PhotoFilesThatCannotBeWrittenAreCountedOneByOne)
{
    const QString pics = folder + u"DBPic/"_s;
    QDir().mkpath(CarPicDir + u"sub"_s);
    for (const char* f : {"a.bmp", "b.bmp", "c.bmp", "sub/x.bmp", "sub/y.bmp"}) write(CarPicDir + QString::fromUtf8(f), f);
    const struct { const char* name; QStringList files, folders; int count; QStringList after; } cases[] = {
        {"the photo folder's place holds a file", {u"DBPic"_s}, {}, 5, {}},
        {"a photo's place holds a folder, the subfolder's a file", {u"DBPic/sub"_s}, {u"DBPic/a.bmp"_s}, 3,
         {u"b.bmp"_s, u"c.bmp"_s, u"sub"_s}}};
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
        EXPECT_EQ(FilesUnder(pics), c.after);
    }
}

// A linked folder is copied once: a second link to it, or one into the photo folder's own tree, is passed
// over; a link back up the tree, or to a linked folder the copy is inside, is followed no further and named.
TEST_F(BackupTest, LinkedFoldersAreCopiedOnceAndLoopsAreNamed)
{
    const QString out1 = mkdir(u"out1"_s), out2 = mkdir(u"out2"_s), pics = CarPicDir;
    for (const char* f : {"p", "sub"}) QDir().mkpath(pics + QString::fromUtf8(f));
    for (const QString& f : {out1 + u"o.bmp"_s, out2 + u"t.bmp"_s, pics + u"p/p.bmp"_s, pics + u"sub/x.bmp"_s}) write(f, "photo");
    link(out1, pics + u"linked"_s);
    link(out1, pics + u"linked2"_s);
    link(out2, out1 + u"next"_s);
    link(out1, out2 + u"back"_s);
    link(pics + u"sub"_s, pics + u"p/toSub"_s);
    link(pics, pics + u"sub/up"_s);
    backupTo(root);
    EXPECT_EQ(messageTexts(), QStringList{u"备份完成！\n以下目录链接指向上层目录或备份目录，没有跟随复制："
                                          "“%1linked/next/back”、“%1sub/up”。"_s.arg(pics)});
    EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), (QStringList{u"linked/next/t.bmp"_s, u"linked/o.bmp"_s, u"p/p.bmp"_s, u"sub/x.bmp"_s}));
}

// The confirmation names the backup's moment; the replaced data go to the safety copy; live photos are kept
// and only missing ones come back: each photo of a subfolder a live file stands in the way of is counted,
// a link in the backup leading back up is named. An older backup: capital extension, no account book.
TEST_F(RestoreTest, BringsBackADeletedVehicleAndKeepsWhatWasReplaced)
{
    QDir().mkpath(CarPicDir + u"sub"_s);
    for (const char* f : {"both.bmp", "backupOnly.bmp", "sub/x.bmp", "sub/y.bmp"}) write(CarPicDir + QString::fromUtf8(f), "backup");
    makeBackup();
    runOn(bak(), "Drop table Acct");
    ASSERT_TRUE(QFile::rename(bak(), folder + u"2025-1-9.BAK"_s));
    link(folder + u"DBPic"_s, folder + u"DBPic/sub/up"_s);
    write(CarPicDir + u"both.bmp"_s, "live");
    QFile::remove(CarPicDir + u"backupOnly.bmp"_s);
    QDir(CarPicDir + u"sub"_s).removeRecursively();
    write(CarPicDir + u"sub"_s, "live file");
    addCar(u"京Z9"_s);
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });

    restoreFrom(folder);

    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, u"数据备份日期：[ 2025/1/9 10:05:07 ] 要从这个备份恢复数据吗？"_s);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
    EXPECT_EQ(messages[1].text, u"数据已从备份文件恢复，但恢复没有全部完成：\n有 2 个图片文件没有复制，例如“%1sub/x.bmp”。"
                                "\n以下目录链接指向上层目录或备份目录，没有跟随复制：“%2DBPic/sub/up”。"_s.arg(CarPicDir, folder));
    EXPECT_TRUE(frmBackup->Restored);
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(cars(), u"京A12345"_s);
    EXPECT_EQ(scalar(Stamp).toString(), u"2025/1/9 10:05:07"_s);
    EXPECT_EQ(inFile(safety(), u"Select group_concat(CarID) from Car"_s).toString(), u"京Z9"_s);
    EXPECT_EQ(FileBytes(CarPicDir + u"both.bmp"_s), "live");
    EXPECT_EQ(FileBytes(CarPicDir + u"backupOnly.bmp"_s), "backup");
    EXPECT_EQ(scalar(u"Select count(*) from sqlite_master where type='table' and name='ACCT'"_s).toInt(), 1);
    addCar(u"京B2"_s);   // the program goes on writing to the restored data
    EXPECT_EQ(cars(), u"京A12345,京B2"_s);
}

// Files that are no backup of this program are refused before anything is touched.
TEST_F(RestoreTest, InvalidBackupIsRefusedWithTheLiveFileUntouched)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"text file", [&] { QFile::remove(bak()); write(bak(), "2025-1-9 not a database\r\n"); }},
        {"without stamp", [&] { runOn(bak(), "Delete from Config where Item='BACKUP'"); }},
        {"damaged", [&] {   // every page but the first scribbled over
             const QByteArray b = FileBytes(bak());
             ASSERT_TRUE(b.size() > 8192 && WriteFile(bak(), b.left(4096) + QByteArray(b.size() - 4096, '\x5a')));
         }}};
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        QDir(root).removeRecursively();
        makeBackup();
        exec(u"Insert into Car(CarID,State) values('live','A')"_s);
        spoil();
        const QByteArray live = FileBytes(dbFile());
        restoreFrom(folder);
        ASSERT_EQ(messages.size(), 1u);   // the refusal, then its reason below
        EXPECT_EQ(lastMessage().section(u'\n', 0, 0), u"从备份文件恢复数据失败：不是合法的备份文件！"_s);
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
    restoreFrom(folder, Dlg::IdNo);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(safety()));
    QDir().mkpath(safety());   // a folder where the copy goes
    restoreFrom(folder);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”"_s)) << lastMessage().toStdString();
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(FileBytes(dbFile()), live);
}

// Twelve folders, each with a photo and two links to the next: each copied once, by backup and by restore.
TEST_F(RestoreTest, FoldersReachedByManyLinksAreCopiedOnce)
{
    const QString ladder = mkdir(u"ladder"_s);
    QStringList once;
    for (int i = 0; i < 12; ++i) {
        const QString step = ladder + QString::number(i);
        QDir().mkpath(step);
        write(step + u"/f.bmp"_s, "photo");
        if (i) for (const char* name : {"/a", "/b"}) link(step, ladder + QString::number(i - 1) + QString::fromUtf8(name));
        once << u"ladder/"_s + u"a/"_s.repeated(i) + u"f.bmp"_s;
    }
    once.sort();
    link(ladder + u"0"_s, CarPicDir + u"ladder"_s);
    makeBackup();
    const QString saved = folder + u"DBPic/"_s;
    EXPECT_EQ(FilesUnder(saved), once);

    QDir(saved + u"ladder"_s).removeRecursively();   // the backup holding the links instead
    link(ladder + u"0"_s, saved + u"ladder"_s);
    ASSERT_TRUE(QFile::remove(CarPicDir + u"ladder"_s));
    restoreFrom(folder);
    EXPECT_EQ(lastMessage(), RestoredText);
    EXPECT_EQ(FilesUnder(CarPicDir), once);
}

// Opened as 数据备份 and switched to the restore page: a completed restore, then
// a second click answered No, and the strip is built from the restored data.
TEST_F(RestoreTest, StripFollowsARestoreFromTheBackupPageThoughALaterClickIsDeclined)
{
    exec(u"Insert into CarCost(CarID,Name,EndTime) values('京B2','保险',:e)"_s, {{u"e"_s, QDate(2025, 1, 20)}});
    backupTo(root);
    exec(u"Update CarCost set CarID='京A1'"_s);
    frmMain->GetAlertMessages();
    ASSERT_EQ(AlertMessages, QStringList{u"京A1保险将在2025/1/20到期"_s});
    messages.clear();
    answers = {Dlg::IdYes, Dlg::IdNo};
    folderAnswers << folder;
    whenShown(frmBackup, [this] {
        QTabBar* tabs = B()->PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        click(B()->BtnSelectDir);
        click(B()->BtnRecover);
        B()->BtnRecover->click();
    });
    frmMain->N8Click();
    const QString ask = u"数据备份日期：[ 2025/1/9 10:05:07 ] 要从这个备份恢复数据吗？"_s;
    EXPECT_EQ(messageTexts(), (QStringList{ask, RestoredText, ask}));
    EXPECT_FALSE(frmBackup->Restored);
    EXPECT_EQ(AlertMessages, QStringList{u"京B2保险将在2025/1/20到期"_s});
    EXPECT_TRUE(frmMain->Timer1->isActive());
}

} // namespace

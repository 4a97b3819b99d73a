// The files a photo change works with: the start-up removes those no change
// stands behind and leaves a running change's alone; a backup never copies one.
// A change stopped half-way is settled at the next start-up: also when the data
// folder was copied whole to another place in between, and also when that
// start-up itself was stopped half-way.
#include "RegisterFixture.h"
#include "admin/UnitBackup.h"
#include "app/Forms.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "ui_UnitBackup.h"
#include "support/Child.h"
#include "support/FileTools.h"
#include <QRegularExpression>
#include <csignal>

namespace {

// Runs fn in a child killed at the first photo file step at which stop() holds; true when it was killed.
bool killedAt(bool (*stop)(), const std::function<void()>& fn)
{
    static bool (*when)() = nullptr;
    when = stop;
    return !InChild<bool>([&] {
        PhotoFileStepHook = [] { if (when()) ::raise(SIGKILL); };
        fn();
        return true;
    }).has_value();
}
bool hasWork(const QString& kind) { return !FilesIn(CustPicDir).filter(kind).isEmpty(); }
void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& e : QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (e.isDir()) copyTree(e.filePath() + '/', to + e.fileName() + '/');
        else ASSERT_TRUE(QFile::copy(e.filePath(), to + e.fileName())) << e.filePath().toStdString();
    }
}

class PhotoRecovery : public RegisterTest {
protected:
    // A work file of a kind ("staged", "aside", "part") as a stop leaves it.
    static void storeWork(const QString& folder, const char* kind, char digit)
    {
        const QString name = u".%1-%2"_s.arg(QLatin1String(kind), QString(32, QLatin1Char(digit)));
        if (QLatin1String(kind) == "part") ASSERT_TRUE(WriteFile(folder + name, "half"));
        else storePhoto(folder, name);
    }
    // The record's stored photo replaced with the row's update, in a child killed where stop() holds;
    // the stored photo's bytes.
    QByteArray stopChange(const QString& folder, const QString& key, const QString& update, bool (*stop)(),
                          bool mustStop = true)
    {
        storePhoto(folder, key);
        const QImage picture(makePicture(u"p.bmp"_s, "BMP"));
        const QByteArray stored = FileBytes(PhotoFileName(folder, key));
        const bool killed = killedAt(stop, [&] {
            TStagedPhoto staged(folder, TStagedPhoto::Action::Write, picture);
            StoreWithPhoto(db(), staged, key, [&] { db().execute(update); });
        });
        if (mustStop) EXPECT_TRUE(killed);
        return stored;
    }
    // The next start-up's recovery on the data file; then the rows of table.
    static QString recover(const QString& file, const QString& table, const QStringList& cols)
    {
        TADOConnection cn;
        cn.open(file);
        RecoverPhotoChanges(cn, {CarPicDir, CustPicDir});
        return RowsText(cn, table, cols);
    }
};

TEST_F(PhotoRecovery, StrayWorkFilesGoAtStartUpARunningChangeStaysAndABackupCopiesNone)
{
    // A record's photos, one whose key only looks like a work file's name.
    for (const char* key : {"A", ".staged-x"}) storePhoto(CarPicDir, QLatin1String(key));
    const QStringList photos{u".staged-x.bmp"_s, u"A.bmp"_s};
    // A change this program is making while another copy starts.
    auto running = std::make_unique<TStagedPhoto>(CarPicDir, TStagedPhoto::Action::Write, QImage(makePicture(u"p.bmp"_s, "BMP")));
    const QStringList kept = FilesIn(CarPicDir);
    ASSERT_EQ(kept.size(), 3);
    // Left by a stop before any note named them, and a photo copy a stopped restore left half written.
    storeWork(CarPicDir, "staged", '1');
    storeWork(CustPicDir, "aside", '2');
    storeWork(CustPicDir, "part", '5');
    DestroyForms();
    startApp();
    EXPECT_EQ(FilesIn(CarPicDir), kept);
    EXPECT_EQ(FilesIn(CustPicDir), QStringList());
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s).size(), 1) << "the running change keeps its note";
    // Its own end removes them.
    running.reset();
    EXPECT_EQ(FilesIn(CarPicDir), photos);
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s), QStringList());

    // A backup taken while a change is under way copies the photos only.
    storeWork(CarPicDir, "aside", '3');
    storeWork(CustPicDir, "staged", '4');
    storeWork(CarPicDir, "part", '6');
    const QString target = dir() + u"target/"_s;
    QDir().mkpath(target);
    folderAnswers << target;
    whenShown(frmBackup, [this] {
        click(frmBackup->ui->BtnSelectPath);
        click(frmBackup->ui->BtnBackup);
        if (frmBackup->isVisible()) frmBackup->ui->BtnCancel->click();
    });
    frmMain->N8Click();
    EXPECT_EQ(lastMessage(), u"备份完成！"_s);
    QStringList copied;
    for (const QString& f : FilesUnder(target)) copied << QFileInfo(f).fileName();
    copied.sort();
    EXPECT_EQ(copied.filter(QRegularExpression(u"\\.bmp$|^\\.part-"_s)), photos);
}

// Another copy plans its change and sets the old photo aside while this start-up settles a stopped
// change: the set-aside file is the running change's, so its undo brings the photo back.
TEST_F(PhotoRecovery, AFileARunningChangeMakesDuringTheStartUpStays)
{
    storePhoto(CarPicDir, u"A"_s);
    const QByteArray stored = FileBytes(CarPicDir + u"A.bmp"_s);
    auto running = std::make_unique<TStagedPhoto>(CarPicDir, TStagedPhoto::Action::Write, QImage(makePicture(u"p.bmp"_s, "BMP")));
    static TStagedPhoto* planning = running.get();
    ASSERT_TRUE(WriteFile(dir() + u".photochange-"_s + QString(32, u'f'), "{}\n"));   // read after the running one
    PhotoFileStepHook = [] { if (auto* p = std::exchange(planning, nullptr)) p->commitTo(u"A"_s); };
    DestroyForms();
    startApp();
    PhotoFileStepHook = nullptr;
    running.reset();
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{u"A.bmp"_s});
    EXPECT_TRUE(FileBytes(CarPicDir + u"A.bmp"_s) == stored);
}

// Stopped once the files are moved, before the commit; the data folder then copied whole.
TEST_F(PhotoRecovery, AStoppedChangeIsUndoneInADataFolderCopiedWhole)
{
    exec("insert into Car(CarID,State) values('V1','A')");
    const QByteArray stored = stopChange(CarPicDir, u"V1"_s, u"update Car set State='B'"_s, [] {
        const QStringList files = FilesIn(CarPicDir);
        return !files.filter(u".aside-"_s).isEmpty() && files.filter(u".staged-"_s).isEmpty();
    });
    QTemporaryDir elsewhere;
    const QString was = dir(), copy = elsewhere.path() + u"/copy/"_s;
    copyTree(was, copy);
    const QStringList left = FilesUnder(was + u"DBPic"_s);
    SetAppDir(copy);
    CarPicDir = copy + u"DBPic/"_s, CustPicDir = copy + u"DBCustPic/"_s;
    EXPECT_EQ(recover(copy + u"Leaso3.mdb"_s, u"Car"_s, {u"CarID"_s, u"State"_s}), u"V1|A"_s);
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{u"V1.bmp"_s});
    EXPECT_TRUE(FileBytes(CarPicDir + u"V1.bmp"_s) == stored) << "the copy's photo is not the stored one";
    EXPECT_EQ(FilesIn(copy).filter(u"photochange"_s), QStringList{});
    EXPECT_EQ(FilesUnder(was + u"DBPic"_s), left) << "the folder left behind was changed";
    SetAppDir(was);
    CarPicDir = was + u"DBPic/"_s, CustPicDir = was + u"DBCustPic/"_s;
}

// Stopped after its note names the moves, before the first; the start-up that undoes it stopped once the
// staged file is gone. Or a failed save's own undo stopped there (its mark could not be written after the
// moves). The start-up after that keeps the customer's photo as it was.
TEST_F(PhotoRecovery, AnUndoStoppedAfterItRemovedTheStagedFileKeepsTheStoredPhoto)
{
    exec("insert into Customer(CustID,CustName) values('C1','张三')");
    const auto movesNoted = [] {
        const QStringList notes = FilesIn(AppDir()).filter(u"photochange"_s);
        return !notes.isEmpty() && FileBytes(AppDir() + notes.first()).contains("moves");
    };
    static bool (*noted)() = movesNoted;
    for (const bool ownUndo : {false, true}) {
        SCOPED_TRACE(ownUndo ? "the save's own undo" : "the start-up's undo");
        QFile::remove(PhotoFileName(CustPicDir, u"C1"_s));
        QByteArray stored;
        if (ownUndo) {
            exec("drop table PhotoChange");
            // Stopped once the undo has put both files back and removed one of its own.
            stored = stopChange(CustPicDir, u"C1"_s, u"update Customer set CustName='李四'"_s,
                                [] { return noted() && !hasWork(u".staged-"_s) && !hasWork(u".aside-"_s); }, false);
        } else {
            stored = stopChange(CustPicDir, u"C1"_s, u"update Customer set CustName='李四'"_s, movesNoted);
            ASSERT_TRUE(hasWork(u".staged-"_s));
            ASSERT_FALSE(hasWork(u".aside-"_s));
            killedAt([] { return !hasWork(u".staged-"_s); }, [&] { recover(dbFile(), u"Customer"_s, {u"CustID"_s}); });
        }
        EXPECT_EQ(recover(dbFile(), u"Customer"_s, {u"CustID"_s, u"CustName"_s}), u"C1|张三"_s);
        EXPECT_EQ(FilesIn(CustPicDir), QStringList{u"C1.bmp"_s});
        EXPECT_TRUE(FileBytes(PhotoFileName(CustPicDir, u"C1"_s)) == stored) << "the stored photo was lost";
        EXPECT_EQ(FilesIn(dir()).filter(u"photochange"_s), QStringList{});
    }
}

} // namespace

// A photo change stopped half-way is settled at the next start-up: also when
// the data folder was copied whole to another place in between, and also when
// that start-up itself was stopped half-way.
#include "support/AppFixture.h"
#include "support/Child.h"
#include "support/FileTools.h"
#include "support/WindowProbes.h"
#include "common/AppContext.h"
#include "common/UnitPhoto.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;
namespace {

class PhotoNote : public AppFixture {};

// Runs fn in a child process that is killed at the first step of a photo
// change at which stop() holds; true when it was killed.
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

TEST_F(PhotoNote, AStoppedChangeIsUndoneInADataFolderCopiedWhole)
{
    exec("insert into Car(CarID,State) values('V1','A')");
    SavePicture(PhotoFileName(CarPicDir, u"V1"_s), "BMP", QSize(5, 5));
    const QByteArray stored = FileBytes(PhotoFileName(CarPicDir, u"V1"_s));
    // A new photo saved with a change of the row, stopped once its files are moved, before the commit.
    ASSERT_TRUE(killedAt([] {
        const QStringList files = FilesIn(CarPicDir);
        return !files.filter(u".aside-"_s).isEmpty() && files.filter(u".staged-"_s).isEmpty();
    }, [&] {
        QImage picture(37, 23, QImage::Format_RGB32);
        picture.fill(Qt::red);
        TStagedPhoto staged(CarPicDir, TStagedPhoto::Action::Write, picture);
        StoreWithPhoto(db(), staged, u"V1"_s, [&] { db().execute(u"update Car set State='B' where CarID='V1'"_s); });
    }));

    QTemporaryDir elsewhere;
    const QString was = dir(), copy = elsewhere.path() + u"/copy/"_s;
    copyTree(was, copy);
    const QStringList left = FilesUnder(was + u"DBPic"_s);
    SetAppDir(copy);
    CarPicDir = copy + u"DBPic/"_s, CustPicDir = copy + u"DBCustPic/"_s;
    TADOConnection cn;
    cn.open(copy + u"Leaso3.mdb"_s);
    RecoverPhotoChanges(cn, {CarPicDir, CustPicDir});
    EXPECT_EQ(RowsText(cn, u"Car"_s, {u"CarID"_s, u"State"_s}), u"V1|A"_s);
    cn.close();
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{u"V1.bmp"_s});
    EXPECT_TRUE(FileBytes(CarPicDir + u"V1.bmp"_s) == stored) << "the copy's photo is not the stored one";
    EXPECT_EQ(FilesIn(copy).filter(u"photochange"_s), QStringList{});
    EXPECT_EQ(FilesUnder(was + u"DBPic"_s), left) << "the folder left behind was changed";
    SetAppDir(was);
    CarPicDir = was + u"DBPic/"_s, CustPicDir = was + u"DBCustPic/"_s;
}

// A new photo stopped after its note names the moves, before the first; the
// start-up that undoes it stopped once the staged file is gone. The start-up
// after that keeps the customer's photo as it was.
TEST_F(PhotoNote, AStartUpStoppedAfterItRemovedTheStagedFileKeepsTheStoredPhoto)
{
    exec("insert into Customer(CustID,CustName) values('C1','张三')");
    SavePicture(PhotoFileName(CustPicDir, u"C1"_s), "BMP", QSize(5, 5));
    const QByteArray stored = FileBytes(PhotoFileName(CustPicDir, u"C1"_s));
    ASSERT_TRUE(killedAt([] {
        const QStringList notes = FilesIn(AppDir()).filter(u"photochange"_s);
        return !notes.isEmpty() && FileBytes(AppDir() + notes.first()).contains("moves");
    }, [&] {
        QImage picture(37, 23, QImage::Format_RGB32);
        picture.fill(Qt::red);
        TStagedPhoto staged(CustPicDir, TStagedPhoto::Action::Write, picture);
        StoreWithPhoto(db(), staged, u"C1"_s, [&] { db().execute(u"update Customer set CustName='李四'"_s); });
    }));
    ASSERT_TRUE(hasWork(u".staged-"_s));
    ASSERT_FALSE(hasWork(u".aside-"_s));
    killedAt([] { return !hasWork(u".staged-"_s); }, [&] {
        TADOConnection cn;
        cn.open(dbFile());
        RecoverPhotoChanges(cn, {CarPicDir, CustPicDir});
    });
    TADOConnection cn;
    cn.open(dbFile());
    RecoverPhotoChanges(cn, {CarPicDir, CustPicDir});
    EXPECT_EQ(RowsText(cn, u"Customer"_s, {u"CustID"_s, u"CustName"_s}), u"C1|张三"_s);
    cn.close();
    EXPECT_EQ(FilesIn(CustPicDir), QStringList{u"C1.bmp"_s});
    EXPECT_TRUE(FileBytes(PhotoFileName(CustPicDir, u"C1"_s)) == stored) << "the stored photo was lost";
    EXPECT_EQ(FilesIn(dir()).filter(u"photochange"_s), QStringList{});
}

} // namespace

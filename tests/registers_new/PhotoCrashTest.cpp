// A save with a photo stopped at any one of its steps (a child process killed
// there): after the next start-up's recovery the record and its photo agree,
// old with old or new with new, and the folders hold nothing else.
#include "RegisterFixture.h"
#include "app/Forms.h"
#include "common/UnitPublic.h"
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <csignal>
#include <iostream>
#include <map>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The steps of a save: SQLite's writes, syncs, truncations and deletions (a
// file-system shim under the connection), its statements (a trace) and the
// photo files' writes, syncs, renames and removals (the photo hook).
int killAt = 0, steps = 0;
void countStep()
{
    if (killAt && ++steps == killAt) ::raise(SIGKILL);
}

struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
};
sqlite3_vfs* realVfs = nullptr;
sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->real; }
template <auto M, typename... A> int fwd(sqlite3_file* f, A... a) { return (inner(f)->pMethods->*M)(inner(f), a...); }
template <auto M, typename... A> int counted(sqlite3_file* f, A... a) { countStep(); return fwd<M>(f, a...); }
const sqlite3_io_methods shimIo = {
    1,
    &fwd<&sqlite3_io_methods::xClose>,
    &fwd<&sqlite3_io_methods::xRead, void*, int, sqlite3_int64>,
    &counted<&sqlite3_io_methods::xWrite, const void*, int, sqlite3_int64>,
    &counted<&sqlite3_io_methods::xTruncate, sqlite3_int64>,
    &counted<&sqlite3_io_methods::xSync, int>,
    &fwd<&sqlite3_io_methods::xFileSize, sqlite3_int64*>,
    &fwd<&sqlite3_io_methods::xLock, int>,
    &fwd<&sqlite3_io_methods::xUnlock, int>,
    &fwd<&sqlite3_io_methods::xCheckReservedLock, int*>,
    &fwd<&sqlite3_io_methods::xFileControl, int, void*>,
    [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); },
    [](sqlite3_file* f) { return inner(f)->pMethods->xDeviceCharacteristics(inner(f)); },
};
sqlite3_vfs shimVfs;

// The shim becomes the default file system for connections opened after it.
void installShim()
{
    if (realVfs) return;
    realVfs = sqlite3_vfs_find(nullptr);
    shimVfs = *realVfs;
    shimVfs.pNext = nullptr;
    shimVfs.zName = "stepcount";
    shimVfs.szOsFile = int(sizeof(ShimFile)) + realVfs->szOsFile;
    shimVfs.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out) {
        auto* s = reinterpret_cast<ShimFile*>(f);
        s->real = reinterpret_cast<sqlite3_file*>(s + 1);
        const int rc = realVfs->xOpen(realVfs, name, s->real, flags, out);
        s->base.pMethods = s->real->pMethods ? &shimIo : nullptr;
        return rc;
    };
    shimVfs.xDelete = [](sqlite3_vfs*, const char* name, int sync) {
        countStep();
        return realVfs->xDelete(realVfs, name, sync);
    };
    sqlite3_vfs_register(&shimVfs, 1);
}

enum class Save { NewCar, NewCust, CarPhoto, CustPhoto, CarKey, CustKey };
const char* const SaveNames[] = {"NewCar", "NewCust", "CarPhoto", "CustPhoto", "CarKey", "CustKey"};

class PhotoCrash : public RegisterTest, public ::testing::WithParamInterface<Save> {
protected:
    void SetUp() override
    {
        installShim();
        RegisterTest::SetUp();
    }

    // The data folder's files as the save found them.
    std::map<QString, QByteArray> before;
    void takeSnapshot()
    {
        before.clear();
        for (const QString& folder : {dir(), CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder)) before[folder + name] = FileBytes(folder + name);
    }
    // Every file back as it was; the database's own file rewritten in place,
    // under the program's idle connection.
    void putBack()
    {
        for (const QString& folder : {dir(), CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder))
                if (!before.count(folder + name)) QFile::remove(folder + name);
        for (const auto& [file, bytes] : before) ASSERT_TRUE(WriteFile(file, bytes)) << file.toStdString();
    }

    // Runs save in a child process killed before its step n; true when the
    // save ran to its end.
    bool runStopped(int n, const std::function<void()>& save)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            steps = 0;
            killAt = n;
            PhotoFileStepHook = countStep;
            sqlite3_trace_v2(db().handle(), SQLITE_TRACE_STMT, [](unsigned, void*, void*, void*) { countStep(); return 0; }, nullptr);
            save();
            ::_exit(0);
        }
        int status = 0;
        const QDeadlineTimer limit(10000);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (limit.hasExpired()) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "the save did not end";
                return true;
            }
            ::usleep(500);
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // The next start-up's steps on the files, on a connection of its own; then
    // the rows and the photos, each "old", "new" or as found, and whatever
    // else the folders hold.
    // recover false: the program has started again on its own.
    QString recoverAndJudge(const QString& table, const QStringList& cols, const QString& oldRows, const QString& newRows,
                            const QString& oldPhotos, const QString& newPhotos, bool recover = true)
    {
        TADOConnection own;
        TADOConnection& cn = recover ? own : db();
        if (recover) {
            own.open(dbFile());
            RecoverPhotoChanges(own, {CarPicDir, CustPicDir});
            EnsureSchema(own);
        }
        const QString rows = RowsText(cn, table, cols) + '#' + RowsText(cn, "Leaso", {"CarID", "CustID"});
        const QString marks = RowsText(cn, "PhotoChange", {"ID"});
        own.close();
        const QString photos = photosText();
        const QString p = photos == oldPhotos ? u"old"_s : photos == newPhotos ? u"new"_s : photos;
        const QString r = oldRows == newRows ? p : rows == oldRows ? u"old"_s : rows == newRows ? u"new"_s : rows;
        QStringList extra = FilesIn(dir()).filter(u"photochange"_s);
        if (!marks.isEmpty()) extra << u"marks "_s + marks;
        return r + '/' + p + (extra.isEmpty() ? QString() : u" + "_s + extra.join(' '));
    }
    static QString photosText()
    {
        // Staged and set-aside files by kind, so that outcomes count together.
        static const QRegularExpression work(u"-[0-9a-f]{32}\\.bmp"_s);
        QStringList l;
        for (const QString& folder : {CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder)) l << QString(name).replace(work, u"-*.bmp"_s) + ' ' + bmpInfo(folder + name);
        l.sort();
        return l.join(", ");
    }
    // The staged and set-aside files and change notes a stop left.
    int workFiles() const
    {
        int n = 0;
        for (const QString& folder : {dir(), CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder)) n += IsPhotoWorkFile(name);
        return n;
    }
};

// Each save stopped at every one of its steps in turn, until one runs to its end.
TEST_P(PhotoCrash, AStoppedSaveEndsOldWithOldOrNewWithNew)
{
    const Save save = GetParam();
    const QString picture = makePicture(u"p.bmp"_s, "BMP");   // 37x23
    const QString leftover = u"bmp 7x7"_s, stored = u"bmp 5x5"_s, picked = u"bmp 37x23"_s;
    QString table = u"Car"_s, oldRows, newRows, oldPhotos, newPhotos;
    QStringList cols{u"CarID"_s};
    // The records and files before the save, and what the save should leave.
    switch (save) {
    case Save::NewCar:
    case Save::NewCust: {
        const bool isCar = save == Save::NewCar;
        if (!isCar) table = u"Customer"_s, cols = {u"CustID"_s};
        storePhoto(isCar ? CarPicDir : CustPicDir, u"N1"_s, QSize(7, 7));   // an earlier record's
        oldRows = u"#"_s, newRows = u"N1#"_s;
        oldPhotos = u"N1.bmp "_s + leftover, newPhotos = u"N1.bmp "_s + picked;
        break;
    }
    case Save::CarPhoto:
    case Save::CarKey:
        exec("insert into Car(CarID,State) values('V1','A')");
        addHire(u"V1"_s, u"C1"_s);
        storePhoto(CarPicDir, u"V1"_s);
        oldRows = newRows = u"V1#V1|C1"_s;
        oldPhotos = u"V1.bmp "_s + stored, newPhotos = u"V1.bmp "_s + picked;
        if (save == Save::CarKey) {
            storePhoto(CarPicDir, u"V2"_s, QSize(7, 7));
            newRows = u"V2#V2|C1"_s;
            oldPhotos = u"V1.bmp "_s + stored + u", V2.bmp "_s + leftover, newPhotos = u"V2.bmp "_s + stored;
        }
        break;
    case Save::CustPhoto:
    case Save::CustKey:
        table = u"Customer"_s, cols = {u"CustID"_s, u"CustName"_s};
        exec("insert into Customer(CustID,CustName) values('C1','张三')");
        addHire(u"V1"_s, u"C1"_s);
        storePhoto(CustPicDir, u"C1"_s);
        oldRows = u"C1|张三#V1|C1"_s;
        if (save == Save::CustPhoto) {
            newRows = u"C1|李四#V1|C1"_s;
            oldPhotos = u"C1.bmp "_s + stored, newPhotos = u"C1.bmp "_s + picked;
        } else {
            storePhoto(CustPicDir, u"C2"_s, QSize(7, 7));
            newRows = u"C2|张三#V1|C2"_s;
            oldPhotos = u"C1.bmp "_s + stored + u", C2.bmp "_s + leftover, newPhotos = u"C2.bmp "_s + stored;
        }
        break;
    }
    // Every step in turn, until the save runs to its end.
    std::map<QString, int> outcomes;
    int points = 0;
    // The stop that left the most files behind, left for the real start-up at the end.
    int worst = 0, worstFiles = -1;
    const auto stopAtEveryStep = [&](const std::function<void()>& click) {
        takeSnapshot();
        for (int n = 1; n < 1000; ++n) {
            putBack();
            const bool ended = runStopped(n, click);
            if (!ended && workFiles() > worstFiles) worst = n, worstFiles = workFiles();
            const QString outcome = recoverAndJudge(table, cols, oldRows, newRows, oldPhotos, newPhotos);
            if (ended) {
                EXPECT_EQ(outcome, u"new/new"_s) << "the save run to its end";
                break;
            }
            ++points;
            ++outcomes[outcome];
            EXPECT_TRUE(outcome == u"old/old"_s || outcome == u"new/new"_s) << "stopped at step " << n << ": " << outcome.toStdString();
        }
        putBack();
        runStopped(worst, click);
    };
    switch (save) {
    case Save::NewCar:
        run(frmNewCar, [&] {
            type(car()->EdtNewCarID, u"N1"_s);
            pickPhoto(car()->BtnNewCarPath, picture);
            stopAtEveryStep([&] { click(car()->BtnSaveNewCar); });
        });
        break;
    case Save::NewCust:
        run(frmNewCust, [&] {
            type(cust()->EdtCustID, u"N1"_s);
            type(cust()->EdtCustName, u"张三"_s);
            pickPhoto(cust()->BtnNewCarPath, picture);
            stopAtEveryStep([&] { click(cust()->BitBtn1); });
        });
        break;
    case Save::CarPhoto:
    case Save::CarKey:
        inCars([&] {
            ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, u"V1"_s));
            if (save == Save::CarPhoto) {
                C()->PageControl1->setCurrentWidget(C()->TabSheet4);
                pickPhoto(C()->BtnNewCarPath, picture);
                stopAtEveryStep([&] { click(C()->BtnSave); });
            } else {
                C()->EdtCarID->setText(u"V2"_s);
                stopAtEveryStep([&] { answers = {Dlg::IdYes}; click(C()->BtnSaveBasic); });
            }
        });
        break;
    case Save::CustPhoto:
    case Save::CustKey:
        inWindow(frmCust, &TfrmMain::BtnCustClick, [&] {
            ASSERT_TRUE(frmCust->ADOQry->locate(u"CustID"_s, u"C1"_s));
            ASSERT_EQ(U()->EdtCustPath->text(), u"[C1]"_s);
            if (save == Save::CustPhoto) {
                clearAndType(U()->EdtCustName, u"李四"_s);
                pickPhoto(U()->BtnCustPath, picture);
            } else {
                clearAndType(U()->EdtCustID, u"C2"_s);
            }
            stopAtEveryStep([&] { click(U()->BtnSaveBasic); });
        });
        break;
    }
    // The program started again: its start-up settles what the stop left before any window shows a photo.
    EXPECT_GT(worstFiles, 1);
    DestroyForms();
    startApp();
    const QString started = recoverAndJudge(table, cols, oldRows, newRows, oldPhotos, newPhotos, false);
    EXPECT_TRUE(started == u"old/old"_s || started == u"new/new"_s) << "after a start-up: " << started.toStdString();
    EXPECT_GT(points, 10);
    std::string figures = std::string(SaveNames[int(save)]) + ": " + std::to_string(points) + " kill points";
    for (const auto& [outcome, count] : outcomes) figures += ", " + outcome.toStdString() + " " + std::to_string(count);
    std::cout << "[ figures  ] " << figures << std::endl;
}

INSTANTIATE_TEST_SUITE_P(, PhotoCrash,
                         ::testing::Values(Save::NewCar, Save::NewCust, Save::CarPhoto, Save::CustPhoto, Save::CarKey, Save::CustKey),
                         [](const auto& i) { return std::string(SaveNames[int(i.param)]); });

} // namespace

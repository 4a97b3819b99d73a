// A command that changes a record with its photo (a save, a deletion, the
// clearing of all data) killed in a child process at each of its steps in
// turn: after the next start-up's recovery the rows and the photos agree, old
// with old or new with new, and the folders hold nothing else.
#include "RegisterFixture.h"
#include "app/Forms.h"
#include "admin/UnitInitSys.h"
#include "common/UnitPublic.h"
#include "support/StopAtStep.h"
#include "ui_UnitInitSys.h"
#include <QRegularExpression>
#include <dlfcn.h>
#include <iostream>
#include <map>
#include <sqlite3.h>

// Every removal of a file is a step too, whoever makes it (the program, Qt or SQLite).
extern "C" int unlink(const char* path)
{
    CountStep();
    static const auto real = reinterpret_cast<int (*)(const char*)>(::dlsym(RTLD_NEXT, "unlink"));
    return real(path);
}

// A kill loses nothing the system has taken: the child's syncs stay steps but are not made.
extern "C" int fsync(int fd)
{
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return StopAt ? 0 : real(fd);
}
extern "C" int fdatasync(int fd) { return fsync(fd); }

namespace {

// Steps besides the statements, the photo files' and the removals: SQLite's
// writes, truncations and syncs (a file-system shim under the connection).

struct ShimFile { sqlite3_file base; sqlite3_file* real; };
using Io = sqlite3_io_methods;
sqlite3_vfs* realVfs = nullptr;
sqlite3_vfs shimVfs;
sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<ShimFile*>(f)->real; }
template <auto M, typename... A> int fwd(sqlite3_file* f, A... a) { return (inner(f)->pMethods->*M)(inner(f), a...); }
template <auto M, typename... A> int counted(sqlite3_file* f, A... a) { CountStep(); return fwd<M>(f, a...); }
const Io shimIo = {1, &fwd<&Io::xClose>, &fwd<&Io::xRead, void*, int, sqlite3_int64>,
    &counted<&Io::xWrite, const void*, int, sqlite3_int64>, &counted<&Io::xTruncate, sqlite3_int64>, &counted<&Io::xSync, int>,
    &fwd<&Io::xFileSize, sqlite3_int64*>, &fwd<&Io::xLock, int>, &fwd<&Io::xUnlock, int>, &fwd<&Io::xCheckReservedLock, int*>,
    &fwd<&Io::xFileControl, int, void*>, [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); },
    [](sqlite3_file* f) { return inner(f)->pMethods->xDeviceCharacteristics(inner(f)); }};

enum class Save { NewCar, NewCust, CarPhoto, CustPhoto, CarKey, CustKey, DeleteCar, DeleteCustomer, ClearAll };
// The vehicles', customers' and hires' rows, then the photos ("key WxH") of
// each folder, before the command and after it; those before are made for the test.
struct Case { Save save; const char *name, *before, *after; };
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
const char* const Both = "V1#C1|张三# / V1 5x5 / C1 5x5";
const Case Cases[] = {
    {Save::NewCar, "NewCar", "## / N1 7x7 / -", "N1## / N1 37x23 / -"},   // a photo no record stands behind
    {Save::NewCust, "NewCust", "## / - / N1 7x7", "#N1|张三# / - / N1 37x23"},
    {Save::CarPhoto, "CarPhoto", "V1##V1|C1 / V1 5x5 / -", "V1##V1|C1 / V1 37x23 / -"},
    {Save::CustPhoto, "CustPhoto", "#C1|张三#V1|C1 / - / C1 5x5", "#C1|李四#V1|C1 / - / C1 37x23"},
    {Save::CarKey, "CarKey", "V1##V1|C1 / V1 5x5, V2 7x7 / -", "V2##V2|C1 / V2 5x5 / -"},
    {Save::CustKey, "CustKey", "#C1|张三#V1|C1 / - / C1 5x5, C2 7x7", "#C2|张三#V1|C2 / - / C2 5x5"},
    {Save::DeleteCar, "DeleteCar", Both, "#C1|张三# / - / C1 5x5"},   // the other record stays
    {Save::DeleteCustomer, "DeleteCustomer", Both, "V1## / V1 5x5 / -"},
    {Save::ClearAll, "ClearAll", Both, "## / - / -"},
};

class PhotoCrash : public RegisterTest, public ::testing::WithParamInterface<Case> {
protected:
    // The shim becomes the default file system for connections opened after it.
    static void SetUpTestSuite()
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
        sqlite3_vfs_register(&shimVfs, 1);
    }
    const Case& c = GetParam();
    std::map<QString, int> outcomes;
    int points = 0, worst = 0, worstFiles = -1;   // the stop that left the most work files

    QStringList dataFiles() const
    {
        QStringList l;
        for (const QString& folder : {dir(), CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder)) l << folder + name;
        return l;
    }
    // Each step in turn until the command runs to its end; then the stop that left most work files again, for the start-up.
    void stopAtEveryStep(QAbstractButton* save, const std::deque<int>& answer = {})
    {
        const auto stoppedBefore = [&](int n) {   // true when the command ran to its end
            return RunsToItsEnd(n, db().handle(), [&] {
                answers = answer;
                click(save);
            });
        };
        std::map<QString, QByteArray> before;
        for (const QString& f : dataFiles()) before[f] = FileBytes(f);
        const auto putBack = [&] {   // the database's own file rewritten in place, under the program's idle connection
            for (const QString& f : dataFiles())
                if (!before.count(f)) QFile::remove(f);
            for (const auto& [file, bytes] : before) ASSERT_TRUE(WriteFile(file, bytes)) << file.toStdString();
        };
        const NoPainting noPainting;
        for (int n = 1; n < 1000 && !HasFatalFailure(); ++n) {
            putBack();
            const bool ended = stoppedBefore(n);
            const QStringList files = dataFiles();
            const int work = int(std::count_if(files.begin(), files.end(), IsPhotoWorkFile));
            if (!ended && work > worstFiles) worst = n, worstFiles = work;
            const QString outcome = judge(true);
            EXPECT_TRUE(outcome == u"new"_s || (!ended && outcome == u"old"_s)) << (ended ? "ran to its end" : "stopped before step ") << n << ": " << outcome.toStdString();
            if (ended) break;
            ++points, ++outcomes[outcome];
        }
        putBack();
        stoppedBefore(worst);
    }

    // The record's rows and photos "old", "new" or as found, and whatever else is
    // left; recover: first the next start-up's steps, on a connection of its own.
    QString judge(bool recover)
    {
        TADOConnection own;
        TADOConnection& cn = recover ? own : db();
        if (recover) {
            own.open(dbFile());
            RecoverPhotoChanges(own, {CarPicDir, CustPicDir});
            EnsureSchema(own);
        }
        QString found = RowsText(cn, "Car", {"CarID"}) + '#' + RowsText(cn, "Customer", {"CustID", "CustName"}) + '#'
                        + RowsText(cn, "Leaso", {"CarID", "CustID"});
        const QString marks = RowsText(cn, "PhotoChange", {"ID"});
        own.close();
        static const QRegularExpression work(u"-[0-9a-f]{32}\\.bmp"_s);   // work files by kind, so that outcomes count together
        for (const QString& folder : {CarPicDir, CustPicDir}) {
            QStringList photos;
            for (const QString& name : FilesIn(folder)) {
                const QSize size = QImage(folder + name).size();
                photos << QString(name).replace(work, u"-*.bmp"_s).chopped(4) + u" %1x%2"_s.arg(size.width()).arg(size.height());
            }
            photos.sort();
            found += u" / "_s + (photos.isEmpty() ? u"-"_s : photos.join(u", "_s));
        }
        QStringList extra = FilesIn(dir()).filter(u"photochange"_s);
        if (!marks.isEmpty()) extra << u"marks "_s + marks;
        return (found == QString::fromUtf8(c.before) ? u"old"_s : found == QString::fromUtf8(c.after) ? u"new"_s : found)
               + (extra.isEmpty() ? QString() : u" + "_s + extra.join(' '));
    }
};

TEST_P(PhotoCrash, AStoppedCommandEndsOldWithOldOrNewWithNew)
{
    const QString before = QString::fromUtf8(c.before);
    const QStringList rows = before.section(u" / "_s, 0, 0).split('#');
    for (const QString& car : rows[0].split('/', Qt::SkipEmptyParts)) exec("insert into Car(CarID,State) values(:c,'A')", {{"c", car}});
    for (const QString& u : rows[1].split('/', Qt::SkipEmptyParts))
        exec("insert into Customer(CustID,CustName) values(:c,:n)", {{"c", u.section('|', 0, 0)}, {"n", u.section('|', 1)}});
    for (const QString& hire : rows[2].split('/', Qt::SkipEmptyParts)) addHire(hire.section('|', 0, 0), hire.section('|', 1));
    for (int i : {1, 2})
        for (const QString& photo : before.section(u" / "_s, i, i).split(u", "_s)) {
            const QStringList f = photo.split(QRegularExpression(u"[ x]"_s));
            if (f.size() == 3) storePhoto(i == 1 ? CarPicDir : CustPicDir, f[0], QSize(f[1].toInt(), f[2].toInt()));
        }
    const QString picture = makePicture(u"p.bmp"_s, "BMP");   // 37x23
    switch (c.save) {
    case Save::NewCar:
        run(frmNewCar, [&] {
            type(car()->EdtNewCarID, u"N1"_s);
            pickPhoto(car()->BtnNewCarPath, picture);
            stopAtEveryStep(car()->BtnSaveNewCar);
        });
        break;
    case Save::NewCust:
        run(frmNewCust, [&] {
            type(cust()->EdtCustID, u"N1"_s);
            type(cust()->EdtCustName, u"张三"_s);
            pickPhoto(cust()->BtnNewCarPath, picture);
            stopAtEveryStep(cust()->BitBtn1);
        });
        break;
    case Save::CarPhoto:
    case Save::CarKey:
    case Save::DeleteCar:
        inCars([&] {
            ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, u"V1"_s));
            if (c.save == Save::DeleteCar) return stopAtEveryStep(C()->BtnDel, {Dlg::IdYes});
            if (c.save == Save::CarKey) {
                C()->EdtCarID->setText(u"V2"_s);
                return stopAtEveryStep(C()->BtnSaveBasic, {Dlg::IdYes});
            }
            C()->PageControl1->setCurrentWidget(C()->TabSheet4);
            pickPhoto(C()->BtnNewCarPath, picture);
            stopAtEveryStep(C()->BtnSave);
        });
        break;
    case Save::CustPhoto:
    case Save::CustKey:
    case Save::DeleteCustomer:
        inWindow(frmCust, &TfrmMain::BtnCustClick, [&] {
            ASSERT_TRUE(frmCust->ADOQry->locate(u"CustID"_s, u"C1"_s));
            if (c.save == Save::DeleteCustomer) return stopAtEveryStep(U()->BtnDel, {Dlg::IdYes});
            if (c.save == Save::CustKey) clearAndType(U()->EdtCustID, u"C2"_s);
            else {
                clearAndType(U()->EdtCustName, u"李四"_s);
                pickPhoto(U()->BtnCustPath, picture);
            }
            stopAtEveryStep(U()->BtnSaveBasic);
        });
        break;
    case Save::ClearAll:
        whenShown(frmInit, [&] { stopAtEveryStep(frmInit->ui->BtnOK); frmInit->reject(); });
        frmMain->N2Click();
        break;
    }
    // The program started again: its start-up settles what the worst stop left before any window shows a photo.
    EXPECT_GT(worstFiles, 1);
    DestroyForms();
    startApp();
    const QString started = judge(false);
    EXPECT_TRUE(started == u"old"_s || started == u"new"_s) << "after a start-up: " << started.toStdString();
    EXPECT_GT(points, 10);
    std::string figures = std::string(c.name) + ": " + std::to_string(points) + " kill points";
    for (const auto& [outcome, count] : outcomes) figures += ", " + outcome.toStdString() + " " + std::to_string(count);
    std::cout << "[ figures  ] " << figures << std::endl;
}

INSTANTIATE_TEST_SUITE_P(, PhotoCrash, ::testing::ValuesIn(Cases), [](const auto& i) { return std::string(i.param.name); });

} // namespace

// A deletion that takes a photo with its row, stopped at any one of its steps
// (a child process killed there): after the next start-up's recovery the rows
// and the photos agree, both as before or both gone, and nothing else is left.
#include "registers_new/RegisterFixture.h"
#include "admin/UnitInitSys.h"
#include "common/UnitPublic.h"
#include "support/StopAtStep.h"
#include "support/FileTools.h"
#include "ui_UnitInitSys.h"
#include <QApplication>
#include <csignal>
#include <dlfcn.h>
#include <iostream>
#include <map>
#include <sqlite3.h>
#include <unistd.h>

// Every removal of a file is a step too, whoever makes it (the program, Qt or SQLite).
extern "C" int unlink(const char* path)
{
    CountStep();
    static const auto real = reinterpret_cast<int (*)(const char*)>(::dlsym(RTLD_NEXT, "unlink"));
    return real(path);
}

namespace {

enum class Removal { Car, Customer, ClearAll };
const char* const RemovalNames[] = {"DeleteCar", "DeleteCustomer", "ClearAll"};

class PhotoDelete : public RegisterTest, public ::testing::WithParamInterface<Removal> {
protected:
    QStringList dataFiles() const
    {
        QStringList l;
        for (const QString& folder : {dir(), CarPicDir, CustPicDir})
            for (const QString& name : FilesIn(folder)) l << folder + name;
        return l;
    }
    std::map<QString, QByteArray> before;
    // Every file back as it was, the database rewritten in place under the idle connection.
    void putBack()
    {
        for (const QString& f : dataFiles())
            if (!before.count(f)) QFile::remove(f);
        for (const auto& [file, bytes] : before) ASSERT_TRUE(WriteFile(file, bytes)) << file.toStdString();
    }
    // Runs removal in a child killed before its step n; true when it ran to its end.
    bool runStopped(int n, const std::function<void()>& removal)
    {
        return RunsToItsEnd(n, db().handle(), removal);
    }
    // After the next start-up's steps: the rows and the photos each "old",
    // "new" or as found; then what else was left.
    QString recoverAndJudge(const QString& oldRows, const QString& newRows, const QString& oldPhotos, const QString& newPhotos)
    {
        TADOConnection cn;
        cn.open(dbFile());
        RecoverPhotoChanges(cn, {CarPicDir, CustPicDir});
        EnsureSchema(cn);
        const QString rows = RowsText(cn, u"Car"_s, {u"CarID"_s}) + '#' + RowsText(cn, u"Customer"_s, {u"CustID"_s});
        const QString marks = RowsText(cn, u"PhotoChange"_s, {u"ID"_s});
        cn.close();
        const QString photos = (FilesIn(CarPicDir) + FilesIn(CustPicDir)).join(' ');
        const QString r = rows == oldRows ? u"old"_s : rows == newRows ? u"new"_s : rows;
        const QString p = photos == oldPhotos ? u"old"_s : photos == newPhotos ? u"new"_s : photos;
        QStringList extra = FilesIn(dir()).filter(u"photochange"_s);
        if (!marks.isEmpty()) extra << u"marks "_s + marks;
        return r + '/' + p + (extra.isEmpty() ? QString() : u" + "_s + extra.join(' '));
    }
};

// Each removal stopped at every one of its steps in turn, until one runs to its end.
TEST_P(PhotoDelete, AStoppedRemovalEndsWithRowsAndPhotosTogether)
{
    const Removal removal = GetParam();
    exec("insert into Car(CarID,State) values('V1','A')");
    exec("insert into Customer(CustID,CustName) values('C1','张三')");
    storePhoto(CarPicDir, u"V1"_s);
    storePhoto(CustPicDir, u"C1"_s);
    const QString oldRows = u"V1#C1"_s, oldPhotos = u"V1.bmp C1.bmp"_s;
    // The other record of the two stays in a register's deletion.
    const QString newRows = removal == Removal::Car ? u"#C1"_s : removal == Removal::Customer ? u"V1#"_s : u"#"_s;
    const QString newPhotos = removal == Removal::Car ? u"C1.bmp"_s : removal == Removal::Customer ? u"V1.bmp"_s : u""_s;
    std::map<QString, int> outcomes;
    int points = 0;
    const auto stopAtEveryStep = [&](const std::function<void()>& remove) {
        for (const QString& f : dataFiles()) before[f] = FileBytes(f);
        for (int n = 1; n < 1000; ++n) {
            putBack();
            const bool ended = runStopped(n, remove);
            const QString outcome = recoverAndJudge(oldRows, newRows, oldPhotos, newPhotos);
            if (ended) {
                EXPECT_EQ(outcome, u"new/new"_s) << "the removal run to its end";
                break;
            }
            ++points;
            ++outcomes[outcome];
            EXPECT_TRUE(outcome == u"old/old"_s || outcome == u"new/new"_s) << "stopped at step " << n << ": " << outcome.toStdString();
        }
        putBack();
    };
    switch (removal) {
    case Removal::Car:
        inCars([&] {
            ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, u"V1"_s));
            ASSERT_EQ(C()->EdtCarPath->text(), u"[V1]"_s);
            stopAtEveryStep([&] { answers = {Dlg::IdYes}; click(C()->BtnDel); });
        });
        break;
    case Removal::Customer:
        inWindow(frmCust, &TfrmMain::BtnCustClick, [&] {
            ASSERT_TRUE(frmCust->ADOQry->locate(u"CustID"_s, u"C1"_s));
            ASSERT_EQ(U()->EdtCustPath->text(), u"[C1]"_s);
            stopAtEveryStep([&] { answers = {Dlg::IdYes}; click(U()->BtnDel); });
        });
        break;
    case Removal::ClearAll:
        // Shown before the fork: a child paints no new window.
        whenShown(frmInit, [&] { stopAtEveryStep([&] { click(frmInit->ui->BtnOK); }); frmInit->reject(); });
        frmMain->N2Click();
        break;
    }
    EXPECT_GT(points, 3);
    std::string figures = std::string(RemovalNames[int(removal)]) + ": " + std::to_string(points) + " kill points";
    for (const auto& [outcome, count] : outcomes) figures += ", " + outcome.toStdString() + " " + std::to_string(count);
    std::cout << "[ figures  ] " << figures << std::endl;
}

INSTANTIATE_TEST_SUITE_P(, PhotoDelete, ::testing::Values(Removal::Car, Removal::Customer, Removal::ClearAll),
                         [](const auto& i) { return std::string(RemovalNames[int(i.param)]); });

} // namespace

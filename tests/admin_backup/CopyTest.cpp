// The photo copy of backup and restore: names as long as a folder takes, and
// folders known by identity whatever path reaches them.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/FileTools.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "common/AppContext.h"
#include "platform/Backup.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>

using namespace Qt::StringLiterals;
namespace {

class CopyTest : public AppFixture {
protected:
    const QString Done = u"备份完成！"_s;
    // The target chosen and the day's backup folder in it, on the day the clock is fixed at.
    const QString root = dir() + u"target/"_s, folder = root + u"Tesmarul2025-1-9/"_s;

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)); });
    }
    Ui::TfrmBackup* B() { return frmBackup->ui.get(); }
    QString mkdir(const QString& name) { QDir().mkpath(dir() + name); return dir() + name + u"/"_s; }
    static void write(const QString& file) { ASSERT_TRUE(WriteFile(file, file.toUtf8())) << file.toStdString(); }
    static void link(const QString& to, const QString& name) { ASSERT_TRUE(QFile::link(to, name)) << name.toStdString(); }

    // 数据备份 into root, then 恢复 from the day's folder: one box each is recorded.
    void backup()
    {
        folderAnswers << root;
        inWindow(frmBackup, &TfrmMain::N8Click, [this] { click(B()->BtnSelectPath); click(B()->BtnBackup); });
    }
    void restore()
    {
        answers = {Dlg::IdYes};
        folderAnswers << folder;
        whenShown(frmBackup, [this] { click(B()->BtnSelectDir); click(B()->BtnRecover); });
        frmMain->N9Click();
    }
};

// A name of n bytes: "k" repeated, ending in ".bmp".
QString nameOfBytes(int n) { return QString(n - 4, u'k') + u".bmp"_s; }

// Photo names from 250 bytes up to the longest a folder takes go into the backup and come back
// in a restore, with no temporary file left beside them; the database copy takes such a name too.
TEST_F(CopyTest, NamesUpToTheFoldersLimitAreBackedUpAndRestored)
{
    const struct { const char* name; QString folder, file; } rows[] = {
        {"250 bytes", CarPicDir, nameOfBytes(250)}, {"251 bytes", CarPicDir, nameOfBytes(251)},
        {"252 bytes", CarPicDir, nameOfBytes(252)}, {"253 bytes", CarPicDir, nameOfBytes(253)},
        {"254 bytes", CarPicDir, nameOfBytes(254)}, {"255 bytes", CarPicDir, nameOfBytes(255)},
        {"83 Chinese characters, 253 bytes", CustPicDir, u"京"_s.repeated(83) + u".bmp"_s}};
    QStringList car, cust;
    for (const auto& r : rows) {
        ASSERT_LE(r.file.toUtf8().size(), 255) << r.name;
        write(r.folder + r.file);
        (r.folder == CarPicDir ? car : cust) << r.file;
    }
    car.sort();
    backup();
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), car);
    EXPECT_EQ(FilesUnder(folder + u"DBCustPic"_s), cust);

    for (const auto& r : rows) ASSERT_TRUE(QFile::remove(r.folder + r.file)) << r.name;
    messages.clear();
    restore();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(lastMessage(), u"从备份文件成功恢复数据！"_s);
    EXPECT_EQ(FilesUnder(CarPicDir), car);
    EXPECT_EQ(FilesUnder(CustPicDir), cust);
    for (const auto& r : rows) EXPECT_EQ(FileBytes(r.folder + r.file), (r.folder + r.file).toUtf8()) << r.name;

    const QString copies = mkdir(u"copies"_s);
    for (int n : {250, 255}) {
        EXPECT_NO_THROW(BackupDatabaseToFile(db(), copies + nameOfBytes(n))) << n;
        EXPECT_EQ(TDatabaseFile(copies + nameOfBytes(n)).quickCheck(), QString()) << n;
    }
    EXPECT_EQ(FilesUnder(copies), (QStringList{nameOfBytes(250), nameOfBytes(255)}));
}

// A link to a subfolder listed before a link to the folder holding it: each photo is copied once.
TEST_F(CopyTest, LinkToASubfolderBeforeItsHolderCopiesEachPhotoOnce)
{
    mkdir(u"out/sub"_s);
    const QString out = dir() + u"out/"_s;
    write(out + u"f.bmp"_s);
    write(out + u"sub/x.bmp"_s);
    link(out + u"sub"_s, CarPicDir + u"a"_s);
    link(out, CarPicDir + u"b"_s);
    backup();
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), (QStringList{u"a/x.bmp"_s, u"b/f.bmp"_s}));
}

// Mounts folder at a second place for the rest of the test, in a mount table of this
// process's own, so nothing is left mounted when the test ends however it ends.
class TBindMount {
public:
    TBindMount(const QString& folder, const QString& at) : m_at(QFile::encodeName(at))
    {
        static const int own = ::unshare(CLONE_NEWNS) == 0 ? ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) : -1;
        QDir().mkpath(at);
        m_done = own == 0 && ::mount(QFile::encodeName(folder).constData(), m_at.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (!m_done) m_why = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~TBindMount() { if (m_done) ::umount2(m_at.constData(), MNT_DETACH); }
    bool done() const { return m_done; }
    QString why() const { return m_why; }

private:
    QByteArray m_at;
    bool m_done = false;
    QString m_why;
};

// The copy's target reached through a mount inside the folder copied, which no path compare sees:
// the copy never goes into its own output, in a backup or in a restore.
TEST_F(CopyTest, TargetMountedInsideTheSourceIsNotEntered)
{
    write(CarPicDir + u"A.bmp"_s);
    backup();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    const struct { const char* name; QString folder, at; std::function<void()> run; QString box; } rows[] = {
        {"backup target mounted in the photo folder", root, CarPicDir + u"mnt"_s, [&] { backup(); }, Done},
        {"photo folder mounted in the backup's", CarPicDir, folder + u"DBPic/mnt"_s, [&] { restore(); },
         u"从备份文件成功恢复数据！"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        messages.clear();
        {
            const TBindMount mount(r.folder, r.at);
            if (!mount.done()) GTEST_SKIP() << "a bind mount is not permitted here: " << mount.why().toStdString();
            r.run();
        }
        EXPECT_EQ(lastMessage(), r.box);
        EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), QStringList{u"A.bmp"_s});
        EXPECT_EQ(FilesUnder(CarPicDir), QStringList{u"A.bmp"_s});
    }
}

} // namespace

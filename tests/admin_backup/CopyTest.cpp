// The photo copy of backup and restore: names as long as a folder takes, and
// folders known by identity whatever path reaches them.
#include "support/BackupDialog.h"
#include "support/PrintQString.h"
#include "platform/Backup.h"
#include <sched.h>
#include <sys/mount.h>

using namespace Qt::StringLiterals;
namespace {

using CopyTest = BackupDialog;

// A name of n bytes: "k" repeated, ending in ".bmp".
QString nameOfBytes(int n) { return QString(n - 4, u'k') + u".bmp"_s; }

// Photo names from 250 bytes up to the longest a folder takes go into the backup and come back
// in a restore, with no temporary file left beside them; the database copy takes such a name too.
TEST_F(CopyTest, NamesUpToTheFoldersLimitAreBackedUpAndRestored)
{
    BackupDatabaseToFile(db(), root + nameOfBytes(255));
    EXPECT_EQ(FilesUnder(root), QStringList{nameOfBytes(255)});

    QStringList car;
    for (int n = 250; n <= 255; ++n) {
        car << nameOfBytes(n);
        write(CarPicDir + car.back());
    }
    const QStringList cust{u"京"_s.repeated(83) + u".bmp"_s};   // 253 bytes
    write(CustPicDir + cust[0]);
    backup();
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), car);
    EXPECT_EQ(FilesUnder(folder + u"DBCustPic"_s), cust);

    QDir(CarPicDir).removeRecursively();
    QDir(CustPicDir).removeRecursively();
    restore();
    EXPECT_EQ(lastMessage(), Restored);
    EXPECT_EQ(FilesUnder(CarPicDir), car);
    EXPECT_EQ(FilesUnder(CustPicDir), cust);
    EXPECT_EQ(FileBytes(CustPicDir + cust[0]), (CustPicDir + cust[0]).toUtf8());
}

// A link to a subfolder listed before a link to the folder holding it: each photo is copied once.
TEST_F(CopyTest, LinkToASubfolderBeforeItsHolderCopiesEachPhotoOnce)
{
    const QString out = dir() + u"out/"_s;
    QDir().mkpath(out + u"sub"_s);
    write(out + u"f.bmp"_s);
    write(out + u"sub/x.bmp"_s);
    ASSERT_TRUE(QFile::link(out + u"sub"_s, CarPicDir + u"a"_s) && QFile::link(out, CarPicDir + u"b"_s));
    backup();
    EXPECT_EQ(messageTexts(), QStringList{Done});
    EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), (QStringList{u"a/x.bmp"_s, u"b/f.bmp"_s}));
}

// Folder mounted at a second place while it lives, in a mount table of this process's own.
struct TBindMount {
    QByteArray at;
    bool done;
    TBindMount(const QString& folder, const QString& place) : at(QFile::encodeName(place))
    {
        static const int own = ::unshare(CLONE_NEWNS) == 0 ? ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) : -1;
        done = QDir().mkpath(place) && own == 0 && ::mount(QFile::encodeName(folder).constData(), at.constData(), nullptr, MS_BIND, nullptr) == 0;
    }
    ~TBindMount() { if (done) ::umount2(at.constData(), MNT_DETACH); }
};

// The copy's target reached through a mount inside the folder copied, which no path compare sees:
// the copy never goes into its own output, in a backup or in a restore.
TEST_F(CopyTest, TargetMountedInsideTheSourceIsNotEntered)
{
    write(CarPicDir + u"A.bmp"_s);
    backup();
    ASSERT_EQ(messageTexts(), QStringList{Done});
    const struct { const char* name; QString folder, at; bool restore; } rows[] = {
        {"backup target mounted in the photo folder", root, CarPicDir + u"mnt"_s, false},
        {"photo folder mounted in the backup's", CarPicDir, folder + u"DBPic/mnt"_s, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        {
            const TBindMount mount(r.folder, r.at);
            if (!mount.done) GTEST_SKIP() << "a bind mount is not permitted here";
            r.restore ? restore() : backup();
        }
        EXPECT_EQ(lastMessage(), r.restore ? Restored : Done);
        EXPECT_EQ(FilesUnder(folder + u"DBPic"_s), QStringList{u"A.bmp"_s});
        EXPECT_EQ(FilesUnder(CarPicDir), QStringList{u"A.bmp"_s});
    }
}

} // namespace

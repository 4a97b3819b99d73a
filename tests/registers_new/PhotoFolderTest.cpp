// The photo folder as the disk has it: a large picture staged without a copy
// of it in memory, and a folder that can be searched but not listed, where two
// names apart in letter case are two files unless they share their inode.
#include "RegisterFixture.h"
#include "support/Child.h"
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

// A line of /proc/self/status in KiB ("VmRSS:" resident now, "VmHWM:" the peak).
long statusKiB(const char* key)
{
    for (const QByteArray& line : FileBytes(u"/proc/self/status"_s).split('\n'))
        if (line.startsWith(key)) return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

class PhotoFolders : public RegisterTest {
protected:
    // fn's report from a child in which folder can be searched but not listed;
    // nothing when the test was skipped or failed. The folder is put back after.
    template <class R> std::optional<R> withoutListing(const QString& folder, const std::function<R()>& fn)
    {
        struct Out { bool denied; R r; };
        const auto got = InChild<Out>([&] { Out o{cannotList(folder), {}}; if (o.denied) o.r = fn(); return o; });
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        if (!got) ADD_FAILURE() << "the child process ended without a report";
        else if (!got->denied) [] { GTEST_SKIP() << "no way here to deny a listing of the folder"; }();
        return got && got->denied ? std::optional<R>(got->r) : std::nullopt;
    }
    // Mode 0300 lets the folder's owner search it but not list it. Root lists
    // any folder, so a child running as root hands the data folder to nobody
    // and becomes nobody. True when a listing is then refused.
    bool cannotList(const QString& folder)
    {
        const QByteArray f = QFile::encodeName(folder);
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            for (const QString& p : {dir(), CarPicDir, CustPicDir})
                if (::chown(QFile::encodeName(p).constData(), uid, gid) != 0) return false;
            if (::chmod(QFile::encodeName(dir()).constData(), 0700) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                return false;
        }
        if (::chmod(f.constData(), 0300) != 0) return false;
        DIR* d = ::opendir(f.constData());
        if (d) ::closedir(d);
        return !d && errno == EACCES;
    }
};

// A 4000 x 3000 picture as a JPEG decodes it (36 MB) is staged with a few MB
// above it, never a second copy (the whole file, or the picture converted).
TEST_F(PhotoFolders, APictureIsStagedAsItIsEncodedWithoutACopyOfIt)
{
    QImage picture(4000, 3000, QImage::Format_RGB888);
    picture.fill(QColor(30, 120, 200));
    struct Report { long rss, peak; };
    const auto r = InChild<Report>([&] {
        const long rss = statusKiB("VmRSS:");
        // Forgets the peak so far: VmHWM is from here on the staging's.
        if (!WriteFile(u"/proc/self/clear_refs"_s, "5")) return Report{};
        TStagedPhoto staged(CarPicDir, TStagedPhoto::Action::Write, picture);
        staged.commitTo(u"BIG"_s);
        staged.keep();
        return Report{rss, statusKiB("VmHWM:")};
    });
    ASSERT_TRUE(r.has_value());
    if (!r->peak) GTEST_SKIP() << "the system does not let a process forget its memory peak";
    EXPECT_LT(r->peak - r->rss, 8 * 1024) << "KiB above the picture while staging";
    EXPECT_EQ(QFileInfo(PhotoFileName(CarPicDir, u"BIG"_s)).size(), 54 + 4000 * 3 * 3000);   // 24 bits a pixel
}

// On a disk that keeps letter case, abc.bmp and ABC.bmp are two files. In a
// folder that cannot be listed only a shared inode makes two names one file.
TEST_F(PhotoFolders, WithoutAListingOnlyTheInodeMakesTwoNamesOneFile)
{
    for (const char* key : {"abc", "ABC", "x"}) storePhoto(CarPicDir, QLatin1String(key));
    auto name = [](const char* key) { return PhotoFileName(CarPicDir, QLatin1String(key)); };
    ASSERT_EQ(::link(QFile::encodeName(name("x")).constData(), QFile::encodeName(name("X")).constData()), 0);
    const struct { const char *a, *b; bool one; } rows[] = {{"abc", "ABC", false}, {"ABC", "abc", false}, {"x", "X", true}};
    struct Report { bool one[std::size(rows)]; };
    const auto got = withoutListing<Report>(CarPicDir, [&] {
        Report out{};
        for (size_t i = 0; i < std::size(rows); ++i) out.one[i] = PhotoNamesAreOneFile(name(rows[i].a), name(rows[i].b));
        return out;
    });
    for (size_t i = 0; got && i < std::size(rows); ++i) EXPECT_EQ(got->one[i], rows[i].one) << rows[i].a << " " << rows[i].b;
}

// A customer's number changed from abc to ABC in a folder that cannot be
// listed, where a file ABC.bmp of no record stands: a refused commit leaves
// both files as they were, and a stored change leaves the photo under ABC
// alone. (The vehicle register refuses a change of letter case alone.)
TEST_F(PhotoFolders, ANumberChangedInLetterCaseWithoutAListingKeepsEveryFile)
{
    const struct { const char* name; bool damaged, refused; const char* files; } rows[] = {
        {"a photo that cannot be read, the commit refused", true, true, "ABC.bmp 7x7, abc.bmp damaged"},
        {"the photo shown, stored", false, false, "ABC.bmp 5x5"},
        {"the photo shown, the commit refused", false, true, "ABC.bmp 7x7, abc.bmp 5x5"},
    };
    const QByteArray damaged = "BM this is not a picture";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        exec(u"delete from Customer"_s);
        exec(u"insert into Customer(CustID,CustName) values('abc','张三')"_s);
        ASSERT_TRUE(QDir(CustPicDir).removeRecursively() && QDir().mkpath(CustPicDir));
        storePhoto(CustPicDir, u"abc"_s);
        storePhoto(CustPicDir, u"ABC"_s, QSize(7, 7));
        if (r.damaged) ASSERT_TRUE(WriteFile(PhotoFileName(CustPicDir, u"abc"_s), damaged));
        struct Report { char last[512]; };
        const auto got = withoutListing<Report>(CustPicDir, [&] {
            run(frmCust, [&] {
                U()->EdtCustID->setText(u"ABC"_s);
                if (r.refused) sqlite3_commit_hook(db().handle(), [](void*) { return 1; }, nullptr);
                click(U()->BtnSaveBasic);
            });
            Report out{};
            qstrncpy(out.last, lastMessage().toUtf8().constData(), sizeof out.last);
            return out;
        });
        if (!got) return;
        const QString last = QString::fromUtf8(got->last);
        EXPECT_TRUE(r.refused ? last.contains(u"本次没有保存任何内容"_s) : last == u"客户信息修改完成！"_s) << last.toStdString();
        EXPECT_EQ(RowsText(db(), "Customer", {"CustID"}), r.refused ? u"abc"_s : u"ABC"_s);
        QStringList files;
        for (const QString& f : FilesIn(CustPicDir))
            files << f + ' ' + (FileBytes(CustPicDir + f) == damaged ? u"damaged"_s : bmpInfo(CustPicDir + f).mid(4));
        EXPECT_EQ(files.join(u", "_s), QString::fromLatin1(r.files));
    }
}

// The recursive folder copy and its four modes for a file already there.
#include "BackupFixture.h"

namespace {

struct ModeCase {
    const char* name;
    int mode;
    std::deque<int> replies;   // to the overwrite question
    QByteArray existing;       // what target/a.txt holds afterwards
    QStringList targetFiles;   // the target's top-level entries afterwards
    int questions;
};
void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }

class CopyModes : public BackupFixture, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(CopyModes, ExistingFileIsHandledByMode)
{
    const ModeCase c = GetParam();
    const QString src = mkdir(u"src"_s), dst = mkdir(u"dst"_s);
    QDir().mkpath(src + u"sub/deeper"_s);
    write(src + u"a.txt"_s, "new");
    write(src + u"b.bmp"_s, "b");
    write(src + u"sub/deeper/c.bmp"_s, "c");
    write(dst + u"a.txt"_s, "old");
    answers = c.replies;

    EXPECT_TRUE(CopyFolderTree(src, dst, c.mode));

    EXPECT_EQ(FileBytes(dst + u"a.txt"_s), c.existing);
    EXPECT_EQ(EntriesIn(dst), c.targetFiles);
    ASSERT_EQ(int(messages.size()), c.questions);
    if (c.questions) {
        EXPECT_EQ(messages[0].text, u"文件"_s + QDir::cleanPath(dst) + u"/a.txt已存在，是否覆盖？"_s);
        EXPECT_EQ(messages[0].defaultButton, Dlg::IdYes);
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
    }
    // Subfolders are made at every depth; files in them are copied unless the mode copies nothing.
    EXPECT_EQ(FileBytes(dst + u"sub/deeper/c.bmp"_s), c.mode >= 1 && c.mode <= 4 ? QByteArray("c") : QByteArray());
    EXPECT_TRUE(QFileInfo(dst + u"sub/deeper"_s).isDir());
}

const QStringList plain{u"a.txt"_s, u"b.bmp"_s, u"sub"_s};

INSTANTIATE_TEST_SUITE_P(Modes, CopyModes, ::testing::Values(
    ModeCase{"Replace", 1, {}, "new", plain, 0}, ModeCase{"Keep", 2, {}, "old", plain, 0},
    ModeCase{"AskYes", 3, {Dlg::IdYes}, "new", plain, 1}, ModeCase{"AskNo", 3, {Dlg::IdNo}, "old", plain, 1},
    ModeCase{"NewName", 4, {}, "old", {u"a.txt"_s, u"a_1.txt"_s, u"b.bmp"_s, u"sub"_s}, 0},
    ModeCase{"OtherModeCopiesNoFile", 7, {}, "old", {u"a.txt"_s, u"sub"_s}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

using CopyFolderTreeTest = BackupFixture;

TEST_F(CopyFolderTreeTest, NewNameTakesTheFirstFreeNumber)
{
    const QString src = mkdir(u"src"_s), dst = mkdir(u"dst"_s);
    for (const auto& [file, text] : {std::pair{"photo.v1.bmp", "3"}, {"README", "r2"}}) write(src + QLatin1String(file), text);
    for (const auto& [file, text] : {std::pair{"photo.v1.bmp", "0"}, {"photo.v1_1.bmp", "1"}, {"photo.v1_2.bmp", "2"}, {"README", "r"}})
        write(dst + QLatin1String(file), text);
    EXPECT_TRUE(CopyFolderTree(src, dst, CopyNewName));
    EXPECT_EQ(FileBytes(dst + u"photo.v1_3.bmp"_s), "3");
    EXPECT_EQ(FileBytes(dst + u"README_1"_s), "r2");
    EXPECT_EQ(FileBytes(dst + u"photo.v1.bmp"_s), "0");
}

TEST_F(CopyFolderTreeTest, MissingSourceIsFalseAndMakesNothing)
{
    EXPECT_FALSE(CopyFolderTree(dir() + u"nowhere"_s, dir() + u"dst"_s, CopyReplace));
    EXPECT_FALSE(QFileInfo::exists(dir() + u"dst"_s));
}

} // namespace

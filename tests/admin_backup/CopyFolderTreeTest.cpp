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
    const QString src = mkdir(QStringLiteral("src"));
    const QString dst = mkdir(QStringLiteral("dst"));
    write(src + QStringLiteral("a.txt"), "new");
    write(src + QStringLiteral("b.bmp"), "b");
    QDir().mkpath(src + QStringLiteral("sub/deeper"));
    write(src + QStringLiteral("sub/deeper/c.bmp"), "c");
    write(dst + QStringLiteral("a.txt"), "old");
    answers = c.replies;

    EXPECT_TRUE(CopyFolderTree(src, dst, c.mode));

    EXPECT_EQ(bytes(dst + QStringLiteral("a.txt")), c.existing);
    EXPECT_EQ(filesIn(dst), c.targetFiles);
    EXPECT_EQ(int(messages.size()), c.questions);
    if (c.questions) {
        EXPECT_EQ(messages[0].text, QStringLiteral("文件") + QDir::cleanPath(dst) + QStringLiteral("/a.txt已存在，是否覆盖？"));
        EXPECT_EQ(messages[0].defaultButton, Dlg::IdYes);
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
    }
    // Subfolders are made at every depth; files in them are copied unless the mode copies nothing.
    EXPECT_EQ(bytes(dst + QStringLiteral("sub/deeper/c.bmp")), c.mode >= 1 && c.mode <= 4 ? QByteArray("c") : QByteArray());
    EXPECT_TRUE(QFileInfo(dst + QStringLiteral("sub/deeper")).isDir());
}

const QStringList plain{QStringLiteral("a.txt"), QStringLiteral("b.bmp"), QStringLiteral("sub")};

INSTANTIATE_TEST_SUITE_P(Modes, CopyModes, ::testing::Values(
    ModeCase{"Replace", 1, {}, "new", plain, 0},
    ModeCase{"Keep", 2, {}, "old", plain, 0},
    ModeCase{"AskYes", 3, {Dlg::IdYes}, "new", plain, 1},
    ModeCase{"AskNo", 3, {Dlg::IdNo}, "old", plain, 1},
    ModeCase{"NewName", 4, {}, "old", {QStringLiteral("a.txt"), QStringLiteral("a_1.txt"), QStringLiteral("b.bmp"), QStringLiteral("sub")}, 0},
    ModeCase{"OtherModeCopiesNoFile", 7, {}, "old", {QStringLiteral("a.txt"), QStringLiteral("sub")}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

using CopyFolderTreeTest = BackupFixture;

TEST_F(CopyFolderTreeTest, NewNameTakesTheFirstFreeNumber)
{
    const QString src = mkdir(QStringLiteral("src"));
    const QString dst = mkdir(QStringLiteral("dst"));
    write(src + QStringLiteral("photo.v1.bmp"), "3");
    write(src + QStringLiteral("README"), "r2");
    write(dst + QStringLiteral("photo.v1.bmp"), "0");
    write(dst + QStringLiteral("photo.v1_1.bmp"), "1");
    write(dst + QStringLiteral("photo.v1_2.bmp"), "2");
    write(dst + QStringLiteral("README"), "r");
    EXPECT_TRUE(CopyFolderTree(src, dst, CopyNewName));
    EXPECT_EQ(bytes(dst + QStringLiteral("photo.v1_3.bmp")), "3");
    EXPECT_EQ(bytes(dst + QStringLiteral("README_1")), "r2");
    EXPECT_EQ(bytes(dst + QStringLiteral("photo.v1.bmp")), "0");
}

TEST_F(CopyFolderTreeTest, MissingSourceIsFalseAndMakesNothing)
{
    EXPECT_FALSE(CopyFolderTree(dir() + QStringLiteral("nowhere"), dir() + QStringLiteral("dst"), CopyReplace));
    EXPECT_FALSE(QFileInfo::exists(dir() + QStringLiteral("dst")));
}

TEST_F(CopyFolderTreeTest, TargetInsideTheSourceIsLeftOut)
{
    const QString src = mkdir(QStringLiteral("src"));
    write(src + QStringLiteral("a.bmp"), "a");
    QStringList failed;
    EXPECT_TRUE(CopyFolderTree(src, src + QStringLiteral("copy/inner"), CopyReplace, &failed));
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(filesIn(src + QStringLiteral("copy/inner")), QStringList{QStringLiteral("a.bmp")});
}

} // namespace

// The files a photo change works with: the start-up removes those no change
// stands behind and leaves a running change's alone; a backup never copies one.
#include "RegisterFixture.h"
#include "admin/UnitBackup.h"
#include "app/Forms.h"
#include "ui_UnitBackup.h"
#include "support/FileTools.h"

namespace {

class PhotoRecovery : public RegisterTest {
protected:
    static QString work(const char* kind, char digit) { return u".%1-%2.bmp"_s.arg(QLatin1String(kind), QString(32, QLatin1Char(digit))); }
    // The names of the files under folder, at every depth.
    static QStringList namesUnder(const QString& folder)
    {
        QStringList l;
        for (const QString& f : FilesUnder(folder)) l << QFileInfo(f).fileName();
        l.sort();
        return l;
    }
    // A photo copy a stopped restore left half written.
    static QString partCopy(char digit) { return u".part-"_s + QString(32, QLatin1Char(digit)); }
};

TEST_F(PhotoRecovery, StrayWorkFilesGoAtStartUpARunningChangeStaysAndABackupCopiesNone)
{
    // A record's photos, one whose key only looks like a work file's name.
    for (const char* key : {"A", ".staged-x"}) storePhoto(CarPicDir, QLatin1String(key));
    const QStringList photos{u".staged-x.bmp"_s, u"A.bmp"_s};
    // Left by a stop before any note named them.
    storePhoto(CarPicDir, work("staged", '1').chopped(4));
    storePhoto(CustPicDir, work("aside", '2').chopped(4));
    ASSERT_TRUE(WriteFile(CustPicDir + partCopy('5'), "half"));
    // A change this program is making while another copy starts.
    auto running = std::make_unique<TStagedPhoto>(CarPicDir, TStagedPhoto::Action::Write, QImage(makePicture(u"p.bmp"_s, "BMP")));
    QStringList staged;
    for (const QString& name : FilesIn(CarPicDir))
        if (IsPhotoWorkFile(name) && name != work("staged", '1')) staged << name;
    ASSERT_EQ(staged.size(), 1);
    ASSERT_EQ(FilesIn(dir()).filter(u".photochange-"_s).size(), 1);

    DestroyForms();
    startApp();
    EXPECT_EQ(FilesIn(CarPicDir), QStringList({staged[0], u".staged-x.bmp"_s, u"A.bmp"_s}));
    EXPECT_EQ(FilesIn(CustPicDir), QStringList());
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s).size(), 1) << "the running change keeps its note";
    // Its own end removes them.
    running.reset();
    EXPECT_EQ(FilesIn(CarPicDir), photos);
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s), QStringList());

    // A backup taken while a change is under way copies the photos only.
    storePhoto(CarPicDir, work("aside", '3').chopped(4));
    storePhoto(CustPicDir, work("staged", '4').chopped(4));
    ASSERT_TRUE(WriteFile(CarPicDir + partCopy('6'), "half"));
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
    EXPECT_EQ(namesUnder(target).filter(u".bmp"_s), photos);
    EXPECT_EQ(namesUnder(target).filter(u".part-"_s), QStringList());
}

} // namespace

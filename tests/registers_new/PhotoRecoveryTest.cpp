// The files a photo change works with: the start-up removes those no change
// stands behind and leaves a running change's alone; a backup never copies one.
#include "RegisterFixture.h"
#include "admin/UnitBackup.h"
#include "app/Forms.h"
#include "ui_UnitBackup.h"
#include "support/FileTools.h"
#include <QRegularExpression>

namespace {

class PhotoRecovery : public RegisterTest {
protected:
    // A work file of a kind ("staged", "aside", "part") as a stop leaves it.
    static void storeWork(const QString& folder, const char* kind, char digit)
    {
        const QString name = u".%1-%2"_s.arg(QLatin1String(kind), QString(32, QLatin1Char(digit)));
        if (QLatin1String(kind) == "part") ASSERT_TRUE(WriteFile(folder + name, "half"));
        else storePhoto(folder, name);
    }
};

TEST_F(PhotoRecovery, StrayWorkFilesGoAtStartUpARunningChangeStaysAndABackupCopiesNone)
{
    // A record's photos, one whose key only looks like a work file's name.
    for (const char* key : {"A", ".staged-x"}) storePhoto(CarPicDir, QLatin1String(key));
    const QStringList photos{u".staged-x.bmp"_s, u"A.bmp"_s};
    // A change this program is making while another copy starts.
    auto running = std::make_unique<TStagedPhoto>(CarPicDir, TStagedPhoto::Action::Write, QImage(makePicture(u"p.bmp"_s, "BMP")));
    const QStringList kept = FilesIn(CarPicDir);
    ASSERT_EQ(kept.size(), 3);
    // Left by a stop before any note named them, and a photo copy a stopped restore left half written.
    storeWork(CarPicDir, "staged", '1');
    storeWork(CustPicDir, "aside", '2');
    storeWork(CustPicDir, "part", '5');
    DestroyForms();
    startApp();
    EXPECT_EQ(FilesIn(CarPicDir), kept);
    EXPECT_EQ(FilesIn(CustPicDir), QStringList());
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s).size(), 1) << "the running change keeps its note";
    // Its own end removes them.
    running.reset();
    EXPECT_EQ(FilesIn(CarPicDir), photos);
    EXPECT_EQ(FilesIn(dir()).filter(u".photochange-"_s), QStringList());

    // A backup taken while a change is under way copies the photos only.
    storeWork(CarPicDir, "aside", '3');
    storeWork(CustPicDir, "staged", '4');
    storeWork(CarPicDir, "part", '6');
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
    QStringList copied;
    for (const QString& f : FilesUnder(target)) copied << QFileInfo(f).fileName();
    copied.sort();
    EXPECT_EQ(copied.filter(QRegularExpression(u"\\.bmp$|^\\.part-"_s)), photos);
}

} // namespace

// A backup's table of photo-change marks is read at the restore's check as the
// next start-up will read it: one that start-up could not read is refused
// before anything is replaced; none, or marks of changes long over, restore.
#include "support/AppFixture.h"
#include "support/FileTools.h"
#include "support/PrintQString.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"

using namespace Qt::StringLiterals;
namespace {

class PhotoMarkRestore : public AppFixture {
protected:
    QString folder() const { return dir() + u"target/Tesmarul2025-1-9/"_s; }
    // A page of the backup dialog opened by its menu command: its folder chosen, its button clicked.
    void run(void (TfrmMain::*command)(), const QString& chosen, QPushButton* Ui::TfrmBackup::*choose,
             QPushButton* Ui::TfrmBackup::*go)
    {
        folderAnswers << chosen;
        whenShown(frmBackup, [&] {
            click(frmBackup->ui.get()->*choose);
            click(frmBackup->ui.get()->*go);
            if (frmBackup->isVisible()) frmBackup->reject();
        });
        (frmMain->*command)();
    }
};

TEST_F(PhotoMarkRestore, TheMarksAreCheckedAsStartUpReadsThem)
{
    SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)); });
    QDir().mkpath(dir() + u"target"_s);
    run(&TfrmMain::N8Click, dir() + u"target/"_s, &Ui::TfrmBackup::BtnSelectPath, &Ui::TfrmBackup::BtnBackup);
    ASSERT_EQ(messageTexts(), QStringList{u"备份完成！"_s});
    const QString bak = folder() + u"2025-1-9.bak"_s;
    const QByteArray made = FileBytes(bak);
    const struct { const char* name; const char* change; QString box; } rows[] = {
        {"no table of marks (an older backup)", "DROP TABLE PhotoChange", u"从备份文件成功恢复数据！"_s},
        {"marks of changes long over", "INSERT INTO PhotoChange(ID) VALUES('0123456789abcdef0123456789abcdef')",
         u"从备份文件成功恢复数据！"_s},
        {"a table of marks another tool remade", "DROP TABLE PhotoChange;CREATE TABLE PhotoChange(Mark)",
         u"从备份文件恢复数据失败：不是合法的备份文件！\n它的结构与本程序的数据库不符。\nno such column: ID"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(WriteFile(bak, made));
        {
            TADOConnection cn;
            cn.open(bak);
            for (const QString& s : QString::fromUtf8(r.change).split(u';')) cn.execute(s);
        }
        const QByteArray live = FileBytes(dbFile());
        messages.clear();
        answers = {Dlg::IdYes};
        run(&TfrmMain::N9Click, folder(), &Ui::TfrmBackup::BtnSelectDir, &Ui::TfrmBackup::BtnRecover);
        EXPECT_EQ(lastMessage(), r.box);
        const bool refused = !r.box.startsWith(u"从备份文件成功"_s);
        EXPECT_EQ(FileBytes(dbFile()) == live, refused) << "the live file replaced or not";
        // What the restore leaves, the next start-up reads.
        EXPECT_EQ(scalar(u"select count(*) from PhotoChange"_s).toLongLong(), 0);
        QFile::remove(dir() + u"R.~tmp"_s);
    }
}

} // namespace

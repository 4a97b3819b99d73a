#pragma once
// The backup dialog driven from the main window's two menu commands, with the
// clock fixed and folders answered through the folder-browser hook.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/FileTools.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "platform/Backup.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"

using namespace Qt::StringLiterals;
class BackupFixture : public AppFixture {
protected:
    const QString Done = u"备份完成！"_s;
    const QString NotValid = u"从备份文件恢复数据失败：不是合法的备份文件！"_s;
    const QString RestoredText = u"从备份文件成功恢复数据！"_s;

    Ui::TfrmBackup* B() { return frmBackup->ui; }
    void fixClock(const QDateTime& at) { SetClockHook([at] { return at; }); }

    // Chooses folder on the backup page and backs up once; the dialog is then closed.
    void backupTo(const QString& folder)
    {
        folderAnswers << folder;
        whenShown(frmBackup, [this] {
            click(B()->BtnSelectPath);
            if (B()->BtnBackup->isEnabled()) B()->BtnBackup->click();
            if (frmBackup->isVisible()) B()->BtnCancel->click();
        });
        frmMain->N8Click();
    }
    // Chooses folder on the restore page and clicks 恢复 when it is enabled
    // (otherwise 取消); answers go to the confirmation. Returns whether 恢复 was clicked.
    bool restoreFrom(const QString& folder, std::initializer_list<int> replies = {Dlg::IdYes})
    {
        answers.assign(replies.begin(), replies.end());
        folderAnswers << folder;
        bool clicked = false;
        whenShown(frmBackup, [this, &clicked] {
            click(B()->BtnSelectDir);
            clicked = B()->BtnRecover->isEnabled();
            if (clicked) B()->BtnRecover->click();
            if (frmBackup->isVisible()) B()->BtnCancel2->click();
        });
        frmMain->N9Click();
        return clicked;
    }

    static QString folderOf(const QString& root, const QDate& d) { return root + u"Tesmarul"_s + BackupDateText(d) + u"/"_s; }
    static void write(const QString& file, const QByteArray& content) { ASSERT_TRUE(WriteFile(file, content)) << file.toStdString(); }
    // A folder made inside the test's own folder.
    QString mkdir(const QString& name)
    {
        QDir().mkpath(dir() + name);
        return dir() + name + u"/"_s;
    }
    static QVariant inFile(const QString& file, const QString& sql) { return TDatabaseFile(file).scalar(sql); }
    void addCar(const QString& id) { exec(u"Insert into Car(CarID,State,Odograph) values(:id,'A',100)"_s, {{u"id"_s, id}}); }
    qint64 count(const QString& table) { return scalar(u"Select count(*) from "_s + table).toLongLong(); }
    // The one box shown: a failure whose text starts so, never the success notice.
    void expectOneFailure(const QString& start)
    {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(lastMessage().startsWith(start)) << lastMessage().toStdString();
        EXPECT_EQ(messages.back().caption, u"Quorvane"_s);
    }
};

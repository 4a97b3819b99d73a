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
#include <QDirIterator>

using namespace Qt::StringLiterals;
class BackupFixture : public AppFixture {
protected:
    const QString Done = u"备份完成！"_s;
    const QString RestoredText = u"从备份文件成功恢复数据！"_s;
    const QString Stamp = u"Select [Value] from Config where Item='BACKUP'"_s;

    QString root, folder;   // the target and the day's backup folder in it

    void SetUp() override
    {
        AppFixture::SetUp();
        fixClock(QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)));
        root = mkdir(u"target"_s);
        folder = folderOf(root, QDate(2025, 1, 9));
    }
    Ui::TfrmBackup* B() { return frmBackup->ui.get(); }
    void fixClock(const QDateTime& at) { SetClockHook([at] { return at; }); }
    QString bak() const { return folder + u"2025-1-9.bak"_s; }

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
    // Clicks 恢复 when the chosen folder enables it; replies answer the confirmation.
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
    QString mkdir(const QString& name) { QDir().mkpath(dir() + name); return dir() + name + u"/"_s; }
    static void link(const QString& to, const QString& name) { ASSERT_TRUE(QFile::link(to, name)) << name.toStdString(); }
    // Files under folder at every depth, by path from it.
    static QStringList filesUnder(const QString& folder)
    {
        QStringList l;
        for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            l << QDir(folder).relativeFilePath(it.next());
        l.sort();
        return l;
    }
    static QVariant inFile(const QString& file, const QString& sql) { return TDatabaseFile(file).scalar(sql); }
    void addCar(const QString& id) { exec(u"Insert into Car(CarID,State,Odograph) values(:id,'A',100)"_s, {{u"id"_s, id}}); }
    qint64 count(const QString& table) { return scalar(u"Select count(*) from "_s + table).toLongLong(); }
};

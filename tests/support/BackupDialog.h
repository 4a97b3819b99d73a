#pragma once
// The backup dialog through the main window's 数据备份 and 恢复 commands, on a fixed day: the
// target folder and the day's backup folder in it answered through the folder hook.
#include "support/AppFixture.h"
#include "support/FileTools.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "common/AppContext.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"

class BackupDialog : public AppFixture {
protected:
    const QString Done = QStringLiteral("备份完成！"), Restored = QStringLiteral("从备份文件成功恢复数据！");
    const QString root = dir() + QStringLiteral("target/"), folder = root + QStringLiteral("Tesmarul2025-1-9/");

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)); });
        QDir().mkpath(root);
    }
    QString bak() const { return folder + QStringLiteral("2025-1-9.bak"); }
    QString safety() const { return dir() + QStringLiteral("R.~tmp"); }
    Ui::TfrmBackup* B() { return frmBackup->ui.get(); }

    // Each records only its own boxes; a restore answers its confirmation yes.
    void backup()
    {
        messages.clear();
        folderAnswers << root;
        inWindow(frmBackup, &TfrmMain::N8Click, [this] { click(B()->BtnSelectPath); click(B()->BtnBackup); });
    }
    void restore()
    {
        messages.clear();
        answers = {Dlg::IdYes};
        folderAnswers << folder;
        inWindow(frmBackup, &TfrmMain::N9Click, [this] { click(B()->BtnSelectDir); click(B()->BtnRecover); });
    }
    static void write(const QString& file) { ASSERT_TRUE(WriteFile(file, file.toUtf8())) << file.toStdString(); }
    // Statements separated by ';' on a closed file.
    static void runOn(const QString& file, const QString& sql)
    {
        TADOConnection cn;
        cn.open(file);
        for (const QString& s : sql.split(QLatin1Char(';'))) cn.execute(s);
    }
};

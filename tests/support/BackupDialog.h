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
#include <QRegularExpression>

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

    // Each records only its own boxes; a restore answers its confirmation yes.
    void backup() { run(&TfrmMain::N8Click, root, &Ui::TfrmBackup::BtnSelectPath, &Ui::TfrmBackup::BtnBackup); }
    void restore() { answers = {Dlg::IdYes}; run(&TfrmMain::N9Click, folder, &Ui::TfrmBackup::BtnSelectDir, &Ui::TfrmBackup::BtnRecover); }
    void run(void (TfrmMain::*command)(), const QString& chosen, QPushButton* Ui::TfrmBackup::*choose, QPushButton* Ui::TfrmBackup::*go)
    {
        messages.clear();
        folderAnswers << chosen;
        inWindow(frmBackup, command, [&] { click(frmBackup->ui.get()->*choose); click(frmBackup->ui.get()->*go); });
    }
    static void write(const QString& file) { ASSERT_TRUE(WriteFile(file, file.toUtf8())) << file.toStdString(); }
    // Statements separated by ';' on a closed file.
    static void runOn(const QString& file, const QString& sql)
    {
        TADOConnection cn;
        cn.open(file);
        // Statements part at a ";" with no blank after it (a trigger's body keeps its own).
        for (const QString& s : sql.split(QRegularExpression(QStringLiteral(";(?! )")))) cn.execute(s);
    }
};

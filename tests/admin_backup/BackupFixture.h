#pragma once
// The backup dialog driven from the main window's two menu commands, with the
// clock fixed and folders answered through the folder-browser hook.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "platform/Backup.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"
#include <QCryptographicHash>
#include <QFile>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

class BackupFixture : public AppFixture {
protected:
    const QString Done = QStringLiteral("备份完成！");
    const QString NotValid = QStringLiteral("从备份文件恢复数据失败：不是合法的备份文件！");
    const QString RestoredText = QStringLiteral("从备份文件成功恢复数据！");

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

    static QString folderOf(const QString& root, const QDate& d) { return root + QStringLiteral("Tesmarul") + BackupDateText(d) + QLatin1Char('/'); }

    static QByteArray bytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& file, const QByteArray& content)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
        f.write(content);
    }
    // A folder made inside the test's own folder.
    QString mkdir(const QString& name)
    {
        QDir().mkpath(dir() + name);
        return dir() + name + QLatin1Char('/');
    }
    QStringList filesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
    static QVariant inFile(const QString& file, const QString& sql)
    {
        TDatabaseFile f(file);
        return f.scalar(sql);
    }

    void addCar(const QString& id)
    {
        exec(QStringLiteral("Insert into Car(CarID,State,Odograph) values(:id,'A',100)"), {{QStringLiteral("id"), id}});
    }
    qint64 count(const QString& table) { return scalar(QStringLiteral("Select count(*) from ") + table).toLongLong(); }
};

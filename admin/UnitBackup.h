#pragma once
#include <memory>
#include "platform/Form.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace Ui { class TfrmBackup; }

// Backup and restore of the database and the two photo folders. A backup goes
// into the dated folder "Tesmarul{Y}-{M}-{D}" inside the folder chosen; a
// restore takes the backup file of a chosen folder, once it has been checked.
class TfrmBackup : public TForm {
    Q_OBJECT
public:
    explicit TfrmBackup(QWidget* parent = nullptr);
    ~TfrmBackup() override;

    void PageControl1Change();
    void BtnSelectPathClick();
    void BtnSelectDirClick();
    void BtnBackupClick();
    void BtnRecoverClick();

    std::unique_ptr<Ui::TfrmBackup> ui;
    bool Restored = false;   // set when a restore has replaced the live data

private:
    void FormCreate();
};

extern TfrmBackup* frmBackup;

// "2025-1-9": the date of a backup's folder and file, without leading zeros.
QString BackupDateText(const QDate& d);

// The first "*-*-*.bak" file (any letter case) of a folder, in name order;
// empty when there is none.
QString FindBackupFile(const QString& folder);

// A backup file looked at as start-up would open it, through a read-only
// connection: sound throughout, with the program's tables, every read of
// start-up and every column of the indexes start-up makes, and a BACKUP stamp.
struct TBackupCheck {
    QString stamp;     // the BACKUP value when the file passed
    QString problem;   // why it cannot serve: a sentence, then the finding; empty when it can
    bool usable() const { return problem.isEmpty(); }
};
TBackupCheck CheckBackupFile(const QString& fileName);


// What CopyFolderTree does with a file whose target already exists.
enum CopyMode { CopyReplace = 1, CopyKeep = 2, CopyAsk = 3, CopyNewName = 4 };

// What a folder copy left undone, by path.
struct TCopyReport {
    QStringList failed;   // target files not written
    QStringList unread;   // source folders that could not be listed
    QStringList links;    // folder links not followed: they lead back up the tree or to the target
};

// Copies every file of Source and its subfolders, at every depth, into
// Target, making the folders as needed; Mode says what happens to a file
// whose target exists. Folders are known by device and inode, whatever path
// (a link, a mount) reaches them. A link to a folder is copied as a folder,
// unless it leads to a folder the copy is already inside (a loop) or to one
// holding Target: those are named in the report. Each real folder is copied
// once: a link into Source's own tree, or a folder already copied through
// another path, is passed over. A subfolder of Source that is Target or holds
// it is left out, so a target inside the source never copies itself. True when
// Source could be listed and every copy the mode called for was made; the
// rest goes to report.
bool CopyFolderTree(const QString& Source, const QString& Target, int Mode, TCopyReport* report = nullptr);

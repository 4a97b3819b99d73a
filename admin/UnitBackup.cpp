#include "admin/UnitBackup.h"
#include "ui_UnitBackup.h"
#include "common/AppContext.h"
#include "common/UnitPhoto.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Backup.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/Moment.h"
#include "platform/Look.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstdio>

TfrmBackup* frmBackup = nullptr;

namespace {

const QString kNotValid = QStringLiteral("从备份文件恢复数据失败：不是合法的备份文件！");

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

// Copies a file whole to a temporary name beside the target, then renames it
// onto the target, so an existing file is replaced only by a complete copy.
bool copyFile(const QString& from, const QString& to)
{
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part)) {
        QFile::remove(part);
        return false;
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

// What one folder copy has seen, in real paths.
struct TCopyWalk {
    QString top;              // the source folder
    QString guard;            // the target folder
    QStringList chain;        // the folders being copied, from the top down to the current one
    QSet<QString> copied;     // every folder copied so far
    TCopyReport& report;
};

// Copies one folder. A link back into a folder of the chain is a loop; a link
// into the source's own tree, or to a folder already copied by another path,
// is a second path to folders copied once already, and is passed over.
bool copyTree(const QString& source, const QString& target, int mode, TCopyWalk& walk)
{
    TCopyReport& report = walk.report;
    const QFileInfo self(source);
    if (!self.isReadable() || !self.isExecutable()) {
        report.unread << source;
        return false;
    }
    // When the target folder cannot be made, each file is still tried, and counted as it fails.
    QDir().mkpath(target);
    walk.chain << self.canonicalFilePath();
    walk.copied.insert(walk.chain.last());
    bool ok = true;
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& fi : entries) {
        if (IsPhotoWorkFile(fi.fileName())) continue;   // a photo change's own files are never copied
        const QString to = target + QLatin1Char('/') + fi.fileName();
        if (fi.isDir()) {
            const QString real = fi.canonicalFilePath();
            const bool link = fi.isSymLink();
            const bool loops = link && std::any_of(walk.chain.cbegin(), walk.chain.cend(),
                                                   [&](const QString& f) { return FolderHolds(real, f); });
            if (loops || FolderHolds(real, walk.guard)) {
                // The target's own tree is never copied; a link is named, not passed over.
                if (link) report.links << fi.absoluteFilePath();
                continue;
            }
            if (link && (FolderHolds(walk.top, real) || walk.copied.contains(real))) continue;
            if (!copyTree(fi.absoluteFilePath(), to, mode, walk)) ok = false;
            continue;
        }
        if (!fi.isFile()) {   // a link to nothing, or no file at all: there is nothing to copy
            ok = false;
            report.failed << to;
            continue;
        }
        QString dest = to;
        const bool exists = QFileInfo::exists(to);
        switch (mode) {
        case CopyReplace:
            break;
        case CopyKeep:
            if (exists) continue;
            break;
        case CopyAsk:
            if (exists && Dlg::MessageBox(nullptr, QStringLiteral("文件") + to + QStringLiteral("已存在，是否覆盖？"),
                                          AppTitle(), Dlg::Icon::Question, Dlg::Buttons::YesNo, Dlg::IdYes) != Dlg::IdYes)
                continue;
            break;
        case CopyNewName:
            if (exists) {
                const QString suffix = fi.suffix().isEmpty() ? QString() : QLatin1Char('.') + fi.suffix();
                const QString base = fi.suffix().isEmpty() ? fi.fileName() : fi.completeBaseName();
                for (int n = 1;; ++n) {
                    dest = target + QLatin1Char('/') + base + QLatin1Char('_') + QString::number(n) + suffix;
                    if (!QFileInfo::exists(dest)) break;
                }
            }
            break;
        default:
            continue;
        }
        if (!copyFile(fi.absoluteFilePath(), dest)) {
            ok = false;
            report.failed << dest;
        }
    }
    walk.chain.removeLast();
    return ok;
}

// What a photo copy lost, one sentence each.
QStringList lostPhotos(const TCopyReport& r)
{
    QStringList l;
    if (!r.failed.isEmpty())
        l << QStringLiteral("有 %1 个图片文件没有复制，例如“%2”。").arg(r.failed.size()).arg(r.failed.first());
    if (!r.unread.isEmpty())
        l << QStringLiteral("有 %1 个目录无法读取，其中的图片文件没有复制，例如“%2”。").arg(r.unread.size()).arg(r.unread.first());
    return l;
}

// The folder links a photo copy did not follow, as a line of its own ("" when none).
QString linksNotFollowed(const TCopyReport& r)
{
    if (r.links.isEmpty()) return {};
    return QStringLiteral("\n以下目录链接指向上层目录或备份目录，没有跟随复制：“") + r.links.join(QStringLiteral("”、“"))
        + QStringLiteral("”。");
}

} // namespace

bool FolderHolds(const QString& folder, const QString& path)
{
    if (folder.isEmpty() || !path.startsWith(folder)) return false;
    // The root ends in its separator already, and holds every path.
    return path.size() == folder.size() || folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/');
}

QString BackupDateText(const QDate& d)
{
    return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
}

QString FindBackupFile(const QString& folder)
{
    if (folder.isEmpty()) return {};
    const QDir dir(folder);
    const QStringList found = dir.entryList({QStringLiteral("*-*-*.bak")}, QDir::Files | QDir::Hidden, QDir::Name);
    return found.isEmpty() ? QString() : dir.absoluteFilePath(found.first());
}

std::optional<QString> ReadBackupStamp(const QString& fileName)
{
    try {
        TDatabaseFile file(fileName);
        if (!file.quickCheck().isEmpty() || !file.hasTables(ProgramTables())) return std::nullopt;
        const QVariant v = file.scalar(QStringLiteral("Select [Value] from [Config] where Item=:item"),
                                       {{QStringLiteral("item"), QStringLiteral("BACKUP")}});
        if (v.isNull()) return std::nullopt;
        return v.toString();
    } catch (const EAppError&) {
        return std::nullopt;
    }
}

bool CopyFolderTree(const QString& Source, const QString& Target, int Mode, TCopyReport* report)
{
    const QString source = QDir::cleanPath(QDir(Source).absolutePath());
    const QString target = QDir::cleanPath(QDir(Target).absolutePath());
    if (!QFileInfo(source).isDir()) return false;
    TCopyReport own;
    TCopyReport& r = report ? *report : own;
    QDir().mkpath(target);
    TCopyWalk walk{QFileInfo(source).canonicalFilePath(), QFileInfo(target).canonicalFilePath(), {}, {}, r};
    return copyTree(source, target, Mode, walk);
}

TfrmBackup::TfrmBackup(QWidget* parent) : TForm(parent), ui(new Ui::TfrmBackup)
{
    ui->setupUi(this);
    UseFlatButtonTabs(ui->PageControl1);
    setFixedSize(size());
    setEscapeCloses(true);

    On(ui->PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
    On(ui->BtnSelectPath, &QPushButton::clicked, this, [this] { BtnSelectPathClick(); });
    On(ui->BtnSelectDir, &QPushButton::clicked, this, [this] { BtnSelectDirClick(); });
    On(ui->BtnBackup, &QPushButton::clicked, this, [this] { BtnBackupClick(); });
    On(ui->BtnRecover, &QPushButton::clicked, this, [this] { BtnRecoverClick(); });
    // The restore button closes the dialog with OK after its handler, whatever happened.
    connect(ui->BtnRecover, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->BtnCancel2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

TfrmBackup::~TfrmBackup() = default;

void TfrmBackup::FormCreate()
{
    ui->lblBackupDir->clear();
    SetReadOnlySilver(ui->EdtBackupPath);
    SetReadOnlySilver(ui->EdtRecoverDir);
}

void TfrmBackup::PageControl1Change()
{
    setWindowTitle(ui->PageControl1->tabText(ui->PageControl1->currentIndex()));
}

void TfrmBackup::BtnSelectPathClick()
{
    const QString chosen = Dlg::BrowseFolder(this, QStringLiteral("选择备份文件保存目录"));
    if (chosen.isEmpty()) return;
    const QString folder = withSlash(chosen);
    SetEditText(ui->EdtBackupPath, folder);
    ui->lblBackupDir->setText(QStringLiteral("提示： 数据备份到") + folder + QStringLiteral("Tesmarul")
                              + BackupDateText(NowMoment().date()) + QLatin1Char('/'));
    ui->BtnBackup->setEnabled(true);
}

void TfrmBackup::BtnSelectDirClick()
{
    const QString chosen = Dlg::BrowseFolder(this, QStringLiteral("选择备份文件所在的目录"));
    if (chosen.isEmpty()) return;
    const QString folder = withSlash(chosen);
    SetEditText(ui->EdtRecoverDir, folder);
    ui->BtnRecover->setEnabled(!FindBackupFile(folder).isEmpty());
}

void TfrmBackup::BtnBackupClick()
{
    const QDateTime now = NowMoment();
    const QString day = BackupDateText(now.date());
    const QString folder = ui->EdtBackupPath->text() + QStringLiteral("Tesmarul") + day + QLatin1Char('/');
    if (!QDir().mkpath(folder))
        throw EAppError(QStringLiteral("备份失败：无法创建目录“%1”。").arg(folder));

    // The copy is taken from the open connection and stamped before it takes
    // the backup's name, so a .bak file always carries its stamp.
    const QString stamp = DateTimeToStr(now);
    try {
        BackupDatabaseToFile(AppConnection(), folder + day + QStringLiteral(".bak"), [&](TADOConnection& copy) {
            WriteConfig(copy, QStringLiteral("BACKUP"), stamp);
        });
    } catch (const EAppError& e) {
        throw EAppError(QStringLiteral("备份失败：") + e.message());
    }

    TCopyReport photos;
    for (const auto& [name, live] : {std::pair{QStringLiteral("DBPic"), CarPicDir},
                                     std::pair{QStringLiteral("DBCustPic"), CustPicDir}}) {
        if (!QFileInfo(live).isDir()) continue;   // no photos to copy
        CopyFolderTree(live, folder + name, CopyReplace, &photos);
    }
    const QStringList lost = lostPhotos(photos);
    if (!lost.isEmpty())
        throw EAppError(QStringLiteral("备份没有完成：数据库已备份，但") + lost.join(QLatin1Char('\n')) + linksNotFollowed(photos));
    Dlg::Notice(this, QStringLiteral("备份完成！") + linksNotFollowed(photos));
}

void TfrmBackup::BtnRecoverClick()
{
    Restored = false;
    const QString dir = ui->EdtRecoverDir->text();
    const QString file = FindBackupFile(dir);
    if (file.isEmpty()) {
        Dlg::Notice(this, QStringLiteral("没有找到备份文件！"));
        return;
    }
    // Everything is checked before the live data are touched.
    const std::optional<QString> stamp = ReadBackupStamp(file);
    if (!stamp) {
        Dlg::Notice(this, kNotValid);
        return;
    }
    if (!Dlg::Confirm(this, QStringLiteral("数据备份日期：[ ") + *stamp + QStringLiteral(" ] 要从这个备份恢复数据吗？")))
        return;

    TADOConnection& cn = AppConnection();
    try {
        BackupDatabaseToFile(cn, AppDir() + QStringLiteral("R.~tmp"));
    } catch (const EAppError& e) {
        Dlg::Notice(this, QStringLiteral("从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”，现有数据没有改动。\n")
                              + e.message());
        return;
    }
    try {
        RestoreDatabaseFromFile(cn, file);
    } catch (const EAppError& e) {
        Dlg::Notice(this, QStringLiteral("从备份文件恢复数据失败，现有数据没有改动。\n") + e.message());
        return;
    }
    // From here on the live data are the backup's.
    Restored = true;
    // The schema first, so windows that re-read on the signal find the account book.
    QStringList problems;
    try {
        EnsureSchema(cn);
    } catch (const EAppError& e) {
        problems << e.message();
    }
    AppEvents::instance().databaseReplaced();
    TCopyReport photos;
    for (const auto& [name, live] : {std::pair{QStringLiteral("DBPic"), CarPicDir},
                                     std::pair{QStringLiteral("DBCustPic"), CustPicDir}}) {
        const QString saved = dir + name;
        if (!QFileInfo(saved).isDir()) continue;   // a backup without photos of this kind
        CopyFolderTree(saved, live, CopyKeep, &photos);
    }
    problems << lostPhotos(photos);
    if (!problems.isEmpty()) {
        Dlg::Notice(this, QStringLiteral("数据已从备份文件恢复，但恢复没有全部完成：\n") + problems.join(QLatin1Char('\n'))
                              + linksNotFollowed(photos));
        return;
    }
    Dlg::Notice(this, QStringLiteral("从备份文件成功恢复数据！") + linksNotFollowed(photos));
}

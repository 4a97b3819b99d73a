#include "admin/UnitBackup.h"
#include "ui_UnitBackup.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
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
#include <optional>
#include <sys/stat.h>

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
// The temporary name is short, so every name the folder takes can be copied.
bool copyFile(const QString& from, const QString& to)
{
    const QString part = TemporaryFileBeside(to);
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

// A folder by device and inode: the same whatever path (link or mount) reaches it.
using TFolderId = std::pair<quint64, quint64>;

std::optional<TFolderId> folderId(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return TFolderId{quint64(st.st_dev), quint64(st.st_ino)};
}

// A folder and every folder holding it up to the root, along its real path;
// empty when the folder cannot be found.
QList<TFolderId> folderAndHolders(const QFileInfo& folder)
{
    QList<TFolderId> ids;
    QString path = folder.canonicalFilePath();
    if (path.isEmpty()) return ids;
    for (;;) {
        if (const auto id = folderId(path)) ids << *id;
        if (path == QLatin1String("/")) return ids;
        path = QFileInfo(path).path();
    }
}

// What one folder copy has seen, by identity.
struct TCopyWalk {
    TFolderId top;                       // the source folder
    QSet<TFolderId> guard;               // the target folder and every folder holding it
    QList<QList<TFolderId>> chain;       // for each folder being copied, from the top down: it and its holders
    QSet<TFolderId> copied;              // every folder copied so far
    TCopyReport& report;
};

// Whether the copy goes into the subfolder fi, whose holders it gives in ups.
// Never into the target or a folder holding it, nor back up the chain (a
// loop): a link to those is named. A folder copied already, or a link into
// the source's own tree (the folder is copied where it stands), is passed over.
// A folder that cannot be found is tried, and reported as not read.
bool entersFolder(const QFileInfo& fi, TCopyWalk& walk, QList<TFolderId>& ups)
{
    ups = folderAndHolders(fi);
    if (ups.isEmpty()) return true;
    const TFolderId self = ups.first();
    const bool link = fi.isSymLink();
    const bool loops = std::any_of(walk.chain.cbegin(), walk.chain.cend(),
                                   [&](const QList<TFolderId>& held) { return held.contains(self); });
    if (loops || walk.guard.contains(self)) {
        if (link) walk.report.links << fi.absoluteFilePath();
        return false;
    }
    return !walk.copied.contains(self) && !(link && ups.contains(walk.top));
}

// Copies one folder, whose holders are ups, and the subfolders it may enter.
bool copyTree(const QString& source, const QString& target, int mode, TCopyWalk& walk, const QList<TFolderId>& ups)
{
    TCopyReport& report = walk.report;
    const QFileInfo self(source);
    if (ups.isEmpty() || !self.isReadable() || !self.isExecutable()) {
        report.unread << source;
        return false;
    }
    // When the target folder cannot be made, each file is still tried, and counted as it fails.
    QDir().mkpath(target);
    walk.chain << ups;
    walk.copied.insert(ups.first());
    bool ok = true;
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    // Each entry is considered here, one by one: a folder, then a file.
    for (const QFileInfo& fi : entries) {
        if (IsPhotoWorkFile(fi.fileName())) continue;   // a photo change's own files are never copied
        const QString to = target + QLatin1Char('/') + fi.fileName();
        if (fi.isDir()) {
            QList<TFolderId> held;
            if (entersFolder(fi, walk, held) && !copyTree(fi.absoluteFilePath(), to, mode, walk, held)) ok = false;
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

TBackupCheck CheckBackupFile(const QString& fileName)
{
    const QString unfit = QStringLiteral("它的结构与本程序的数据库不符。\n");
    try {
        TDatabaseFile file(fileName);
        if (const QString found = file.quickCheck(); !found.isEmpty())
            return {{}, QStringLiteral("文件已损坏。\n") + found.split(QLatin1Char('\n')).mid(0, 3).join(QLatin1Char('\n'))};
        const QStringList tables = file.tableNames();
        QStringList missing;
        for (const QString& t : ProgramTables())
            if (!tables.contains(t, Qt::CaseInsensitive)) missing << t;
        if (!missing.isEmpty())
            return {{}, QStringLiteral("它不是本程序的数据库。\n缺少数据表 ") + missing.join(QStringLiteral("、"))};
        for (const TStartupRead& read : StartupReads()) {
            const QStringList columns = file.readThrough(read.sql);
            for (const QString& f : read.fields)
                if (!columns.contains(f, Qt::CaseInsensitive)) return {{}, unfit + QStringLiteral("找不到字段 ") + f};
        }
        // Start-up makes the indexes a file lacks; the account book comes with them.
        // A trigger's name is its own: it takes no table's or index's name.
        for (const SchemaIndex& ix : SchemaIndexes()) {
            const QVariant kind = file.scalar(QStringLiteral("Select type from sqlite_master where name=:n collate nocase and type<>'trigger'"),
                                              {{QStringLiteral("n"), ix.name}});
            if (!kind.isNull() && kind.toString() != QLatin1String("index"))
                return {{}, unfit + QStringLiteral("索引名 %1 已被其他对象占用").arg(ix.name)};
            if (kind.isNull() && tables.contains(ix.table, Qt::CaseInsensitive))
                file.readThrough(QStringLiteral("Select [%1] from [%2] limit 0").arg(ix.column, ix.table));
        }
        // The end of start-up makes the account book and the table of photo
        // marks when no table bears their names.
        for (const QString& name : {QStringLiteral("ACCT"), QStringLiteral("PhotoChange")}) {
            const QVariant kind = file.scalar(QStringLiteral("Select type from sqlite_master where name=:n collate nocase and type<>'trigger'"),
                                              {{QStringLiteral("n"), name}});
            if (!kind.isNull() && kind.toString() != QLatin1String("table"))
                return {{}, unfit + QStringLiteral("数据表名 %1 已被其他对象占用").arg(name)};
        }
        // Start-up reads the marks of photo changes when the file has their table.
        if (tables.contains(QStringLiteral("PhotoChange"), Qt::CaseInsensitive))
            file.readThrough(QStringLiteral("Select ID from PhotoChange limit 0"));
        const QVariant v = file.scalar(QStringLiteral("Select [Value] from [Config] where Item=:item"),
                                       {{QStringLiteral("item"), QStringLiteral("BACKUP")}});
        if (v.isNull()) return {{}, QStringLiteral("文件中没有备份日期。")};
        return {v.toString(), {}};
    } catch (const EEngineError& e) {
        return {{}, UnusableFileCause(e.code()) + QLatin1Char('\n') + e.engineText()};
    } catch (const EAppError& e) {
        return {{}, e.message()};
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
    const QList<TFolderId> top = folderAndHolders(QFileInfo(source));
    const QList<TFolderId> guard = folderAndHolders(QFileInfo(target));
    TCopyWalk walk{top.value(0), {guard.cbegin(), guard.cend()}, {}, {}, r};
    return copyTree(source, target, Mode, walk, top);
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

    // The copy is taken from the open connection, stamped and checked as a
    // restore checks it before it takes the backup's name: a .bak file always
    // carries its stamp and would restore; a copy that fails is removed.
    const QString stamp = DateTimeToStr(now);
    TADOConnection& cn = AppConnection();
    QString unusable;
    try {
        BackupDatabaseToFile(cn, folder + day + QStringLiteral(".bak"), [&](TADOConnection& copy) {
            WriteConfig(copy, QStringLiteral("BACKUP"), stamp);
            unusable = CheckBackupFile(copy.fileName()).problem;
            if (!unusable.isEmpty()) throw EAppError(unusable);
        });
    } catch (const EAppError& e) {
        if (!unusable.isEmpty())
            throw EAppError(QStringLiteral("备份失败：数据库的副本无法用来恢复数据，已被删除。现有数据文件“%1”有问题：")
                                .arg(cn.fileName()) + unusable);
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
    // The backup is read as start-up would read it before the live data are touched.
    const TBackupCheck check = CheckBackupFile(file);
    if (!check.usable()) {
        Dlg::Notice(this, kNotValid + QLatin1Char('\n') + check.problem);
        return;
    }
    if (!Dlg::Confirm(this, QStringLiteral("数据备份日期：[ ") + check.stamp + QStringLiteral(" ] 要从这个备份恢复数据吗？")))
        return;

    TADOConnection& cn = AppConnection();
    const QString safetyCopy = AppDir() + QStringLiteral("R.~tmp");
    const QString keptLine = QStringLiteral("\n恢复前的数据保存在“%1”。").arg(safetyCopy);
    try {
        BackupDatabaseToFile(cn, safetyCopy);
    } catch (const EAppError& e) {
        Dlg::Notice(this, QStringLiteral("从备份文件恢复数据失败：无法保存现有数据的副本“R.~tmp”，现有数据没有改动。\n")
                              + e.message());
        return;
    }
    try {
        RestoreDatabaseFromFile(cn, file);
    } catch (const EAppError& e) {
        Dlg::Notice(this, QStringLiteral("从备份文件恢复数据失败，现有数据没有改动。\n") + e.message() + keptLine);
        return;
    }
    // From here on the live data are the backup's.
    Restored = true;
    // The schema first, so windows that re-read on the signal find the account book.
    QStringList problems;
    QString kept;   // the data replaced are named when the restored ones are not whole
    try {
        EnsureSchema(cn);
        // A backup another tool left in WAL mode brings that mode with its pages.
        cn.useRollbackJournal();
    } catch (const EAppError& e) {
        problems << e.message();
        kept = keptLine;
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
                              + linksNotFollowed(photos) + kept);
        return;
    }
    Dlg::Notice(this, QStringLiteral("从备份文件成功恢复数据！") + linksNotFollowed(photos));
}

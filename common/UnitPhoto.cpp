#include "common/UnitPhoto.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Image.h"
#include "platform/Look.h"
#include "platform/Transaction.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollArea>
#include <QUuid>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <jpeglib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool tooLarge(qint64 w, qint64 h) { return w > MaxPhotoSide || h > MaxPhotoSide || w * h > MaxPhotoPixels; }
const QString kTooLarge = QStringLiteral("图片太大");

QString shown(const QString& fileName) { return QDir::toNativeSeparators(fileName); }

enum class PhotoKind { Other, Bmp, Jpeg };

PhotoKind kindOf(const QString& fileName)
{
    const QString up = fileName.toUpper();
    if (up.endsWith(QLatin1String(".BMP"))) return PhotoKind::Bmp;
    if (up.endsWith(QLatin1String(".JPG")) || up.endsWith(QLatin1String(".JPEG"))) return PhotoKind::Jpeg;
    return PhotoKind::Other;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void jpegFail(j_common_ptr c)
{
    auto* e = reinterpret_cast<JpegError*>(c->err);
    (*c->err->format_message)(c, e->text);
    std::longjmp(e->jump, 1);
}

// Warnings (a truncated file, for one) go nowhere: the decoder goes on as it
// does by default.
void jpegQuiet(j_common_ptr) {}

// libjpeg with its default settings (full size). No object with a destructor
// is made between setjmp and the last call that may jump.
bool decodeJpeg(const QByteArray& data, QImage& out, QString& error)
{
    jpeg_decompress_struct info;
    JpegError err;
    QByteArray row;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    err.mgr.output_message = jpegQuiet;
    err.text[0] = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        out = QImage();
        error = QString::fromLocal8Bit(err.text);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (tooLarge(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        error = kTooLarge;
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    const qint64 w = info.output_width, h = info.output_height;
    if (w <= 0 || h <= 0 || tooLarge(w, h)) {
        jpeg_destroy_decompress(&info);
        error = kTooLarge;
        return false;
    }
    out = QImage(int(w), int(h), QImage::Format_RGB888);
    if (out.isNull()) {
        jpeg_destroy_decompress(&info);
        error = QStringLiteral("内存不足");
        return false;
    }
    if (cmyk) row.resize(int(w) * 4);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        uchar* line = out.scanLine(y);
        JSAMPROW target = cmyk ? reinterpret_cast<JSAMPROW>(row.data()) : line;
        jpeg_read_scanlines(&info, &target, 1);
        if (cmyk) {
            // Adobe writes CMYK inverted, which is what JPEG files carry.
            const auto* in = reinterpret_cast<const uchar*>(row.constData());
            for (int x = 0; x < w; ++x, in += 4) {
                line[3 * x] = uchar(in[0] * in[3] / 255);
                line[3 * x + 1] = uchar(in[1] * in[3] / 255);
                line[3 * x + 2] = uchar(in[2] * in[3] / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    // A warning means damaged data (a file cut off is filled with grey).
    const long warnings = err.mgr.num_warnings;
    jpeg_destroy_decompress(&info);
    if (warnings > 0) {
        out = QImage();
        error = QStringLiteral("文件已损坏或不完整");
        return false;
    }
    return true;
}

QImage loadBmp(const QString& fileName, QString& error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) { error = f.errorString(); return {}; }
    QImageReader reader(&f, "BMP");
    reader.setAutoDetectImageFormat(false);   // the ending says BMP: nothing else is read
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size.width(), size.height())) { error = kTooLarge; return {}; }
    QImage img = reader.read();
    if (img.isNull()) error = reader.errorString();
    return img;
}

QImage loadJpeg(const QString& fileName, QString& error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) { error = f.errorString(); return {}; }
    const QByteArray data = f.readAll();
    QImage img;
    if (!decodeJpeg(data, img, error)) return {};
    return img;
}

} // namespace

QString PhotoFileName(const QString& folder, const QString& key)
{
    return folder + key + QStringLiteral(".bmp");
}

bool PhotoKeyStaysInFolder(const QString& key)
{
    return !key.isEmpty() && !key.contains(QLatin1Char('/')) && !key.contains(QLatin1Char('\\'))
        && !key.contains(QChar(0)) && key != QLatin1String(".") && key != QLatin1String("..");
}

int PhotoNameLimit(const QString& folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 && limit < 65536 ? int(limit) : 255;
}

bool PhotoKeyFitsFolder(const QString& folder, const QString& key)
{
    return PhotoKeyStaysInFolder(key)
        && QFile::encodeName(key + QStringLiteral(".bmp")).size() <= PhotoNameLimit(folder);
}

bool HasPhotoFile(const QString& folder, const QString& key)
{
    return PhotoKeyFitsFolder(folder, key) && QFileInfo(PhotoFileName(folder, key)).isFile();
}

bool CheckPhotoKey(QWidget* owner, const QString& folder, const QString& key, const QString& what, bool photoKept)
{
    if (!PhotoKeyStaysInFolder(key)) {
        Dlg::Notice(owner, what + QStringLiteral("不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！"));
        return false;
    }
    if (!photoKept || PhotoKeyFitsFolder(folder, key)) return true;
    // A Chinese character takes three bytes of a file name, a letter or digit one.
    const int bytes = PhotoNameLimit(folder) - 4;
    Dlg::Notice(owner, what + QStringLiteral("太长，无法用作照片的文件名（最多%1个字母或数字，或%2个汉字），请重新输入！")
                                  .arg(bytes).arg(bytes / 3));
    return false;
}

QString PhotoFileCause(const QString& folder, int err) { return FileErrorCause(err, folder, QStringLiteral("照片文件夹")); }

bool PhotoNamesAreOneFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    if (sa.st_dev != sb.st_dev) return false;
    if (sa.st_ino == sb.st_ino) return true;
    // Some file systems that ignore letter case give each spelling its own
    // inode: the second name then finds a file that no entry spells as it.
    // A folder that cannot be listed (searched but not read) tells nothing of
    // the kind, and two files must never be taken for one.
    if (a.compare(b, Qt::CaseInsensitive) != 0) return false;
    const QFileInfo fb(b);
    DIR* dir = ::opendir(QFile::encodeName(fb.path()).constData());
    if (!dir) return false;
    const QByteArray name = QFile::encodeName(fb.fileName());
    bool spelled = false;
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (name == e->d_name) { spelled = true; break; }
    }
    const bool listed = spelled || errno == 0;
    ::closedir(dir);
    return listed && !spelled;
}

bool DeletePhotoFile(const QString& folder, const QString& key)
{
    return HasPhotoFile(folder, key) && QFile::remove(PhotoFileName(folder, key));
}

QImage LoadPhotoFile(const QString& fileName, QString* error) { return LoadPhotoFile(fileName, error, nullptr); }

QImage LoadPhotoFile(const QString& fileName, QString* error, PhotoProblem* problem)
{
    QString why;
    QImage img;
    PhotoProblem p = PhotoProblem::None;
    switch (kindOf(fileName)) {
    case PhotoKind::Bmp: img = loadBmp(fileName, why); break;
    case PhotoKind::Jpeg: img = loadJpeg(fileName, why); break;
    case PhotoKind::Other: why = QStringLiteral("不是BMP或JPEG文件"); p = PhotoProblem::WrongKind; break;
    }
    if (img.isNull() && p == PhotoProblem::None) p = why == kTooLarge ? PhotoProblem::TooLarge : PhotoProblem::Damaged;
    if (!img.isNull()) p = PhotoProblem::None;
    if (error) *error = img.isNull() ? why : QString();
    if (problem) *problem = p;
    return img;
}

// ---- TStagedPhoto ----

void (*PhotoFileStepHook)() = nullptr;

namespace {
void step()
{
    if (PhotoFileStepHook) PhotoFileStepHook();
}

// Hidden names of one length whatever the key, so that every key whose file
// name fits the folder can be staged and set aside beside it.
QString hiddenName(const QString& folder, const char* what)
{
    return folder + QLatin1Char('.') + QLatin1String(what) + QLatin1Char('-')
        + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".bmp");
}
QString keyUnfit(const QString& key) { return QStringLiteral("“%1”不能用作照片文件名").arg(key); }

// The failure of a file in a photo folder: head, the cause and tail on the
// first line, the system's own words on the second.
QString fileError(const QString& head, const QString& folder, int err, const QString& tail)
{
    const QString cause = PhotoFileCause(folder, err);
    return head + (cause.isEmpty() ? QString() : QStringLiteral("：") + cause) + tail + QLatin1Char('\n')
        + QString::fromLocal8Bit(std::strerror(err));
}
const QString NothingSaved = QStringLiteral("，本次没有保存任何内容。");
QString saveFailed(const QString& folder) { return QStringLiteral("照片文件保存失败（%1）").arg(shown(folder)); }

// Writes the picture as a new BMP file (never over an existing one), as it is
// encoded, and syncs it; 0 or the errno.
int writeNewFile(const QString& fileName, const QImage& picture)
{
    const QByteArray path = QFile::encodeName(fileName);
    step();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int err = WriteBmp(fd, picture);
    step();
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (err) ::unlink(path.constData());
    return err;
}

bool exists(const QString& fileName)
{
    struct stat st;
    return ::lstat(QFile::encodeName(fileName).constData(), &st) == 0;
}

// Renames a file; nothing in the way is replaced unless the two names are one
// file. 0 or the errno.
int renameFile(const QString& from, const QString& to, bool oneFile)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (!oneFile && exists(to)) return EEXIST;
    step();
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

// Removes a file; true when it is gone.
bool removeFile(const QString& fileName)
{
    if (!exists(fileName)) return true;
    step();
    return ::unlink(QFile::encodeName(fileName).constData()) == 0 || errno == ENOENT;
}

// Makes a folder's entries (names made, moved or removed) last through a
// power loss; 0 or the errno. A folder that cannot be opened for reading (it
// may be searched without being listed) or a file system that cannot sync a
// folder is passed over: the change stands as before.
int syncFolder(const QString& folder)
{
    step();
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES ? 0 : errno;
    const int err = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
    ::close(fd);
    return err;
}

const QString NotePrefix = QStringLiteral(".photochange-");
const QString MarkTable = QStringLiteral("PhotoChange");
QString noteFile(const QString& id) { return AppDir() + NotePrefix + id; }
QStringList noteNames() { return QDir(AppDir()).entryList({NotePrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System); }

// A change as its note tells it: the staged file, and once the moves are
// about to begin, the mark of its row (empty for a change without one) and
// the moves in order.
struct NotedMove { QString from, to; bool oneFile; };
struct NotedChange {
    QString staged;
    bool planned = false;
    QString mark;
    QList<NotedMove> moves;
    QStringList files() const
    {
        QStringList l{staged};
        for (const auto& m : moves) l << m.from << m.to;
        return l;
    }
};

QByteArray noteLine(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n'; }

// A note names files from the data folder, so that a data folder moved or
// copied whole after a stop still finds them; a full name is read as it is.
QString noted(const QString& file) { return QDir(AppDir()).relativeFilePath(file); }
QString fromNote(const QJsonValue& name)
{
    const QString n = name.toString();
    return n.isEmpty() ? n : QDir(AppDir()).filePath(n);
}

// Only whole lines count: a line cut off by a stop was followed by no move.
NotedChange readNote(const QByteArray& text)
{
    NotedChange c;
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast();
    for (const QByteArray& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.contains(QLatin1String("staged"))) c.staged = fromNote(o.value(QLatin1String("staged")));
        if (!o.contains(QLatin1String("moves"))) continue;
        c.planned = true;
        c.mark = o.value(QLatin1String("mark")).toString();
        for (const QJsonValue& v : o.value(QLatin1String("moves")).toArray()) {
            const QJsonArray m = v.toArray();
            c.moves.append({fromNote(m.at(0)), fromNote(m.at(1)), m.at(2).toBool()});
        }
    }
    return c;
}

// A move done: its target there and, unless both names are one file, its source gone.
bool moveDone(const NotedMove& m) { return exists(m.to) && (m.oneFile || !exists(m.from)); }

bool markTableThere(TADOConnection& cn)
{
    return cn.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND lower(name)=lower(:t)"),
                     {{QStringLiteral("t"), MarkTable}}).toLongLong() > 0;
}

bool markStored(TADOConnection& cn, const QString& mark)
{
    return markTableThere(cn) && cn.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE ID=:id").arg(MarkTable),
                              {{QStringLiteral("id"), mark}}).toLongLong() > 0;
}

// Finishes (the row stored) or undoes a change; true when nothing of it is
// left but its staged file. That goes only after the note: while the note
// stands, a staged file gone would make its move into place look done.
bool settle(const NotedChange& c, bool stored, QSet<QString>& folders)
{
    bool ok = true;
    if (stored) {
        for (const auto& m : c.moves)
            if (IsPhotoWorkFile(m.to)) ok = removeFile(m.to) && ok;
    } else {
        for (auto it = c.moves.crbegin(); it != c.moves.crend() && ok; ++it)
            if (moveDone(*it)) ok = renameFile(it->to, it->from, it->oneFile) == 0;
    }
    for (const auto& m : c.moves) folders.insert(QFileInfo(m.to).absolutePath());
    return ok;
}
} // namespace

// A change's note: made before its first file, held locked while this copy of
// the program makes the change, removed once the change is finished or undone.
class TPhotoNote {
public:
    explicit TPhotoNote(const QString& folder) : m_id(QUuid::createUuid().toString(QUuid::Id128)), m_file(noteFile(m_id))
    {
        step();
        m_fd = ::open(QFile::encodeName(m_file).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0) throw EAppError(fileError(saveFailed(folder), AppDir(), errno, NothingSaved));
        ::flock(m_fd, LOCK_EX | LOCK_NB);
    }
    ~TPhotoNote()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    TPhotoNote(const TPhotoNote&) = delete;
    TPhotoNote& operator=(const TPhotoNote&) = delete;

    const QString& id() const { return m_id; }
    // Adds a line; with sync, the note and its name last through a power loss. 0 or the errno.
    int add(const QJsonObject& line, bool sync)
    {
        const QByteArray bytes = noteLine(line);
        step();
        const ssize_t n = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
        if (n != ssize_t(bytes.size())) return n < 0 ? errno : ENOSPC;
        if (!sync) return 0;
        step();
        if (::fsync(m_fd) != 0) return errno;
        return syncFolder(AppDir());
    }
    // The change is over: the note goes. True when it is gone.
    bool remove()
    {
        if (!removeFile(m_file)) return false;
        ::close(m_fd);
        m_fd = -1;
        return true;
    }

private:
    QString m_id, m_file;
    int m_fd = -1;
};

TStagedPhoto::TStagedPhoto(const QString& folder, Action action, const QImage& picture)
    : m_folder(folder), m_action(action)
{
    if (action != Action::Write) return;
    if (picture.isNull()) { m_action = Action::Remove; return; }
    const QString temp = hiddenName(folder, "staged");
    // The note names the staged file before it is made.
    m_note = std::make_unique<TPhotoNote>(folder);
    if (const int err = m_note->add({{QStringLiteral("staged"), noted(temp)}}, false)) {
        m_note->remove();
        throw EAppError(fileError(saveFailed(folder), AppDir(), err, NothingSaved));
    }
    const int err = writeNewFile(temp, picture);
    if (err) m_note->remove();
    if (err) throw EAppError(fileError(QStringLiteral("照片文件保存失败（%1）").arg(shown(folder)), folder, err, NothingSaved));
    m_temp = temp;
}

TStagedPhoto::~TStagedPhoto()
{
    if (m_kept) return;
    bool undone = true;
    for (auto it = m_moves.crbegin(); it != m_moves.crend(); ++it)
        if (renameFile(it->to, it->from, it->oneFile) != 0) undone = false;
    // A file that could not be put back keeps the note, and the staged file
    // with it, for the next start-up. The staged file goes after the note.
    if (undone && (!m_note || m_note->remove()) && !m_temp.isEmpty()) removeFile(m_temp);
}

void TStagedPhoto::move(const QString& from, const QString& to, bool oneFile)
{
    if (const int err = renameFile(from, to, oneFile))
        throw EAppError(fileError(QStringLiteral("照片文件“%1”保存失败").arg(shown(to)), m_folder, err, NothingSaved));
    m_moves.append({from, to, oneFile});
}

void TStagedPhoto::commitTo(const QString& key, const QString& oldKey, TADOConnection* row)
{
    const bool keyChanged = !oldKey.isEmpty() && oldKey != key;
    // A key that cannot name a file has no file to set aside.
    const QString target = PhotoKeyFitsFolder(m_folder, key) ? PhotoFileName(m_folder, key) : QString();
    QString old = keyChanged && PhotoKeyFitsFolder(m_folder, oldKey) ? PhotoFileName(m_folder, oldKey) : QString();
    const bool oldStored = !old.isEmpty() && QFileInfo(old).isFile();
    const bool photoKept = m_action == Action::Write || (m_action == Action::Keep && oldStored);
    if (photoKept && target.isEmpty()) throw EAppError(keyUnfit(key));
    // The moves, planned whole before the first: the note names each one.
    QList<Move> plan;
    const auto aside = [&](const QString& f) {
        if (QFileInfo(f).isFile()) plan.append({f, hiddenName(m_folder, "aside"), false});
    };
    // A key changed only in letter case where the file system ignores case:
    // the old and the new name are one file. Setting one aside would take the
    // other with it, so the file is renamed in place, or replaced or removed
    // under the new name alone.
    bool inPlace = false;
    if (oldStored && !target.isEmpty() && PhotoNamesAreOneFile(old, target)) {
        if (m_action == Action::Keep) {
            plan.append({old, target, true});
            inPlace = true;
        }
        old.clear();
    }
    if (!inPlace) {
        if (!target.isEmpty() && (m_action != Action::Keep || keyChanged)) aside(target);
        switch (m_action) {
        case Action::Write:
            plan.append({m_temp, target, false});
            if (!old.isEmpty()) aside(old);
            break;
        case Action::Remove:
            if (!old.isEmpty()) aside(old);
            break;
        case Action::Keep:
            if (oldStored) plan.append({old, target, false});
            break;
        }
    }
    carryOut(plan, row);
}

int TStagedPhoto::commitAll(TADOConnection& row)
{
    QList<Move> plan;
    const QDir dir(m_folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden | QDir::System))
        if (!IsPhotoWorkFile(name)) plan.append({m_folder + name, hiddenName(m_folder, "aside"), false});
    int left = 0;
    carryOut(plan, &row, &left);
    return left;
}

void TStagedPhoto::carryOut(const QList<Move>& plan, TADOConnection* row, int* left)
{
    if (plan.isEmpty()) return;
    if (!m_note) m_note = std::make_unique<TPhotoNote>(m_folder);
    QJsonArray moves;
    for (const Move& m : plan) moves.append(QJsonArray{noted(m.from), noted(m.to), m.oneFile});
    const QString mark = row ? m_note->id() : QString();
    if (const int err = m_note->add({{QStringLiteral("mark"), mark}, {QStringLiteral("moves"), moves}}, true))
        throw EAppError(fileError(saveFailed(m_folder), AppDir(), err, NothingSaved));
    for (const Move& m : plan) {
        if (!left) move(m.from, m.to, m.oneFile);
        else if (renameFile(m.from, m.to, m.oneFile) == 0) m_moves.append(m);
        else {
            ++*left;
            continue;
        }
        if (IsPhotoWorkFile(m.to)) m_aside << m.to;
    }
    if (const int err = syncFolder(m_folder))
        throw EAppError(fileError(saveFailed(m_folder), m_folder, err, NothingSaved));
    if (row) row->execute(QStringLiteral("INSERT INTO %1(ID) VALUES(:id)").arg(MarkTable), {{QStringLiteral("id"), mark}});
}

void TStagedPhoto::keep()
{
    m_kept = true;
    bool gone = true;
    for (const QString& f : m_aside) gone = removeFile(f) && gone;
    m_aside.clear();
    m_moves.clear();
    if (m_note && gone) m_note->remove();
}

// ---- recovery ----

bool IsPhotoWorkFile(const QString& fileName)
{
    static const QRegularExpression work(QStringLiteral("^\\.(?:(?:staged|aside)-[0-9a-f]{32}\\.bmp|(?:photochange|part)-[0-9a-f]{32})$"));
    return work.match(QFileInfo(fileName).fileName()).hasMatch();
}

void RecoverPhotoChanges(TADOConnection& cn, const QStringList& folders)
{
    QSet<QString> standing;   // files named by a note that stays
    QSet<QString> touched;
    bool removed = false, unread = false;
    const QDir data(AppDir());
    for (const QString& name : noteNames()) {
        if (!IsPhotoWorkFile(name)) continue;
        const QString file = data.filePath(name);
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            unread = true;
            continue;
        }
        // Locked: a running copy of the program is making this change.
        const bool live = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        QFile f;
        const NotedChange c = f.open(fd, QIODevice::ReadOnly) ? readNote(f.readAll()) : NotedChange();
        f.close();
        bool settled = false;
        if (!live) {
            const bool stored = c.planned && (c.mark.isEmpty() ? !c.moves.isEmpty() && moveDone(c.moves.last())
                                                               : markStored(cn, c.mark));
            settled = settle(c, stored, touched);
            if (settled) {
                for (const QString& folder : touched) syncFolder(folder);
                settled = removeFile(file);
                removed = removed || settled;
                // The staged file goes after the note (else the next start-up's sweep).
                if (settled && !c.staged.isEmpty()) removeFile(c.staged);
            }
        }
        ::close(fd);
        if (!settled)
            for (const QString& n : c.files()) standing.insert(n);
    }
    if (removed) syncFolder(AppDir());
    // Staged and set-aside files of no change standing: a stop before the note
    // named them. A note that cannot be read may name any of them.
    QStringList strays;
    for (const QString& folder : unread ? QStringList() : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (IsPhotoWorkFile(name) && !standing.contains(folder + name)) strays << folder + name;
    }
    // The notes read again after the files were listed: a running copy names a
    // file in its note before it makes it, and may have begun or planned a
    // change since its note was read above.
    if (strays.isEmpty()) return;
    for (const QString& name : noteNames()) {
        QFile f(data.filePath(name));
        if (!IsPhotoWorkFile(name) || !f.exists()) continue;
        if (!f.open(QIODevice::ReadOnly)) return;
        for (const QString& n : readNote(f.readAll()).files()) standing.insert(n);
    }
    for (const QString& file : strays)
        if (!standing.contains(file)) removeFile(file);
}

QStringList StalePhotoMarks(TADOConnection& cn)
{
    QStringList marks;
    {
        if (!markTableThere(cn)) return {};
        TStatement st(cn, QStringLiteral("SELECT ID FROM %1").arg(MarkTable));
        while (st.next()) marks << st.value(0).toString();
    }
    if (marks.isEmpty()) return {};
    // Read after the marks: a change whose mark was read has its note by now, unless it is over.
    for (const QString& name : noteNames())
        marks.removeAll(name.mid(NotePrefix.size()));
    // The notes' removal lasts before their marks go.
    if (!marks.isEmpty()) syncFolder(AppDir());
    return marks;
}

void PreparePhotoMarks(TADOConnection& cn, const QStringList& stale)
{
    // Not "if not exists": a view of that name would pass and take no mark.
    if (!markTableThere(cn)) cn.execute(QStringLiteral("CREATE TABLE %1 (ID VARCHAR(40) NOT NULL PRIMARY KEY)").arg(MarkTable));
    for (const QString& mark : stale) cn.execute(QStringLiteral("DELETE FROM %1 WHERE ID=:id").arg(MarkTable), {{QStringLiteral("id"), mark}});
}

// ---- TPhotoBox ----

TPhotoBox::TPhotoBox(QWidget* owner, QLabel* picture, QLineEdit* pathBox, const QString& folder)
    : QObject(owner), m_owner(owner), m_picture(picture), m_path(pathBox), m_folder(&folder)
{
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

QString TPhotoBox::pathText() const { return m_path->text(); }

bool TPhotoBox::showsStored() const
{
    const QString t = pathText();
    return t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'));
}

void TPhotoBox::setPicture(const QImage& image)
{
    m_image = image;
    if (image.isNull()) m_picture->clear();
    else m_picture->setPixmap(QPixmap::fromImage(image));
    // In a scroll box the picture keeps its own size, with scroll bars when larger.
    QWidget* viewport = m_picture->parentWidget();
    if (viewport && qobject_cast<QScrollArea*>(viewport->parentWidget())) m_picture->adjustSize();
}

bool TPhotoBox::pick()
{
    // Upper-case patterns too: camera files are often named "IMG_0001.JPG".
    const QString file = Dlg::OpenFile(m_owner, QString(),
        QStringLiteral("*.bmp;*.jpg;*.jpeg (*.bmp *.jpg *.jpeg *.BMP *.JPG *.JPEG)"));
    if (file.isEmpty()) return false;
    if (kindOf(file) == PhotoKind::Other) {
        Dlg::Notice(m_owner, QStringLiteral("只能选择BMP或JPEG格式的图片文件！\n%1").arg(shown(file)));
        return false;
    }
    QString why;
    PhotoProblem problem = PhotoProblem::None;
    const QImage img = LoadPhotoFile(file, &why, &problem);
    if (problem == PhotoProblem::TooLarge) {
        Dlg::Notice(m_owner, QStringLiteral("图片文件“%1”太大，无法保存和显示，请选择不超过%2万像素、长宽都不超过%3像素的图片！")
            .arg(shown(file)).arg(MaxPhotoPixels / 10000).arg(MaxPhotoSide));
        return false;
    }
    if (img.isNull()) {
        Dlg::Notice(m_owner, QStringLiteral("无法读取图片文件“%1”，文件已损坏或不是有效的%2图片！")
            .arg(shown(file), kindOf(file) == PhotoKind::Bmp ? QStringLiteral("BMP") : QStringLiteral("JPEG")));
        return false;
    }
    setPicture(img);
    SetEditText(m_path, file);
    return true;
}

void TPhotoBox::clear()
{
    setPicture(QImage());
    m_path->clear();
}

void TPhotoBox::showStored(const QString& key)
{
    if (!HasPhotoFile(*m_folder, key)) {
        clear();
        return;
    }
    const QString name = fileName(key);
    const QString head = QStringLiteral("无法读取照片文件“%1”").arg(shown(name));
    // Opened here first, so that a file that cannot be opened says why.
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
    const int err = fd < 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    QString why;
    PhotoProblem problem = PhotoProblem::None;
    const QImage img = err ? QImage() : LoadPhotoFile(name, &why, &problem);
    setPicture(img);
    SetEditText(m_path, QLatin1Char('[') + key + QLatin1Char(']'));
    if (err) throw EAppError(fileError(head, *m_folder, err, QStringLiteral("。")));
    if (problem == PhotoProblem::TooLarge) throw EAppError(head + QStringLiteral("：") + why);
    if (img.isNull()) throw EAppError(head + QStringLiteral("：文件已损坏或不是有效的BMP图片。\n") + why);
}

bool TPhotoBox::write(const QString& key)
{
    if (!PhotoKeyFitsFolder(*m_folder, key)) throw EAppError(keyUnfit(key));
    if (m_image.isNull()) return false;
    // Staged beside and moved into place, so a failed write leaves an older file whole.
    TStagedPhoto staged(*m_folder, TStagedPhoto::Action::Write, m_image);
    staged.commitTo(key);
    staged.keep();
    return true;
}

std::unique_ptr<TStagedPhoto> TPhotoBox::stage() const
{
    using A = TStagedPhoto::Action;
    if (pathEmpty()) return std::make_unique<TStagedPhoto>(*m_folder, A::Remove);
    // A stored file that could not be read is kept, moving with its key.
    if (!hasPicture()) return std::make_unique<TStagedPhoto>(*m_folder, A::Keep);
    return std::make_unique<TStagedPhoto>(*m_folder, A::Write, m_image);
}

void StoreWithPhoto(TADOConnection& cn, TStagedPhoto& staged, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey)
{
    {
        TTransaction tr(cn);
        writeRow();
        staged.commitTo(key, oldKey, &cn);
        tr.commit();
    }
    staged.keep();
}

void StoreWithPhoto(TADOConnection& cn, const TPhotoBox& photo, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey)
{
    StoreWithPhoto(cn, *photo.stage(), key, writeRow, oldKey);
}

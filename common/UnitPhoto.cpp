#include "common/UnitPhoto.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Image.h"
#include "platform/Look.h"
#include "platform/Transaction.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
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

QString PhotoFileCause(const QString& folder, int err)
{
    switch (err) {
    case EACCES:
    case EPERM: return QStringLiteral("没有读写该文件或照片文件夹的权限");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘空间已满");
    case ENAMETOOLONG: return QStringLiteral("文件名或路径太长");
    case EROFS: return QStringLiteral("照片文件夹所在的磁盘是只读的");
    case EEXIST:
    case EISDIR:
    case ENOTEMPTY: return QStringLiteral("该位置已有同名的文件夹或其他项目");
    case ENOENT:
    case ENOTDIR:
        // The system says only that something on the path is not there.
        return QFileInfo(folder).isDir() ? QString() : QStringLiteral("照片文件夹不存在");
    default: return {};
    }
}

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

namespace {
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

// Writes the picture as a new BMP file (never over an existing one), as it is
// encoded, and syncs it; 0 or the errno.
int writeNewFile(const QString& fileName, const QImage& picture)
{
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int err = WriteBmp(fd, picture);
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (err) ::unlink(path.constData());
    return err;
}

// Renames a file; nothing in the way is replaced unless the two names are one
// file. 0 or the errno.
int renameFile(const QString& from, const QString& to, bool oneFile)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    struct stat st;
    if (!oneFile && ::lstat(t.constData(), &st) == 0) return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}
} // namespace

TStagedPhoto::TStagedPhoto(const QString& folder, Action action, const QImage& picture)
    : m_folder(folder), m_action(action)
{
    if (action != Action::Write) return;
    if (picture.isNull()) { m_action = Action::Remove; return; }
    const QString temp = hiddenName(folder, "staged");
    const int err = writeNewFile(temp, picture);
    if (err) throw EAppError(fileError(QStringLiteral("照片文件保存失败（%1）").arg(shown(folder)), folder, err, NothingSaved));
    m_temp = temp;
}

TStagedPhoto::~TStagedPhoto()
{
    if (!m_kept) {
        for (auto it = m_moves.crbegin(); it != m_moves.crend(); ++it) renameFile(it->to, it->from, it->oneFile);
    }
    if (!m_temp.isEmpty()) QFile::remove(m_temp);
}

void TStagedPhoto::move(const QString& from, const QString& to, bool oneFile)
{
    if (const int err = renameFile(from, to, oneFile))
        throw EAppError(fileError(QStringLiteral("照片文件“%1”保存失败").arg(shown(to)), m_folder, err, NothingSaved));
    m_moves.append({from, to, oneFile});
}

void TStagedPhoto::setAside(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile()) return;
    const QString aside = hiddenName(m_folder, "aside");
    move(fileName, aside);
    m_aside << aside;
}

void TStagedPhoto::commitTo(const QString& key, const QString& oldKey)
{
    const bool keyChanged = !oldKey.isEmpty() && oldKey != key;
    // A key that cannot name a file has no file to set aside.
    const QString target = PhotoKeyFitsFolder(m_folder, key) ? PhotoFileName(m_folder, key) : QString();
    QString old = keyChanged && PhotoKeyFitsFolder(m_folder, oldKey) ? PhotoFileName(m_folder, oldKey) : QString();
    const bool oldStored = !old.isEmpty() && QFileInfo(old).isFile();
    const bool photoKept = m_action == Action::Write || (m_action == Action::Keep && oldStored);
    if (photoKept && target.isEmpty()) throw EAppError(keyUnfit(key));
    // A key changed only in letter case where the file system ignores case:
    // the old and the new name are one file. Setting one aside would take the
    // other with it, so the file is renamed in place, or replaced or removed
    // under the new name alone.
    if (oldStored && !target.isEmpty() && PhotoNamesAreOneFile(old, target)) {
        if (m_action == Action::Keep) {
            move(old, target, true);
            return;
        }
        old.clear();
    }
    if (!target.isEmpty() && (m_action != Action::Keep || keyChanged)) setAside(target);
    switch (m_action) {
    case Action::Write:
        move(m_temp, target);
        if (!old.isEmpty()) setAside(old);
        break;
    case Action::Remove:
        if (!old.isEmpty()) setAside(old);
        break;
    case Action::Keep:
        if (oldStored) move(old, target);
        break;
    }
}

void TStagedPhoto::keep()
{
    m_kept = true;
    for (const QString& f : m_aside) QFile::remove(f);
    m_aside.clear();
    m_moves.clear();
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
        staged.commitTo(key, oldKey);
        tr.commit();
    }
    staged.keep();
}

void StoreWithPhoto(TADOConnection& cn, const TPhotoBox& photo, const QString& key,
                    const std::function<void()>& writeRow, const QString& oldKey)
{
    StoreWithPhoto(cn, *photo.stage(), key, writeRow, oldKey);
}

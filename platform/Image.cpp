#include "platform/Image.h"
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPixmap(const QPixmap& p)
{
    m_picture = p;
    m_scaled = QPixmap();
    update();
}

QRectF TImage::shownPart() const
{
    if (m_picture.isNull() || width() <= 0 || height() <= 0) return {};
    const double scale = std::max(double(width()) / m_picture.width(), double(height()) / m_picture.height());
    const double w = width() / scale, h = height() / scale;
    // Cut at the top rather than at the bottom, where a picture's ground stands.
    return QRectF((m_picture.width() - w) / 2, m_picture.height() - h, w, h);
}

void TImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull()) return;
    const qreal dpr = devicePixelRatioF();
    const QSize target = size() * dpr;
    if (m_scaled.size() != target) {
        const QRect part = shownPart().toAlignedRect().intersected(m_picture.rect());
        m_scaled = m_picture.copy(part).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(dpr);
    }
    QPainter(this).drawPixmap(0, 0, m_scaled);
}

namespace {

// The format the BMP writer of QImage::save stores a picture in.
QImage::Format bmpFormat(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: return image.format();
    case QImage::Format_Alpha8:
    case QImage::Format_Grayscale8: return QImage::Format_Indexed8;
    default: return image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    }
}

int writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        data += n;
        size -= n;
    }
    return 0;
}

template <class T> void put(QByteArray& out, T value)
{
    char b[sizeof(T)];
    qToLittleEndian(value, b);
    out.append(b, sizeof b);
}

} // namespace

int WriteBmp(int fd, const QImage& image)
{
    if (image.isNull()) return EINVAL;
    const QImage::Format format = bmpFormat(image);
    const bool converted = format != image.format();
    const QImage::Format rowFormat = format == QImage::Format_MonoLSB ? QImage::Format_Mono : format;
    // The colour table of the stored format (a fixed grey scale when converted).
    const QList<QRgb> colors = converted ? image.copy(0, 0, 1, 1).convertToFormat(format).colorTable() : image.colorTable();
    const int depth = rowFormat == QImage::Format_Mono ? 1 : rowFormat == QImage::Format_Indexed8 ? 8 : 32;
    const qint64 w = image.width(), h = image.height();
    const qint64 bpl = (w * depth + 31) / 32 * 4;
    // Up to 16 colours in 4 bits a pixel, and no alpha in a 32-bit picture.
    const int bits = depth == 8 && colors.size() <= 16 ? 4 : depth == 32 ? 24 : depth;
    const qint64 bplBmp = bits == 4 ? ((bpl + 1) / 2 + 3) / 4 * 4 : bits == 24 ? (w * 24 + 31) / 32 * 4 : bpl;
    const qint64 offBits = 14 + 40 + qint64(colors.size()) * 4;
    if (offBits + bplBmp * h > INT32_MAX) return EFBIG;

    QByteArray head("BM");
    put<qint32>(head, qint32(offBits + bplBmp * h));
    put<quint16>(head, 0);
    put<quint16>(head, 0);
    put<qint32>(head, qint32(offBits));
    put<qint32>(head, 40);
    put<qint32>(head, qint32(w));
    put<qint32>(head, qint32(h));
    put<qint16>(head, 1);
    put<qint16>(head, qint16(bits));
    put<qint32>(head, 0);   // no compression
    put<qint32>(head, qint32(bplBmp * h));
    put<qint32>(head, image.dotsPerMeterX() ? image.dotsPerMeterX() : 2834);   // 72 dpi when unset
    put<qint32>(head, image.dotsPerMeterY() ? image.dotsPerMeterY() : 2834);
    put<qint32>(head, qint32(colors.size()));
    put<qint32>(head, qint32(colors.size()));
    if (depth != 32) {
        for (QRgb c : colors) {
            const char entry[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
            head.append(entry, 4);
        }
    }
    if (const int err = writeAll(fd, head.constData(), head.size())) return err;

    // Bottom row first, in bands of about 256 KiB; the padding of each row stays zero.
    const qint64 band = std::max<qint64>(1, (256 << 10) / std::max(bplBmp, w * 4));
    QByteArray out(band * bplBmp, 0);
    for (qint64 bottom = h - 1; bottom >= 0; bottom -= band) {
        const qint64 top = std::max<qint64>(0, bottom - band + 1), n = bottom - top + 1;
        QImage rows(image.constScanLine(int(top)), int(w), int(n), image.bytesPerLine(), image.format());
        if (rowFormat != image.format()) {
            if (image.colorCount()) rows.setColorTable(image.colorTable());
            rows = rows.convertToFormat(rowFormat);
            if (rows.isNull()) return ENOMEM;
        }
        uchar* o = reinterpret_cast<uchar*>(out.data());
        for (qint64 y = n - 1; y >= 0; --y, o += bplBmp) {
            const uchar* p = rows.constScanLine(int(y));
            if (bits == 4) {
                for (qint64 x = 0; x + 1 < w; x += 2) o[x / 2] = uchar(p[x] << 4 | (p[x + 1] & 0x0f));
                if (w & 1) o[w / 2] = uchar(p[w - 1] << 4);
            } else if (bits == 24) {
                const auto* px = reinterpret_cast<const QRgb*>(p);
                for (qint64 x = 0; x < w; ++x) {
                    o[3 * x] = uchar(qBlue(px[x]));
                    o[3 * x + 1] = uchar(qGreen(px[x]));
                    o[3 * x + 2] = uchar(qRed(px[x]));
                }
            } else std::memcpy(o, p, size_t(bpl));
        }
        if (const int err = writeAll(fd, out.constData(), n * bplBmp)) return err;
    }
    return 0;
}

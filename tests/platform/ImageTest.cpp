// A picture written as a BMP file a few rows at a time: the same bytes as the
// whole file that QImage::save makes, for every kind of picture a photo can be.
#include "platform/Image.h"
#include <QBuffer>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Pixels of every colour and transparency, the same on every run.
QImage noise(int w, int h, QImage::Format format)
{
    QImage img(w, h, QImage::Format_ARGB32);
    quint32 seed = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, seed = seed * 1664525u + 1013904223u);
    return img.convertToFormat(format);
}

QImage indexed(int w, int h, int colors)
{
    QImage img(w, h, QImage::Format_Indexed8);
    for (int i = 0; i < colors; ++i) img.setColor(i, qRgb(i * 40 % 256, 255 - i, i * 7 % 256));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, uint((x * 3 + y * 5) % colors));
    return img;
}

QByteArray savedWhole(const QImage& img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "BMP");
    return bytes;
}

} // namespace

TEST(BmpFile, EveryKindOfPictureIsWrittenAsQImageSavesIt)
{
    QImage dpi = noise(40, 30, QImage::Format_RGB888);
    dpi.setDotsPerMeterX(11811);
    dpi.setDotsPerMeterY(5906);
    const struct { const char* name; QImage picture; } rows[] = {
        {"RGB888 (a JPEG), odd width", noise(37, 23, QImage::Format_RGB888)},
        {"rows in several bands, the last one short", noise(3001, 67, QImage::Format_RGB888)},
        {"RGB32 (a 24-bit BMP)", noise(33, 9, QImage::Format_RGB32)},
        {"ARGB32, alpha left out", noise(33, 9, QImage::Format_ARGB32)},
        {"ARGB32 premultiplied", noise(33, 9, QImage::Format_ARGB32_Premultiplied)},
        {"RGB16", noise(31, 9, QImage::Format_RGB16)},
        {"RGBA64", noise(31, 9, QImage::Format_RGBA64)},
        {"grey scale", noise(31, 9, QImage::Format_Grayscale8)},
        {"alpha only", noise(31, 9, QImage::Format_Alpha8)},
        {"256 colours", indexed(35, 9, 256)},
        {"16 colours in 4 bits, odd width", indexed(35, 9, 16)},
        {"2 colours in 4 bits, one pixel wide", indexed(1, 5, 2)},
        {"mono, odd width", noise(37, 11, QImage::Format_Mono)},
        {"mono with the low bit first", noise(37, 11, QImage::Format_MonoLSB)},
        {"a resolution of its own", dpi},
        {"one pixel", noise(1, 1, QImage::Format_RGB888)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        EXPECT_EQ(WriteBmp(file.handle(), r.picture), 0);
        QFile back(file.fileName());
        ASSERT_TRUE(back.open(QIODevice::ReadOnly));
        const QByteArray bytes = back.readAll(), whole = savedWhole(r.picture);
        ASSERT_FALSE(whole.isEmpty());
        EXPECT_EQ(bytes.size(), whole.size());
        EXPECT_TRUE(bytes == whole);
    }
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(WriteBmp(full, noise(37, 23, QImage::Format_RGB888)), ENOSPC);
    ::close(full);
}

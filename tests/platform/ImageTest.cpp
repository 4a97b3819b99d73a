// A picture written as a BMP file a few rows at a time: the same bytes as the
// whole file that QImage::save makes, for every kind of picture a photo can be.
#include "platform/Image.h"
#include "support/FileTools.h"
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

} // namespace

TEST(BmpFile, EveryKindOfPictureIsWrittenAsQImageSavesIt)
{
    QList<QRgb> sixteen;
    for (int i = 0; i < 16; ++i) sixteen << qRgb(i * 16, 255 - i * 8, i * 40 % 256);
    const auto indexed = [](int w, int h, const QList<QRgb>& colors) { return noise(w, h, QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, colors); };
    QImage dpi = noise(40, 30, QImage::Format_RGB888);
    dpi.setDotsPerMeterX(11811);
    dpi.setDotsPerMeterY(5906);
    const struct { const char* name; QImage picture; int bits; } rows[] = {
        {"RGB888 (a JPEG), odd width", noise(37, 23, QImage::Format_RGB888), 24},
        {"rows in several bands, the last one short", noise(3001, 67, QImage::Format_RGB888), 24},
        {"RGB32 (a 24-bit BMP)", noise(33, 9, QImage::Format_RGB32), 24},
        {"ARGB32, alpha left out", noise(33, 9, QImage::Format_ARGB32), 24},
        {"ARGB32 premultiplied", noise(33, 9, QImage::Format_ARGB32_Premultiplied), 24},
        {"RGB16", noise(31, 9, QImage::Format_RGB16), 24},
        {"RGBA64", noise(31, 9, QImage::Format_RGBA64), 24},
        {"grey scale", noise(31, 9, QImage::Format_Grayscale8), 8},
        {"alpha only", noise(31, 9, QImage::Format_Alpha8), 8},
        {"256 colours", noise(35, 9, QImage::Format_Indexed8), 8},
        {"16 colours in 4 bits, odd width", indexed(35, 9, sixteen), 4},
        {"2 colours in 4 bits, one pixel wide", indexed(1, 5, sixteen.mid(0, 2)), 4},
        {"mono, odd width", noise(37, 11, QImage::Format_Mono), 1},
        {"mono with the low bit first", noise(37, 11, QImage::Format_MonoLSB), 1},
        {"a resolution of its own", dpi, 24},
        {"one pixel", noise(1, 1, QImage::Format_RGB888), 24},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        EXPECT_EQ(WriteBmp(file.handle(), r.picture), 0);
        QByteArray whole;
        QBuffer buffer(&whole);
        ASSERT_TRUE(r.picture.save(&buffer, "BMP"));
        const QByteArray bytes = FileBytes(file.fileName());
        EXPECT_EQ(bytes.at(28), r.bits);
        EXPECT_TRUE(bytes == whole);
    }
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(WriteBmp(full, noise(37, 23, QImage::Format_RGB888)), ENOSPC);
    ::close(full);
}

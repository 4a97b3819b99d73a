#pragma once
// A decorative picture that keeps its proportions: it covers the whole widget,
// scaled as little as that takes, and the part that does not fit is cut off
// at the top and at both sides equally.
#include <QPixmap>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);
    void setPixmap(const QPixmap& p);
    const QPixmap& pixmap() const { return m_picture; }
    // The part of the picture shown, in the picture's own pixels.
    QRectF shownPart() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap m_picture;
    QPixmap m_scaled;       // m_picture at the present size, made once per size
};

// Writes image to the open file fd as the BMP file that QImage::save(..., "BMP")
// makes, byte for byte (the same header, bit depth and colour table), but
// converts and writes a few rows at a time instead of building the whole file
// in memory first. 0, or the errno of the failure (ENOMEM when rows cannot be
// converted, EFBIG for a picture a BMP file cannot hold).
int WriteBmp(int fd, const QImage& image);

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

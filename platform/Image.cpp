#include "platform/Image.h"
#include <QPainter>

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

#include "panel/ScaledImage.h"

#include <QPainter>

namespace lettergate {

ScaledImage::ScaledImage(QImage image, Qt::AspectRatioMode mode)
    : m_source(std::move(image))
    , m_mode(mode)
{
}

void ScaledImage::paint(QPainter &painter, const QRectF &area)
{
    if (m_source.isNull() || area.isEmpty())
        return;
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QSize pixels = (area.size() * dpr).toSize().expandedTo(QSize(1, 1));
    if (pixels != m_scaledFor) {
        // Qt scales a 32-bit picture several times faster than a compact 24-bit one
        // (compactPicture): widened first, scaling costs what it did before.
        const QImage source = m_source.format() == QImage::Format_RGB888
                                  ? m_source.convertToFormat(QImage::Format_RGB32)
                                  : m_source;
        m_scaled = source.scaled(pixels, m_mode, Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(dpr);
        m_scaledFor = pixels;
    }
    const QSizeF shown = m_scaled.deviceIndependentSize();
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.drawImage(QRectF(area.center() - QPointF(shown.width() / 2, shown.height() / 2), shown), m_scaled);
    painter.restore();
}

} // namespace lettergate

#pragma once

#include <QImage>
#include <QRectF>

class QPainter;

namespace lettergate {

// A picture shown centred in an area, keeping its shape: fitted inside it
// (Qt::KeepAspectRatio) or filling it (Qt::KeepAspectRatioByExpanding, the overflow
// clipped). The smooth scaling is done once per area size, not at every repaint.
class ScaledImage {
public:
    ScaledImage() = default;
    ScaledImage(QImage image, Qt::AspectRatioMode mode);

    bool isNull() const { return m_source.isNull(); }
    void paint(QPainter &painter, const QRectF &area);

private:
    QImage m_source;
    Qt::AspectRatioMode m_mode = Qt::KeepAspectRatio;
    QImage m_scaled;
    QSize m_scaledFor;
};

} // namespace lettergate

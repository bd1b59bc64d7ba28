#include "panel/RoundedPlate.h"

#include <QPainter>

namespace lettergate {

void RoundedPlate::paint(QPainter &painter, const QRectF &rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (fill.isValid()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(rect, radius, radius);
    }
    painter.restore();
    paintBorder(painter, rect, radius, border, borderWidth);
}

void RoundedPlate::paintBorder(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal width)
{
    if (!color.isValid() || width <= 0)
        return;
    // A stroke is centred on its path: half a width in, it stays inside the edge.
    const qreal half = width / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(half, half, -half, -half), qMax<qreal>(0, radius - half),
                            qMax<qreal>(0, radius - half));
    painter.restore();
}

} // namespace lettergate

#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace lettergate {

// The soft shadow a rounded rectangle casts, painted under cards. Shadows of equal
// shapes are blurred once and reused, so a page of cards blurs one picture.
struct DropShadow {
    QColor color;
    qreal blurRadius = 0;
    QPointF offset;

    // How far the shadow of a shape reaches beyond it on each side.
    qreal reach() const { return blurRadius + qMax(qAbs(offset.x()), qAbs(offset.y())); }

    // Paints the shadow of the rounded rectangle `shape` (corner radius `corner`).
    void paint(QPainter &painter, const QRectF &shape, qreal corner) const;
};

} // namespace lettergate

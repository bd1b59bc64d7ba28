#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace lettergate {

// A rounded rectangle filled with `fill`, with a border of `borderWidth` drawn inside
// its edge (none for an invalid colour or a zero width): the shape of every card,
// chip, badge and box of the panel.
struct RoundedPlate {
    qreal radius = 0;
    QColor fill;
    QColor border;
    qreal borderWidth = 1;

    void paint(QPainter &painter, const QRectF &rect) const;
    // The same, for the outline of a rounded rectangle of `radius` only.
    static void paintBorder(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal width);
};

} // namespace lettergate

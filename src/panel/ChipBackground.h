#pragma once

#include <QRectF>

class QPainter;

namespace lettergate {

// The plate under the apps page's cells and chips: the control background in a
// rounded rectangle of radius 10, with a 1-wide border inside it (primary at
// `borderOpacity`, none at 0).
void paintChipBackground(QPainter &painter, const QRectF &rect, qreal borderOpacity);

} // namespace lettergate

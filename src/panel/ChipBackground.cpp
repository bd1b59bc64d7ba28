#include "panel/ChipBackground.h"

#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"

namespace lettergate {

namespace {
constexpr qreal chipCorner = 10;
}

void paintChipBackground(QPainter &painter, const QRectF &rect, qreal borderOpacity)
{
    const QColor border = borderOpacity > 0 ? PanelStyle::primary(borderOpacity) : QColor();
    RoundedPlate{chipCorner, PanelStyle::controlBackground(), border}.paint(painter, rect);
}

} // namespace lettergate

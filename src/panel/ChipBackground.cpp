#include "panel/ChipBackground.h"

#include "panel/PanelStyle.h"

#include <QPainter>

namespace {
constexpr qreal chipCorner = 10;
}

void paintChipBackground(QPainter &painter, const QRectF &rect, qreal borderOpacity)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PanelStyle::controlBackground());
    painter.drawRoundedRect(rect, chipCorner, chipCorner);
    if (borderOpacity > 0) {
        painter.setPen(QPen(PanelStyle::primary(borderOpacity), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), chipCorner - 0.5, chipCorner - 0.5);
    }
    painter.restore();
}

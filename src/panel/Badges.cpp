#include "panel/Badges.h"

#include "panel/PanelStyle.h"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPainter>
#include <QPainterPath>

#include <optional>

namespace {

struct BadgeStyle {
    QFont font;
    QMarginsF insets;
    qreal minimumTextWidth;
    qreal radius;
    QColor fill;
    std::optional<QColor> border;

    QSizeF size(const QString &text) const
    {
        const QFontMetricsF metrics(font);
        const qreal textWidth = qMax(minimumTextWidth, metrics.horizontalAdvance(text));
        return {textWidth + insets.left() + insets.right(), metrics.height() + insets.top() + insets.bottom()};
    }

    void paint(QPainter &painter, const QPointF &topLeft, const QString &text) const
    {
        const QRectF plate(topLeft, size(text));
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(plate, radius, radius);
        if (border) {
            // A 1-wide line inside the plate's edge.
            painter.setPen(QPen(*border, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
        }
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(plate.marginsRemoved(insets), Qt::AlignCenter, text);
        painter.restore();
    }
};

const BadgeStyle &keyBadge()
{
    static const BadgeStyle style{PanelStyle::font(12, QFont::Bold), QMarginsF(7, 2, 7, 2), 0, 6,
                                  QColor(0, 0, 0, 153), QColor(255, 255, 255, 56)};
    return style;
}

const BadgeStyle &miniBadge()
{
    static const BadgeStyle style{PanelStyle::font(11, QFont::Bold), QMarginsF(4, 1, 4, 1), 16, 4,
                                  QColor(0, 0, 0, 140), std::nullopt};
    return style;
}

} // namespace

namespace KeyBadge {
QSizeF size(const QString &text) { return keyBadge().size(text); }
void paint(QPainter &painter, const QPointF &topLeft, const QString &text) { keyBadge().paint(painter, topLeft, text); }
} // namespace KeyBadge

namespace MiniBadge {
QSizeF size(const QString &text) { return miniBadge().size(text); }
void paint(QPainter &painter, const QPointF &topLeft, const QString &text) { miniBadge().paint(painter, topLeft, text); }
} // namespace MiniBadge

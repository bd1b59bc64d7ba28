#include "panel/Badges.h"

#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPainter>

namespace lettergate {

namespace {

struct BadgeStyle {
    QFont font;
    QMarginsF insets;
    qreal minimumTextWidth;
    qreal radius;
    QColor fill;
    QColor border; // none when invalid

    QSizeF size(const QString &text) const
    {
        const QFontMetricsF metrics(font);
        const qreal textWidth = qMax(minimumTextWidth, metrics.horizontalAdvance(text));
        return {textWidth + insets.left() + insets.right(), metrics.height() + insets.top() + insets.bottom()};
    }

    void paint(QPainter &painter, const QPointF &topLeft, const QString &text) const
    {
        const QRectF plate(topLeft, size(text));
        RoundedPlate{radius, fill, border}.paint(painter, plate);
        painter.save();
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(plate.marginsRemoved(insets), Qt::AlignCenter, text);
        painter.restore();
    }
};

const BadgeStyle &keyBadge()
{
    static const BadgeStyle style{PanelStyle::subheadline(QFont::Bold),
                                  QMarginsF(7, 2, 7, 2),
                                  0,
                                  6,
                                  QColor(0, 0, 0, 153),
                                  QColor(255, 255, 255, 56)};
    return style;
}

const BadgeStyle &miniBadge()
{
    static const BadgeStyle style{
        PanelStyle::font(11, QFont::Bold), QMarginsF(4, 1, 4, 1), 16, 4, QColor(0, 0, 0, 140), QColor()};
    return style;
}

} // namespace

namespace KeyBadge {
QSizeF size(const QString &text)
{
    return keyBadge().size(text);
}
void paint(QPainter &painter, const QPointF &topLeft, const QString &text)
{
    keyBadge().paint(painter, topLeft, text);
}
} // namespace KeyBadge

namespace MiniBadge {
QSizeF size(const QString &text)
{
    return miniBadge().size(text);
}
void paint(QPainter &painter, const QPointF &topLeft, const QString &text)
{
    miniBadge().paint(painter, topLeft, text);
}
} // namespace MiniBadge

} // namespace lettergate

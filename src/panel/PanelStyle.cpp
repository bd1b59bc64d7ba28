#include "panel/PanelStyle.h"

#include <QGuiApplication>
#include <QPalette>

namespace lettergate {

namespace PanelStyle {

namespace {
QColor white(qreal opacity)
{
    QColor color(Qt::white);
    color.setAlphaF(opacity);
    return color;
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}
} // namespace

QColor primary(qreal opacity)
{
    return white(0.88 * opacity);
}
QColor secondary()
{
    return white(0.58);
}
QColor tertiary()
{
    return white(0.36);
}

QColor accent(qreal opacity)
{
    return withOpacity(QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight), opacity);
}

QColor controlBackground(qreal opacity)
{
    return withOpacity(QColor(30, 30, 32), opacity);
}
QColor warning(qreal opacity)
{
    return withOpacity(QColor(255, 159, 10), opacity);
}

QColor panelFill(bool translucent)
{
    return translucent ? QColor(38, 38, 42, 235) : QColor(40, 40, 44);
}

QColor panelBorder()
{
    return white(0.06);
}

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont title3(QFont::Weight weight)
{
    return font(17, weight);
}
QFont headline(QFont::Weight weight)
{
    return font(14, weight);
}
QFont callout(QFont::Weight weight)
{
    return font(13, weight);
}
QFont subheadline(QFont::Weight weight)
{
    return font(12, weight);
}
QFont caption(QFont::Weight weight)
{
    return font(11, weight);
}
QFont caption2(QFont::Weight weight)
{
    return font(10, weight);
}

} // namespace PanelStyle

} // namespace lettergate

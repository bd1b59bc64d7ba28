#pragma once

#include "switcher/SwitcherRig.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace lettergate {

// The switcher rig with what the panel draws on top: window pictures in the thumbnail
// cache, application icons, and picture entries.
namespace PanelRig {

// A plain coloured rounded-square icon for the process.
inline void giveIcon(QHash<qint32, QIcon> &icons, qint32 pid, const QColor &color)
{
    QPixmap square(64, 64);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 14, 14);
    painter.end();
    icons.insert(pid, QIcon(square));
}

// The widget and its children drawn on a transparent picture of its size.
inline QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QImage picture(QSize size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

} // namespace PanelRig

} // namespace lettergate

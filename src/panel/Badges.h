#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace lettergate {

// The key labels painted on cards, cells and chips: white bold text on a dark plate.
// Each draws at its natural size with its top-left corner at `topLeft`.

// The label of a card or of a column's list key: a plate of radius 6 with a faint
// white border.
namespace KeyBadge {
QSizeF size(const QString &text);
void paint(QPainter &painter, const QPointF &topLeft, const QString &text);
} // namespace KeyBadge

// The small label of a column cell, a bar chip and a more-chip: a plate of radius 4,
// at least 16 wide, without a border.
namespace MiniBadge {
QSizeF size(const QString &text);
void paint(QPainter &painter, const QPointF &topLeft, const QString &text);
} // namespace MiniBadge

} // namespace lettergate

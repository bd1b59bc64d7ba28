#pragma once

#include <QColor>
#include <QFont>

namespace lettergate {

// The panel's colours and type: a dark appearance whatever the desktop theme, so the
// translucent panel reads the same over any background. Sizes are logical pixels,
// one per point.
namespace PanelStyle {

// Foreground for text of decreasing emphasis.
QColor primary(qreal opacity = 1.0);
QColor secondary();
QColor tertiary();
// The highlight of the application palette: the desktop's accent where it sets one.
QColor accent(qreal opacity = 1.0);
// Fill of cards, cells and chips.
QColor controlBackground(qreal opacity = 1.0);
QColor warning(qreal opacity = 1.0);

// The panel itself: translucent over a compositor, opaque without one.
QColor panelFill(bool translucent);
QColor panelBorder();

// The application's font at `pixelSize`.
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);

// The named text styles, in their usual weight unless asked otherwise.
QFont title3(QFont::Weight weight = QFont::DemiBold);
QFont headline(QFont::Weight weight = QFont::Bold);
QFont callout(QFont::Weight weight = QFont::Normal);
QFont subheadline(QFont::Weight weight = QFont::Normal);
QFont caption(QFont::Weight weight = QFont::Normal);
QFont caption2(QFont::Weight weight = QFont::Normal);

} // namespace PanelStyle

} // namespace lettergate

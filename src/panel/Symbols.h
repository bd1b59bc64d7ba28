#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace lettergate {

// The panel's symbols, named as the panel's design names them ("chevron.backward",
// "doc.on.clipboard", …). Most map to a freedesktop icon of the desktop's theme, drawn
// as a one-colour silhouette in the colour asked for; where the theme lacks the icon a
// painted stand-in of the same meaning keeps the panel complete. The link, the globe
// and the empty tray, which themes draw as something else, are always painted.
namespace Symbols {

// Where Qt found no icon theme of the desktop (no platform theme: offscreen, a bare X
// server), selects the installed Adwaita theme; the desktop's own theme stays
// otherwise, with Adwaita as its fallback. Looks every symbol up once, so that drawing
// never reads the theme from disk. Call on the GUI thread before the panel is drawn.
void prepare();

// Whether the theme provides the symbol (false: the painted stand-in is used).
bool hasThemeIcon(QStringView symbol);

// The symbol as a `side` × `side` silhouette in `color`, for a device pixel ratio.
QImage image(QStringView symbol, int side, const QColor &color, qreal devicePixelRatio);

// Draws the symbol centred in `rect`, as large as its smaller side.
void paint(QPainter &painter, const QRectF &rect, QStringView symbol, const QColor &color);

} // namespace Symbols

} // namespace lettergate

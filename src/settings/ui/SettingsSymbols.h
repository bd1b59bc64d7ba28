#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringView>

namespace lettergate {

// The settings window's symbols by their design names ("gearshape", "trash", "tray"…),
// drawn from the desktop's icon theme. Where Qt found no desktop theme (offscreen, a
// bare X server) the installed Adwaita theme is used.
namespace SettingsSymbols {

// The symbol in the theme's own colours; a null icon for an unknown name or a theme
// without it.
QIcon icon(QStringView symbol);

// The symbol as a one-colour silhouette `side` pixels square (device-independent), for
// labels whose colour carries meaning: a green check, a red trash can, white on green.
QPixmap tinted(QStringView symbol, int side, const QColor &color, qreal devicePixelRatio);

// A tinted icon for a button, in the normal state.
QIcon tintedIcon(QStringView symbol, int side, const QColor &color);

} // namespace SettingsSymbols

} // namespace lettergate

#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <optional>

namespace lettergate {

// Where the panel opens. Portable arithmetic over the screens as Qt reports them, so the
// rules hold the same on every backend.
namespace PanelPlacement {

// One screen: where it lies, in Qt's device-independent coordinates, and how many
// device pixels make one of those.
struct Screen {
    QRect geometry;
    qreal devicePixelRatio = 1;
};

// The index of the screen the panel opens on, -1 when there is none. The first screen is
// the primary one. The panel opens where the user works: on the screen that holds the
// active window's centre (or, with its centre off every screen, the most of its frame),
// else on the screen under the pointer, else on the primary screen. The window's frame
// is in the window server's device pixels; the pointer in Qt's coordinates.
qsizetype screenFor(const QList<Screen> &screens, const std::optional<QRectF> &activeWindowFrame,
                    const std::optional<QPoint> &pointer);

// The panel's rectangle on a screen's available area: 80 % of it, centred.
QRect panelRectWithin(const QRect &available);

} // namespace PanelPlacement

} // namespace lettergate

#pragma once

#include "platform/WindowServer.h"

#include <QRect>
#include <QString>

class ForeignToplevels;
struct Toplevel;
class VisibleWindowFrames;
class WaylandAppCatalog;

// The compositor's windows, most recently activated first, minimised ones left out.
// The window list carries no geometry: on sway ($SWAYSOCK) each window's place comes
// from sway's layout tree, asked at each listing, and the visible ones are handed to
// the window pictures; elsewhere a window's bounds are those of the output it is on,
// which is all that is known of it.
class WaylandWindowServer final : public WindowServer {
public:
    WaylandWindowServer(const ForeignToplevels &toplevels, WaylandAppCatalog &catalog, VisibleWindowFrames &frames,
                        QString swaySocket);

    std::optional<QList<WindowRecord>> onScreenWindows() override;

private:
    std::optional<QRect> outputRectOf(const Toplevel &toplevel) const;

    const ForeignToplevels &m_toplevels;
    WaylandAppCatalog &m_catalog;
    VisibleWindowFrames &m_frames;
    const QString m_swaySocket;
    bool m_swayFailureLogged = false;
};

#pragma once

#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/WaylandAccessibility.h"
#include "platform/wayland/WaylandAppCatalog.h"
#include "platform/wayland/WaylandApps.h"
#include "platform/wayland/WaylandWindowServer.h"

namespace lettergate {

class VisibleWindowFrames;

// The windows and applications of a Wayland session, as the platform interfaces present
// them, over one model of the compositor's window list. Our own windows have our desktop
// file name as their app_id and our process id as their application number.
class WaylandWindows {
public:
    WaylandWindows(WaylandConnection &connection, wl_seat *seat, VisibleWindowFrames &frames);

    WindowServer &windowServer() { return m_windowServer; }
    Apps &apps() { return m_apps; }
    Accessibility &accessibility() { return m_accessibility; }

private:
    ForeignToplevels m_toplevels;
    WaylandAppCatalog m_catalog;
    WaylandWindowServer m_windowServer;
    WaylandApps m_apps;
    WaylandAccessibility m_accessibility;
};

} // namespace lettergate

#pragma once

#include "platform/WindowServer.h"

namespace lettergate {

class AppCatalog;
class X11Display;

// The on-screen windows from the window manager's stacking order: mapped, not
// minimised, on the current desktop (or on all of them).
class X11WindowServer final : public WindowServer {
public:
    X11WindowServer(const X11Display &display, AppCatalog &catalog);

    // Nothing when no EWMH window manager publishes its client list.
    std::optional<QList<WindowRecord>> onScreenWindows() override;

private:
    const X11Display &m_display;
    AppCatalog &m_catalog;
};

} // namespace lettergate

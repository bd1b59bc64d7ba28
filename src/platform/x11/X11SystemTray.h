#pragma once

#include "platform/SystemTray.h"
#include "platform/x11/X11EventPump.h"

namespace lettergate {

class X11Display;

// The system tray as the X server sees it: the owner of the _NET_SYSTEM_TRAY_S<n>
// selection of the default screen. XFixes reports every change of that owner, including
// a tray that exits or crashes without giving the selection up.
class X11SystemTray final : public SystemTray, public X11EventFilter {
    Q_OBJECT
public:
    explicit X11SystemTray(const X11Display &display);
    ~X11SystemTray() override;

    bool isPresent() const override { return m_present; }
    void x11Event(const xcb_generic_event_t *event) override;

private:
    void setPresent(bool present);

    const X11Display &m_display;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    xcb_window_t m_watcher = XCB_WINDOW_NONE;
    // 0 without XFixes: the presence read at start then stays as it was.
    uint8_t m_ownerChangeEvent = 0;
    bool m_present = false;
};

} // namespace lettergate

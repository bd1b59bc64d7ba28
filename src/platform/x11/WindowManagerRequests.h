#pragma once

#include "platform/x11/UserInputTime.h"
#include "platform/x11/X11EventPump.h"

#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

class X11Display;

// Asks the window manager to change a client window, the way EWMH and ICCCM say a
// pager should: client messages to the root window, stamped with the time of the
// user's key or click that asked for them (else the server's time) and marked as
// coming from a pager, so that focus-stealing prevention lets them pass. As an event
// filter it learns when the window manager it found goes away, and when the active
// window last changed.
class WindowManagerRequests final : public X11EventFilter {
public:
    WindowManagerRequests(X11Display &display, X11EventPump &pump);

    // Whether a window manager runs that honours _NET_ACTIVE_WINDOW requests. Asked of
    // the server until one is found; then answered from memory until its check
    // window is destroyed or the root's announcement changes.
    bool supportsActivation();

    // Un-minimises, raises and focuses the window (switching desktops if needed). Sent
    // without waiting for any reply when a key or click in this program's own windows
    // came after the last change of the active window: its time is the request's.
    void activate(xcb_window_t window, xcb_window_t currentlyActive);
    void raise(xcb_window_t window);
    void minimize(xcb_window_t window);
    // Mapping an iconic window is the ICCCM request to restore it.
    void unminimize(xcb_window_t window);
    // Whether a compositing manager owns this screen's _NET_WM_CM_S selection.
    bool compositorRuns() const;
    // The _NET_WM_NAME of the window manager's check window, when one that honours
    // activation runs (empty when it names nothing).
    std::optional<QString> name();

    void x11Event(const xcb_generic_event_t *event) override;

private:
    bool findActivatingWindowManager();
    xcb_timestamp_t activationTime();

    X11Display &m_display;
    X11EventPump &m_pump;
    // The check window of the window manager found to honour activation requests.
    xcb_window_t m_checkWindow = XCB_WINDOW_NONE;
    UserInputTime m_userInput;
    // When _NET_ACTIVE_WINDOW last changed, by the server's clock.
    std::optional<xcb_timestamp_t> m_activeWindowChanged;
};

} // namespace lettergate

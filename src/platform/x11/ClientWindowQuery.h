#pragma once

#include "platform/x11/ClientWindow.h"

#include <QFlags>
#include <QList>
#include <optional>

namespace lettergate {

class X11Display;

// Reads what the window manager publishes about its client windows. Every function
// sends all of its requests before it waits for the first reply, so a batch of fifty
// windows costs about one round trip per dependent step, not one per property.
namespace ClientWindowQuery {

enum class Field {
    Pid = 0x1,       // _NET_WM_PID, else the X-Resource client pid
    Placement = 0x2, // viewable, override-redirect, kind, state, desktop, frame
    Title = 0x4,
    Hints = 0x8,  // WM_CLASS and the application-id properties
    State = 0x10, // _NET_WM_STATE alone (hidden, skip-taskbar); Placement includes it
};
Q_DECLARE_FLAGS(Fields, Field)

// _NET_CLIENT_LIST_STACKING, front-most first; nothing without an EWMH window manager.
std::optional<QList<xcb_window_t>> stackingOrder(const X11Display &display);

// _NET_CLIENT_LIST: every managed window, minimised and other desktops' included,
// oldest first; nothing without an EWMH window manager.
std::optional<QList<xcb_window_t>> managedWindows(const X11Display &display);

// The windows in the order given; windows that no longer exist are left out.
QList<ClientWindow> read(const X11Display &display, const QList<xcb_window_t> &windows, Fields fields);

// The window manager's stacking order with the given fields of each window.
struct Snapshot {
    QList<ClientWindow> windows; // front-most first
    std::optional<uint32_t> currentDesktop;
};
std::optional<Snapshot> snapshot(const X11Display &display, Fields fields);

} // namespace ClientWindowQuery

Q_DECLARE_OPERATORS_FOR_FLAGS(ClientWindowQuery::Fields)

} // namespace lettergate

#pragma once

#include "platform/desktop/DesktopEntries.h"
#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// The EWMH window type, reduced to what decides a window's layer.
enum class WindowKind { Normal, Dialog, Desktop, Dock, Toolbar, Menu, Utility, Splash, Popup };

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// One top-level client window as the server and the window manager describe it. Only
// the fields asked for (ClientWindowQuery::Fields) are filled in.
struct ClientWindow {
    xcb_window_t id = XCB_WINDOW_NONE;
    std::optional<qint32> pid;
    bool viewable = false;
    bool overrideRedirect = false;
    WindowKind kind = WindowKind::Normal;
    bool hidden = false; // _NET_WM_STATE_HIDDEN: minimised or shaded away
    bool skipTaskbar = false;
    std::optional<uint32_t> desktop; // _NET_WM_DESKTOP; 0xFFFFFFFF is every desktop
    std::optional<QString> title;
    AppHints hints;
    std::optional<QRect> frame; // the outer frame in root coordinates
};

// Layers in the window server's sense: 0 holds ordinary application windows; the
// others only need to be non-zero, and are ordered as those windows stack.
namespace WindowLayer {
inline constexpr qint64 desktop = -1;
inline constexpr qint64 normal = 0;
inline constexpr qint64 floating = 3; // utilities, toolbars, splashes, windows kept off the taskbar
inline constexpr qint64 dock = 20;
inline constexpr qint64 popup = 101; // menus, tooltips, notifications, unmanaged windows
} // namespace WindowLayer

qint64 layerOf(const ClientWindow &window);

// Whether the user can see the window now: mapped, not minimised, on this desktop.
bool isOnScreen(const ClientWindow &window, std::optional<uint32_t> currentDesktop);

// The outer frame of a client whose origin lies at clientOrigin in root coordinates:
// its border and the decorations the window manager reports around it.
QRect frameRect(QPoint clientOrigin, QSize clientSize, int borderWidth, const FrameExtents &extents);

} // namespace lettergate

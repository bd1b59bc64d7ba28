#pragma once

#include "platform/desktop/DesktopEntries.h"
#include "platform/x11/ClientWindow.h"

#include <QHash>
#include <optional>

namespace lettergate {

// Who an application is, as the switcher names it.
struct AppIdentity {
    // The desktop-file id, else the WM_CLASS class, so that an application without a
    // desktop entry still keeps its letter; nothing when the window has neither.
    std::optional<QString> bundleID;
    // The desktop entry's name, else the WM_CLASS class.
    std::optional<QString> name;
};

// Names the applications behind windows and remembers, per process, the identity and
// the windows of the last listing, so that questions about a process that the window
// list just answered need no further trip to the server.
class AppCatalog {
public:
    DesktopEntries &desktopEntries() { return m_entries; }

    AppIdentity identify(const AppHints &hints);

    // Replaces what is known with these windows: every client window the window
    // manager lists, read with pids and hints, front-most first.
    void rememberAll(const QList<ClientWindow> &windows);

    struct Known {
        AppIdentity identity;
        xcb_window_t window = XCB_WINDOW_NONE; // the front-most one
        QList<xcb_window_t> windows;           // every one, front-most first
    };
    std::optional<Known> known(qint32 pid) const;
    // A client window and the process that shows it.
    struct OwnedWindow {
        xcb_window_t window = XCB_WINDOW_NONE;
        qint32 pid = 0;
    };
    // Every client window of every process known to be this application, front-most
    // first: terminals and many other programs run one process per window.
    QList<OwnedWindow> windowsOf(const QString &bundleID) const;

private:
    DesktopEntries m_entries;
    QHash<qint32, Known> m_byPid;
    // Each client window with its process, front-most first.
    QList<OwnedWindow> m_stacking;
};

} // namespace lettergate

#pragma once

#include "platform/Apps.h"
#include "platform/x11/AppCatalog.h"

#include <xcb/xcb.h>

namespace lettergate {

class ActiveWindowTracker;
class WindowManagerRequests;
class X11Display;

// Applications as X11 shows them: a process with client windows, named by its desktop
// entry (see AppCatalog), in front when one of its windows is _NET_ACTIVE_WINDOW.
class X11Apps final : public Apps {
public:
    X11Apps(const X11Display &display, AppCatalog &catalog, ActiveWindowTracker &activeWindow,
            WindowManagerRequests &windowManager);

    std::optional<QString> bundleIdentifier(qint32 pid) override;
    std::optional<qint32> frontmostApp() override;
    bool isTerminated(qint32 pid) override;
    // Activates the application's most recently active window, else its front-most one.
    bool activateApp(qint32 pid) override;
    QIcon appIcon(qint32 pid) override;
    QIcon iconForBundle(const QString &bundleID) override;
    bool openApplication(const QString &bundleID) override;
    QStringList categories(const QString &bundleID) override;
    bool openUrl(const QUrl &url) override;
    std::optional<quint32> activeWindow() override;

private:
    void refreshCatalog();
    // The process's client windows, front-most first.
    QList<AppCatalog::OwnedWindow> windowsOf(qint32 pid) const;
    // Asks the window manager to activate the most recently active of the windows, else
    // the front-most; false when there are none.
    bool bringForward(const QList<AppCatalog::OwnedWindow> &windows);
    QIcon windowIcon(xcb_window_t window) const;

    const X11Display &m_display;
    AppCatalog &m_catalog;
    ActiveWindowTracker &m_activeWindow;
    WindowManagerRequests &m_windowManager;
};

} // namespace lettergate

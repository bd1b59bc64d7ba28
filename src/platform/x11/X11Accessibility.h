#pragma once

#include "platform/Accessibility.h"

#include <QHash>

namespace lettergate {

class ActiveWindowTracker;
class AppCatalog;
struct ClientWindow;
class WindowManagerRequests;
class X11Display;

// Driving other applications' windows through the window manager. X11 asks for no
// permission; what it needs is an EWMH window manager that honours activation
// requests. A window element is the client window's XID.
class X11Accessibility final : public Accessibility {
public:
    X11Accessibility(const X11Display &display, const AppCatalog &catalog, ActiveWindowTracker &activeWindow,
                     WindowManagerRequests &windowManager);

    bool isTrusted() override;
    // Nothing to ask for: logs why.
    void requestTrust() override;
    // Every client window of the process, minimised and other desktops' included. A
    // process of the last window listing answers with the windows listed then that
    // still exist, checked in one round trip (the window being activated was picked
    // from that listing); any other is listed afresh.
    WindowElementList windowElements(qint32 pid) override;
    std::optional<quint32> windowNumber(WindowElement element) override;
    // Answered without a round trip for a window of the last windowElements answer,
    // whose state came in the same batch of replies; asked of the server otherwise.
    std::optional<bool> isMinimized(WindowElement element) override;
    void setMinimized(WindowElement element, bool minimized) override;
    void raise(WindowElement element) override;
    void focus(qint32 pid, WindowElement element) override;
    // X11 knows one active window per screen and no separate main window: focus has
    // already made the window the one its application comes forward with.
    void makeMain(WindowElement element) override;

private:
    // The windows as elements, their state kept for isMinimized.
    QList<WindowElement> rememberListed(const QList<ClientWindow> &windows);

    const X11Display &m_display;
    const AppCatalog &m_catalog;
    ActiveWindowTracker &m_activeWindow;
    WindowManagerRequests &m_windowManager;
    // Whether each window of the last windowElements answer was minimised, each
    // answer used once, so that a later question never gets a stale one.
    QHash<WindowElement, bool> m_listedMinimized;
};

} // namespace lettergate

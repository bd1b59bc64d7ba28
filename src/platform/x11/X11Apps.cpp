#include "platform/x11/X11Apps.h"

#include "platform/x11/ActiveWindowTracker.h"
#include "platform/x11/AppCatalog.h"
#include "platform/x11/ClientWindowQuery.h"
#include "platform/x11/NetWmIcon.h"
#include "platform/x11/WindowManagerRequests.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Property.h"

#include <cerrno>
#include <csignal>

namespace lettergate {

using Field = ClientWindowQuery::Field;

namespace {
// A quarter of a million pixels covers every icon size an application ships.
constexpr uint32_t iconPropertyLimit = 256 * 1024;
} // namespace

X11Apps::X11Apps(const X11Display &display, AppCatalog &catalog, ActiveWindowTracker &activeWindow,
                 WindowManagerRequests &windowManager)
    : m_display(display)
    , m_catalog(catalog)
    , m_activeWindow(activeWindow)
    , m_windowManager(windowManager)
{
    m_activeWindow.setReportHandler([this](xcb_window_t window, bool anotherProcess) {
        emit activeWindowReported(window);
        if (anotherProcess)
            emit frontmostAppChanged(*m_activeWindow.activePid());
    });
}

void X11Apps::refreshCatalog()
{
    if (const auto snapshot = ClientWindowQuery::snapshot(m_display, Field::Pid | Field::Hints))
        m_catalog.rememberAll(snapshot->windows);
}

std::optional<QString> X11Apps::bundleIdentifier(qint32 pid)
{
    if (isTerminated(pid))
        return std::nullopt;
    if (!m_catalog.known(pid))
        refreshCatalog();
    const auto known = m_catalog.known(pid);
    return known ? known->identity.bundleID : std::nullopt;
}

std::optional<qint32> X11Apps::frontmostApp()
{
    return m_activeWindow.activePid();
}

std::optional<quint32> X11Apps::activeWindow()
{
    const xcb_window_t window = m_activeWindow.activeWindow();
    return window == XCB_WINDOW_NONE ? std::nullopt : std::optional<quint32>(window);
}

bool X11Apps::isTerminated(qint32 pid)
{
    // EPERM means the process exists but belongs to someone else.
    return pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH);
}

bool X11Apps::activateApp(qint32 pid)
{
    // Right after a window of the application was asked for, its most recent window
    // is that one: a second request would only repeat the first, after a listing.
    if (m_activeWindow.activationPendingFor(pid))
        return true;
    return bringForward(windowsOf(pid));
}

bool X11Apps::bringForward(const QList<AppCatalog::OwnedWindow> &windows)
{
    if (windows.isEmpty())
        return false;
    QList<xcb_window_t> candidates;
    for (const AppCatalog::OwnedWindow &owned : windows)
        candidates.append(owned.window);
    const xcb_window_t target = m_activeWindow.mostRecent(candidates).value_or(candidates.first());
    const qint32 pid = windows.at(candidates.indexOf(target)).pid;
    m_activeWindow.noteActivationRequest(target, pid);
    // The window manager restores a minimised window and goes to its desktop.
    m_windowManager.activate(target, m_activeWindow.activeWindow());
    return true;
}

QList<AppCatalog::OwnedWindow> X11Apps::windowsOf(qint32 pid) const
{
    QList<AppCatalog::OwnedWindow> windows;
    // The last listing's windows of the process that still exist cost one round trip;
    // a process it did not show is looked for among all windows.
    if (const auto known = m_catalog.known(pid)) {
        for (const ClientWindow &window : ClientWindowQuery::read(m_display, known->windows, {}))
            windows.append({window.id, pid});
        if (!windows.isEmpty())
            return windows;
    }
    const auto stacking = ClientWindowQuery::stackingOrder(m_display);
    if (!stacking)
        return windows;
    for (const ClientWindow &window : ClientWindowQuery::read(m_display, *stacking, Field::Pid)) {
        if (window.pid == pid)
            windows.append({window.id, pid});
    }
    return windows;
}

QIcon X11Apps::windowIcon(xcb_window_t window) const
{
    xcb_connection_t *c = m_display.connection();
    const auto reply = X11Property::reply(c, X11Property::request(c, window, m_display.ewmh()->_NET_WM_ICON,
                                                                  iconPropertyLimit));
    return netWmIcon(X11Property::cardinals(reply.get()));
}

QIcon X11Apps::appIcon(qint32 pid)
{
    if (!m_catalog.known(pid))
        refreshCatalog();
    const auto known = m_catalog.known(pid);
    if (!known)
        return {};
    if (known->identity.bundleID) {
        const QIcon icon = m_catalog.desktopEntries().icon(*known->identity.bundleID);
        if (!icon.isNull())
            return icon;
    }
    return windowIcon(known->window);
}

QIcon X11Apps::iconForBundle(const QString &bundleID)
{
    const QIcon icon = m_catalog.desktopEntries().icon(bundleID);
    if (!icon.isNull())
        return icon;
    // An application known only by its window class has nothing but its windows' icons.
    const QList<AppCatalog::OwnedWindow> windows = m_catalog.windowsOf(bundleID);
    return windows.isEmpty() ? QIcon() : windowIcon(windows.first().window);
}

QStringList X11Apps::categories(const QString &bundleID)
{
    return m_catalog.desktopEntries().categories(bundleID);
}

bool X11Apps::openApplication(const QString &bundleID)
{
    refreshCatalog();
    return bringForward(m_catalog.windowsOf(bundleID)) || m_catalog.desktopEntries().launch(bundleID);
}

bool X11Apps::openUrl(const QUrl &url)
{
    return DesktopEntries::openUrl(url);
}

} // namespace lettergate

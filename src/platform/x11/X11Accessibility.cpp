#include "platform/x11/X11Accessibility.h"

#include "platform/Log.h"
#include "platform/x11/ActiveWindowTracker.h"
#include "platform/x11/AppCatalog.h"
#include "platform/x11/ClientWindowQuery.h"
#include "platform/x11/WindowManagerRequests.h"
#include "platform/x11/X11Display.h"

#include <limits>

namespace lettergate {

using Field = ClientWindowQuery::Field;

namespace {

xcb_window_t windowOf(WindowElement element)
{
    return xcb_window_t(element);
}

} // namespace

X11Accessibility::X11Accessibility(const X11Display &display, const AppCatalog &catalog,
                                   ActiveWindowTracker &activeWindow, WindowManagerRequests &windowManager)
    : m_display(display)
    , m_catalog(catalog)
    , m_activeWindow(activeWindow)
    , m_windowManager(windowManager)
{
}

bool X11Accessibility::isTrusted()
{
    return m_windowManager.supportsActivation();
}

void X11Accessibility::requestTrust()
{
    if (isTrusted())
        qCInfo(lcX11).noquote() << QStringLiteral("nothing to grant: on X11 any program may raise and focus windows");
    else
        qCInfo(lcX11).noquote() << QStringLiteral(
            "nothing to grant: raising windows needs an EWMH window manager, and none is running");
}

WindowElementList X11Accessibility::windowElements(qint32 pid)
{
    // The state comes in the same batch as the windows' existence, so that the
    // activation's "minimised?" costs no round trip of its own.
    if (const auto known = m_catalog.known(pid)) {
        const QList<ClientWindow> remaining = ClientWindowQuery::read(m_display, known->windows, Field::State);
        if (!remaining.isEmpty())
            return {0, rememberListed(remaining)};
    }
    const auto managed = ClientWindowQuery::managedWindows(m_display);
    if (!managed)
        return {0, std::nullopt};
    QList<ClientWindow> ofProcess = ClientWindowQuery::read(m_display, *managed, Field::Pid | Field::State);
    ofProcess.removeIf([pid](const ClientWindow &window) { return window.pid != pid; });
    return {0, rememberListed(ofProcess)};
}

QList<WindowElement> X11Accessibility::rememberListed(const QList<ClientWindow> &windows)
{
    QList<WindowElement> elements;
    m_listedMinimized.clear();
    for (const ClientWindow &window : windows) {
        elements.append(window.id);
        m_listedMinimized.insert(window.id, window.hidden);
    }
    return elements;
}

std::optional<quint32> X11Accessibility::windowNumber(WindowElement element)
{
    if (element > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(element);
}

std::optional<bool> X11Accessibility::isMinimized(WindowElement element)
{
    if (const auto listed = m_listedMinimized.find(element); listed != m_listedMinimized.end()) {
        const bool minimized = *listed;
        m_listedMinimized.erase(listed);
        return minimized;
    }
    const QList<ClientWindow> window = ClientWindowQuery::read(m_display, {windowOf(element)}, Field::Placement);
    if (window.isEmpty())
        return std::nullopt;
    return window.first().hidden;
}

void X11Accessibility::setMinimized(WindowElement element, bool minimized)
{
    if (minimized)
        m_windowManager.minimize(windowOf(element));
    else
        m_windowManager.unminimize(windowOf(element));
}

void X11Accessibility::raise(WindowElement element)
{
    m_windowManager.raise(windowOf(element));
}

void X11Accessibility::focus(qint32 pid, WindowElement element)
{
    m_activeWindow.noteActivationRequest(windowOf(element), pid);
    m_windowManager.activate(windowOf(element), m_activeWindow.activeWindow());
}

void X11Accessibility::makeMain(WindowElement) {}

} // namespace lettergate

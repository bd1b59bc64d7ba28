#include "platform/x11/ActiveWindowTracker.h"

#include "platform/x11/ClientWindowQuery.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Property.h"

namespace lettergate {

namespace {
// Enough for every window a user switches between; older ones fall back to the
// window manager's stacking order.
constexpr qsizetype recentLimit = 64;
} // namespace

ActiveWindowTracker::ActiveWindowTracker(const X11Display &display)
    : m_display(display)
{
    refresh();
}

void ActiveWindowTracker::x11Event(const xcb_generic_event_t *event)
{
    if (x11EventType(event) != XCB_PROPERTY_NOTIFY)
        return;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->window != m_display.root() || notify->atom != m_display.ewmh()->_NET_ACTIVE_WINDOW)
        return;
    const std::optional<qint32> previousPid = m_activePid;
    refresh();
    if (m_reportHandler)
        m_reportHandler(m_activeWindow, m_activePid && m_activePid != previousPid);
}

void ActiveWindowTracker::refresh()
{
    xcb_connection_t *c = m_display.connection();
    const auto reply = X11Property::reply(c, X11Property::request(c, m_display.root(),
                                                                  m_display.ewmh()->_NET_ACTIVE_WINDOW, 1));
    m_activeWindow = X11Property::firstCardinal(reply.get()).value_or(XCB_WINDOW_NONE);
    m_activePid.reset();
    m_pendingActivationPid.reset();
    if (m_activeWindow == XCB_WINDOW_NONE)
        return;
    pushRecent(m_activeWindow);
    const QList<ClientWindow> active = ClientWindowQuery::read(m_display, {m_activeWindow},
                                                               ClientWindowQuery::Field::Pid);
    if (!active.isEmpty())
        m_activePid = active.first().pid;
}

void ActiveWindowTracker::noteActivationRequest(xcb_window_t window, qint32 pid)
{
    pushRecent(window);
    m_pendingActivationPid = pid;
}

void ActiveWindowTracker::pushRecent(xcb_window_t window)
{
    m_recent.removeAll(window);
    m_recent.prepend(window);
    if (m_recent.size() > recentLimit)
        m_recent.removeLast();
}

std::optional<xcb_window_t> ActiveWindowTracker::mostRecent(const QList<xcb_window_t> &candidates) const
{
    for (xcb_window_t window : m_recent) {
        if (candidates.contains(window))
            return window;
    }
    return std::nullopt;
}

} // namespace lettergate

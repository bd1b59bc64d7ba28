#include "platform/x11/WindowManagerRequests.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11EventPump.h"
#include "platform/x11/X11Property.h"

namespace lettergate {

namespace {
constexpr uint32_t iconicState = 3; // ICCCM WM_STATE value
} // namespace

WindowManagerRequests::WindowManagerRequests(X11Display &display, X11EventPump &pump)
    : m_display(display)
    , m_pump(pump)
    , m_userInput(display.extensions().xinputOpcode)
{
}

bool WindowManagerRequests::supportsActivation()
{
    return m_checkWindow != XCB_WINDOW_NONE || findActivatingWindowManager();
}

bool WindowManagerRequests::findActivatingWindowManager()
{
    xcb_connection_t *c = m_display.connection();
    const xcb_ewmh_connection_t &ewmh = *m_display.ewmh();
    const auto checkCookie = X11Property::request(c, m_display.root(), ewmh._NET_SUPPORTING_WM_CHECK, 1);
    const auto supportedCookie = X11Property::request(c, m_display.root(), ewmh._NET_SUPPORTED, 4096);
    const auto check = X11Property::firstCardinal(X11Property::reply(c, checkCookie).get());
    const QList<uint32_t> supported = X11Property::cardinals(X11Property::reply(c, supportedCookie).get());
    if (!check || !supported.contains(ewmh._NET_ACTIVE_WINDOW))
        return false;
    // Watched before it is read: if it still points at itself afterwards, it existed
    // when the watch began, and its destruction cannot go unreported.
    const uint32_t structureEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, *check, XCB_CW_EVENT_MASK, &structureEvents);
    // A window manager that died leaves its root properties behind; its check window,
    // which must point at itself, goes with it.
    const auto self = X11Property::firstCardinal(
        X11Property::reply(c, X11Property::request(c, *check, ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
    if (self != check)
        return false;
    m_checkWindow = *check;
    return true;
}

void WindowManagerRequests::x11Event(const xcb_generic_event_t *event)
{
    const uint8_t type = x11EventType(event);
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->window == m_display.root() && notify->atom == m_display.ewmh()->_NET_ACTIVE_WINDOW)
            m_activeWindowChanged = notify->time;
    }
    if (m_checkWindow == XCB_WINDOW_NONE)
        return;
    if (type == XCB_DESTROY_NOTIFY) {
        if (reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == m_checkWindow)
            m_checkWindow = XCB_WINDOW_NONE;
    } else if (type == XCB_PROPERTY_NOTIFY) {
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        const xcb_ewmh_connection_t &ewmh = *m_display.ewmh();
        if (notify->window == m_display.root()
            && (notify->atom == ewmh._NET_SUPPORTING_WM_CHECK || notify->atom == ewmh._NET_SUPPORTED))
            m_checkWindow = XCB_WINDOW_NONE;
    }
}

xcb_timestamp_t WindowManagerRequests::activationTime()
{
    // The server ignores a focus change stamped earlier than the last one, so an input
    // older than the last change of the active window will not do.
    const std::optional<xcb_timestamp_t> userTime = m_userInput.newestAfter(m_activeWindowChanged);
    return userTime ? *userTime : m_pump.serverTime();
}

void WindowManagerRequests::activate(xcb_window_t window, xcb_window_t currentlyActive)
{
    const xcb_timestamp_t time = activationTime();
    xcb_ewmh_request_change_active_window(m_display.ewmh(), m_display.screenNumber(), window,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, time, currentlyActive);
    m_display.flush();
}

void WindowManagerRequests::raise(xcb_window_t window)
{
    xcb_ewmh_request_restack_window(m_display.ewmh(), m_display.screenNumber(), window, XCB_WINDOW_NONE,
                                    XCB_STACK_MODE_ABOVE);
    m_display.flush();
}

void WindowManagerRequests::minimize(xcb_window_t window)
{
    xcb_ewmh_send_client_message(m_display.connection(), window, m_display.root(), m_display.atoms().wmChangeState,
                                 sizeof(iconicState), &iconicState);
    m_display.flush();
}

void WindowManagerRequests::unminimize(xcb_window_t window)
{
    xcb_map_window(m_display.connection(), window);
    m_display.flush();
}

std::optional<QString> WindowManagerRequests::name()
{
    if (!supportsActivation())
        return std::nullopt;
    xcb_connection_t *c = m_display.connection();
    const xcb_ewmh_connection_t &ewmh = *m_display.ewmh();
    const auto reply = X11Property::reply(c, X11Property::request(c, m_checkWindow, ewmh._NET_WM_NAME));
    return X11Property::text(reply.get(), ewmh.UTF8_STRING);
}

bool WindowManagerRequests::compositorRuns() const
{
    xcb_window_t owner = XCB_WINDOW_NONE;
    xcb_ewmh_connection_t *ewmh = m_display.ewmh();
    const auto cookie = xcb_ewmh_get_wm_cm_owner(ewmh, m_display.screenNumber());
    return xcb_ewmh_get_wm_cm_owner_reply(ewmh, cookie, &owner, nullptr) && owner != XCB_WINDOW_NONE;
}

} // namespace lettergate

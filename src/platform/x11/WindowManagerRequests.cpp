#include "platform/x11/WindowManagerRequests.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11EventPump.h"
#include "platform/x11/X11Property.h"

namespace {
constexpr uint32_t iconicState = 3;  // ICCCM WM_STATE value
} // namespace

WindowManagerRequests::WindowManagerRequests(X11Display &display, X11EventPump &pump)
    : m_display(display)
    , m_pump(pump)
{
}

bool WindowManagerRequests::supportsActivation() const
{
    xcb_connection_t *c = m_display.connection();
    const xcb_ewmh_connection_t &ewmh = *m_display.ewmh();
    const auto checkCookie = X11Property::request(c, m_display.root(), ewmh._NET_SUPPORTING_WM_CHECK, 1);
    const auto supportedCookie = X11Property::request(c, m_display.root(), ewmh._NET_SUPPORTED, 4096);
    const auto check = X11Property::firstCardinal(X11Property::reply(c, checkCookie).get());
    const QList<uint32_t> supported = X11Property::cardinals(X11Property::reply(c, supportedCookie).get());
    if (!check || !supported.contains(ewmh._NET_ACTIVE_WINDOW))
        return false;
    // A window manager that died leaves its root properties behind; its check window,
    // which must point at itself, goes with it.
    const auto self = X11Property::firstCardinal(
        X11Property::reply(c, X11Property::request(c, *check, ewmh._NET_SUPPORTING_WM_CHECK, 1)).get());
    return self == check;
}

void WindowManagerRequests::activate(xcb_window_t window, xcb_window_t currentlyActive)
{
    const xcb_timestamp_t time = m_pump.serverTime();
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

void WindowManagerRequests::keepOnAllDesktopsWithoutTaskbarEntry(xcb_window_t window)
{
    xcb_ewmh_connection_t *ewmh = m_display.ewmh();
    const int screen = m_display.screenNumber();
    constexpr uint32_t allDesktops = 0xFFFFFFFF;
    xcb_ewmh_request_change_wm_desktop(ewmh, screen, window, allDesktops, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    xcb_ewmh_request_change_wm_state(ewmh, screen, window, XCB_EWMH_WM_STATE_ADD, ewmh->_NET_WM_STATE_SKIP_TASKBAR,
                                     ewmh->_NET_WM_STATE_SKIP_PAGER, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    m_display.flush();
}

bool WindowManagerRequests::compositorRuns() const
{
    xcb_window_t owner = XCB_WINDOW_NONE;
    xcb_ewmh_connection_t *ewmh = m_display.ewmh();
    const auto cookie = xcb_ewmh_get_wm_cm_owner(ewmh, m_display.screenNumber());
    return xcb_ewmh_get_wm_cm_owner_reply(ewmh, cookie, &owner, nullptr) && owner != XCB_WINDOW_NONE;
}

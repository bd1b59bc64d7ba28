#include "platform/x11/ClientWindowQuery.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11Property.h"

#include <algorithm>
#include <limits>
#include <vector>
#include <xcb/res.h>

namespace lettergate {

using ClientWindowQuery::Field;
using ClientWindowQuery::Fields;

namespace {

WindowKind kindOf(const xcb_ewmh_connection_t &ewmh, const QList<uint32_t> &types)
{
    const std::pair<xcb_atom_t, WindowKind> known[] = {
        {ewmh._NET_WM_WINDOW_TYPE_NORMAL, WindowKind::Normal},
        {ewmh._NET_WM_WINDOW_TYPE_DIALOG, WindowKind::Dialog},
        {ewmh._NET_WM_WINDOW_TYPE_DESKTOP, WindowKind::Desktop},
        {ewmh._NET_WM_WINDOW_TYPE_DOCK, WindowKind::Dock},
        {ewmh._NET_WM_WINDOW_TYPE_TOOLBAR, WindowKind::Toolbar},
        {ewmh._NET_WM_WINDOW_TYPE_MENU, WindowKind::Menu},
        {ewmh._NET_WM_WINDOW_TYPE_UTILITY, WindowKind::Utility},
        {ewmh._NET_WM_WINDOW_TYPE_SPLASH, WindowKind::Splash},
        {ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, WindowKind::Popup},
        {ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU, WindowKind::Popup},
        {ewmh._NET_WM_WINDOW_TYPE_TOOLTIP, WindowKind::Popup},
        {ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION, WindowKind::Popup},
        {ewmh._NET_WM_WINDOW_TYPE_COMBO, WindowKind::Popup},
        {ewmh._NET_WM_WINDOW_TYPE_DND, WindowKind::Popup},
    };
    // The list is in the client's order of preference: the first type we know decides.
    for (uint32_t type : types) {
        for (const auto &[atom, kind] : known) {
            if (atom == type)
                return kind;
        }
    }
    return WindowKind::Normal;
}

// Every request of one window, sent before any reply is read.
struct Requests {
    xcb_get_window_attributes_cookie_t attributes{};
    xcb_get_property_cookie_t pid{};
    xcb_get_geometry_cookie_t geometry{};
    xcb_translate_coordinates_cookie_t origin{};
    xcb_get_property_cookie_t types{}, states{}, desktop{}, extents{};
    xcb_get_property_cookie_t netName{}, wmName{};
    xcb_get_property_cookie_t wmClass{}, gtkId{}, kdeFile{};
};

Requests send(const X11Display &display, xcb_window_t window, Fields fields)
{
    xcb_connection_t *c = display.connection();
    const xcb_ewmh_connection_t &ewmh = *display.ewmh();
    Requests r;
    r.attributes = xcb_get_window_attributes(c, window);
    if (fields & Field::Pid)
        r.pid = X11Property::request(c, window, ewmh._NET_WM_PID, 1);
    if (fields & Field::Placement) {
        r.geometry = xcb_get_geometry(c, window);
        r.origin = xcb_translate_coordinates(c, window, display.root(), 0, 0);
        r.types = X11Property::request(c, window, ewmh._NET_WM_WINDOW_TYPE, 32);
        r.desktop = X11Property::request(c, window, ewmh._NET_WM_DESKTOP, 1);
        r.extents = X11Property::request(c, window, ewmh._NET_FRAME_EXTENTS, 4);
    }
    if (fields & (Field::Placement | Field::State))
        r.states = X11Property::request(c, window, ewmh._NET_WM_STATE, 32);
    if (fields & Field::Title) {
        r.netName = X11Property::request(c, window, ewmh._NET_WM_NAME);
        r.wmName = X11Property::request(c, window, XCB_ATOM_WM_NAME);
    }
    if (fields & Field::Hints) {
        r.wmClass = X11Property::request(c, window, XCB_ATOM_WM_CLASS, 256);
        r.gtkId = X11Property::request(c, window, display.atoms().gtkApplicationId, 256);
        r.kdeFile = X11Property::request(c, window, display.atoms().kdeDesktopFile, 256);
    }
    return r;
}

void collectPlacement(const X11Display &display, const Requests &r, ClientWindow &window)
{
    xcb_connection_t *c = display.connection();
    const xcb_ewmh_connection_t &ewmh = *display.ewmh();
    XcbPtr<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, r.geometry, nullptr));
    XcbPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, r.origin, nullptr));
    const auto types = X11Property::reply(c, r.types);
    const auto desktop = X11Property::reply(c, r.desktop);
    const auto extentsReply = X11Property::reply(c, r.extents);

    window.kind = kindOf(ewmh, X11Property::cardinals(types.get()));
    window.desktop = X11Property::firstCardinal(desktop.get());
    if (geometry && origin) {
        FrameExtents extents;
        const QList<uint32_t> sides = X11Property::cardinals(extentsReply.get());
        // Extents are small by nature; anything else is a broken reply, not a frame.
        if (sides.size() == 4 && std::ranges::all_of(sides, [](uint32_t side) { return side < 10000; }))
            extents = {int(sides[0]), int(sides[1]), int(sides[2]), int(sides[3])};
        window.frame = frameRect(QPoint(origin->dst_x, origin->dst_y), QSize(geometry->width, geometry->height),
                                 geometry->border_width, extents);
    }
}

void collectState(const X11Display &display, const Requests &r, ClientWindow &window)
{
    const xcb_ewmh_connection_t &ewmh = *display.ewmh();
    const auto states = X11Property::reply(display.connection(), r.states);
    const QList<uint32_t> stateAtoms = X11Property::cardinals(states.get());
    window.hidden = stateAtoms.contains(ewmh._NET_WM_STATE_HIDDEN);
    window.skipTaskbar = stateAtoms.contains(ewmh._NET_WM_STATE_SKIP_TASKBAR);
}

void collect(const X11Display &display, const Requests &r, Fields fields, ClientWindow &window)
{
    xcb_connection_t *c = display.connection();
    if (fields & Field::Pid) {
        const auto pid = X11Property::firstCardinal(X11Property::reply(c, r.pid).get());
        if (pid && *pid > 0 && *pid <= uint32_t(std::numeric_limits<qint32>::max()))
            window.pid = qint32(*pid);
    }
    if (fields & Field::Placement)
        collectPlacement(display, r, window);
    if (fields & (Field::Placement | Field::State))
        collectState(display, r, window);
    if (fields & Field::Title) {
        const xcb_atom_t utf8 = display.ewmh()->UTF8_STRING;
        const auto netName = X11Property::reply(c, r.netName);
        const auto wmName = X11Property::reply(c, r.wmName);
        if (netName)
            window.title = X11Property::text(netName.get(), utf8);
        else if (wmName)
            window.title = X11Property::text(wmName.get(), utf8);
    }
    if (fields & Field::Hints) {
        const xcb_atom_t utf8 = display.ewmh()->UTF8_STRING;
        const QList<QString> wmClass = X11Property::strings(X11Property::reply(c, r.wmClass).get());
        window.hints.wmClassInstance = wmClass.value(0);
        window.hints.wmClassName = wmClass.value(1);
        window.hints.gtkApplicationId = X11Property::text(X11Property::reply(c, r.gtkId).get(), utf8);
        window.hints.kdeDesktopFile = X11Property::text(X11Property::reply(c, r.kdeFile).get(), utf8);
    }
}

// Clients that do not publish _NET_WM_PID (xmessage, some toolkits' helper windows)
// are asked of the server itself, which knows the pid of every local client.
void fillPidsFromServer(const X11Display &display, QList<ClientWindow> &windows)
{
    if (!display.extensions().res)
        return;
    xcb_connection_t *c = display.connection();
    std::vector<std::pair<ClientWindow *, xcb_res_query_client_ids_cookie_t>> pending;
    for (ClientWindow &window : windows) {
        if (window.pid)
            continue;
        const xcb_res_client_id_spec_t spec{window.id, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        pending.emplace_back(&window, xcb_res_query_client_ids(c, 1, &spec));
    }
    for (auto &[window, cookie] : pending) {
        XcbPtr<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(c, cookie, nullptr));
        if (!reply)
            continue;
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem; xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && it.data->length == 4) {
                const uint32_t pid = *xcb_res_client_id_value_value(it.data);
                if (pid > 0 && pid <= uint32_t(std::numeric_limits<qint32>::max()))
                    window->pid = qint32(pid);
                break;
            }
        }
    }
}

xcb_get_property_cookie_t requestWindowList(const X11Display &display, xcb_atom_t list)
{
    // Room for 65536 windows: far beyond any desktop, and still a bounded reply.
    return X11Property::request(display.connection(), display.root(), list, 65536);
}

std::optional<QList<xcb_window_t>> windowList(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 32)
        return std::nullopt;
    return X11Property::cardinals(reply);
}

// The stacking list runs from the bottom to the top.
std::optional<QList<xcb_window_t>> frontToBack(const xcb_get_property_reply_t *reply)
{
    auto windows = windowList(reply);
    if (windows)
        std::reverse(windows->begin(), windows->end());
    return windows;
}

} // namespace

std::optional<QList<xcb_window_t>> ClientWindowQuery::stackingOrder(const X11Display &display)
{
    xcb_connection_t *c = display.connection();
    return frontToBack(
        X11Property::reply(c, requestWindowList(display, display.ewmh()->_NET_CLIENT_LIST_STACKING)).get());
}

std::optional<QList<xcb_window_t>> ClientWindowQuery::managedWindows(const X11Display &display)
{
    xcb_connection_t *c = display.connection();
    return windowList(X11Property::reply(c, requestWindowList(display, display.ewmh()->_NET_CLIENT_LIST)).get());
}

QList<ClientWindow> ClientWindowQuery::read(const X11Display &display, const QList<xcb_window_t> &windows,
                                            Fields fields)
{
    std::vector<Requests> requests;
    requests.reserve(size_t(windows.size()));
    for (xcb_window_t window : windows)
        requests.push_back(send(display, window, fields));

    QList<ClientWindow> result;
    result.reserve(windows.size());
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const Requests &r = requests[size_t(i)];
        XcbPtr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(display.connection(), r.attributes, nullptr));
        ClientWindow window;
        window.id = windows[i];
        if (attributes) {
            window.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            window.overrideRedirect = attributes->override_redirect;
        }
        // The remaining replies are read even for a window that is gone, so that none
        // is left waiting in the connection.
        collect(display, r, fields, window);
        if (attributes)
            result.append(std::move(window));
    }
    if (fields & Field::Pid)
        fillPidsFromServer(display, result);
    return result;
}

std::optional<ClientWindowQuery::Snapshot> ClientWindowQuery::snapshot(const X11Display &display, Fields fields)
{
    xcb_connection_t *c = display.connection();
    const xcb_ewmh_connection_t &ewmh = *display.ewmh();
    const auto stackingCookie = requestWindowList(display, ewmh._NET_CLIENT_LIST_STACKING);
    const auto desktopCookie = X11Property::request(c, display.root(), ewmh._NET_CURRENT_DESKTOP, 1);
    const auto stacking = frontToBack(X11Property::reply(c, stackingCookie).get());
    const auto desktop = X11Property::reply(c, desktopCookie);
    if (!stacking)
        return std::nullopt;
    return Snapshot{read(display, *stacking, fields), X11Property::firstCardinal(desktop.get())};
}

} // namespace lettergate

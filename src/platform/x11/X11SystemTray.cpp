#include "platform/x11/X11SystemTray.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/XcbPointers.h"

#include <xcb/xfixes.h>

namespace lettergate {

X11SystemTray::X11SystemTray(const X11Display &display)
    : m_display(display)
{
    xcb_connection_t *c = m_display.connection();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_display.screenNumber());
    const XcbPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr));
    if (!atom)
        return;
    m_selection = atom->atom;

    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    const XcbPtr<xcb_xfixes_query_version_reply_t> version(
        xfixes && xfixes->present ? xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr)
                                  : nullptr);
    if (version) {
        m_ownerChangeEvent = uint8_t(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
        m_watcher = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_watcher, m_display.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_xfixes_select_selection_input(c, m_watcher, m_selection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    // Read after subscribing, so a tray that starts in between is reported as a change.
    const XcbPtr<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr));
    m_present = owner && owner->owner != XCB_WINDOW_NONE;
    m_display.flush();
}

X11SystemTray::~X11SystemTray()
{
    if (m_watcher != XCB_WINDOW_NONE) {
        xcb_destroy_window(m_display.connection(), m_watcher);
        m_display.flush();
    }
}

void X11SystemTray::x11Event(const xcb_generic_event_t *event)
{
    if (!m_ownerChangeEvent || x11EventType(event) != m_ownerChangeEvent)
        return;
    const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event);
    if (notify->selection == m_selection)
        setPresent(notify->owner != XCB_WINDOW_NONE);
}

void X11SystemTray::setPresent(bool present)
{
    if (m_present == present)
        return;
    m_present = present;
    emit presenceChanged(present);
}

} // namespace lettergate

#include "platform/x11/X11ClipboardOwner.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/XcbPointers.h"

X11ClipboardOwner::X11ClipboardOwner(X11Display &display)
    : m_display(display)
{
    static constexpr char name[] = "CLIPBOARD";
    xcb_connection_t *connection = m_display.connection();
    const XcbPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, sizeof name - 1, name), nullptr));
    if (reply)
        m_clipboard = reply->atom;
}

std::optional<quint32> X11ClipboardOwner::current() const
{
    if (m_clipboard == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_connection_t *connection = m_display.connection();
    const XcbPtr<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, m_clipboard), nullptr));
    if (!reply)
        return std::nullopt;
    return reply->owner;
}

#pragma once

#include "platform/x11/XcbPointers.h"

#include <QList>
#include <QString>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// Reading window properties: one request now, the decoded reply later, so callers can
// send every request of a batch before waiting for the first answer.
namespace X11Property {

// Asks for at most maxLongs 32-bit units of the property, of any type.
xcb_get_property_cookie_t request(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                  uint32_t maxLongs = 1024);

// The reply, or nothing when the window is gone or the property is not set.
XcbPtr<xcb_get_property_reply_t> reply(xcb_connection_t *connection, xcb_get_property_cookie_t cookie);

// The 32-bit items of a format-32 property; empty for any other format.
QList<uint32_t> cardinals(const xcb_get_property_reply_t *reply);
std::optional<uint32_t> firstCardinal(const xcb_get_property_reply_t *reply);

// The property's text: UTF-8 for UTF8_STRING, Latin-1 for STRING and anything else.
// Empty when the property is absent or not 8-bit.
QString text(const xcb_get_property_reply_t *reply, xcb_atom_t utf8StringType);

// The NUL-separated strings of an 8-bit property (WM_CLASS: instance, then class).
QList<QString> strings(const xcb_get_property_reply_t *reply);

} // namespace X11Property

} // namespace lettergate

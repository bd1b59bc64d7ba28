#pragma once

#include <QtGlobal>
#include <optional>
#include <xcb/xcb.h>

class X11Display;

// Who owns the clipboard (the CLIPBOARD selection) at this moment, asked on the
// backend's connection: one round trip, which the owner takes no part in.
class X11ClipboardOwner {
public:
    explicit X11ClipboardOwner(X11Display &display);

    // The owner's window, XCB_NONE when nobody owns the clipboard; nothing when the
    // server did not answer.
    std::optional<quint32> current() const;

private:
    X11Display &m_display;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
};

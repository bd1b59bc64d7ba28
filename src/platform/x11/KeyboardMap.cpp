#include "platform/x11/KeyboardMap.h"

#include "platform/x11/X11Display.h"

#include <X11/keysym.h>

namespace lettergate {

namespace {
// Keysyms sit in up to four columns per key (plain, shifted, and the second group).
constexpr int keysymColumns = 4;
} // namespace

KeyboardMap::KeyboardMap(const X11Display &display)
    : m_display(display)
    , m_symbols(xcb_key_symbols_alloc(display.connection()))
{
    readModifierMapping();
}

KeyboardMap::~KeyboardMap()
{
    xcb_key_symbols_free(m_symbols);
}

QList<xcb_keycode_t> KeyboardMap::keycodes(xcb_keysym_t keysym) const
{
    QList<xcb_keycode_t> result;
    XcbPtr<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(m_symbols, keysym));
    for (const xcb_keycode_t *code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code) {
        if (!result.contains(*code))
            result.append(*code);
    }
    return result;
}

void KeyboardMap::readModifierMapping()
{
    m_modifierOf.fill(0);
    m_masks = {};
    xcb_connection_t *c = m_display.connection();
    XcbPtr<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!reply)
        return;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    // Eight rows, Shift, Lock, Control and Mod1 to Mod5, each listing its keys.
    for (int row = 0; row < 8; ++row) {
        const uint16_t mask = uint16_t(1u << row);
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[row * perModifier + i];
            if (code == 0)
                continue;
            m_modifierOf[code] = mask;
            for (int column = 0; column < keysymColumns; ++column) {
                switch (xcb_key_symbols_get_keysym(m_symbols, code, column)) {
                case XK_Super_L:
                case XK_Super_R:
                    m_masks.super = m_masks.super ? m_masks.super : mask;
                    break;
                case XK_Alt_L:
                case XK_Alt_R:
                case XK_Meta_L:
                case XK_Meta_R:
                    m_masks.alt = m_masks.alt ? m_masks.alt : mask;
                    break;
                case XK_Num_Lock:
                    m_masks.numLock = mask;
                    break;
                case XK_Scroll_Lock:
                    m_masks.scrollLock = mask;
                    break;
                default:
                    break;
                }
            }
        }
    }
}

void KeyboardMap::x11Event(const xcb_generic_event_t *event)
{
    if (x11EventType(event) != XCB_MAPPING_NOTIFY)
        return;
    auto *notify = reinterpret_cast<xcb_mapping_notify_event_t *>(const_cast<xcb_generic_event_t *>(event));
    if (notify->request == XCB_MAPPING_POINTER)
        return;
    xcb_refresh_keyboard_mapping(m_symbols, notify);
    readModifierMapping();
    emit changed();
}

} // namespace lettergate

#include "platform/x11/X11Keystrokes.h"

#include "platform/x11/KeyboardMap.h"
#include "platform/x11/X11Display.h"

#include <X11/keysym.h>
#include <xcb/xtest.h>

namespace lettergate {

X11Keystrokes::X11Keystrokes(const X11Display &display, const KeyboardMap &keyboard)
    : m_display(display)
    , m_keyboard(keyboard)
{
}

QList<xcb_keycode_t> X11Keystrokes::heldModifierKeys() const
{
    xcb_connection_t *c = m_display.connection();
    XcbPtr<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    QList<xcb_keycode_t> held;
    if (!keymap)
        return held;
    // Lock keys are not held in any lasting sense and must keep their state.
    const uint16_t locks = m_keyboard.masks().locks();
    for (int keycode = 8; keycode < 256; ++keycode) {
        const bool down = keymap->keys[keycode / 8] & (1 << (keycode % 8));
        const uint16_t modifier = m_keyboard.modifierOf(xcb_keycode_t(keycode));
        if (down && modifier != 0 && !(modifier & locks))
            held.append(xcb_keycode_t(keycode));
    }
    return held;
}

void X11Keystrokes::fake(uint8_t type, xcb_keycode_t keycode) const
{
    xcb_test_fake_input(m_display.connection(), type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
}

void X11Keystrokes::postPaste(PasteKeystroke keystroke)
{
    if (!m_display.extensions().xtest)
        return;
    // The modifiers in the order they are pressed, then the key itself.
    QList<xcb_keysym_t> keysyms;
    switch (keystroke) {
    case PasteKeystroke::controlV:
        keysyms = {XK_Control_L, XK_v};
        break;
    case PasteKeystroke::controlShiftV:
        keysyms = {XK_Control_L, XK_Shift_L, XK_v};
        break;
    case PasteKeystroke::shiftInsert:
        keysyms = {XK_Shift_L, XK_Insert};
        break;
    }
    QList<xcb_keycode_t> keys;
    for (xcb_keysym_t keysym : keysyms) {
        const QList<xcb_keycode_t> keycodes = m_keyboard.keycodes(keysym);
        if (keycodes.isEmpty())
            return;
        keys.append(keycodes.first());
    }
    const QList<xcb_keycode_t> held = heldModifierKeys();
    for (xcb_keycode_t key : held)
        fake(XCB_KEY_RELEASE, key);
    for (xcb_keycode_t key : keys)
        fake(XCB_KEY_PRESS, key);
    for (auto key = keys.crbegin(); key != keys.crend(); ++key)
        fake(XCB_KEY_RELEASE, *key);
    // The keys are still down under the user's fingers: the server must think so too,
    // or their release would arrive for keys it believes are up.
    for (xcb_keycode_t key : held)
        fake(XCB_KEY_PRESS, key);
    m_display.flush();
}

} // namespace lettergate

#pragma once

#include "platform/Keystrokes.h"

#include <QList>
#include <xcb/xcb.h>

namespace lettergate {

class KeyboardMap;
class X11Display;

// Synthetic keystrokes through XTest, which the server treats like typing.
class X11Keystrokes final : public Keystrokes {
public:
    X11Keystrokes(const X11Display &display, const KeyboardMap &keyboard);

    // Modifier keys the user still holds (Alt from the trigger, Shift from a pick) are
    // released around the keystroke; otherwise the application would receive
    // Control+Alt+V and paste nothing.
    void postPaste(PasteKeystroke keystroke) override;

private:
    QList<xcb_keycode_t> heldModifierKeys() const;
    void fake(uint8_t type, xcb_keycode_t keycode) const;

    const X11Display &m_display;
    const KeyboardMap &m_keyboard;
};

} // namespace lettergate

#pragma once

#include "platform/Keystrokes.h"
struct wl_seat;
struct zwp_virtual_keyboard_v1;

namespace lettergate {

class WaylandConnection;

// The paste keystroke typed through a virtual keyboard of our own (zwp_virtual_keyboard_v1)
// with a keymap of our own, so the keys mean the same whatever layout the user types
// with. One keyboard for the life of the process, made when the backend starts: each new
// one makes the compositor send the focused window keyboard focus again, and the seat of
// a compositor without input devices has no keyboard at all until one exists.
class VirtualKeyboardKeystrokes final : public Keystrokes {
public:
    // Without the compositor's virtual keyboard, pasting types nothing (one log line).
    VirtualKeyboardKeystrokes(WaylandConnection &connection, wl_seat *seat);
    ~VirtualKeyboardKeystrokes() override;

    VirtualKeyboardKeystrokes(const VirtualKeyboardKeystrokes &) = delete;
    VirtualKeyboardKeystrokes &operator=(const VirtualKeyboardKeystrokes &) = delete;

    // Our keyboard's modifiers replace the seat's while it types, so a modifier the user
    // still holds on another keyboard does not join the keystroke.
    void postPaste(PasteKeystroke keystroke) override;

private:
    // A key of our keymap: its evdev code and, for a modifier, its mask.
    struct Key {
        quint32 code = 0;
        quint32 modifierMask = 0;
    };
    struct Keys {
        Key control, shift, v, insert;
    };

    bool sendKeymap();
    void key(const Key &key, bool pressed);
    void modifiers(quint32 depressed);

    WaylandConnection &m_connection;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
    Keys m_keys;
};

} // namespace lettergate

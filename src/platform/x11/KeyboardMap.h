#pragma once

#include "platform/x11/X11EventPump.h"

#include <QList>
#include <QObject>
#include <array>
#include <xcb/xcb_keysyms.h>

namespace lettergate {

// Which modifier bits the roles of the trigger vocabulary and the lock keys occupy on
// this server. Shift, Lock (Caps Lock) and Control have fixed bits; the others move
// with the keyboard configuration.
struct ModifierMasks {
    uint16_t super = 0; // command
    uint16_t alt = 0;   // option
    uint16_t numLock = 0;
    uint16_t scrollLock = 0;

    // The lock modifiers, which must never decide whether a combination matches.
    uint16_t locks() const { return XCB_MOD_MASK_LOCK | numLock | scrollLock; }
};

// The server's keyboard and modifier mappings: keysyms to keycodes, and which keys
// are modifiers of which kind. Both are re-read whenever the server says they changed.
class KeyboardMap final : public QObject, public X11EventFilter {
    Q_OBJECT
public:
    explicit KeyboardMap(const X11Display &display);
    ~KeyboardMap() override;

    // Every key that produces the keysym, in any shift level.
    QList<xcb_keycode_t> keycodes(xcb_keysym_t keysym) const;
    // The modifier bit the key sets; 0 for a key that is no modifier.
    uint16_t modifierOf(xcb_keycode_t keycode) const { return m_modifierOf[keycode]; }
    const ModifierMasks &masks() const { return m_masks; }

    void x11Event(const xcb_generic_event_t *event) override;

signals:
    void changed();

private:
    void readModifierMapping();

    const X11Display &m_display;
    xcb_key_symbols_t *m_symbols;
    std::array<uint16_t, 256> m_modifierOf{};
    ModifierMasks m_masks;
};

} // namespace lettergate

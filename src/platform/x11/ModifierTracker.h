#pragma once

#include <QList>
#include <optional>

namespace lettergate {

// Turns raw key presses and releases into the key tap's two events: a key-down for an
// ordinary key, and the new modifier flags for a modifier key. Raw events may repeat a
// release (xdotool does) or arrive for keys held since before tracking began; both are
// absorbed so that no modifier looks stuck and no change is reported twice.
class ModifierTracker {
public:
    enum class Role {
        Ordinary, // reported as a key-down
        Modifier, // flag is its ModifierFlags bit
        CapsLock, // toggles the caps-lock flag on each press
        Ignored,  // lock and level keys that have no flag (Num Lock, AltGr)
    };
    struct Key {
        quint32 keycode;
        Role role;
        quint64 flag = 0;
    };
    struct Change {
        bool keyDown = false; // else: flags changed
        quint64 flags = 0;
    };

    // Starts from the modifiers the server reports as held and the caps-lock state.
    void reset(quint64 heldFlags, bool capsLockOn);

    std::optional<Change> press(const Key &key);
    std::optional<Change> release(const Key &key);

    quint64 flags() const;

private:
    struct Held {
        quint32 keycode;
        quint64 flag;
    };
    QList<Held> m_held;
    // Modifiers held before tracking began, whose keys are unknown: each is cleared by
    // the first release of any key with that flag.
    quint64 m_heldBefore = 0;
    bool m_capsLock = false;
};

} // namespace lettergate

#pragma once

#include "platform/x11/KeyboardMap.h"

#include <QList>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// Between the stored trigger's vocabulary (virtual key codes, hot-key modifier bits,
// key-event flags) and X11's (keysyms, modifier masks).
namespace KeyTranslation {

// The keysym of a key of the virtual key table; nothing for a code outside it.
std::optional<xcb_keysym_t> keysymForVirtualKey(quint32 keyCode);

// The X modifier mask for hot-key modifier bits: command is Super, option Alt, control
// Control, shift Shift. Nothing when the keyboard has no key for a requested role.
std::optional<uint16_t> modifierMask(quint32 carbonModifiers, const ModifierMasks &masks);

// Every combination of the lock modifiers (Caps Lock, Num Lock, Scroll Lock), none
// included, so that a grab matches whichever locks are on.
QList<uint16_t> lockCombinations(const ModifierMasks &masks);

// The key-event flag of a modifier bit (ModifierFlags); 0 for bits with no flag.
quint64 flagOfModifier(uint16_t modifierBit, const ModifierMasks &masks);

// The key-event flags of a modifier state mask.
quint64 flagsOfState(uint16_t state, const ModifierMasks &masks);

} // namespace KeyTranslation

} // namespace lettergate

#pragma once

#include "hotkeys/HotkeyConfig.h"

#include <Qt>
#include <optional>

namespace lettergate {

// The key-event modifier flags of Qt's modifiers: Super is the command flag, Alt the
// option flag, Ctrl the control flag, Shift the shift flag. Others are dropped.
quint64 modifierFlagsOf(Qt::KeyboardModifiers modifiers);

// The key combination a key press makes while the trigger is being recorded: the key's
// virtual key code with the held modifiers' hot-key bits, also when none is held (the
// recorder refuses that one, and Shift alone, with a message). Nothing for a key
// outside the table of keys a trigger can name (the modifier keys themselves among
// them), so recording goes on.
std::optional<HotkeyConfig> recordedCombination(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace lettergate

#pragma once

#include "hotkeys/HotkeyConfig.h"

#include <Qt>
#include <optional>

// The key-event modifier flags of Qt's modifiers, as the trigger names them on Linux:
// Super is ⌘ (command), Alt ⌥ (option), Control ⌃, Shift ⇧. Others are dropped.
quint64 modifierFlagsOf(Qt::KeyboardModifiers modifiers);

// The key combination a key press makes while the trigger is being recorded: the key's
// virtual key code with the held modifiers' hot-key bits. Nothing while no modifier is
// held, and nothing for a key outside the table of keys a trigger can name (the
// modifier keys themselves among them), so recording goes on.
std::optional<HotkeyConfig> recordedCombination(int qtKey, Qt::KeyboardModifiers modifiers);

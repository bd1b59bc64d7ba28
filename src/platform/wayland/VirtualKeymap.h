#pragma once

#include <memory>
#include <xkbcommon/xkbcommon.h>

struct zwp_virtual_keyboard_v1;

namespace lettergate {

// The keymap a virtual keyboard of ours types with: a plain US keyboard, whatever the
// session's XKB_DEFAULT_* say, so that every key is where the code typing it looks.
namespace VirtualKeymap {

struct KeymapDeleter {
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};
using Keymap = std::unique_ptr<xkb_keymap, KeymapDeleter>;

// Null when xkbcommon cannot compile it.
Keymap compileUs();
// Hands the keymap to the compositor as it reads one: its text in a memory file, with
// the final NUL. False when the text or the file could not be made.
bool sendTo(zwp_virtual_keyboard_v1 *keyboard, xkb_keymap *keymap);

} // namespace VirtualKeymap

} // namespace lettergate

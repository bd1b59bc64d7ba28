// A keyboard for the tests on a Wayland session: `wayland_test_keyboard` creates one
// virtual keyboard (a US keymap of its own) and types what each line of its standard
// input names into whatever holds the keyboard focus, then prints "typed: LINE" once
// the compositor has taken every key. A line is keys separated by spaces, each the name
// of a key symbol that needs no modifier: "a", "1", "Escape". "ready" is printed first, after a pause: a new
// keyboard makes the compositor send the focused window its keyboard enter again, and
// keys typed before that is over may be lost. One keyboard lives as long as the
// program, so that happens once.
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandConnection.h"

#include "wayland/virtual-keyboard-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace lettergate;

namespace {

// Every key symbol of the keymap's first level (lower-case letters, digits, Escape, ...)
// by the xkb keycode that gives it; the first key wins (the left Control, not the right).
std::map<xkb_keysym_t, xkb_keycode_t> keysOf(xkb_keymap *keymap)
{
    std::map<xkb_keysym_t, xkb_keycode_t> keys;
    xkb_keymap_key_for_each(
        keymap,
        [](xkb_keymap *map, xkb_keycode_t code, void *data) {
            const xkb_keysym_t *found = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(map, code, 0, 0, &found);
            for (int i = 0; i < count; ++i)
                static_cast<std::map<xkb_keysym_t, xkb_keycode_t> *>(data)->try_emplace(found[i], code);
        },
        &keys);
    return keys;
}

void send(zwp_virtual_keyboard_v1 *keyboard, xkb_keycode_t key, wl_keyboard_key_state state)
{
    // The protocol carries evdev codes, xkb's less 8, and a time in milliseconds.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    zwp_virtual_keyboard_v1_key(keyboard, uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()),
                                key - 8, state);
}

} // namespace

int main()
{
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    auto *seat = connection ? static_cast<wl_seat *>(connection->bind(&wl_seat_interface, 1)) : nullptr;
    auto *manager = connection ? static_cast<zwp_virtual_keyboard_manager_v1 *>(
                        connection->bind(&zwp_virtual_keyboard_manager_v1_interface, 1))
                               : nullptr;
    if (!seat || !manager) {
        std::fprintf(stderr,
                     "wayland_test_keyboard: no Wayland display, or it offers no seat or no virtual keyboards\n");
        return 1;
    }
    const VirtualKeymap::Keymap keymap = VirtualKeymap::compileUs();
    zwp_virtual_keyboard_v1 *virtualKeyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    if (!keymap || !VirtualKeymap::sendTo(virtualKeyboard, keymap.get()) || !connection->roundtrip()) {
        std::fprintf(stderr, "wayland_test_keyboard: the keyboard could not be set up\n");
        return 1;
    }
    const std::map<xkb_keysym_t, xkb_keycode_t> keys = keysOf(keymap.get());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::cout << "ready" << std::endl;

    for (std::string line; std::getline(std::cin, line);) {
        std::vector<xkb_keycode_t> codes;
        std::stringstream words(line);
        std::string word;
        while (words >> word) {
            const auto key = keys.find(xkb_keysym_from_name(word.c_str(), XKB_KEYSYM_NO_FLAGS));
            if (key == keys.end())
                break;
            codes.push_back(key->second);
        }
        if (words) { // stopped at a word that names no key: nothing is typed
            std::cout << "unknown key: " << word << std::endl;
            continue;
        }
        for (const xkb_keycode_t code : codes) {
            send(virtualKeyboard, code, WL_KEYBOARD_KEY_STATE_PRESSED);
            send(virtualKeyboard, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        }
        if (!connection->roundtrip()) {
            std::fprintf(stderr, "wayland_test_keyboard: the compositor closed the connection\n");
            return 1;
        }
        std::cout << "typed: " << line << std::endl;
    }
    return 0;
}

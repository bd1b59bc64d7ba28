// A keyboard for the tests on a Wayland session: `wayland_test_keyboard` creates one
// virtual keyboard (a US keymap of its own) and types what each line of its standard
// input names into whatever holds the keyboard focus, then prints "typed: LINE" once
// the compositor has taken every key. A line is keys separated by spaces, each a key
// symbol name with modifiers before it: "a", "Escape", "ctrl+v", "shift+Insert",
// "super" (a tap of the modifier alone). "ready" is printed first, after a pause: a new
// keyboard makes the compositor send the focused window its keyboard enter again, and
// keys typed before that is over may be lost. One keyboard lives as long as the
// program, so that happens once.
#include "platform/wayland/VirtualKeymap.h"

#include "wayland/virtual-keyboard-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Globals {
    wl_seat *seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *manager = nullptr;
};

void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        globals->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        globals->manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void withdraw(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener{announce, withdraw};

uint32_t nowMs()
{
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

// A key of the keymap: its xkb keycode, and whether Shift gives the symbol asked for.
struct Key {
    xkb_keycode_t code;
    bool shifted;
};

class Keyboard {
public:
    Keyboard(zwp_virtual_keyboard_v1 *keyboard, xkb_keymap *keymap)
        : m_keyboard(keyboard), m_state(xkb_state_new(keymap))
    {
        xkb_keymap_key_for_each(
            keymap,
            [](xkb_keymap *map, xkb_keycode_t code, void *data) {
                auto &symbols = *static_cast<std::map<xkb_keysym_t, Key> *>(data);
                for (xkb_level_index_t level = 0; level < 2; ++level) {
                    const xkb_keysym_t *found = nullptr;
                    const int count = xkb_keymap_key_get_syms_by_level(map, code, 0, level, &found);
                    // The first key that gives a symbol wins (the left Control, not the right).
                    for (int i = 0; i < count; ++i)
                        symbols.try_emplace(found[i], Key{code, level == 1});
                }
            },
            &m_symbols);
    }
    ~Keyboard() { xkb_state_unref(m_state); }

    // The keys of one combination ("ctrl+shift+v"), modifiers first; nothing when a name
    // is no key of the keymap.
    std::optional<std::vector<xkb_keycode_t>> keysOf(const std::string &combination) const
    {
        static const std::map<std::string, std::string> modifierNames{
            {"ctrl", "Control_L"}, {"shift", "Shift_L"}, {"alt", "Alt_L"}, {"super", "Super_L"}};
        std::vector<xkb_keycode_t> keys;
        std::stringstream parts(combination);
        std::string part;
        while (std::getline(parts, part, '+')) {
            const auto modifier = modifierNames.find(part);
            const std::string name = modifier != modifierNames.end() ? modifier->second : part;
            const xkb_keysym_t symbol = xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_NO_FLAGS);
            const auto key = m_symbols.find(symbol);
            if (symbol == XKB_KEY_NoSymbol || key == m_symbols.end())
                return std::nullopt;
            if (key->second.shifted)
                keys.push_back(m_symbols.at(XKB_KEY_Shift_L).code);
            keys.push_back(key->second.code);
        }
        return keys;
    }

    // Presses the keys in order and releases them in reverse.
    void type(const std::vector<xkb_keycode_t> &keys)
    {
        for (const xkb_keycode_t key : keys)
            send(key, XKB_KEY_DOWN);
        for (auto key = keys.rbegin(); key != keys.rend(); ++key)
            send(*key, XKB_KEY_UP);
    }

private:
    void send(xkb_keycode_t key, xkb_key_direction direction)
    {
        // The protocol carries evdev codes, xkb's less 8.
        zwp_virtual_keyboard_v1_key(m_keyboard, nowMs(), key - 8,
                                    direction == XKB_KEY_DOWN ? WL_KEYBOARD_KEY_STATE_PRESSED
                                                              : WL_KEYBOARD_KEY_STATE_RELEASED);
        if (xkb_state_update_key(m_state, key, direction) & XKB_STATE_MODS_EFFECTIVE) {
            zwp_virtual_keyboard_v1_modifiers(m_keyboard, xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                                              xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                                              xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                                              xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE));
        }
    }

    zwp_virtual_keyboard_v1 *m_keyboard;
    xkb_state *m_state;
    std::map<xkb_keysym_t, Key> m_symbols;
};

} // namespace

int main()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wayland_test_keyboard: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        std::fprintf(stderr, "wayland_test_keyboard: the compositor offers no seat or no virtual keyboards\n");
        return 1;
    }
    const VirtualKeymap::Keymap keymap = VirtualKeymap::compileUs();
    zwp_virtual_keyboard_v1 *virtualKeyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.manager, globals.seat);
    if (!keymap || !VirtualKeymap::sendTo(virtualKeyboard, keymap.get()) || wl_display_roundtrip(display) < 0) {
        std::fprintf(stderr, "wayland_test_keyboard: the keyboard could not be set up\n");
        return 1;
    }
    Keyboard keyboard(virtualKeyboard, keymap.get());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::vector<std::vector<xkb_keycode_t>> combinations;
        std::stringstream words(line);
        std::string word;
        bool known = true;
        while (known && words >> word) {
            const auto keys = keyboard.keysOf(word);
            known = bool(keys);
            if (keys)
                combinations.push_back(*keys);
        }
        if (!known) {
            std::cout << "unknown key: " << word << std::endl;
            continue;
        }
        for (const auto &keys : combinations)
            keyboard.type(keys);
        if (wl_display_roundtrip(display) < 0) {
            std::fprintf(stderr, "wayland_test_keyboard: the compositor closed the connection\n");
            return 1;
        }
        std::cout << "typed: " << line << std::endl;
    }
    wl_display_disconnect(display);
    return 0;
}

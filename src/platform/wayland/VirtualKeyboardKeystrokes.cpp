#include "platform/wayland/VirtualKeyboardKeystrokes.h"

#include "platform/Log.h"
#include "platform/wayland/VirtualKeymap.h"
#include "platform/wayland/WaylandConnection.h"

#include <QList>
#include <chrono>
#include <memory>
#include <optional>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "wayland/virtual-keyboard-unstable-v1-client-protocol.h"

namespace lettergate {

namespace {

// xkb key codes are evdev codes shifted by 8, the X11 minimum key code.
constexpr quint32 evdevOffset = 8;

// The lowest key that types `keysym` unshifted in the first layout.
std::optional<quint32> keyTyping(xkb_keymap *keymap, xkb_keysym_t keysym)
{
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap); code <= xkb_keymap_max_keycode(keymap); ++code) {
        const xkb_keysym_t *symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, 0, &symbols);
        if (count > 0 && symbols[0] == keysym)
            return code - evdevOffset;
    }
    return std::nullopt;
}

// Milliseconds with a base of our own: the protocol asks only that they keep rising.
quint32 timestamp()
{
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

VirtualKeyboardKeystrokes::VirtualKeyboardKeystrokes(WaylandConnection &connection, wl_seat *seat)
    : m_connection(connection)
{
    auto *manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
        connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!manager || !seat) {
        qCWarning(lcWayland).noquote() << QStringLiteral(
            "this Wayland compositor offers no virtual keyboard (zwp_virtual_keyboard_v1): "
            "pasting puts the clip on the clipboard but types nothing; paste it yourself");
        if (manager)
            zwp_virtual_keyboard_manager_v1_destroy(manager);
        return;
    }
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    // The keyboard lives on without the manager.
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    if (!sendKeymap()) {
        qCWarning(lcWayland).noquote() << QStringLiteral(
            "the virtual keyboard's keymap could not be made (xkbcommon): pasting puts the "
            "clip on the clipboard but types nothing; paste it yourself");
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
        m_keyboard = nullptr;
    }
    m_connection.flush();
}

VirtualKeyboardKeystrokes::~VirtualKeyboardKeystrokes()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
}

bool VirtualKeyboardKeystrokes::sendKeymap()
{
    const VirtualKeymap::Keymap keymap = VirtualKeymap::compileUs();
    if (!keymap)
        return false;
    const auto keyFor = [&keymap](xkb_keysym_t keysym, const char *modifier = nullptr) -> std::optional<Key> {
        const std::optional<quint32> code = keyTyping(keymap.get(), keysym);
        if (!code)
            return std::nullopt;
        if (!modifier)
            return Key{*code, 0};
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap.get(), modifier);
        if (index == XKB_MOD_INVALID)
            return std::nullopt;
        return Key{*code, 1u << index};
    };
    const std::optional<Key> control = keyFor(XKB_KEY_Control_L, XKB_MOD_NAME_CTRL);
    const std::optional<Key> shift = keyFor(XKB_KEY_Shift_L, XKB_MOD_NAME_SHIFT);
    const std::optional<Key> v = keyFor(XKB_KEY_v);
    const std::optional<Key> insert = keyFor(XKB_KEY_Insert);
    if (!control || !shift || !v || !insert)
        return false;
    m_keys = Keys{*control, *shift, *v, *insert};

    return VirtualKeymap::sendTo(m_keyboard, keymap.get());
}

void VirtualKeyboardKeystrokes::key(const Key &key, bool pressed)
{
    zwp_virtual_keyboard_v1_key(m_keyboard, timestamp(), key.code,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void VirtualKeyboardKeystrokes::modifiers(quint32 depressed)
{
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, depressed, 0, 0, 0);
}

void VirtualKeyboardKeystrokes::postPaste(PasteKeystroke keystroke)
{
    if (!m_keyboard)
        return;
    QList<Key> held;
    Key typed;
    switch (keystroke) {
    case PasteKeystroke::controlV:
        held = {m_keys.control};
        typed = m_keys.v;
        break;
    case PasteKeystroke::controlShiftV:
        held = {m_keys.control, m_keys.shift};
        typed = m_keys.v;
        break;
    case PasteKeystroke::shiftInsert:
        held = {m_keys.shift};
        typed = m_keys.insert;
        break;
    }
    // Each modifier key is followed by the modifier state it makes: clients read the
    // state, not the keys.
    quint32 mask = 0;
    for (const Key &modifier : held) {
        key(modifier, true);
        mask |= modifier.modifierMask;
        modifiers(mask);
    }
    key(typed, true);
    key(typed, false);
    for (auto modifier = held.crbegin(); modifier != held.crend(); ++modifier) {
        key(*modifier, false);
        mask &= ~modifier->modifierMask;
        modifiers(mask);
    }
    m_connection.flush();
}

} // namespace lettergate

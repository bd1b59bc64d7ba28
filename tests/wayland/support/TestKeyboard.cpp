#include "TestKeyboard.h"

#include <QThread>

#include <cstring>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "wayland/virtual-keyboard-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_seat *seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *manager = nullptr;

    static void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
    {
        auto *globals = static_cast<Globals *>(data);
        if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
            globals->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
            globals->manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    }
    static void withdraw(void *, wl_registry *, uint32_t) {}
};

// The US layout's text as a file the compositor can map; -1 when it cannot be made.
int usKeymap(uint32_t &size)
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    xkb_keymap *keymap = context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
    char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    int fd = -1;
    if (text) {
        size = uint32_t(std::strlen(text) + 1);
        fd = memfd_create("test-keymap", MFD_CLOEXEC);
        if (fd >= 0 && write(fd, text, size) != ssize_t(size)) {
            close(fd);
            fd = -1;
        }
    }
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return fd;
}

// The evdev key of a lower-case letter or digit; 0 for anything else.
quint32 keyOf(QChar character)
{
    static const struct {
        const char *characters;
        quint32 firstKey;
    } rows[] = {{"1234567890", KEY_1}, {"qwertyuiop", KEY_Q}, {"asdfghjkl", KEY_A}, {"zxcvbnm", KEY_Z}};
    for (const auto &row : rows) {
        if (const char *found = std::strchr(row.characters, character.toLatin1()); found && character.toLatin1())
            return row.firstKey + quint32(found - row.characters);
    }
    return 0;
}

} // namespace

std::unique_ptr<TestKeyboard> TestKeyboard::create()
{
    std::unique_ptr<TestKeyboard> keyboard(new TestKeyboard);
    keyboard->m_display = wl_display_connect(nullptr);
    if (!keyboard->m_display)
        return nullptr;
    Globals globals;
    static const wl_registry_listener listener = {&Globals::announce, &Globals::withdraw};
    wl_registry *registry = wl_display_get_registry(keyboard->m_display);
    wl_registry_add_listener(registry, &listener, &globals);
    wl_display_roundtrip(keyboard->m_display);
    wl_registry_destroy(registry);
    keyboard->m_seat = globals.seat;
    keyboard->m_manager = globals.manager;
    uint32_t size = 0;
    const int keymap = usKeymap(size);
    if (!globals.seat || !globals.manager || keymap < 0)
        return nullptr;
    keyboard->m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.manager, globals.seat);
    zwp_virtual_keyboard_v1_keymap(keyboard->m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, keymap, size);
    close(keymap);
    wl_display_roundtrip(keyboard->m_display);
    // The focused client learns the new keyboard's keymap from the compositor: a key
    // sent at once can arrive before it and be lost.
    QThread::msleep(150);
    return keyboard;
}

TestKeyboard::~TestKeyboard()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_display)
        wl_display_disconnect(m_display);
}

bool TestKeyboard::type(const QString &keys)
{
    for (const QChar character : keys) {
        const quint32 key = keyOf(character);
        if (key == 0)
            return false;
        tap(key);
    }
    return true;
}

void TestKeyboard::tapEscape()
{
    tap(KEY_ESC);
}

void TestKeyboard::tap(quint32 evdevKey)
{
    zwp_virtual_keyboard_v1_key(m_keyboard, m_time++, evdevKey, WL_KEYBOARD_KEY_STATE_PRESSED);
    zwp_virtual_keyboard_v1_key(m_keyboard, m_time++, evdevKey, WL_KEYBOARD_KEY_STATE_RELEASED);
    wl_display_roundtrip(m_display);
}

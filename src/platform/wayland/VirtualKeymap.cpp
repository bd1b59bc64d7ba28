#include "platform/wayland/VirtualKeymap.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wayland/virtual-keyboard-unstable-v1-client-protocol.h"

namespace lettergate {

VirtualKeymap::Keymap VirtualKeymap::compileUs()
{
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context)
        return nullptr;
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    Keymap keymap(xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    // The keymap holds its own reference to the context.
    xkb_context_unref(context);
    return keymap;
}

bool VirtualKeymap::sendTo(zwp_virtual_keyboard_v1 *keyboard, xkb_keymap *keymap)
{
    const std::unique_ptr<char, decltype(&std::free)> text(xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1),
                                                           &std::free);
    if (!text)
        return false;
    const size_t size = std::strlen(text.get()) + 1;
    const int fd = memfd_create("lettergate-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, text.get() + written, size - written);
        if (n <= 0) {
            close(fd);
            return false;
        }
        written += size_t(n);
    }
    // The request carries a duplicate of the descriptor.
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    close(fd);
    return true;
}

} // namespace lettergate

// Another program holding Lettergate's trigger, for the X11 tests: grabs Ctrl+Alt+W on
// the root window in every state of Caps Lock and Num Lock, prints "held" (or "refused",
// and exits with 1), and lets go when its standard input closes, printing "released".
// Killed instead, it lets go all the same: the server drops the grabs of a closed
// connection.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Alt and Num Lock sit on Mod1 and Mod2 on the test server's keyboard.
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint16_t lockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

xcb_keycode_t keycodeOf(xcb_connection_t *c, xcb_keysym_t keysym)
{
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t code = codes ? codes[0] : XCB_NO_SYMBOL;
    std::free(codes);
    xcb_key_symbols_free(symbols);
    return code;
}

} // namespace

int main()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "key_holder: no X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_keycode_t w = keycodeOf(c, XK_w);
    bool held = w != XCB_NO_SYMBOL;
    for (const uint16_t locks : lockStates) {
        const auto cookie = xcb_grab_key_checked(c, 1, root, controlAlt | locks, w, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(c, cookie)) {
            std::free(error);
            held = false;
        }
    }
    std::puts(held ? "held" : "refused");
    std::fflush(stdout);
    if (!held)
        return 1;

    char ignored[64];
    while (read(STDIN_FILENO, ignored, sizeof ignored) > 0) {
    }
    for (const uint16_t locks : lockStates)
        xcb_ungrab_key(c, w, root, controlAlt | locks);
    // A round trip: the grabs are gone from the server before anyone hears so.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::puts("released");
    std::fflush(stdout);
    xcb_disconnect(c);
    return 0;
}

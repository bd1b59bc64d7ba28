// A small X client for the X11 tests: one top-level window whose every property the
// tests care about is set from the command line, written against xcb alone so that it
// can leave out what toolkits always set (_NET_WM_PID).
//
//   --title TEXT          --class INSTANCE,CLASS     --size WxH        --position X,Y
//   --type normal|dialog|dock|utility               --iconic          --color RRGGBB
//   --gtk-app-id ID       --no-pid                  --accept-paste
//   --icon RRGGBB         (a 16 × 16 _NET_WM_ICON of that colour)
//   --windows N           (N windows of one process, titled TEXT, TEXT 2, ..., each
//                          30 pixels further down and right)
//   --clipboard TEXT      (takes the CLIPBOARD selection offering TEXT, not empty, as
//                          UTF8_STRING)
//   --secret              (with --clipboard: offers "x-kde-passwordManagerHint" as
//                          "secret" beside it, as password managers do)
//   --refuse-hint         (with --clipboard: lists that hint among its formats but
//                          refuses every request for it)
//   --stall               (with --clipboard: lists its formats, then never answers a
//                          request for the text, as an owner that hangs mid-transfer;
//                          prints "clipboard stalled" at each such request)
//   --answer-after MS     (with --clipboard: answers a request for the text MS ms late,
//                          then prints "clipboard answered", or "clipboard answer
//                          failed: X error N" when the requestor's window had gone)
//
// It prints "window <xid>" once a window exists, and "windows made" after the last; with --accept-paste, each
// Control+V makes it fetch the clipboard and print "paste: <text>". With --clipboard it
// prints "clipboard owned" once it holds the selection.

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string title = "helper", instance = "lghelper", windowClass = "LgHelper", type = "normal";
    std::string gtkAppId, clipboardText; // the clipboard is owned when the text is not empty
    int width = 400, height = 300, x = 100, y = 100, windows = 1, answerAfterMs = 0;
    uint32_t color = 0x3060c0;
    long iconColor = -1;
    bool iconic = false, noPid = false, acceptPaste = false, secret = false, refuseHint = false, stall = false;
};

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "helper_window: %s\n", message);
    std::exit(2);
}

Options parse(int argc, char **argv)
{
    static const std::map<std::string, bool Options::*> flags{
        {"--iconic", &Options::iconic},          {"--no-pid", &Options::noPid},
        {"--secret", &Options::secret},          {"--stall", &Options::stall},
        {"--refuse-hint", &Options::refuseHint}, {"--accept-paste", &Options::acceptPaste}};
    static const std::map<std::string, std::string Options::*> texts{{"--title", &Options::title},
                                                                     {"--type", &Options::type},
                                                                     {"--clipboard", &Options::clipboardText},
                                                                     {"--gtk-app-id", &Options::gtkAppId}};
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                fail("missing value");
            return argv[++i];
        };
        if (const auto flag = flags.find(arg); flag != flags.end()) {
            o.*flag->second = true;
        } else if (const auto text = texts.find(arg); text != texts.end()) {
            o.*text->second = value();
        } else if (arg == "--class") {
            const std::string v = value();
            const auto comma = v.find(',');
            if (comma == std::string::npos)
                fail("--class wants INSTANCE,CLASS");
            o.instance = v.substr(0, comma);
            o.windowClass = v.substr(comma + 1);
        } else if (arg == "--size") {
            if (std::sscanf(value().c_str(), "%dx%d", &o.width, &o.height) != 2)
                fail("--size wants WxH");
        } else if (arg == "--position") {
            if (std::sscanf(value().c_str(), "%d,%d", &o.x, &o.y) != 2)
                fail("--position wants X,Y");
        } else if (arg == "--color") {
            o.color = uint32_t(std::strtoul(value().c_str(), nullptr, 16));
        } else if (arg == "--icon") {
            o.iconColor = long(std::strtoul(value().c_str(), nullptr, 16));
        } else if (arg == "--windows") {
            o.windows = std::atoi(value().c_str());
        } else if (arg == "--answer-after") {
            o.answerAfterMs = std::atoi(value().c_str());
        } else {
            fail("unknown option");
        }
    }
    return o;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void setText(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string &text)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, uint32_t(text.size()), text.data());
}

void setCardinal(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint32_t value)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 32, 1, &value);
}

struct Session {
    xcb_connection_t *c;
    xcb_screen_t *screen;
    xcb_atom_t utf8;
    xcb_atom_t clipboard;
};

xcb_window_t createWindow(const Session &s, const Options &o, int index)
{
    xcb_connection_t *c = s.c;
    const int x = o.x + 30 * index, y = o.y + 30 * index;
    const std::string title = index == 0 ? o.title : o.title + ' ' + std::to_string(index + 1);

    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {o.color, XCB_EVENT_MASK_KEY_PRESS};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, s.screen->root, int16_t(x), int16_t(y), uint16_t(o.width),
                      uint16_t(o.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s.screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    setText(c, window, atom(c, "_NET_WM_NAME"), s.utf8, title);
    setText(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
    setText(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, o.instance + '\0' + o.windowClass + '\0');
    if (!o.gtkAppId.empty())
        setText(c, window, atom(c, "_GTK_APPLICATION_ID"), s.utf8, o.gtkAppId);
    if (!o.noPid) {
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        setText(c, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host);
        setCardinal(c, window, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, uint32_t(getpid()));
    }
    std::string typeName = "_NET_WM_WINDOW_TYPE_";
    for (char ch : o.type)
        typeName += char(std::toupper(static_cast<unsigned char>(ch)));
    setCardinal(c, window, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, atom(c, typeName.c_str()));
    if (o.iconColor >= 0) {
        std::vector<uint32_t> icon{16, 16};
        icon.resize(2 + 16 * 16, 0xff000000u | uint32_t(o.iconColor));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(c, "_NET_WM_ICON"), XCB_ATOM_CARDINAL, 32,
                            uint32_t(icon.size()), icon.data());
    }

    // A position the user asked for, and a size that is also the minimum, so the
    // window manager places and sizes the window exactly.
    xcb_size_hints_t size{};
    xcb_icccm_size_hints_set_position(&size, 1, x, y);
    xcb_icccm_size_hints_set_size(&size, 1, o.width, o.height);
    xcb_icccm_size_hints_set_min_size(&size, o.width, o.height);
    xcb_icccm_set_wm_normal_hints(c, window, &size);
    xcb_icccm_wm_hints_t hints{};
    xcb_icccm_wm_hints_set_input(&hints, 1);
    (o.iconic ? xcb_icccm_wm_hints_set_iconic : xcb_icccm_wm_hints_set_normal)(&hints);
    xcb_icccm_set_wm_hints(c, window, &hints);

    xcb_map_window(c, window);
    xcb_flush(c);
    std::printf("window %u\n", window);
    return window;
}

// Takes the CLIPBOARD selection for the window, as an application does on a copy.
void takeClipboard(const Session &s, xcb_window_t window)
{
    xcb_set_selection_owner(s.c, window, s.clipboard, XCB_CURRENT_TIME);
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(s.c, xcb_get_selection_owner(s.c, s.clipboard), nullptr), &std::free);
    if (!owner || owner->owner != window)
        fail("could not take the clipboard");
    std::printf("clipboard owned\n");
}

// Answers a request for the clipboard as its owner: the list of targets, the text, and
// the password managers' hint.
void serveClipboard(const Session &s, const Options &o, const xcb_selection_request_event_t &request)
{
    const xcb_atom_t targets = atom(s.c, "TARGETS");
    const xcb_atom_t hint = atom(s.c, "x-kde-passwordManagerHint");
    xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.selection != s.clipboard) {
        property = XCB_ATOM_NONE;
    } else if (request.target == targets) {
        std::vector<xcb_atom_t> offered{targets, s.utf8};
        if (o.secret || o.refuseHint)
            offered.push_back(hint);
        xcb_change_property(s.c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                            uint32_t(offered.size()), offered.data());
    } else if (request.target == s.utf8 && o.stall) {
        std::printf("clipboard stalled\n");
        return;
    } else if (request.target == s.utf8 && o.answerAfterMs > 0) {
        // A busy owner: the requestor may have given up by the time the answer comes.
        usleep(useconds_t(o.answerAfterMs) * 1000);
        const xcb_void_cookie_t written = xcb_change_property_checked(s.c, XCB_PROP_MODE_REPLACE, request.requestor,
                                                                      property, s.utf8, 8,
                                                                      uint32_t(o.clipboardText.size()),
                                                                      o.clipboardText.data());
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(xcb_request_check(s.c, written), &std::free);
        if (error)
            std::printf("clipboard answer failed: X error %d\n", error->error_code);
        else
            std::printf("clipboard answered\n");
    } else if (request.target == s.utf8) {
        setText(s.c, request.requestor, property, s.utf8, o.clipboardText);
    } else if (o.secret && request.target == hint) {
        setText(s.c, request.requestor, property, hint, "secret");
    } else {
        property = XCB_ATOM_NONE;
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(s.c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
    xcb_flush(s.c);
}

} // namespace

int main(int argc, char **argv)
{
    const Options o = parse(argc, argv);
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        fail("cannot connect to the X server");
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const Session session{c, screens.data, atom(c, "UTF8_STRING"), atom(c, "CLIPBOARD")};
    // Line by line, as the tests read it.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const xcb_window_t firstWindow = createWindow(session, o, 0);
    for (int i = 1; i < o.windows; ++i)
        createWindow(session, o, i);
    std::printf("windows made\n");
    if (!o.clipboardText.empty())
        takeClipboard(session, firstWindow);

    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    const xcb_atom_t pasteTarget = atom(c, "LG_HELPER_PASTE");
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS: {
            const auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
            // Only a plain Control+V pastes (Caps Lock and Num Lock aside), as in the
            // applications the paste keystroke is meant for.
            const uint16_t modifiers = key->state & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
            if (o.acceptPaste && modifiers == XCB_MOD_MASK_CONTROL
                && xcb_key_symbols_get_keysym(symbols, key->detail, 0) == XK_v) {
                xcb_convert_selection(c, key->event, session.clipboard, session.utf8, pasteTarget, key->time);
                xcb_flush(c);
            }
            break;
        }
        case XCB_SELECTION_NOTIFY: {
            // A refused paste leaves no property to read: it prints as an empty one.
            const auto *notify = reinterpret_cast<xcb_selection_notify_event_t *>(event);
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(
                    c, xcb_get_property(c, 1, notify->requestor, pasteTarget, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20),
                    nullptr),
                &std::free);
            const int length = reply ? xcb_get_property_value_length(reply.get()) : 0;
            std::printf("paste: %.*s\n", length,
                        reply ? static_cast<const char *>(xcb_get_property_value(reply.get())) : "");
            break;
        }
        case XCB_SELECTION_REQUEST:
            if (!o.clipboardText.empty())
                serveClipboard(session, o, *reinterpret_cast<xcb_selection_request_event_t *>(event));
            break;
        default:
            break;
        }
        std::free(event);
    }
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return 0;
}

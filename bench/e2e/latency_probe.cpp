// Measures the running program from outside, as a person meets it: keys go in through
// XTest, and every figure ends at an event the X server itself reports (a map, a focus
// change, a drawing, a change of _NET_ACTIVE_WINDOW, a key press reaching a client).
// Times are this process's monotonic clock when the event is read; the probe does
// nothing else while it waits, so that is when the server sent it.
//
//   latency_probe startup --log FILE --ready-line TEXT -- PROGRAM ARGS...
//       starts the program detached (output appended to FILE), times the ready line,
//       then the first opening of the panel; prints "pid N"
//   latency_probe switcher --home-class C --target-class C --letter L [--reps N]
//       trigger to panel, to its first drawing, letter to switch, pick to paste, the
//       GUI thread's stalls while an opening captures its pictures, and the trigger and
//       the GUI thread's stalls while the thumbnail prefetch runs
//   latency_probe peer --home-class C --target-class C --fragment TEXT [--reps N] -- CMD...
//       the peer started at the trigger moment: to its window mapped with the keyboard,
//       then the typed title fragment and Return to the target window active
//   latency_probe command --home-class C [--reps N] -- CMD...
//       CMD (a command-line verb of the running program) to the panel open
//   latency_probe copy [--reps N]
//       the probe copies a text of its own (takes CLIPBOARD, as any application does)
//       and times until the program asks it for that text
//
// Every figure is printed as "figure NAME MEDIAN MIN P90 MAX COUNT" in milliseconds.
// Any step that does not happen within its timeout ends the probe with status 1 and
// one line saying which.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Micros = std::int64_t;

Micros now()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr Micros ms(int milliseconds)
{
    return Micros(milliseconds) * 1000;
}

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "latency_probe: %s\n", message.c_str());
    std::exit(1);
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T *raw)
{
    return Reply<T>(raw, &std::free);
}

// ---------------------------------------------------------------------------------
// Figures

class Figure {
public:
    explicit Figure(std::string name)
        : m_name(std::move(name))
    {
    }

    void add(Micros sample) { m_samples.push_back(double(sample) / 1000.0); }

    // Nearest-rank percentiles: every printed value is one that was measured.
    void print() const
    {
        if (m_samples.empty())
            return;
        std::vector<double> sorted = m_samples;
        std::sort(sorted.begin(), sorted.end());
        auto rank = [&](double fraction) {
            const size_t index = size_t(std::ceil(fraction * double(sorted.size())));
            return sorted[std::clamp<size_t>(index, 1, sorted.size()) - 1];
        };
        std::printf("figure %s %.2f %.2f %.2f %.2f %zu\n", m_name.c_str(), rank(0.5), sorted.front(), rank(0.9),
                    sorted.back(), sorted.size());
        std::fflush(stdout);
    }

private:
    std::string m_name;
    std::vector<double> m_samples;
};

// ---------------------------------------------------------------------------------
// Child processes

// Standard output and error go to logPath (appended), or nowhere.
pid_t spawn(const std::vector<std::string> &command, const std::string &logPath, bool detached)
{
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const char *target = logPath.empty() ? "/dev/null" : logPath.c_str();
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, target, O_WRONLY | O_APPEND | O_CREAT, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A detached program outlives the probe in a session of its own.
    if (detached)
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        fail("cannot start " + command.front() + ": " + std::strerror(error));
    return pid;
}

// Reaps the child, ending it if it outstays the timeout (the peer exits by itself once
// it has activated a window).
void reap(pid_t pid, Micros timeout)
{
    const Micros deadline = now() + timeout;
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (now() > deadline) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            fail("the started command did not exit within " + std::to_string(timeout / 1000) + " ms");
        }
        usleep(2000);
    }
}

bool isAlive(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

// ---------------------------------------------------------------------------------
// The X connection: keys in, events out

class XSession {
public:
    XSession()
    {
        int screenNumber = 0;
        m_c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_c))
            fail("cannot connect to the X server on $DISPLAY");
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_c));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;
        m_symbols = xcb_key_symbols_alloc(m_c);

        auto test = reply(xcb_test_get_version_reply(m_c, xcb_test_get_version(m_c, 2, 2), nullptr));
        if (!test)
            fail("the X server has no XTest extension");
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_c, &xcb_damage_id);
        if (!damage || !damage->present)
            fail("the X server has no DAMAGE extension");
        m_damageEvent = uint8_t(damage->first_event + XCB_DAMAGE_NOTIFY);
        reply(xcb_damage_query_version_reply(m_c, xcb_damage_query_version(m_c, 1, 1), nullptr));

        activeWindowAtom = atom("_NET_ACTIVE_WINDOW");
        clientListAtom = atom("_NET_CLIENT_LIST");
        clipboardAtom = atom("CLIPBOARD");
        targetsAtom = atom("TARGETS");
        answerAtom = atom("LG_PROBE_ANSWER");
        // Changes of the active window, and maps of the root's children (the peer's).
        select(m_root, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        m_requestor = xcb_generate_id(m_c);
        xcb_create_window(m_c, 0, m_requestor, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          0, nullptr);
    }

    ~XSession()
    {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_c);
    }

    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    xcb_connection_t *connection() const { return m_c; }
    xcb_window_t root() const { return m_root; }
    uint8_t damageEvent() const { return m_damageEvent; }
    xcb_window_t requestor() const { return m_requestor; }

    xcb_atom_t atom(const char *name)
    {
        auto r = reply(xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr));
        if (!r)
            fail(std::string("cannot intern ") + name);
        return r->atom;
    }

    void select(xcb_window_t window, uint32_t mask)
    {
        xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_c);
    }

    void watchDrawing(xcb_window_t window)
    {
        xcb_damage_create(m_c, xcb_generate_id(m_c), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(m_c);
    }

    xcb_keycode_t keycode(xcb_keysym_t keysym) const
    {
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(xcb_key_symbols_get_keycode(m_symbols, keysym),
                                                                   &std::free);
        if (!codes || codes.get()[0] == XCB_NO_SYMBOL)
            fail("no key for keysym " + std::to_string(keysym));
        return codes.get()[0];
    }

    void fakeKey(uint8_t type, xcb_keysym_t keysym)
    {
        xcb_test_fake_input(m_c, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    // Holds the modifiers, then presses and releases the last key. Answers when that
    // press was sent: the moment the combination is complete.
    Micros pressCombination(const std::vector<xcb_keysym_t> &keys)
    {
        for (size_t i = 0; i + 1 < keys.size(); ++i)
            fakeKey(XCB_KEY_PRESS, keys[i]);
        xcb_flush(m_c);
        const Micros sent = now();
        fakeKey(XCB_KEY_PRESS, keys.back());
        fakeKey(XCB_KEY_RELEASE, keys.back());
        for (size_t i = keys.size() - 1; i-- > 0;)
            fakeKey(XCB_KEY_RELEASE, keys[i]);
        xcb_flush(m_c);
        return sent;
    }

    Micros tap(xcb_keysym_t keysym) { return pressCombination({keysym}); }

    std::optional<xcb_window_t> windowProperty(xcb_window_t window, xcb_atom_t property)
    {
        auto r = reply(
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (!r || xcb_get_property_value_length(r.get()) < 4)
            return std::nullopt;
        return *static_cast<xcb_window_t *>(xcb_get_property_value(r.get()));
    }

    xcb_window_t activeWindow() { return windowProperty(m_root, activeWindowAtom).value_or(XCB_NONE); }
    // The window the keyboard goes to: the panel, which the window manager does not see.
    xcb_window_t focusedWindow()
    {
        auto r = reply(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        return r ? r->focus : XCB_NONE;
    }

    // The class part of WM_CLASS ("instance\0class\0").
    std::string windowClass(xcb_window_t window)
    {
        auto r = reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
        if (!r)
            return {};
        const std::string value(static_cast<const char *>(xcb_get_property_value(r.get())),
                                size_t(xcb_get_property_value_length(r.get())));
        const size_t split = value.find('\0');
        return split == std::string::npos ? std::string() : std::string(value.c_str() + split + 1);
    }

    // The managed windows of that class, oldest first.
    std::vector<xcb_window_t> windowsOfClass(const std::string &wanted)
    {
        auto r = reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, m_root, clientListAtom, XCB_ATOM_WINDOW, 0, 4096), nullptr));
        std::vector<xcb_window_t> found;
        if (!r)
            return found;
        const auto *windows = static_cast<xcb_window_t *>(xcb_get_property_value(r.get()));
        const int count = xcb_get_property_value_length(r.get()) / 4;
        for (int i = 0; i < count; ++i) {
            if (windowClass(windows[i]) == wanted)
                found.push_back(windows[i]);
        }
        return found;
    }

    // Asks the window manager to activate the window, as a pager would.
    void requestActivation(xcb_window_t window)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindowAtom;
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_c, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(m_c);
    }

    // Whether the clipboard's owner is a window of the client that made this one (X
    // gives each client its own range of resource ids).
    bool clipboardOwnedByClientOf(xcb_window_t window)
    {
        auto r = reply(xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, clipboardAtom), nullptr));
        const uint32_t clientBits = ~xcb_get_setup(m_c)->resource_id_mask;
        return r && r->owner != XCB_NONE && (r->owner & clientBits) == (window & clientBits);
    }

    // Asks the clipboard's owner which formats it offers. A toolkit answers selection
    // requests on its GUI thread, so the round trip is how long that thread takes to
    // get to an event.
    void askClipboardOwner()
    {
        xcb_convert_selection(m_c, m_requestor, clipboardAtom, targetsAtom, answerAtom, XCB_CURRENT_TIME);
        xcb_flush(m_c);
    }

    // The next event, or nothing once the deadline has passed.
    Reply<xcb_generic_event_t> next(Micros deadline)
    {
        for (;;) {
            if (xcb_generic_event_t *event = xcb_poll_for_event(m_c))
                return reply(event);
            if (xcb_connection_has_error(m_c))
                fail("the X connection was lost");
            const Micros left = deadline - now();
            if (left <= 0)
                return reply<xcb_generic_event_t>(nullptr);
            pollfd descriptor{xcb_get_file_descriptor(m_c), POLLIN, 0};
            poll(&descriptor, 1, int((left + 999) / 1000));
        }
    }

    xcb_atom_t activeWindowAtom = XCB_NONE;
    xcb_atom_t clientListAtom = XCB_NONE;
    xcb_atom_t clipboardAtom = XCB_NONE;
    xcb_atom_t targetsAtom = XCB_NONE;
    xcb_atom_t answerAtom = XCB_NONE;

private:
    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_key_symbols_t *m_symbols = nullptr;
    uint8_t m_damageEvent = 0;
    xcb_window_t m_requestor = XCB_NONE;
};

// ---------------------------------------------------------------------------------
// A copy made by the probe itself

// Owns CLIPBOARD with a window of its own and answers every request for it as an owner
// must, so the program reads the text as it would read any application's copy.
class ClipboardOffer {
public:
    explicit ClipboardOffer(XSession &x)
        : m_x(x)
        , m_window(xcb_generate_id(x.connection()))
        , m_targets(x.atom("TARGETS"))
        , m_timestamp(x.atom("TIMESTAMP"))
        , m_stamp(x.atom("LG_PROBE_STAMP"))
        , m_textTargets{x.atom("UTF8_STRING"), x.atom("text/plain;charset=utf-8"), x.atom("text/plain"),
                        XCB_ATOM_STRING, x.atom("TEXT")}
    {
        // Its own property changes give the probe the server's time.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(x.connection(), XCB_COPY_FROM_PARENT, m_window, x.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        xcb_flush(x.connection());
    }

    // Asks the server for its time: a change of one of the probe's own properties
    // comes back stamped with it. Requests that arrive meanwhile are answered.
    xcb_timestamp_t serverTime(Micros deadline)
    {
        xcb_change_property(m_x.connection(), XCB_PROP_MODE_APPEND, m_window, m_stamp, XCB_ATOM_INTEGER, 32, 0,
                            nullptr);
        xcb_flush(m_x.connection());
        for (;;) {
            auto event = m_x.next(deadline);
            if (!event)
                fail("the server did not report a change of the probe's own property");
            const auto &notify = reinterpret_cast<const xcb_property_notify_event_t &>(*event);
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && notify.window == m_window
                && notify.atom == m_stamp)
                return notify.time;
            handle(*event);
        }
    }

    // Takes the clipboard with this text, stamped with a fresh server time (a stale one
    // would be refused); answers when the request went out.
    Micros take(const std::string &text, Micros deadline)
    {
        m_text = text;
        m_since = serverTime(deadline);
        xcb_set_selection_owner(m_x.connection(), m_window, m_x.clipboardAtom, m_since);
        xcb_flush(m_x.connection());
        return now();
    }

    // Answers any request for the clipboard; true when it was one for the text itself.
    bool handle(const xcb_generic_event_t &event)
    {
        if ((event.response_type & 0x7f) != XCB_SELECTION_REQUEST)
            return false;
        const auto &request = reinterpret_cast<const xcb_selection_request_event_t &>(event);
        if (request.owner != m_window)
            return false;
        const bool forText = isText(request.target);
        answer(request);
        return forText && request.selection == m_x.clipboardAtom;
    }

    // Waits until the clipboard's text is asked for, answering every request meanwhile;
    // answers when that request was read.
    Micros awaitTextRequest(Micros deadline, const std::string &what)
    {
        for (;;) {
            auto event = m_x.next(deadline);
            if (!event)
                fail(what);
            const Micros at = now();
            if (handle(*event))
                return at;
        }
    }

private:
    bool isText(xcb_atom_t target) const
    {
        return std::find(m_textTargets.begin(), m_textTargets.end(), target) != m_textTargets.end();
    }

    // ICCCM: the data goes into the requestor's property, then a SelectionNotify says
    // so; a property of None refuses.
    void answer(const xcb_selection_request_event_t &request)
    {
        xcb_connection_t *c = m_x.connection();
        // Old clients name no property: the target's name is then the property.
        xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
        // Whatever time the request names: toolkits stamp theirs with the last event
        // they saw, which may precede this copy, and owners in practice answer anyway.
        if (request.selection != m_x.clipboardAtom) {
            property = XCB_NONE;
        } else if (request.target == m_targets) {
            std::vector<xcb_atom_t> offered = m_textTargets;
            offered.push_back(m_targets);
            offered.push_back(m_timestamp);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                uint32_t(offered.size()), offered.data());
        } else if (request.target == m_timestamp) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1,
                                &m_since);
        } else if (isText(request.target)) {
            // The texts are ASCII, so every text target gets the same bytes.
            const xcb_atom_t type = request.target == m_textTargets.back() ? xcb_atom_t(XCB_ATOM_STRING)
                                                                           : request.target;
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, type, 8, uint32_t(m_text.size()),
                                m_text.data());
        } else {
            property = XCB_NONE;
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
        xcb_flush(c);
    }

    XSession &m_x;
    xcb_window_t m_window;
    xcb_atom_t m_targets, m_timestamp, m_stamp;
    std::vector<xcb_atom_t> m_textTargets; // TEXT last: answered as STRING
    std::string m_text;
    xcb_timestamp_t m_since = XCB_CURRENT_TIME;
};

// ---------------------------------------------------------------------------------
// What the server reported during one repetition

struct Watched {
    xcb_window_t panel = XCB_NONE;
    xcb_window_t home = XCB_NONE;   // active when a repetition starts
    xcb_window_t target = XCB_NONE; // what a letter switches to, and where pastes go
    std::string peerClass;
};

struct Observations {
    std::optional<Micros> panelMapped, panelUnmapped, panelFocused, panelDrawn, panelMostlyDrawn;
    double drawnShare = 0; // of the panel's area, summed over the drawings reported
    std::optional<Micros> peerMapped, keyboardGrabbed, pasteKey;
    std::map<xcb_window_t, Micros> becameActive;
    // Activation requests sent to the root, the window manager's and the program's alike:
    // they reach every client watching the root's substructure.
    std::map<xcb_window_t, Micros> activationRequested;
    std::optional<Micros> clipboardAnswered;

    std::optional<Micros> panelReady() const
    {
        if (!panelMapped || !panelFocused)
            return std::nullopt;
        return std::max(*panelMapped, *panelFocused);
    }
    std::optional<Micros> peerReady() const
    {
        if (!peerMapped || !keyboardGrabbed)
            return std::nullopt;
        return std::max(*peerMapped, *keyboardGrabbed);
    }
    std::optional<Micros> activeAt(xcb_window_t window) const
    {
        const auto found = becameActive.find(window);
        return found == becameActive.end() ? std::nullopt : std::optional<Micros>(found->second);
    }
};

class Recorder {
public:
    Recorder(XSession &x, Watched &watched)
        : m_x(x)
        , m_watched(watched)
        , m_pasteKeycode(x.keycode(XK_v))
    {
    }

    Observations &observations() { return m_seen; }
    void reset() { m_seen = Observations{}; }

    // Reads events until done() holds; false when the timeout passes first.
    template <typename Done>
    bool until(Micros timeout, Done done)
    {
        const Micros deadline = now() + timeout;
        while (!done(m_seen)) {
            auto event = m_x.next(deadline);
            if (!event)
                return false;
            record(*event, now());
        }
        return true;
    }

    // Lets the program settle: reads (and keeps) events for that long.
    void idle(Micros duration)
    {
        until(duration, [](const Observations &) { return false; });
    }

    template <typename Done>
    Micros expect(Micros timeout, Done done, const std::string &what)
    {
        if (!until(timeout, done))
            fail(what + " within " + std::to_string(timeout / 1000) + " ms");
        return now();
    }

private:
    void record(const xcb_generic_event_t &event, Micros at)
    {
        const uint8_t type = event.response_type & 0x7f;
        if (type == m_x.damageEvent()) {
            const auto &damage = reinterpret_cast<const xcb_damage_notify_event_t &>(event);
            if (damage.drawable != m_watched.panel)
                return;
            // A frame arrives as several rectangles (the rounded outline alone is many).
            m_seen.drawnShare += double(damage.area.width) * damage.area.height
                                 / std::max(1.0, double(damage.geometry.width) * damage.geometry.height);
            if (!m_seen.panelDrawn)
                m_seen.panelDrawn = at;
            if (m_seen.drawnShare >= 0.9 && !m_seen.panelMostlyDrawn)
                m_seen.panelMostlyDrawn = at;
            return;
        }
        switch (type) {
        case XCB_MAP_NOTIFY: {
            const auto &map = reinterpret_cast<const xcb_map_notify_event_t &>(event);
            if (map.window == m_watched.panel && !m_seen.panelMapped)
                m_seen.panelMapped = at;
            else if (map.event == m_x.root() && !m_watched.peerClass.empty() && !m_seen.peerMapped
                     && m_x.windowClass(map.window) == m_watched.peerClass)
                m_seen.peerMapped = at;
            break;
        }
        case XCB_UNMAP_NOTIFY: {
            const auto &unmap = reinterpret_cast<const xcb_unmap_notify_event_t &>(event);
            if (unmap.window == m_watched.panel && !m_seen.panelUnmapped)
                m_seen.panelUnmapped = at;
            break;
        }
        case XCB_FOCUS_IN: {
            const auto &focus = reinterpret_cast<const xcb_focus_in_event_t &>(event);
            const bool real = focus.mode == XCB_NOTIFY_MODE_NORMAL || focus.mode == XCB_NOTIFY_MODE_WHILE_GRABBED;
            if (focus.event == m_watched.panel && real && focus.detail <= XCB_NOTIFY_DETAIL_NONLINEAR_VIRTUAL
                && !m_seen.panelFocused)
                m_seen.panelFocused = at;
            break;
        }
        case XCB_FOCUS_OUT: {
            // Another client took the keyboard while the home window had the focus.
            const auto &focus = reinterpret_cast<const xcb_focus_out_event_t &>(event);
            if (focus.event == m_watched.home && focus.mode == XCB_NOTIFY_MODE_GRAB && !m_seen.keyboardGrabbed)
                m_seen.keyboardGrabbed = at;
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto &property = reinterpret_cast<const xcb_property_notify_event_t &>(event);
            if (property.window == m_x.root() && property.atom == m_x.activeWindowAtom)
                m_seen.becameActive.emplace(m_x.activeWindow(), at);
            break;
        }
        case XCB_CLIENT_MESSAGE: {
            const auto &message = reinterpret_cast<const xcb_client_message_event_t &>(event);
            if (message.type == m_x.activeWindowAtom)
                m_seen.activationRequested.emplace(message.window, at);
            break;
        }
        case XCB_KEY_PRESS: {
            const auto &key = reinterpret_cast<const xcb_key_press_event_t &>(event);
            if (key.event == m_watched.target && key.detail == m_pasteKeycode && (key.state & XCB_MOD_MASK_CONTROL)
                && !m_seen.pasteKey)
                m_seen.pasteKey = at;
            break;
        }
        case XCB_SELECTION_NOTIFY: {
            // Refused or not, an answer is the owner's GUI thread at work.
            const auto &notify = reinterpret_cast<const xcb_selection_notify_event_t &>(event);
            if (notify.requestor == m_x.requestor() && !m_seen.clipboardAnswered)
                m_seen.clipboardAnswered = at;
            break;
        }
        default:
            break;
        }
    }

    XSession &m_x;
    Watched &m_watched;
    xcb_keycode_t m_pasteKeycode;
    Observations m_seen;
};

// ---------------------------------------------------------------------------------
// Options

struct Options {
    std::string mode;
    int reps = 20;
    std::string trigger = "ctrl+alt+w";
    std::string homeClass, targetClass, peerClass = "Rofi";
    char letter = 0;
    std::string fragment;
    std::string log, readyLine;
    std::vector<std::string> command;
};

Options parse(int argc, char **argv)
{
    if (argc < 2)
        fail("usage: latency_probe startup|switcher|peer|command|copy [options] [-- command...]");
    Options o;
    o.mode = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            o.command.assign(argv + i + 1, argv + argc);
            break;
        }
        if (i + 1 >= argc)
            fail("missing value for " + arg);
        const std::string value = argv[++i];
        if (arg == "--reps")
            o.reps = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--trigger")
            o.trigger = value;
        else if (arg == "--home-class")
            o.homeClass = value;
        else if (arg == "--target-class")
            o.targetClass = value;
        else if (arg == "--peer-class")
            o.peerClass = value;
        else if (arg == "--letter" && value.size() == 1)
            o.letter = value[0];
        else if (arg == "--fragment")
            o.fragment = value;
        else if (arg == "--log")
            o.log = value;
        else if (arg == "--ready-line")
            o.readyLine = value;
        else
            fail("unknown option " + arg);
    }
    return o;
}

// "ctrl+alt+w" → Control_L, Alt_L, w.
std::vector<xcb_keysym_t> parseCombination(const std::string &text)
{
    static const std::map<std::string, xcb_keysym_t> modifiers{
        {"ctrl", XK_Control_L}, {"alt", XK_Alt_L}, {"shift", XK_Shift_L}, {"super", XK_Super_L}};
    std::vector<xcb_keysym_t> keys;
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        const std::string part = text.substr(start, plus - start);
        if (const auto modifier = modifiers.find(part); modifier != modifiers.end())
            keys.push_back(modifier->second);
        else if (part.size() == 1)
            keys.push_back(xcb_keysym_t(std::tolower(static_cast<unsigned char>(part[0]))));
        else
            fail("cannot read the combination " + text);
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    return keys;
}

// ---------------------------------------------------------------------------------
// The measurements

constexpr Micros stepTimeout = ms(5000);
// Long enough for the prefetch that follows every hide to finish on 50 windows.
constexpr Micros quietPause = ms(800);
// Between the panel's appearance and the next key, so a key measures only itself.
constexpr Micros lookPause = ms(300);
// The program refreshes its window pictures this long after the panel hides.
constexpr Micros prefetchAfterHide = ms(150);

class Bench {
public:
    explicit Bench(const Options &options)
        : m_options(options)
        , m_trigger(parseCombination(options.trigger))
        , m_recorder(m_x, m_watched)
    {
        m_watched.peerClass = options.mode == "peer" ? options.peerClass : std::string();
    }

    int run()
    {
        if (m_options.mode == "startup")
            return startup();
        if (m_options.mode == "copy")
            return copy();
        findClientWindows();
        if (m_options.mode == "peer") {
            peer();
        } else {
            findPanel();
            if (m_options.mode == "switcher")
                switcher();
            else if (m_options.mode == "command")
                command();
            else
                fail("unknown mode " + m_options.mode);
        }
        if (m_repeatedActivations)
            std::printf("note activation_requests_repeated %d\n", m_repeatedActivations);
        return 0;
    }

private:
    static bool fileContains(const std::string &path, const std::string &text)
    {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line)) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    // From exec to the ready line (logged once the server has confirmed the trigger's
    // grab), then the first opening, which also builds the panel.
    int startup()
    {
        if (m_options.command.empty() || m_options.log.empty() || m_options.readyLine.empty())
            fail("startup needs --log, --ready-line and the program after --");
        const Micros started = now();
        const pid_t pid = spawn(m_options.command, m_options.log, true);
        std::printf("pid %d\n", pid);
        std::fflush(stdout);
        while (!fileContains(m_options.log, m_options.readyLine)) {
            if (!isAlive(pid))
                fail("the program exited during start-up (see " + m_options.log + ")");
            if (now() - started > ms(30000))
                fail("the program did not log \"" + m_options.readyLine + "\" within 30 s");
            usleep(1000);
        }
        Figure armed("startup_exec_to_trigger_armed");
        armed.add(now() - started);
        armed.print();

        Figure firstOpen("startup_first_trigger_to_panel_focused");
        m_recorder.reset();
        const Micros pressed = m_x.pressCombination(m_trigger);
        const xcb_window_t panel = awaitPanelFocus("the panel did not take the keyboard focus after the first trigger");
        firstOpen.add(now() - pressed);
        firstOpen.print();
        watchPanel(panel);
        closePanel();
        return 0;
    }

    bool isPanel(xcb_window_t window) { return window != XCB_NONE && m_x.windowClass(window) == "Lettergate"; }

    void findClientWindows()
    {
        const auto home = m_x.windowsOfClass(m_options.homeClass);
        if (home.empty())
            fail("no window of class \"" + m_options.homeClass + "\" (--home-class)");
        m_watched.home = home.front();
        m_x.select(m_watched.home, XCB_EVENT_MASK_FOCUS_CHANGE);
        if (m_options.targetClass.empty())
            return;
        const auto target = m_x.windowsOfClass(m_options.targetClass);
        if (target.size() != 1)
            fail("want exactly one window of class \"" + m_options.targetClass + "\" (--target-class)");
        m_watched.target = target.front();
        // Key presses reach every client that asked for them, the target's own included.
        m_x.select(m_watched.target, XCB_EVENT_MASK_KEY_PRESS);
    }

    // One opening to learn which window the panel is; from then on its map, focus and
    // drawing are watched.
    void findPanel()
    {
        activate(m_watched.home);
        m_x.pressCombination(m_trigger);
        watchPanel(
            awaitPanelFocus("the panel did not take the keyboard focus after the trigger (is the program running?)"));
        closePanel();
    }

    // Waits until a window of the program holds the keyboard focus, and answers it.
    xcb_window_t awaitPanelFocus(const std::string &failure)
    {
        xcb_window_t panel = XCB_NONE;
        m_recorder.expect(
            stepTimeout,
            [&](const Observations &) {
                if (const xcb_window_t focused = m_x.focusedWindow(); isPanel(focused))
                    panel = focused;
                return panel != XCB_NONE;
            },
            failure);
        return panel;
    }

    void watchPanel(xcb_window_t panel)
    {
        m_watched.panel = panel;
        m_x.select(panel, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE);
        m_x.watchDrawing(panel);
    }

    // Asks again each second: a request can be overtaken by a late one of the program's.
    void activate(xcb_window_t window)
    {
        for (int attempt = 0;; ++attempt) {
            m_x.requestActivation(window);
            if (m_recorder.until(ms(1000), [&](const Observations &) { return m_x.activeWindow() == window; }))
                break;
            if (attempt == 4)
                fail("the window manager did not activate a client window within 5 s");
            ++m_repeatedActivations;
        }
        m_recorder.idle(quietPause);
    }

    // Trigger to the panel mapped with the focus; answers when the trigger was pressed.
    Micros openPanel(const std::string &how = "the trigger")
    {
        m_recorder.reset();
        const Micros pressed = m_x.pressCombination(m_trigger);
        m_recorder.expect(
            stepTimeout, [this](const Observations &seen) { return seen.panelReady() && seen.panelMostlyDrawn; },
            "the panel did not appear with the focus and drawn after " + how);
        return pressed;
    }

    void closePanel()
    {
        m_recorder.reset();
        m_x.tap(XK_Escape);
        m_recorder.expect(
            stepTimeout, [](const Observations &seen) { return bool(seen.panelUnmapped); },
            "Escape did not hide the panel");
    }

    void switcher()
    {
        if (!m_options.letter || m_watched.target == XCB_NONE)
            fail("switcher needs --letter and --target-class");
        Figure toPanel("trigger_to_panel_focused"), toDrawn("trigger_to_first_drawing"),
            toMostlyDrawn("trigger_to_90_percent_drawn"), toSwitch("letter_to_target_active"),
            toRequest("letter_to_activation_request"), requestToActive("activation_request_to_target_active"),
            toHidden("letter_to_panel_hidden"), toComplete("letter_to_target_active_and_panel_hidden");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.home);
            const Micros pressed = openPanel();
            const Observations seen = m_recorder.observations();
            toPanel.add(*seen.panelReady() - pressed);
            toDrawn.add(*seen.panelDrawn - pressed);
            toMostlyDrawn.add(*seen.panelMostlyDrawn - pressed);
            m_recorder.idle(lookPause);

            m_recorder.reset();
            const Micros letter = m_x.tap(xcb_keysym_t(m_options.letter));
            m_recorder.expect(
                stepTimeout, [this](const Observations &s) { return bool(s.activeAt(m_watched.target)); },
                std::string("the target window did not become active after its letter '") + m_options.letter + "'");
            const Observations &switched = m_recorder.observations();
            const Micros active = *switched.activeAt(m_watched.target);
            toSwitch.add(active - letter);
            // The program's share and the window manager's.
            if (const auto request = switched.activationRequested.find(m_watched.target);
                request != switched.activationRequested.end()) {
                toRequest.add(request->second - letter);
                requestToActive.add(active - request->second);
            }
            m_recorder.expect(
                stepTimeout, [](const Observations &s) { return bool(s.panelUnmapped); },
                "the panel stayed open after switching");
            // What the user waits for: the target in front and the panel gone, in either order.
            const Micros hidden = *m_recorder.observations().panelUnmapped;
            toHidden.add(hidden - letter);
            toComplete.add(std::max(active, hidden) - letter);
        }
        toPanel.print();
        toDrawn.print();
        toMostlyDrawn.print();
        toSwitch.print();
        toRequest.print();
        requestToActive.print();
        toHidden.print();
        toComplete.print();
        measureWindowManagerAlone();
        measurePaste();
        measurePrefetch();
    }

    // The floor under a switch: the window manager's own work from an activation
    // request, sent by this client with the program not involved, to the target active.
    void measureWindowManagerAlone()
    {
        Figure toActive("direct_request_to_target_active");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.home);
            m_recorder.reset();
            const Micros requested = now();
            m_x.requestActivation(m_watched.target);
            m_recorder.expect(
                stepTimeout, [this](const Observations &s) { return bool(s.activeAt(m_watched.target)); },
                "the window manager did not activate the target on a direct request");
            toActive.add(*m_recorder.observations().activeAt(m_watched.target) - requested);
        }
        toActive.print();
    }

    // "v" opens the clipboard list, "1" picks its newest entry: the panel hides, the
    // target gets the focus back and the program types Control+V into it.
    void measurePaste()
    {
        Figure toActive("pick_to_target_active"), toPaste("pick_to_paste_key_at_target");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.target);
            openPanel();
            m_recorder.idle(lookPause);
            m_x.tap(XK_v);
            m_recorder.idle(lookPause);
            m_recorder.reset();
            const Micros pick = m_x.tap(XK_1);
            m_recorder.expect(
                stepTimeout, [](const Observations &s) { return bool(s.pasteKey); },
                "no Control+V reached the target window after picking a clipboard entry");
            const Observations seen = m_recorder.observations();
            if (const auto active = seen.activeAt(m_watched.target))
                toActive.add(*active - pick);
            toPaste.add(*seen.pasteKey - pick);
        }
        toActive.print();
        toPaste.print();
    }

    // Every hide starts a thumbnail prefetch. The GUI thread is pinged for 0.7 s
    // from the hide on: the slowest answer bounds its longest stall. The same 0.7 s of
    // pings with the program at rest is the control (a busy machine stalls any thread
    // now and then), and 0.3 s from an opening's first drawing, while the opening
    // captures its pictures, what a key typed then may wait. Then the trigger is
    // pressed the moment the panel hides, to see what a person who reopens at once
    // waits.
    // The pings are clipboard requests: the paste before this made the program the
    // clipboard's owner.
    void measurePrefetch()
    {
        if (!m_x.clipboardOwnedByClientOf(m_watched.panel))
            fail("the program does not own the clipboard after pasting, so it cannot be pinged");
        Figure restStall("at_rest_longest_gui_stall"), openingStall("opening_longest_gui_stall"),
            stall("prefetch_longest_gui_stall"), reopen("trigger_during_prefetch_to_panel_focused");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.home);
            restStall.add(longestRoundTrip(pingFor(ms(700))));

            // The opening's window pictures are captured from its first frame on.
            openPanel();
            openingStall.add(longestRoundTrip(pingFor(lookPause)));
            m_recorder.reset();
            m_x.tap(XK_Escape);
            m_recorder.expect(
                stepTimeout, [](const Observations &s) { return bool(s.panelUnmapped); },
                "Escape did not hide the panel");
            stall.add(longestRoundTrip(pingFor(ms(700))));

            // Escape gave the focus back to the home window; the prefetch is over. The
            // next one begins a fixed time after the hide, and the trigger comes with it.
            openPanel();
            m_recorder.idle(lookPause);
            closePanel();
            m_recorder.idle(prefetchAfterHide);
            const Micros pressed = openPanel("the trigger pressed during a prefetch");
            reopen.add(*m_recorder.observations().panelReady() - pressed);
            closePanel();
        }
        restStall.print();
        openingStall.print();
        stall.print();
        reopen.print();
    }

    struct Ping {
        Micros sent, answered;
        Micros roundTrip() const { return answered - sent; }
    };

    static Micros longestRoundTrip(const std::vector<Ping> &pings)
    {
        Micros longest = 0;
        for (const Ping &ping : pings)
            longest = std::max(longest, ping.roundTrip());
        return longest;
    }

    // Pings one after another for the duration.
    std::vector<Ping> pingFor(Micros duration)
    {
        std::vector<Ping> pings;
        const Micros end = now() + duration;
        while (now() < end) {
            m_recorder.observations().clipboardAnswered.reset();
            const Micros sent = now();
            m_x.askClipboardOwner();
            m_recorder.expect(
                stepTimeout, [](const Observations &s) { return bool(s.clipboardAnswered); },
                "the program did not answer a clipboard request (its GUI thread is stuck)");
            pings.push_back({sent, *m_recorder.observations().clipboardAnswered});
        }
        return pings;
    }

    void peer()
    {
        if (m_options.command.empty() || m_options.fragment.empty() || m_watched.target == XCB_NONE)
            fail("peer needs --fragment, --target-class and the command after --");
        Figure toReady("peer_start_to_window_with_keyboard"), fromReturn("peer_return_to_target_active"),
            fromTyping("peer_typing_to_target_active");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.home);
            m_recorder.reset();
            const Micros started = now();
            const pid_t pid = spawn(m_options.command, m_options.log, false);
            m_recorder.expect(
                ms(10000), [](const Observations &s) { return bool(s.peerReady()); },
                "the peer's window did not appear with the keyboard");
            toReady.add(*m_recorder.observations().peerReady() - started);
            m_recorder.idle(lookPause);

            m_recorder.reset();
            Micros typed = 0;
            for (char ch : m_options.fragment) {
                const Micros at = m_x.tap(xcb_keysym_t(ch == ' ' ? XK_space : ch));
                if (!typed)
                    typed = at;
            }
            const Micros returned = m_x.tap(XK_Return);
            m_recorder.expect(
                stepTimeout, [this](const Observations &s) { return bool(s.activeAt(m_watched.target)); },
                "the target window did not become active after typing its title into the peer");
            const Micros active = *m_recorder.observations().activeAt(m_watched.target);
            fromReturn.add(active - returned);
            fromTyping.add(active - typed);
            reap(pid, stepTimeout);
        }
        toReady.print();
        fromReturn.print();
        fromTyping.print();
    }

    // The probe copies a text of its own, each time a new one, and times until the
    // program asks for it: its reaction to a change of the clipboard's owner, whatever
    // it reads the clipboard with. The pause lets each copy's reading finish.
    int copy()
    {
        ClipboardOffer offer(m_x);
        Figure toRequest("copy_to_text_requested");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            const Micros copied = offer.take(
                "lettergate probe copy " + std::to_string(rep) + " " + std::to_string(now()), now() + stepTimeout);
            const Micros requested = offer.awaitTextRequest(
                now() + stepTimeout, "the program did not ask for the copied text within "
                                         + std::to_string(stepTimeout / 1000) + " ms (is it running?)");
            toRequest.add(requested - copied);
            answerFor(offer, lookPause);
        }
        toRequest.print();
        return 0;
    }

    // Keeps answering the clipboard's requests for that long.
    void answerFor(ClipboardOffer &offer, Micros duration)
    {
        const Micros end = now() + duration;
        while (auto event = m_x.next(end))
            offer.handle(*event);
    }

    void command()
    {
        if (m_options.command.empty())
            fail("command needs the command after --");
        Figure toPanel("command_to_panel_focused");
        for (int rep = 0; rep < m_options.reps; ++rep) {
            activate(m_watched.home);
            m_recorder.reset();
            const Micros started = now();
            const pid_t pid = spawn(m_options.command, m_options.log, false);
            m_recorder.expect(
                stepTimeout, [](const Observations &s) { return bool(s.panelReady()); },
                "the panel did not appear with the focus after " + m_options.command.front());
            toPanel.add(*m_recorder.observations().panelReady() - started);
            reap(pid, stepTimeout);
            closePanel();
        }
        toPanel.print();
    }

    const Options &m_options;
    const std::vector<xcb_keysym_t> m_trigger;
    XSession m_x;
    Watched m_watched;
    Recorder m_recorder;
    int m_repeatedActivations = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    return Bench(options).run();
}

#pragma once

#include "platform/x11/XcbPointers.h"

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// What the X11 tests share: foreign client windows in processes of their own, and the
// command-line tools that drive the session (xdotool, xclip, xprop). Every test runs
// inside the private session that scripts/x11-session starts for CTest.
namespace X11Test {

// The helper program (helper_window.cpp) with its window (or windows, with
// --windows N), alive while the object lives.
class HelperWindow {
public:
    // Starts the helper with these options and waits until its windows exist; the
    // window manager may still be about to manage them (see waitUntilManaged).
    explicit HelperWindow(const QStringList &options);
    ~HelperWindow();
    HelperWindow(const HelperWindow &) = delete;
    HelperWindow &operator=(const HelperWindow &) = delete;

    bool isValid() const { return !m_windows.isEmpty(); }
    quint32 window() const { return m_windows.value(0); }
    QList<quint32> windows() const { return m_windows; }
    qint64 pid() const { return m_process.processId(); }

    // Waits, serving the event loop, for an output line that starts with prefix; answers
    // that line, or an empty text after the timeout.
    QString waitForLine(const QString &prefix, int timeoutMs = 10000);
    QStringList lines() const { return m_lines; }

    // Ends the program and waits until the window manager has let its windows go.
    void close();

private:
    QProcess m_process;
    QList<quint32> m_windows;
    QStringList m_lines;
};

// Another X client, for what the tools cannot do: hold key grabs, read whether a key
// is down, change the keyboard mapping.
class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    xcb_atom_t atom(const char *name);

    // A passive grab on the root; false when the server refuses it (BadAccess).
    bool grabKey(xcb_keycode_t keycode, uint16_t modifiers);
    void ungrabKey(xcb_keycode_t keycode, uint16_t modifiers);
    // Whether the key is down, as the server sees it.
    bool isKeyDown(xcb_keycode_t keycode);
    // The keysyms of one key (two columns), and a replacement of them.
    QList<xcb_keysym_t> keysyms(xcb_keycode_t keycode);
    void setKeysyms(xcb_keycode_t keycode, const QList<xcb_keysym_t> &keysyms);
    // A key the keyboard map leaves without symbols.
    xcb_keycode_t unusedKeycode();

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

// Runs a tool to its end, without serving the event loop; for tools that need nothing
// from this process. Answers its standard output, trimmed; fails the test on error.
QString run(const QString &program, const QStringList &arguments);

// Runs a tool while serving the event loop, for tools that talk to this process through
// the server (xclip reading a clipboard this process owns).
QString runServingEvents(const QString &program, const QStringList &arguments, int timeoutMs = 5000);

// Copies the file's content with xclip to the clipboard selection, as the given MIME type
// when one is given; the copying xclip stays in the background as the selection's
// owner until something else is copied.
void xclipCopy(const QString &file, const QString &type = {});

// The class half of a window's WM_CLASS ("Lettergate", "trayer"); empty without one.
QByteArray windowClass(xcb_connection_t *connection, xcb_window_t window);

// The root window's _NET_ACTIVE_WINDOW, through xprop.
quint32 activeWindow();
// Whether the window manager has the window minimised (_NET_WM_STATE_HIDDEN).
bool isHidden(quint32 window);
// The window that holds the keyboard focus, as the server answers.
quint32 focusedWindow();

// The windows the window manager lists as managed (_NET_CLIENT_LIST).
QList<quint32> managedWindows();
// Waits until the window manager lists the window (it is then managed and framed).
bool waitUntilManaged(quint32 window, int timeoutMs = 10000);
// Waits until the window manager lists every window of these helpers.
bool waitUntilManaged(std::initializer_list<const HelperWindow *> helpers);

// Makes the window the active one with xdotool, as a click on it would, and waits until
// the window manager has done it.
void activate(quint32 window);

// The backend (X11Platform) on the session's display, for a test object's member: a test
// without the session it runs in has nothing to test, so it ends there.
template <typename Backend>
std::unique_ptr<Backend> sessionBackend()
{
    std::unique_ptr<Backend> backend = Backend::connect();
    if (!backend)
        qFatal("the X11 session does not answer");
    return backend;
}

// The first entry of a window listing whose field holds the value, if there is one.
template <typename Entry, typename Field, typename Value>
std::optional<Entry> entryOf(const QList<Entry> &entries, Field Entry::*field, const Value &value)
{
    const auto found = std::ranges::find_if(entries, [&](const Entry &entry) { return entry.*field == value; });
    return found == entries.end() ? std::nullopt : std::optional<Entry>(*found);
}

} // namespace X11Test

} // namespace lettergate

#pragma once

#include <QByteArray>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace lettergate {

// Atoms the backend needs beyond the EWMH set.
struct X11Atoms {
    xcb_atom_t gtkApplicationId = XCB_ATOM_NONE; // _GTK_APPLICATION_ID
    xcb_atom_t kdeDesktopFile = XCB_ATOM_NONE;   // _KDE_NET_WM_DESKTOP_FILE
    xcb_atom_t wmChangeState = XCB_ATOM_NONE;    // WM_CHANGE_STATE
    xcb_atom_t wmState = XCB_ATOM_NONE;          // WM_STATE
    xcb_atom_t timestampProbe = XCB_ATOM_NONE;   // _LETTERGATE_TIMESTAMP
};

// The X extensions the backend builds on, as the server answered at connection time.
struct X11Extensions {
    bool composite = false; // with NameWindowPixmap (0.2 or later)
    bool xinput22 = false;  // XInput 2.2: raw key events that survive other clients' grabs
    quint8 xinputOpcode = 0;
    bool xtest = false;
    bool res = false; // X-Resource 1.2: the pid behind a client id
};

// One connection to the X server with what every request needs: the default screen,
// its root, the EWMH atoms and the extensions. Requests may be issued from any thread
// (xcb serialises them); reading events is X11EventPump's job.
class X11Display {
public:
    // Nothing when the server cannot be reached. An empty name means $DISPLAY.
    static std::unique_ptr<X11Display> open(const QByteArray &displayName = {});
    ~X11Display();

    X11Display(const X11Display &) = delete;
    X11Display &operator=(const X11Display &) = delete;

    xcb_connection_t *connection() const { return m_connection; }
    xcb_ewmh_connection_t *ewmh() const { return &m_ewmh; }
    xcb_screen_t *screen() const { return m_screen; }
    int screenNumber() const { return m_screenNumber; }
    xcb_window_t root() const { return m_screen->root; }
    const X11Atoms &atoms() const { return m_atoms; }
    const X11Extensions &extensions() const { return m_extensions; }

    bool hasFailed() const { return xcb_connection_has_error(m_connection) != 0; }
    void flush() const { xcb_flush(m_connection); }

private:
    X11Display(xcb_connection_t *connection, int screenNumber);
    bool initialise();

    xcb_connection_t *m_connection;
    int m_screenNumber;
    xcb_screen_t *m_screen = nullptr;
    mutable xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    X11Atoms m_atoms;
    X11Extensions m_extensions;
};

} // namespace lettergate

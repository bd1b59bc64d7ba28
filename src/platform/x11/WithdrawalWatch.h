#pragma once

#include "platform/x11/X11EventPump.h"

#include <QHash>
#include <QTimer>
#include <functional>
#include <xcb/xcb.h>

class X11Display;

// Holds back showing one of our own windows again until the window manager has let go
// of it after it was hidden. Hiding a managed window starts a withdrawal that ends when
// the window manager removes WM_STATE or sets it to Withdrawn (ICCCM 4.1.4); a window
// mapped again before that may be lost: the window manager finishes the withdrawal and
// never manages the window again, which then stays unmapped while the toolkit believes
// it is shown.
class WithdrawalWatch final : public X11EventFilter {
public:
    explicit WithdrawalWatch(X11Display &display);

    // Runs then at once when the window manager does not hold the window, else as soon
    // as it lets go of it, or after a grace period when it never says so. A later call
    // for the same window replaces an earlier one that has not run yet.
    void whenWithdrawn(xcb_window_t window, std::function<void()> then);

    void x11Event(const xcb_generic_event_t *event) override;

private:
    // Asks for the window's property changes; false when the server does not know it.
    bool watch(xcb_window_t window);
    // Asks the server for the window's WM_STATE: one round trip.
    bool isHeldByWindowManager(xcb_window_t window) const;
    void run(xcb_window_t window);
    void runAllLate();

    X11Display &m_display;
    const xcb_atom_t m_wmState;
    QList<xcb_window_t> m_watched;
    QHash<xcb_window_t, std::function<void()>> m_waiting;
    QTimer m_gracePeriod;
};

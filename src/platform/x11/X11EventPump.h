#pragma once

#include "platform/x11/XcbPointers.h"

#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <xcb/xcb.h>

namespace lettergate {

class X11Display;

// Something that wants to see the events of the backend's connection.
class X11EventFilter {
public:
    virtual ~X11EventFilter() = default;
    virtual void x11Event(const xcb_generic_event_t *event) = 0;
};

// The event type without the bit that marks events sent by another client.
inline uint8_t x11EventType(const xcb_generic_event_t *event)
{
    return event->response_type & 0x7f;
}

// Reads the events of one X connection on the thread it lives on (the GUI thread) and
// hands each to every filter. The connection's socket wakes it; it also drains before
// the event loop sleeps, because xcb may already have queued events while it waited
// for a reply, and those never wake the socket again.
class X11EventPump final : public QObject {
    Q_OBJECT
public:
    explicit X11EventPump(X11Display &display, QObject *parent = nullptr);
    ~X11EventPump() override;

    void addFilter(X11EventFilter *filter);
    void removeFilter(X11EventFilter *filter);

    // The server's current time, for requests that the window manager judges by their
    // timestamp. One round trip; events read meanwhile are delivered afterwards.
    xcb_timestamp_t serverTime();

    // Delivers everything that has arrived.
    void drain();

private:
    XcbPtr<xcb_generic_event_t> nextEvent();
    void dispatch(const xcb_generic_event_t *event);
    void reportLostConnection();

    X11Display &m_display;
    QSocketNotifier m_notifier;
    QList<X11EventFilter *> m_filters;
    // Events read while waiting for the server time, delivered by the next drain.
    std::deque<XcbPtr<xcb_generic_event_t>> m_deferred;
    xcb_window_t m_timeWindow;
    bool m_lost = false;
};

} // namespace lettergate

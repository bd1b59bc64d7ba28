#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// One conversion of a selection to one target, as a requestor does it: a window of its
// own receives the owner's answer in a property, whole or in INCR chunks, so an owner
// still answering an abandoned transfer writes nowhere that a later one reads. The
// window must outlive the owner's answer: many owners (command-line tools among them)
// exit on the X error that writing to a destroyed window brings, and the clipboard's
// content goes with them.
class X11SelectionTransfer {
public:
    enum class State {
        waiting,
        done,
        // The owner refused the target, or its answer was not a property that reads.
        refused,
        // The answer grew beyond the limit; the rest is not taken.
        tooLarge,
    };

    // The atoms every transfer uses.
    struct Atoms {
        xcb_atom_t property = XCB_ATOM_NONE;
        xcb_atom_t incr = XCB_ATOM_NONE;
    };

    // Asks the selection's owner to convert it to target; limitBytes caps the answer.
    X11SelectionTransfer(xcb_connection_t *connection, xcb_window_t root, const Atoms &atoms, xcb_atom_t selection,
                         xcb_atom_t target, qint64 limitBytes);
    ~X11SelectionTransfer();
    X11SelectionTransfer(const X11SelectionTransfer &) = delete;
    X11SelectionTransfer &operator=(const X11SelectionTransfer &) = delete;

    // The answer is no longer wanted. The transfer still takes it off its window, chunk by
    // chunk, unread, so that the owner finishes normally; it is over once the owner has.
    void abandon();

    // Takes the events meant for this transfer (the owner's notification, the chunks'
    // property changes); answers whether the event was one of them.
    bool handle(const xcb_generic_event_t &event);

    State state() const { return m_state; }
    // The answer, once done.
    const QByteArray &data() const { return m_data; }
    // The answer's type as the owner named it.
    xcb_atom_t type() const { return m_type; }

private:
    void onSelectionNotify(const xcb_selection_notify_event_t &notify);
    void onPropertyNotify(const xcb_property_notify_event_t &notify);
    // Reads and deletes the property, which tells an INCR owner to send the next chunk.
    // Answers false when the property does not read or would pass the limit.
    bool takeProperty(QByteArray &into, xcb_atom_t *type);
    // An abandoned transfer's answer: the property deleted unread. Answers its type and
    // whether it held anything, or nothing when there was no property.
    struct DiscardedProperty {
        xcb_atom_t type;
        bool empty;
    };
    std::optional<DiscardedProperty> discardProperty();
    void onAbandonedAnswer(const xcb_selection_notify_event_t &notify);
    void onAbandonedChunk(const xcb_property_notify_event_t &notify);

    xcb_connection_t *m_connection;
    Atoms m_atoms;
    qint64 m_limitBytes;
    xcb_window_t m_window;
    State m_state = State::waiting;
    bool m_receivingChunks = false;
    bool m_abandoned = false;
    QByteArray m_data;
    xcb_atom_t m_type = XCB_ATOM_NONE;
};

} // namespace lettergate

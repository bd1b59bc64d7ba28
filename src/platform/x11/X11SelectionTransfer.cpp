#include "platform/x11/X11SelectionTransfer.h"

#include "platform/x11/XcbPointers.h"

#include <QtEndian>
#include <algorithm>

namespace lettergate {

X11SelectionTransfer::X11SelectionTransfer(xcb_connection_t *connection, xcb_window_t root, const Atoms &atoms,
                                           xcb_atom_t selection, xcb_atom_t target, qint64 limitBytes)
    : m_connection(connection)
    , m_atoms(atoms)
    , m_limitBytes(limitBytes)
    , m_window(xcb_generate_id(connection))
{
    // Property changes on the window announce each chunk of an INCR answer.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_convert_selection(m_connection, m_window, selection, target, m_atoms.property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

X11SelectionTransfer::~X11SelectionTransfer()
{
    xcb_destroy_window(m_connection, m_window);
    xcb_flush(m_connection);
}

bool X11SelectionTransfer::handle(const xcb_generic_event_t &event)
{
    switch (event.response_type & 0x7f) {
    case XCB_SELECTION_NOTIFY: {
        const auto &notify = reinterpret_cast<const xcb_selection_notify_event_t &>(event);
        if (notify.requestor != m_window)
            return false;
        if (m_state == State::waiting && !m_receivingChunks)
            m_abandoned ? onAbandonedAnswer(notify) : onSelectionNotify(notify);
        return true;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto &notify = reinterpret_cast<const xcb_property_notify_event_t &>(event);
        if (notify.window != m_window)
            return false;
        if (m_state == State::waiting && m_receivingChunks)
            m_abandoned ? onAbandonedChunk(notify) : onPropertyNotify(notify);
        return true;
    }
    default:
        return false;
    }
}

void X11SelectionTransfer::abandon()
{
    m_abandoned = true;
    m_data.clear();
}

void X11SelectionTransfer::onAbandonedAnswer(const xcb_selection_notify_event_t &notify)
{
    const std::optional<DiscardedProperty> answer = notify.property == XCB_ATOM_NONE ? std::nullopt : discardProperty();
    if (!answer) {
        m_state = State::refused;
        return;
    }
    if (answer->type == m_atoms.incr)
        m_receivingChunks = true;
    else
        m_state = State::done;
}

void X11SelectionTransfer::onAbandonedChunk(const xcb_property_notify_event_t &notify)
{
    if (notify.atom != m_atoms.property || notify.state != XCB_PROPERTY_NEW_VALUE)
        return;
    const std::optional<DiscardedProperty> chunk = discardProperty();
    if (!chunk)
        m_state = State::refused;
    else if (chunk->empty)
        m_state = State::done;
}

std::optional<X11SelectionTransfer::DiscardedProperty> X11SelectionTransfer::discardProperty()
{
    // Asked for no data: the reply still tells the type and how much there was. A read
    // deletes a property only when it takes all of it, so the deletion is a request of
    // its own; it tells an INCR owner to send the next chunk.
    const XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, false, m_window, m_atoms.property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_delete_property(m_connection, m_window, m_atoms.property);
    xcb_flush(m_connection);
    return DiscardedProperty{reply->type, reply->bytes_after == 0};
}

void X11SelectionTransfer::onSelectionNotify(const xcb_selection_notify_event_t &notify)
{
    if (notify.property == XCB_ATOM_NONE) {
        m_state = State::refused;
        return;
    }
    QByteArray answer;
    if (!takeProperty(answer, &m_type))
        return;
    if (m_type != m_atoms.incr) {
        m_data = std::move(answer);
        m_state = State::done;
        return;
    }
    // The owner sends the data in chunks, each once the previous one has been taken; the
    // INCR property (now deleted) held a lower bound of the size, which may be refused
    // at once.
    if (answer.size() >= 4 && qint64(qFromUnaligned<quint32>(answer.constData())) > m_limitBytes) {
        m_state = State::tooLarge;
        return;
    }
    m_type = XCB_ATOM_NONE;
    m_receivingChunks = true;
}

void X11SelectionTransfer::onPropertyNotify(const xcb_property_notify_event_t &notify)
{
    if (notify.atom != m_atoms.property || notify.state != XCB_PROPERTY_NEW_VALUE)
        return;
    QByteArray chunk;
    xcb_atom_t chunkType = XCB_ATOM_NONE;
    if (!takeProperty(chunk, &chunkType))
        return;
    // An empty chunk ends the transfer.
    if (chunk.isEmpty()) {
        m_state = State::done;
        return;
    }
    if (m_data.size() + chunk.size() > m_limitBytes) {
        m_state = State::tooLarge;
        m_data.clear();
        return;
    }
    m_type = chunkType;
    m_data.append(chunk);
}

bool X11SelectionTransfer::takeProperty(QByteArray &into, xcb_atom_t *type)
{
    // Asked for a little more than what may still come, so that a longer answer shows.
    const qint64 room = std::max<qint64>(0, m_limitBytes - m_data.size());
    const auto words = uint32_t(std::min<qint64>(room / 4 + 1, UINT32_MAX / 4));
    const XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, true, m_window, m_atoms.property, XCB_GET_PROPERTY_TYPE_ANY, 0, words),
        nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) {
        m_state = State::refused;
        return false;
    }
    const int length = xcb_get_property_value_length(reply.get());
    if (reply->bytes_after > 0 || length > room) {
        // Not deleted by the read when more was left; the owner is left waiting.
        m_state = State::tooLarge;
        return false;
    }
    into = QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    *type = reply->type;
    return true;
}

} // namespace lettergate

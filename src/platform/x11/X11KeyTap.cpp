#include "platform/x11/X11KeyTap.h"

#include "platform/KeyEncoding.h"
#include "platform/x11/KeyTranslation.h"
#include "platform/x11/KeyboardMap.h"
#include "platform/x11/X11Display.h"

#include <xcb/xinput.h>

namespace lettergate {

X11KeyTap::X11KeyTap(const X11Display &display, const KeyboardMap &keyboard, QObject *parent)
    : QObject(parent)
    , m_display(display)
    , m_keyboard(keyboard)
{
}

X11KeyTap::~X11KeyTap()
{
    if (!m_listening.isEmpty())
        selectRawEvents(false);
}

std::unique_ptr<KeyTapSession> X11KeyTap::create()
{
    if (!m_display.extensions().xinput22)
        return nullptr;
    return std::make_unique<RawKeySession>(this);
}

void X11KeyTap::setListening(RawKeySession *session, bool listening)
{
    const bool wasSelected = !m_listening.isEmpty();
    m_listening.removeAll(session);
    if (listening) {
        const auto [held, capsLock] = currentModifiers();
        session->m_tracker.reset(held, capsLock);
        m_listening.append(session);
    }
    if (wasSelected != !m_listening.isEmpty())
        selectRawEvents(!m_listening.isEmpty());
}

void X11KeyTap::selectRawEvents(bool selected)
{
    struct {
        xcb_input_event_mask_t header;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           selected ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE) : 0u};
    xcb_input_xi_select_events(m_display.connection(), m_display.root(), 1, &mask.header);
    m_display.flush();
}

std::pair<quint64, bool> X11KeyTap::currentModifiers() const
{
    xcb_connection_t *c = m_display.connection();
    XcbPtr<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_display.root()), nullptr));
    if (!pointer)
        return {0, false};
    return {KeyTranslation::flagsOfState(pointer->mask, m_keyboard.masks()), (pointer->mask & XCB_MOD_MASK_LOCK) != 0};
}

ModifierTracker::Key X11KeyTap::describe(quint32 keycode) const
{
    using Role = ModifierTracker::Role;
    const uint16_t modifier = keycode < 256 ? m_keyboard.modifierOf(xcb_keycode_t(keycode)) : 0;
    if (modifier == 0)
        return {keycode, Role::Ordinary};
    if (modifier == XCB_MOD_MASK_LOCK)
        return {keycode, Role::CapsLock};
    const quint64 flag = KeyTranslation::flagOfModifier(modifier, m_keyboard.masks());
    return {keycode, flag ? Role::Modifier : Role::Ignored, flag};
}

void X11KeyTap::x11Event(const xcb_generic_event_t *event)
{
    if (x11EventType(event) != XCB_GE_GENERIC)
        return;
    const auto *raw = reinterpret_cast<const xcb_input_raw_key_press_event_t *>(event);
    if (raw->extension != m_display.extensions().xinputOpcode)
        return;
    if (raw->event_type != XCB_INPUT_RAW_KEY_PRESS && raw->event_type != XCB_INPUT_RAW_KEY_RELEASE)
        return;
    const ModifierTracker::Key key = describe(raw->detail);
    const QList<RawKeySession *> sessions = m_listening;
    for (RawKeySession *session : sessions) {
        // A listener may end another session (or its own) while handling the event.
        if (m_listening.contains(session))
            session->deliver(key, raw->event_type == XCB_INPUT_RAW_KEY_PRESS);
    }
}

RawKeySession::RawKeySession(X11KeyTap *tap)
    : m_tap(tap)
{
}

RawKeySession::~RawKeySession()
{
    if (m_tap)
        m_tap->setListening(this, false);
}

void RawKeySession::setEnabled(bool enabled)
{
    if (enabled == m_enabled || !m_tap)
        return;
    m_enabled = enabled;
    m_tap->setListening(this, enabled);
}

void RawKeySession::deliver(const ModifierTracker::Key &key, bool pressed)
{
    const auto change = pressed ? m_tracker.press(key) : m_tracker.release(key);
    if (!change)
        return;
    if (change->keyDown)
        emit keyDown();
    else
        emit flagsChanged(change->flags);
}

} // namespace lettergate

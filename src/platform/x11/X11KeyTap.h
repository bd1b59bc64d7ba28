#pragma once

#include "platform/KeyTap.h"
#include "platform/x11/ModifierTracker.h"
#include "platform/x11/X11EventPump.h"

#include <QList>
#include <QPointer>

namespace lettergate {

class KeyboardMap;
class RawKeySession;
class X11Display;

// The system-wide key stream from XInput 2.2 raw key events on the root window: they
// reach every listener whatever window has the focus, and keep arriving while another
// client grabs the keyboard. Raw events say which key moved and nothing of the
// modifier state, so each session keeps that state itself.
class X11KeyTap final : public QObject, public KeyTap, public X11EventFilter {
    Q_OBJECT
public:
    X11KeyTap(const X11Display &display, const KeyboardMap &keyboard, QObject *parent = nullptr);
    ~X11KeyTap() override;

    // Nothing when the server lacks XInput 2.2.
    std::unique_ptr<KeyTapSession> create() override;

    void x11Event(const xcb_generic_event_t *event) override;

private:
    friend class RawKeySession;

    void setListening(RawKeySession *session, bool listening);
    void selectRawEvents(bool selected);
    ModifierTracker::Key describe(quint32 keycode) const;
    // The modifiers held now and whether Caps Lock is on, as the server sees them.
    std::pair<quint64, bool> currentModifiers() const;

    const X11Display &m_display;
    const KeyboardMap &m_keyboard;
    QList<RawKeySession *> m_listening;
};

class RawKeySession final : public KeyTapSession {
    Q_OBJECT
public:
    explicit RawKeySession(X11KeyTap *tap);
    ~RawKeySession() override;

    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

private:
    friend class X11KeyTap;
    void deliver(const ModifierTracker::Key &key, bool pressed);

    // The tap may go before a session that someone keeps past the platform's end.
    QPointer<X11KeyTap> m_tap;
    ModifierTracker m_tracker;
    bool m_enabled = false;
};

} // namespace lettergate

#pragma once

#include "platform/HotKeys.h"
#include "platform/x11/X11EventPump.h"

#include <QList>
#include <optional>

namespace lettergate {

class KeyboardMap;
class X11Display;

// System-wide key combinations as passive key grabs on the root window. A combination
// is grabbed once for every state of the lock keys, so that Caps Lock or Num Lock being
// on does not stop it; a grab another client holds makes the registration fail. The
// grabs follow the keyboard when its mapping changes.
class X11HotKeys final : public HotKeys, public X11EventFilter {
    Q_OBJECT
public:
    X11HotKeys(const X11Display &display, const KeyboardMap &keyboard, QObject *parent = nullptr);
    ~X11HotKeys() override;

    bool registerHotKey(HotKeyId id, quint32 keyCode, quint32 modifiers) override;
    void unregisterHotKey(HotKeyId id) override;

    void x11Event(const xcb_generic_event_t *event) override;

private:
    struct Grab {
        xcb_keycode_t keycode;
        uint16_t modifiers;
        friend bool operator==(const Grab &, const Grab &) = default;
    };
    struct Registration {
        HotKeyId id;
        quint32 keyCode;
        quint32 carbonModifiers;
        uint16_t modifiers = 0; // without locks
        QList<Grab> grabs;
    };

    // The grabs of a combination, all taken, or nothing (and none left behind).
    std::optional<QList<Grab>> grab(xcb_keycode_t keycode, uint16_t modifiers);
    void ungrab(const QList<Grab> &grabs);
    bool grabRegistration(Registration &registration);
    void regrabAll();
    void handleKey(const xcb_key_press_event_t *event, bool isPress);

    const X11Display &m_display;
    const KeyboardMap &m_keyboard;
    QList<Registration> m_registrations;
    // The last release of a grabbed key: a press of the same key with the same time
    // is the key repeating while held, not a new press.
    xcb_keycode_t m_lastReleasedKey = 0;
    xcb_timestamp_t m_lastReleaseTime = 0;
};

} // namespace lettergate

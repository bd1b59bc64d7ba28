#pragma once

#include <QObject>

namespace lettergate {

// The identity a hot key is registered under: a four-character signature and an id.
struct HotKeyId {
    quint32 signature = 0;
    quint32 id = 0;
    friend bool operator==(const HotKeyId &, const HotKeyId &) = default;
};

// System-wide key combinations. Key codes and modifiers use the stored trigger's
// encoding (virtual key codes, hot-key modifier bits); each backend translates.
class HotKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // False where the desktop lets no program register combinations at all, so that a
    // refusal means no other program holds them.
    virtual bool isSupported() const { return true; }
    // False when the system refuses the combination (another client holds it).
    virtual bool registerHotKey(HotKeyId id, quint32 keyCode, quint32 modifiers) = 0;
    virtual void unregisterHotKey(HotKeyId id) = 0;

signals:
    // A registered combination was pressed anywhere; the keystroke went nowhere else.
    void pressed(HotKeyId id);
    // The keyboard's layout or modifier keys changed, after the backend has moved the
    // registrations it holds to the new keys. A combination that was refused may be
    // free now, and one that was held may have been lost.
    void keyboardMappingChanged();
};

} // namespace lettergate

Q_DECLARE_METATYPE(lettergate::HotKeyId)

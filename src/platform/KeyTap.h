#pragma once

#include <QObject>
#include <memory>

namespace lettergate {

// A listen-only view of the system-wide key stream: key-downs and modifier changes.
// It never alters, delays or swallows an event.
class KeyTapSession : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

signals:
    void keyDown();
    // The modifier flags after the change, in the trigger's key-event bit encoding
    // (see ModifierFlags in platform/KeyEncoding.h).
    void flagsChanged(quint64 flags);
    // The system switched the tap off; type is the reason's event type.
    void disabledBySystem(quint32 type);
};

class KeyTap {
public:
    virtual ~KeyTap() = default;
    // Nothing when the tap cannot be created (no permission, no input extension).
    virtual std::unique_ptr<KeyTapSession> create() = 0;
};

} // namespace lettergate

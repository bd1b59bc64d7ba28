#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "platform/KeyTap.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace lettergate {

class Clock;

// Recognises a double tap of one modifier: two clean presses no further apart than the
// interval, measured press to press, with no key-down in between. A press is clean when
// no other flag from bit 16 up is set (another modifier, caps lock, fn, numeric pad);
// that, and the key-down rule, keep shortcuts such as ⌘C followed by ⌘V from firing.
class DoubleTapDetector {
public:
    DoubleTapDetector(quint64 modifierFlag, double interval, const Clock &clock);

    // A key went down somewhere.
    void keyDown() { m_sawKeyDownSincePress = true; }
    // The modifier flags are now `flags`; true when this change completes a double tap.
    bool flagsChanged(quint64 flags);

private:
    const quint64 m_modifierFlag;
    const double m_interval;
    const Clock &m_clock;

    bool m_wasDown = false;
    // When the pending first tap was pressed; empty while no first tap is pending.
    std::optional<double> m_lastDownTime;
    bool m_sawKeyDownSincePress = false;
};

// Runs an action when one modifier key is tapped twice in quick succession, listening to
// the system-wide key stream without altering it. The system may switch the tap off
// (a slow listener, secure input): it is switched back on when the system says so, and
// a health check every two seconds catches the times it does not say so.
class DoubleModifierWatcher final : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    // The longest time from the first press to the second, in seconds.
    static constexpr double interval = 0.3;
    static constexpr std::chrono::milliseconds healthCheckInterval{2000};

    DoubleModifierWatcher(HotkeyConfig::ModifierKey modifier, Action action, KeyTap &keyTap, const Clock &clock,
                          QObject *parent = nullptr);
    ~DoubleModifierWatcher() override;

    // Creates and enables the tap and starts the health check. Without permission for
    // the tap the watcher logs why and stays inert; starting again does nothing.
    void start();
    // Undoes start; destroying the watcher does so too.
    void stop();
    // Whether start got the key stream: false before it, and when the tap could not be
    // created.
    bool isListening() const { return m_tap != nullptr; }

public slots:
    // The health timer's tick: switches a tap back on that the system switched off.
    void checkTapHealth();

private:
    void handleFlagsChanged(quint64 flags);
    void handleDisabledBySystem(quint32 type);

    const HotkeyConfig::ModifierKey m_modifier;
    const Action m_action;
    KeyTap &m_keyTap;
    DoubleTapDetector m_detector;
    std::unique_ptr<KeyTapSession> m_tap;
    QTimer m_healthTimer;
};

} // namespace lettergate

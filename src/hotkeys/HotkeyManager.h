#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/ReportedTaps.h"
#include "hotkeys/TriggerArmer.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace lettergate {

class Clock;
class DoubleModifierWatcher;
class GlobalHotkey;
class HotKeys;
class KeyTap;

// Whether the trigger last applied is in effect.
enum class TriggerState {
    Armed,       // pressing it opens the panel
    Taken,       // the combination is held by another program
    Unavailable, // nothing applied yet, a combination that would swallow typing, or no key stream
    // The desktop lets no program take combinations or hear the keyboard: its own key
    // bindings run `lettergate toggle`, or `lettergate tap` for a double tap. Nothing is
    // wrong, and nothing can be checked.
    DesktopBound,
};

// Owns the one active trigger of the application: a global key combination or a
// double-tap watcher, never both. Every apply tears the old trigger down before arming
// the new one, so the old one can never fire after a change was requested.
//
// A combination another program holds is tried again every few seconds and whenever
// the keyboard mapping changes, until it is taken or the trigger changes; the state
// says all along whether the trigger is in effect.
//
// A double tap is also timed on the taps the desktop reports (`lettergate tap`), on
// their own so that a tap heard and reported too never counts twice; on a desktop that
// binds keys itself they are all there is.
class HotkeyManager final : public QObject, public TriggerArmer {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    static constexpr std::chrono::seconds retryInterval{3};

    HotkeyManager(HotKeys &hotKeys, KeyTap &keyTap, const Clock &clock, QObject *parent = nullptr);
    ~HotkeyManager() override;

    HotkeyManager(const HotkeyManager &) = delete;
    HotkeyManager &operator=(const HotkeyManager &) = delete;

    // What a fired trigger runs. Until it is set, apply arms nothing. Takes effect at
    // the next apply.
    void setOnTrigger(Action onTrigger) { m_onTrigger = std::move(onTrigger); }

    // Disarms the current trigger, then arms `config` (when an action is set).
    void apply(const HotkeyConfig &config) override;

    // The trigger last armed or tried; nothing while no action is set.
    const std::optional<HotkeyConfig> &trigger() const { return m_trigger; }
    TriggerState state() const { return m_state; }
    // Tries again to arm a trigger that is not in effect; does nothing to one that is.
    void retry();

    // Whether the desktop binds keys itself, so that Lettergate neither takes combinations
    // nor hears the keyboard (the platform has no hot keys at all).
    bool desktopBindsKeys() const;
    // A tap of `modifier` the desktop reported: it counts toward a double tap of that
    // modifier when that is the trigger, and is otherwise ignored (one log line a trigger).
    void reportTap(HotkeyConfig::ModifierKey modifier);

signals:
    // The state or the trigger changed.
    void stateChanged();

private:
    using Snapshot = std::pair<std::optional<HotkeyConfig>, TriggerState>;
    Snapshot snapshot() const { return {m_trigger, m_state}; }
    // Emits stateChanged when the trigger or its state differ from `before`.
    void reportChange(const Snapshot &before);

    void disarm();
    // Arms m_trigger and sets the state to what came of it.
    void arm();
    void armCombo(const HotkeyConfig &config);
    void armDoubleTap(const HotkeyConfig &config);
    // Runs the action for a double tap, unless one fired less than an interval ago: the
    // same double tap heard and reported.
    void fireDoubleTap();
    void rearm();
    void rearmAfterMappingChange();

    HotKeys &m_hotKeys;
    KeyTap &m_keyTap;
    const Clock &m_clock;
    Action m_onTrigger;
    std::optional<HotkeyConfig> m_trigger;
    TriggerState m_state = TriggerState::Unavailable;
    // What the log last said of the current trigger, so that a retry that fails again,
    // or one that succeeds again, says nothing new.
    std::optional<TriggerState> m_logged;
    std::unique_ptr<GlobalHotkey> m_combo;
    std::unique_ptr<DoubleModifierWatcher> m_doubleWatcher;
    ReportedTaps m_reportedTaps;
    std::unique_ptr<DoubleModifierWatcher> m_reportedTapWatcher;
    std::optional<double> m_lastDoubleTapTime;
    bool m_toldOfIgnoredTaps = false;
    QTimer m_retryTimer;
};

} // namespace lettergate

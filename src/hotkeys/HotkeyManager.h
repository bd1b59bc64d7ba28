#pragma once

#include "hotkeys/TriggerArmer.h"

#include <functional>
#include <memory>

class Clock;
class DoubleModifierWatcher;
class GlobalHotkey;
class HotKeys;
class KeyTap;

// Owns the one active trigger of the application: a global key combination or a
// double-tap watcher, never both. Every apply tears the old trigger down before arming
// the new one, so the old one can never fire after a change was requested.
class HotkeyManager final : public TriggerArmer {
public:
    using Action = std::function<void()>;

    // The instance the application uses, over the installed platform. Created on first
    // use and never destroyed: the platform it holds on to may be gone by then.
    static HotkeyManager &shared();

    HotkeyManager(HotKeys &hotKeys, KeyTap &keyTap, const Clock &clock);
    ~HotkeyManager() override;

    HotkeyManager(const HotkeyManager &) = delete;
    HotkeyManager &operator=(const HotkeyManager &) = delete;

    // What a fired trigger runs. Until it is set, apply arms nothing. Takes effect at
    // the next apply.
    void setOnTrigger(Action onTrigger) { m_onTrigger = std::move(onTrigger); }

    // Disarms the current trigger, then arms `config` (when an action is set).
    void apply(const HotkeyConfig &config) override;

private:
    void disarm();
    void armCombo(const HotkeyConfig &config);
    void armDoubleTap(const HotkeyConfig &config);

    HotKeys &m_hotKeys;
    KeyTap &m_keyTap;
    const Clock &m_clock;
    Action m_onTrigger;
    std::unique_ptr<GlobalHotkey> m_combo;
    std::unique_ptr<DoubleModifierWatcher> m_doubleWatcher;
};

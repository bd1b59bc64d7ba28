#include "hotkeys/HotkeyManager.h"

#include "hotkeys/DoubleModifierWatcher.h"
#include "hotkeys/GlobalHotkey.h"
#include "platform/HotKeys.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace {
const QString registeredPrefix = QStringLiteral("hotkey registered:");
}

HotkeyManager &HotkeyManager::shared()
{
    static HotkeyManager *const instance = [] {
        Platform &platform = Platform::current();
        return new HotkeyManager(platform.hotKeys(), platform.keyTap(), platform.clock());
    }();
    return *instance;
}

HotkeyManager::HotkeyManager(HotKeys &hotKeys, KeyTap &keyTap, const Clock &clock, QObject *parent)
    : QObject(parent), m_hotKeys(hotKeys), m_keyTap(keyTap), m_clock(clock)
{
    m_retryTimer.setInterval(retryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, &HotkeyManager::retry);
    connect(&hotKeys, &HotKeys::keyboardMappingChanged, this, &HotkeyManager::rearmAfterMappingChange);
}

HotkeyManager::~HotkeyManager()
{
    disarm();
}

void HotkeyManager::apply(const HotkeyConfig &config)
{
    const Snapshot before = snapshot();
    disarm();
    m_trigger.reset();
    m_logged.reset();
    if (m_onTrigger)
        m_trigger = config;
    arm();
    reportChange(before);
}

void HotkeyManager::retry()
{
    if (m_state == TriggerState::Armed || !m_trigger)
        return;
    rearm();
}

void HotkeyManager::rearmAfterMappingChange()
{
    // Also when armed: the backend drops a grab it could not move to the new keys.
    if (m_trigger && m_trigger->kind() == HotkeyConfig::Kind::Combo)
        rearm();
}

void HotkeyManager::rearm()
{
    const Snapshot before = snapshot();
    disarm();
    arm();
    reportChange(before);
}

void HotkeyManager::reportChange(const Snapshot &before)
{
    if (snapshot() != before)
        emit stateChanged();
}

void HotkeyManager::disarm()
{
    // Destroying a trigger releases what it holds: the registration, or the tap.
    m_combo.reset();
    m_doubleWatcher.reset();
}

void HotkeyManager::arm()
{
    if (!m_trigger) {
        m_state = TriggerState::Unavailable;
        return;
    }
    switch (m_trigger->kind()) {
    case HotkeyConfig::Kind::Combo:
        armCombo(*m_trigger);
        break;
    case HotkeyConfig::Kind::DoubleModifier:
        armDoubleTap(*m_trigger);
        break;
    }
    // Only a taken combination comes free by itself; a missing key stream does not,
    // and retrying it would only repeat its warning.
    if (m_state == TriggerState::Taken)
        m_retryTimer.start();
    else
        m_retryTimer.stop();
}

void HotkeyManager::armCombo(const HotkeyConfig &config)
{
    // The recorder and the settings file refuse such a combination already; whatever
    // else asks, it is never grabbed.
    if (config.canSwallowTyping()) {
        if (m_logged != TriggerState::Unavailable)
            Log::warning(QStringLiteral("the trigger %1 holds none of Ctrl, Alt, Super and would swallow typing; "
                                        "it is not armed")
                             .arg(config.logName()));
        m_logged = m_state = TriggerState::Unavailable;
        return;
    }
    m_combo = GlobalHotkey::create(m_hotKeys, config.keyCode(), config.carbonModifiers(), m_onTrigger);
    const TriggerState state = m_combo                   ? TriggerState::Armed
                               : m_hotKeys.isSupported() ? TriggerState::Taken
                                                         : TriggerState::Unavailable;
    if (m_logged != state) {
        if (m_combo)
            Log::info(registeredPrefix + config.logName());
        else
            Log::warning(QStringLiteral("chord registration failed"));
        m_logged = state;
    }
    m_state = state;
}

void HotkeyManager::armDoubleTap(const HotkeyConfig &config)
{
    m_doubleWatcher = std::make_unique<DoubleModifierWatcher>(config.modifier(), m_onTrigger, m_keyTap, m_clock);
    m_doubleWatcher->start();
    // Written even when the tap could not be created: the watcher has logged why, and
    // the state says the trigger is not in effect.
    Log::info(registeredPrefix + config.logName() + QStringLiteral(" (requires accessibility permission)"));
    m_state = m_doubleWatcher->isListening() ? TriggerState::Armed : TriggerState::Unavailable;
}

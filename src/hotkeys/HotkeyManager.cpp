#include "hotkeys/HotkeyManager.h"

#include "hotkeys/DoubleModifierWatcher.h"
#include "hotkeys/GlobalHotkey.h"
#include "hotkeys/HotkeyConfig.h"
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

HotkeyManager::HotkeyManager(HotKeys &hotKeys, KeyTap &keyTap, const Clock &clock)
    : m_hotKeys(hotKeys), m_keyTap(keyTap), m_clock(clock)
{
}

HotkeyManager::~HotkeyManager()
{
    disarm();
}

void HotkeyManager::apply(const HotkeyConfig &config)
{
    disarm();
    if (!m_onTrigger)
        return;
    switch (config.kind()) {
    case HotkeyConfig::Kind::Combo:
        armCombo(config);
        break;
    case HotkeyConfig::Kind::DoubleModifier:
        armDoubleTap(config);
        break;
    }
}

void HotkeyManager::disarm()
{
    // Destroying a trigger releases what it holds: the registration, or the tap.
    m_combo.reset();
    m_doubleWatcher.reset();
}

void HotkeyManager::armCombo(const HotkeyConfig &config)
{
    m_combo = GlobalHotkey::create(m_hotKeys, config.keyCode(), config.carbonModifiers(), m_onTrigger);
    if (!m_combo) {
        // No retry and no fallback combination: the trigger stays unarmed until the
        // user picks another one.
        Log::warning(QStringLiteral("chord registration failed"));
        return;
    }
    Log::info(registeredPrefix + config.logName());
}

void HotkeyManager::armDoubleTap(const HotkeyConfig &config)
{
    m_doubleWatcher = std::make_unique<DoubleModifierWatcher>(config.modifier(), m_onTrigger, m_keyTap, m_clock);
    m_doubleWatcher->start();
    // Written even when the tap could not be created: the watcher has logged why, and
    // the trigger stays chosen until the permission is granted and it is applied again.
    Log::info(registeredPrefix + config.logName() + QStringLiteral(" (requires accessibility permission)"));
}

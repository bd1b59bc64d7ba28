#include "hotkeys/HotkeyManager.h"

#include "hotkeys/DoubleModifierWatcher.h"
#include "hotkeys/GlobalHotkey.h"
#include "platform/Clock.h"
#include "platform/HotKeys.h"
#include "platform/Log.h"

namespace lettergate {

namespace {
const QString registeredPrefix = QStringLiteral("hotkey registered:");
}

HotkeyManager::HotkeyManager(HotKeys &hotKeys, KeyTap &keyTap, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_hotKeys(hotKeys)
    , m_keyTap(keyTap)
    , m_clock(clock)
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
    m_toldOfIgnoredTaps = false;
    if (m_onTrigger)
        m_trigger = config;
    arm();
    reportChange(before);
}

void HotkeyManager::retry()
{
    if (m_state == TriggerState::Armed || m_state == TriggerState::DesktopBound || !m_trigger)
        return;
    rearm();
}

bool HotkeyManager::desktopBindsKeys() const
{
    return !m_hotKeys.isSupported();
}

void HotkeyManager::reportTap(HotkeyConfig::ModifierKey modifier)
{
    if (m_reportedTapWatcher && m_trigger->modifier() == modifier) {
        m_reportedTaps.report(modifier);
        return;
    }
    if (m_toldOfIgnoredTaps)
        return;
    m_toldOfIgnoredTaps = true;
    qCInfo(lcHotkeys).noquote() << QStringLiteral("ignoring taps of %1 reported by the desktop: the trigger is %2")
                                       .arg(ModifierKeys::readableName(modifier),
                                            m_trigger ? m_trigger->readableName() : QStringLiteral("not armed yet"));
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
    m_reportedTapWatcher.reset();
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
    if (desktopBindsKeys()) {
        if (m_logged != TriggerState::DesktopBound)
            qCInfo(lcHotkeys).noquote() << QStringLiteral(
                "this desktop binds keys itself: bind `lettergate toggle` to a key in its "
                "settings (Settings shows how)");
        m_logged = m_state = TriggerState::DesktopBound;
        return;
    }
    // The recorder and the settings file refuse such a combination already; whatever
    // else asks, it is never grabbed.
    if (config.canSwallowTyping()) {
        if (m_logged != TriggerState::Unavailable)
            qCWarning(lcHotkeys).noquote()
                << QStringLiteral("the trigger %1 holds none of Ctrl, Alt, Super and would swallow typing; "
                                  "it is not armed")
                       .arg(config.logName());
        m_logged = m_state = TriggerState::Unavailable;
        return;
    }
    m_combo = GlobalHotkey::create(m_hotKeys, config.keyCode(), config.carbonModifiers(), m_onTrigger);
    const TriggerState state = m_combo                   ? TriggerState::Armed
                               : m_hotKeys.isSupported() ? TriggerState::Taken
                                                         : TriggerState::Unavailable;
    if (m_logged != state) {
        if (m_combo)
            qCInfo(lcHotkeys).noquote() << registeredPrefix + config.logName();
        else
            qCWarning(lcHotkeys).noquote() << QStringLiteral("chord registration failed");
        m_logged = state;
    }
    m_state = state;
}

void HotkeyManager::armDoubleTap(const HotkeyConfig &config)
{
    const auto fire = [this] { fireDoubleTap(); };
    m_reportedTapWatcher = std::make_unique<DoubleModifierWatcher>(config.modifier(), fire, m_reportedTaps, m_clock);
    m_reportedTapWatcher->start();
    if (desktopBindsKeys()) {
        qCInfo(lcHotkeys).noquote()
            << QStringLiteral("this desktop binds keys itself: %1 works through `lettergate tap %2` bound to the "
                              "release of %3 in its settings (Settings shows how)")
                   .arg(config.readableName(), ModifierKeys::commandLineName(config.modifier()),
                        ModifierKeys::readableName(config.modifier()));
        m_state = TriggerState::DesktopBound;
        return;
    }
    m_doubleWatcher = std::make_unique<DoubleModifierWatcher>(config.modifier(), fire, m_keyTap, m_clock);
    m_doubleWatcher->start();
    // Written even when the tap could not be created: the watcher has logged why, and
    // the state says the trigger is not in effect.
    qCInfo(lcHotkeys).noquote() << registeredPrefix + config.logName()
                                       + QStringLiteral(" (requires accessibility permission)");
    m_state = m_doubleWatcher->isListening() ? TriggerState::Armed : TriggerState::Unavailable;
}

void HotkeyManager::fireDoubleTap()
{
    const double now = m_clock.uptime();
    if (m_lastDoubleTapTime && now - *m_lastDoubleTapTime < DoubleModifierWatcher::interval)
        return;
    m_lastDoubleTapTime = now;
    // The action may re-arm the trigger, and so destroy the watcher that called this.
    if (const Action action = m_onTrigger)
        action();
}

} // namespace lettergate

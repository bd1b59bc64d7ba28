#include "hotkeys/DoubleModifierWatcher.h"

#include "platform/Clock.h"
#include "platform/Log.h"

namespace lettergate {

DoubleTapDetector::DoubleTapDetector(quint64 modifierFlag, double interval, const Clock &clock)
    : m_modifierFlag(modifierFlag)
    , m_interval(interval)
    , m_clock(clock)
{
}

bool DoubleTapDetector::flagsChanged(quint64 flags)
{
    const bool down = flags & m_modifierFlag;
    // Releases, repeats and other keys' changes while the modifier is held are no press.
    if (!down || m_wasDown) {
        m_wasDown = down;
        return false;
    }
    m_wasDown = true;

    const bool sawKeyDown = m_sawKeyDownSincePress;
    m_sawKeyDownSincePress = false;

    const bool clean = (flags & ModifierFlags::deviceIndependentAndAbove & ~m_modifierFlag) == 0;
    if (!clean) {
        m_lastDownTime.reset();
        return false;
    }
    const double now = m_clock.uptime();
    if (m_lastDownTime && now - *m_lastDownTime <= m_interval && !sawKeyDown) {
        // A third tap starts a new pair rather than completing another one.
        m_lastDownTime.reset();
        return true;
    }
    m_lastDownTime = now;
    return false;
}

DoubleModifierWatcher::DoubleModifierWatcher(HotkeyConfig::ModifierKey modifier, Action action, KeyTap &keyTap,
                                             const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_modifier(modifier)
    , m_action(std::move(action))
    , m_keyTap(keyTap)
    , m_detector(ModifierKeys::flag(modifier), interval, clock)
{
    m_healthTimer.setInterval(healthCheckInterval);
    connect(&m_healthTimer, &QTimer::timeout, this, &DoubleModifierWatcher::checkTapHealth);
}

DoubleModifierWatcher::~DoubleModifierWatcher()
{
    stop();
}

void DoubleModifierWatcher::start()
{
    if (m_tap)
        return;
    m_tap = m_keyTap.create();
    if (!m_tap) {
        qCWarning(lcHotkeys).noquote() << QStringLiteral(
            "double-tap watcher: CGEventTap creation failed (check accessibility permission)");
        return;
    }
    connect(m_tap.get(), &KeyTapSession::flagsChanged, this, &DoubleModifierWatcher::handleFlagsChanged);
    connect(m_tap.get(), &KeyTapSession::keyDown, this, [this] { m_detector.keyDown(); });
    connect(m_tap.get(), &KeyTapSession::disabledBySystem, this, &DoubleModifierWatcher::handleDisabledBySystem);
    m_tap->setEnabled(true);
    m_healthTimer.start();
}

void DoubleModifierWatcher::stop()
{
    m_healthTimer.stop();
    if (m_tap) {
        m_tap->setEnabled(false);
        m_tap.reset();
    }
}

void DoubleModifierWatcher::checkTapHealth()
{
    if (!m_tap || m_tap->isEnabled())
        return;
    qCWarning(lcHotkeys).noquote() << QStringLiteral("double-tap watchdog: tap was disabled → re-enabling");
    m_tap->setEnabled(true);
}

void DoubleModifierWatcher::handleFlagsChanged(quint64 flags)
{
    if (!m_detector.flagsChanged(flags))
        return;
    qCDebug(lcHotkeys).noquote()
        << QStringLiteral("double-tap %1 detected → trigger").arg(ModifierKeys::rawValue(m_modifier));
    // The action may re-arm the trigger and so destroy this watcher; run a copy that
    // outlives it, and touch nothing afterwards.
    if (const Action action = m_action)
        action();
}

void DoubleModifierWatcher::handleDisabledBySystem(quint32 type)
{
    qCWarning(lcHotkeys).noquote() << QStringLiteral("double-tap tap disabled (type=%1) → re-enabling").arg(type);
    m_tap->setEnabled(true);
}

} // namespace lettergate

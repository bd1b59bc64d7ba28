#include "hotkeys/TriggerAlerts.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/Notifications.h"

namespace lettergate {

QString triggerProblem(const HotkeyManager &manager)
{
    const std::optional<HotkeyConfig> &trigger = manager.trigger();
    if (!trigger)
        return {};
    switch (manager.state()) {
    case TriggerState::Armed:
    case TriggerState::DesktopBound:
        return {};
    case TriggerState::Taken:
        return QStringLiteral("%1 is taken by another program").arg(trigger->readableName());
    case TriggerState::Unavailable:
        return QStringLiteral("%1 cannot work: this desktop does not let Lettergate listen to the keyboard")
            .arg(trigger->readableName());
    }
    return {};
}

TriggerAlerts::TriggerAlerts(HotkeyManager &manager, Notifications &notifications, QObject *parent)
    : QObject(parent)
    , m_manager(manager)
    , m_notifications(notifications)
{
    connect(&manager, &HotkeyManager::stateChanged, this, &TriggerAlerts::update);
    update();
}

void TriggerAlerts::update()
{
    const std::optional<HotkeyConfig> &trigger = m_manager.trigger();
    if (!trigger) {
        m_reported.reset();
        return;
    }
    if (triggerProblem(m_manager).isEmpty()) {
        // Only the trigger the user was warned about "works again"; a new one just works.
        if (m_reported == trigger && m_manager.state() == TriggerState::Armed)
            m_notifications.notify(QStringLiteral("Lettergate's trigger works again"),
                                   QStringLiteral("%1 opens Lettergate again.").arg(trigger->readableName()));
        m_reported.reset();
        return;
    }
    if (m_reported == trigger)
        return;
    m_reported = trigger;
    const QString next = m_manager.state() == TriggerState::Taken
                             ? QStringLiteral("Lettergate tries again every few seconds; you can also pick "
                                              "another trigger in Settings.")
                             : QStringLiteral("Bind the command `lettergate toggle` to a key in the "
                                              "desktop's own settings instead.");
    m_notifications.notify(QStringLiteral("Lettergate's trigger does not work"),
                           triggerProblem(m_manager) + QStringLiteral(". ") + next);
}

} // namespace lettergate

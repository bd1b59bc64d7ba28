#pragma once

#include "hotkeys/HotkeyConfig.h"

#include <QObject>
#include <optional>

namespace lettergate {

class HotkeyManager;
class Notifications;

// What a person reads when the trigger is not in effect: "Ctrl+Alt+W is taken by
// another program". The notification, the tray and Settings all say it so. Empty while
// the trigger is in effect, is the desktop's to bind, or none is set.
QString triggerProblem(const HotkeyManager &manager);

// Tells the user by a desktop notification when the trigger stops being in effect (once
// for each trigger, however often it is tried again) and when it works again.
class TriggerAlerts final : public QObject {
    Q_OBJECT
public:
    TriggerAlerts(HotkeyManager &manager, Notifications &notifications, QObject *parent = nullptr);

private:
    void update();

    HotkeyManager &m_manager;
    Notifications &m_notifications;
    // The trigger the user was last told does not work.
    std::optional<HotkeyConfig> m_reported;
};

} // namespace lettergate

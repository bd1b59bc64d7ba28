#pragma once

#include "platform/Notifications.h"

#include <QObject>

namespace lettergate {

// Notifications through the freedesktop notification service on the session bus.
// Calls are sent without waiting for the reply, so a slow or absent server never
// holds up the caller; an error reply is logged once.
class DBusNotifications final : public Notifications {
public:
    void notify(const QString &summary, const QString &body) override;

private:
    void send(const QString &summary, const QString &body);

    bool m_failureLogged = false;
    // Parent of the calls still waiting for their reply, so none outlives this object.
    QObject m_pendingCalls;
};

} // namespace lettergate

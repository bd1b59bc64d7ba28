#pragma once

#include "platform/Notifications.h"

#include <QList>

namespace lettergate {

// Keeps every notification shown, in order.
class FakeNotifications final : public Notifications {
public:
    struct Shown {
        QString summary;
        QString body;
    };

    void notify(const QString &summary, const QString &body) override { shown.append({summary, body}); }

    QList<Shown> shown;
};

} // namespace lettergate

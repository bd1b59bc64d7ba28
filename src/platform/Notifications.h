#pragma once

#include <QString>

namespace lettergate {

// Desktop notifications: how a failure reaches the user when none of our windows is
// open and the bell may be muted.
class Notifications {
public:
    virtual ~Notifications() = default;
    // Shows one notification and returns at once. Without a notification server
    // nothing is shown; callers keep their other signs (the tray, Settings) for that.
    virtual void notify(const QString &summary, const QString &body) = 0;
};

} // namespace lettergate

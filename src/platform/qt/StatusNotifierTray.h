#pragma once

#include "platform/SystemTray.h"

#include <QDBusServiceWatcher>

// The system tray of a Wayland desktop: the status-notifier watcher on the session bus
// (org.kde.StatusNotifierWatcher), which Qt shows its tray icon through where no X
// system tray exists. Follows the watcher's owner as it comes and goes.
class StatusNotifierTray final : public SystemTray {
    Q_OBJECT
public:
    explicit StatusNotifierTray(QObject *parent = nullptr);

    bool isPresent() const override { return m_present; }

private:
    void setPresent(bool present);

    QDBusServiceWatcher m_watcher;
    bool m_present = false;
};

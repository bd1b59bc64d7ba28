#pragma once

#include "platform/SystemTray.h"

#include <QDBusServiceWatcher>

namespace lettergate {

// The system tray of a Wayland desktop: the status-notifier watcher on the session bus
// (org.kde.StatusNotifierWatcher), which Qt shows its tray icon through where no X
// system tray exists. Qt looks for the watcher once, when the icon is made, and never
// shows through it an icon made while none ran: the tray is present for us while a
// watcher runs, and only if one ran when our icon was made.
class StatusNotifierTray final : public SystemTray {
    Q_OBJECT
public:
    explicit StatusNotifierTray(QObject *parent = nullptr);

    bool isPresent() const override { return m_watcherRuns && m_ranWhenIconMade; }
    bool showsIconsMadeBeforeIt() const override { return false; }
    void iconMade() override;

private:
    static bool watcherRunsNow();
    // Reports the presence when it changes.
    void setState(bool watcherRuns, bool ranWhenIconMade);

    QDBusServiceWatcher m_watcher;
    bool m_watcherRuns = false;
    bool m_ranWhenIconMade = false;
};

} // namespace lettergate

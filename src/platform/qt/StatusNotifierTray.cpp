#include "platform/qt/StatusNotifierTray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace lettergate {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

} // namespace

StatusNotifierTray::StatusNotifierTray(QObject *parent)
    : SystemTray(parent)
    , m_watcher(watcherService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
    , m_watcherRuns(watcherRunsNow())
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { setState(true, m_ranWhenIconMade); });
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { setState(false, m_ranWhenIconMade); });
}

void StatusNotifierTray::iconMade()
{
    // Asked now, as Qt asks while making the icon, not from a report that may lag.
    const bool runs = watcherRunsNow();
    setState(runs, runs);
}

bool StatusNotifierTray::watcherRunsNow()
{
    const QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(watcherService).value();
}

void StatusNotifierTray::setState(bool watcherRuns, bool ranWhenIconMade)
{
    const bool wasPresent = isPresent();
    m_watcherRuns = watcherRuns;
    m_ranWhenIconMade = ranWhenIconMade;
    if (isPresent() != wasPresent)
        emit presenceChanged(isPresent());
}

} // namespace lettergate

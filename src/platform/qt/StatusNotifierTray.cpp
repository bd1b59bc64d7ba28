#include "platform/qt/StatusNotifierTray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

} // namespace

StatusNotifierTray::StatusNotifierTray(QObject *parent)
    : SystemTray(parent)
    , m_watcher(watcherService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { setPresent(true); });
    connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setPresent(false); });
    const QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    m_present = bus && bus->isServiceRegistered(watcherService).value();
}

void StatusNotifierTray::setPresent(bool present)
{
    if (present == m_present)
        return;
    m_present = present;
    emit presenceChanged(present);
}

#include "platform/qt/DBusNotifications.h"

#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
// The server's default display time.
constexpr qint32 serverDefaultTimeout = -1;
}

void DBusNotifications::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (!m_failureLogged)
            Log::info(QStringLiteral("no session bus: desktop notifications are not shown"));
        m_failureLogged = true;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    call << QStringLiteral("Lettergate") << quint32(0) << QStringLiteral("lettergate") << summary << body
         << QStringList() << QVariantMap() << serverDefaultTimeout;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), &m_pendingCalls);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        if (reply.isError() && !m_failureLogged) {
            m_failureLogged = true;
            Log::info(QStringLiteral("desktop notification not shown: ") + reply.error().message());
        }
    });
}

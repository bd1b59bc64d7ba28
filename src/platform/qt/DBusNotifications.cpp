#include "platform/qt/DBusNotifications.h"

#include "platform/Log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace lettergate {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
// The server's default display time.
constexpr qint32 serverDefaultTimeout = -1;
} // namespace

void DBusNotifications::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (!m_failureLogged)
            qCInfo(lcPlatform).noquote() << QStringLiteral("no session bus: desktop notifications are not shown");
        m_failureLogged = true;
        return;
    }
    // A body is often a command's output: a server that reads markup in it would swallow
    // "<…>" and garble "&", so it is escaped for such servers only (the others would
    // show the entities as they are). The server is asked each time: notifications are
    // rare, and the server may have been replaced since the last one.
    auto *capabilities = new QDBusPendingCallWatcher(
        bus.asyncCall(QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetCapabilities"))),
        &m_pendingCalls);
    QObject::connect(capabilities, &QDBusPendingCallWatcher::finished, capabilities,
                     [this, capabilities, summary, body] {
                         capabilities->deleteLater();
                         const QDBusPendingReply<QStringList> reply = *capabilities;
                         const bool readsMarkup = reply.isValid()
                                                  && reply.value().contains(QStringLiteral("body-markup"));
                         send(summary, readsMarkup ? body.toHtmlEscaped() : body);
                     });
}

void DBusNotifications::send(const QString &summary, const QString &body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    call << QStringLiteral("Lettergate") << quint32(0) << QStringLiteral("lettergate") << summary << body
         << QStringList() << QVariantMap() << serverDefaultTimeout;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), &m_pendingCalls);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        if (reply.isError() && !m_failureLogged) {
            m_failureLogged = true;
            qCInfo(lcPlatform).noquote() << QStringLiteral("desktop notification not shown: ")
                                                + reply.error().message();
        }
    });
}

} // namespace lettergate

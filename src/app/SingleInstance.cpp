#include "app/SingleInstance.h"

#include "platform/Log.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
constexpr int connectTimeoutMs = 500;
// A request is one short line; anything longer is not ours.
constexpr qint64 maximumRequestLength = 256;
} // namespace

QString SingleInstance::socketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/lettergate.socket");
    return QDir::tempPath() + QStringLiteral("/lettergate-%1.socket").arg(getuid());
}

bool SingleInstance::sendToRunning(const QString &request)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(request.toUtf8() + '\n');
    socket.flush();
    socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    // Only this user may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
}

bool SingleInstance::listen()
{
    // Nobody answered on the socket, so whatever is left there belongs to an instance
    // that died.
    QLocalServer::removeServer(socketPath());
    if (m_server->listen(socketPath()))
        return true;
    Log::warning(QStringLiteral("cannot listen on %1: %2").arg(socketPath(), m_server->errorString()));
    return false;
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > maximumRequestLength)
                    socket->abort();
                return;
            }
            const QString request = QString::fromUtf8(socket->readLine(maximumRequestLength)).trimmed();
            socket->disconnectFromServer();
            emit requestReceived(request);
        });
    }
}

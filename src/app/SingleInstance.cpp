#include "app/SingleInstance.h"

#include "app/RequestProtocol.h"
#include "platform/Log.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <unistd.h>

namespace {
constexpr int connectTimeoutMs = 500;
// The first opening of the panel builds it; listing windows asks the X server.
constexpr int replyTimeoutMs = 10000;
// A reply longer than this (a window list of thousands of windows) is cut off.
constexpr qsizetype maximumReplyLength = 4 * 1024 * 1024;
// A client that has not sent its line by then, or not taken its reply, is dropped.
constexpr int requestTimeoutMs = 2000;
constexpr int replyDeliveryTimeoutMs = 10000;
// Connections served at once; more are refused, so a flood cannot pile them up.
constexpr int maximumOpenConnections = 8;
void drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

} // namespace

QString SingleInstance::socketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/lettergate.socket");
    return QDir::tempPath() + QStringLiteral("/lettergate-%1.socket").arg(getuid());
}

std::optional<QByteArray> SingleInstance::ask(const QString &request)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectTimeoutMs))
        return std::nullopt;
    socket.write(request.toUtf8() + '\n');
    QByteArray reply;
    // The instance closes the connection once its reply is written.
    while (reply.size() < maximumReplyLength && socket.state() == QLocalSocket::ConnectedState
           && socket.waitForReadyRead(replyTimeoutMs))
        reply += socket.readAll();
    reply += socket.readAll();
    return reply.left(maximumReplyLength);
}

SingleInstance::SingleInstance(Responder respond, QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_respond(std::move(respond))
{
    // Only this user may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
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

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_openConnections >= maximumOpenConnections) {
            drop(socket);
            continue;
        }
        ++m_openConnections;
        connect(socket, &QObject::destroyed, this, [this] { --m_openConnections; });
        serve(socket);
    }
}

void SingleInstance::serve(QLocalSocket *socket)
{
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] { drop(socket); });
    deadline->start(requestTimeoutMs);

    connect(socket, &QLocalSocket::readyRead, this, [this, socket, deadline] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > RequestProtocol::maximumRequestLength)
                drop(socket);
            return;
        }
        const QString request
            = QString::fromUtf8(socket->readLine(RequestProtocol::maximumRequestLength)).trimmed();
        // One request per connection: whatever follows it is not read.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        socket->write(m_respond(request));
        // Written out now, so the reply leaves even when the request was to quit.
        socket->flush();
        deadline->start(replyDeliveryTimeoutMs);
        socket->disconnectFromServer();
    });
}

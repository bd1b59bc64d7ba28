#include "app/SingleInstance.h"

#include "app/InstanceFolder.h"
#include "app/RequestProtocol.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <sys/socket.h>

namespace lettergate {

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
// How often a start that cannot take the lock tries again.
constexpr int claimRetryMs = 100;

void drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

QString socketIn(const QString &folder)
{
    return folder + QStringLiteral("/lettergate.socket");
}

// The user of the process at the other end of a connected local socket, as the kernel
// recorded it when the connection was made.
std::optional<uid_t> peerUser(const QLocalSocket &socket)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

QString userName(std::optional<uid_t> user)
{
    return user ? QStringLiteral("user %1").arg(*user) : QStringLiteral("an unknown user");
}

} // namespace

std::optional<QByteArray> SingleInstance::ask(const QString &request, QString *whyNot, uid_t peerOwner)
{
    const std::optional<QString> folder = InstanceFolder::locate();
    if (!folder) {
        if (whyNot)
            *whyNot = QStringLiteral("there is no private folder for its socket");
        return std::nullopt;
    }
    return askIn(*folder, request, whyNot, peerOwner);
}

std::optional<QByteArray> SingleInstance::askIn(const QString &folder, const QString &request, QString *whyNot,
                                                uid_t peerOwner)
{
    const QString path = socketIn(folder);
    const auto noInstance = [whyNot](const QString &reason) {
        if (whyNot)
            *whyNot = reason;
        return std::nullopt;
    };
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectTimeoutMs))
        return noInstance(QStringLiteral("nothing answers on %1").arg(path));
    // Checked before the request leaves, so a stranger never learns what was asked.
    if (const std::optional<uid_t> peer = peerUser(socket); peer != peerOwner)
        return noInstance(QStringLiteral("what listens on %1 belongs to %2").arg(path, userName(peer)));
    socket.write(request.toUtf8() + '\n');
    QByteArray reply;
    // The instance closes the connection once its reply is written.
    while (reply.size() < maximumReplyLength && socket.state() == QLocalSocket::ConnectedState
           && socket.waitForReadyRead(replyTimeoutMs))
        reply += socket.readAll();
    reply += socket.readAll();
    reply.truncate(maximumReplyLength);
    if (!RequestProtocol::isWellFormed(reply))
        return noInstance(QStringLiteral("what listens on %1 gave no answer").arg(path));
    return reply;
}

SingleInstance::Claim SingleInstance::claim(int patienceMs)
{
    const std::optional<QString> folder = InstanceFolder::locate();
    if (!folder)
        return {nullptr, false, QStringLiteral("there is no private folder for the instance lock and socket")};
    auto lock = std::make_unique<InstanceLock>(*folder);
    const QDeadlineTimer patience(patienceMs);
    while (!lock->tryTake()) {
        if (!lock->error().isEmpty())
            return {nullptr, false, lock->error()};
        QString whyNot;
        if (askIn(*folder, QStringLiteral("settings"), &whyNot, ::geteuid()))
            return {nullptr, true, {}};
        if (patience.hasExpired()) {
            return {nullptr, false,
                    QStringLiteral("another Lettergate (process %1) holds %2/lettergate.lock but does not answer: %3")
                        .arg(lock->holder())
                        .arg(*folder, whyNot)};
        }
        QThread::msleep(claimRetryMs);
    }
    return {std::move(lock), false, {}};
}

SingleInstance::SingleInstance(Responder respond, uid_t peerOwner, QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_respond(std::move(respond))
    , m_peerOwner(peerOwner)
{
    // Only this user may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    // A start that asks while this instance is quitting (and writing what is pending)
    // must not be told it was handed over: it finds nobody listening and waits for the
    // lock instead.
    connect(qApp, &QCoreApplication::aboutToQuit, m_server, &QLocalServer::close);
}

bool SingleInstance::listen(const InstanceLock &held)
{
    // Only the holder of the lock listens, so whatever is left there belongs to an
    // instance that died.
    const QString path = socketIn(held.folder());
    QLocalServer::removeServer(path);
    if (m_server->listen(path))
        return true;
    qCWarning(lcApp).noquote() << QStringLiteral("cannot listen on %1: %2").arg(path, m_server->errorString());
    return false;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (const std::optional<uid_t> peer = peerUser(*socket); peer != m_peerOwner) {
            qCWarning(lcApp).noquote()
                << QStringLiteral("refused a connection to the instance socket from %1").arg(userName(peer));
            drop(socket);
            continue;
        }
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
        const QString request = QString::fromUtf8(socket->readLine(RequestProtocol::maximumRequestLength)).trimmed();
        // One request per connection: whatever follows it is not read.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        socket->write(m_respond(request));
        // Written out now, so the reply leaves even when the request was to quit.
        socket->flush();
        deadline->start(replyDeliveryTimeoutMs);
        socket->disconnectFromServer();
    });
}

} // namespace lettergate

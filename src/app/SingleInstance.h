#pragma once

#include "app/InstanceLock.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <unistd.h>

class QLocalServer;
class QLocalSocket;

namespace lettergate {

// One Lettergate per user session. The instance holds the lock (InstanceLock) and
// listens on lettergate.socket in the private instance folder (InstanceFolder); a second
// start or a verb on the command line sends it one request line and waits for its reply
// (RequestProtocol). Both ends make sure the other belongs to the same user. Whoever
// connects is otherwise treated as a stranger: requests are bounded, a connection that
// says nothing is dropped after a while, and only a few connections are served at once.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Carries out one request and answers the reply to send back.
    using Responder = std::function<QByteArray(const QString &request)>;

    // Sends the request to the running instance and answers its reply: nothing when no
    // instance answered (nobody listens, the listener belongs to another user than
    // `peerOwner`, or its reply is empty or not one of ours), with the reason in whyNot.
    static std::optional<QByteArray> ask(const QString &request, QString *whyNot = nullptr,
                                         uid_t peerOwner = ::geteuid());

    // What a start of the program comes to: this process is the instance (it holds the
    // lock), or the running instance was asked to open Settings, or neither, for the
    // reason given.
    struct Claim {
        std::unique_ptr<InstanceLock> lock;
        bool handedOver = false;
        QString failure;
    };
    // Takes the lock, or else hands over to the instance holding it, trying again for up
    // to `patienceMs` while that one is still starting and not listening yet (or going,
    // when the lock may come free).
    static Claim claim(int patienceMs = 10000);

    // Serves requests from processes of `peerOwner` only (tests name another user to
    // play a stranger).
    explicit SingleInstance(Responder respond, uid_t peerOwner = ::geteuid(), QObject *parent = nullptr);
    // Starts listening in the folder of the lock (which must be held), in place of a
    // socket left by an instance that died; false (with a warning) when the socket
    // cannot be made.
    bool listen(const InstanceLock &held);

private:
    static std::optional<QByteArray> askIn(const QString &folder, const QString &request, QString *whyNot,
                                           uid_t peerOwner);
    void acceptConnections();
    void serve(QLocalSocket *socket);

    QLocalServer *m_server;
    Responder m_respond;
    uid_t m_peerOwner;
    int m_openConnections = 0;
};

} // namespace lettergate

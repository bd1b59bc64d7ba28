#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// One Lettergate per user session. The running instance listens on a private local
// socket; a second start or a verb on the command line sends it one request line and
// waits for its reply (RequestProtocol). Whoever connects is treated as a stranger:
// requests are bounded, a connection that says nothing is dropped after a while, and
// only a few connections are served at once.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Carries out one request and answers the reply to send back.
    using Responder = std::function<QByteArray(const QString &request)>;

    // $XDG_RUNTIME_DIR/lettergate.socket, or a per-user name in the temporary directory.
    static QString socketPath();

    // Sends the request to the running instance and answers its reply: nothing when no
    // instance listens; an empty reply when one listened but did not answer in time.
    static std::optional<QByteArray> ask(const QString &request);

    explicit SingleInstance(Responder respond, QObject *parent = nullptr);
    // Starts listening; false (with a warning) when the socket cannot be made.
    bool listen();

private:
    void acceptConnections();
    void serve(QLocalSocket *socket);

    QLocalServer *m_server;
    Responder m_respond;
    int m_openConnections = 0;
};

#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QLocalServer;

// One Lettergate per user session. The running instance listens on a private local
// socket; a second start hands its request (one line, e.g. "settings") to it and exits.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // $XDG_RUNTIME_DIR/lettergate.socket, or a per-user name in the temporary directory.
    static QString socketPath();

    // Delivers the request to the running instance; false when none answers.
    static bool sendToRunning(const QString &request);

    explicit SingleInstance(QObject *parent = nullptr);
    // Starts listening; false (with a warning) when the socket cannot be made.
    bool listen();

signals:
    void requestReceived(const QString &request);

private:
    void readRequest();

    QLocalServer *m_server;
};

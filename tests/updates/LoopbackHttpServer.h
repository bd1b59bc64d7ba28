#pragma once

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>

namespace lettergate {

// A real HTTP server on 127.0.0.1 for one test. Every request is answered by the test's
// script as soon as its head has arrived; the heads are recorded.
class LoopbackHttpServer : public QObject {
public:
    using Answer = std::function<void(QTcpSocket &socket)>;

    explicit LoopbackHttpServer(Answer answer, std::unique_ptr<QTcpServer> server = std::make_unique<QTcpServer>())
        : m_answer(std::move(answer))
        , m_server(std::move(server))
    {
        connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &LoopbackHttpServer::accept);
        if (!m_server->listen(QHostAddress::LocalHost))
            qFatal("cannot listen on 127.0.0.1: %s", qPrintable(m_server->errorString()));
    }

    QString baseUrl(const QString &scheme = QStringLiteral("http")) const
    {
        return QStringLiteral("%1://127.0.0.1:%2/v1").arg(scheme).arg(m_server->serverPort());
    }

    // The head of every request so far ("GET /v1/… HTTP/1.1\r\nHost: …"), in order.
    QList<QByteArray> requests;

    // A complete HTTP/1.1 response; the connection closes after it.
    static Answer respond(int status, const QByteArray &reason, const QByteArray &body,
                          const QByteArray &extraHeaders = {})
    {
        return send("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
                    + "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
                    + "\r\n" + extraHeaders + "Connection: close\r\n\r\n" + body);
    }
    static Answer json(const QByteArray &body) { return respond(200, "OK", body); }

    // Exactly these bytes, then the connection closes.
    static Answer send(const QByteArray &bytes)
    {
        return [bytes](QTcpSocket &socket) {
            socket.write(bytes);
            socket.disconnectFromHost();
        };
    }

    // These bytes, then nothing more, keeping the connection open.
    static Answer sendAndWait(const QByteArray &bytes)
    {
        return [bytes](QTcpSocket &socket) { socket.write(bytes); };
    }

    // Accepts the request and says nothing, keeping the connection open.
    static Answer silence() { return sendAndWait({}); }

    // head, then chunk after chunk for as long as the client keeps reading: a server
    // whose answer never ends.
    static Answer endless(const QByteArray &head, const QByteArray &chunk)
    {
        return [head, chunk](QTcpSocket &socket) {
            socket.write(head);
            const auto more = [&socket, chunk] {
                if (socket.bytesToWrite() < 4 * chunk.size())
                    socket.write(chunk);
            };
            QObject::connect(&socket, &QTcpSocket::bytesWritten, &socket, more);
            more();
        };
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto pending = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, pending] {
                *pending += socket->readAll();
                // GET requests have no body: each head ends a request.
                for (qsizetype end; (end = pending->indexOf("\r\n\r\n")) >= 0;) {
                    requests.append(pending->left(end));
                    pending->remove(0, end + 4);
                    m_answer(*socket);
                }
            });
        }
    }

    Answer m_answer;
    std::unique_ptr<QTcpServer> m_server;
};

} // namespace lettergate

#include "LoopbackHttpServer.h"
#include "TestCertificate.h"
#include "UpdateTesting.h"
#include "updates/ReleaseFetch.h"

#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTest>

using namespace lettergate;

using namespace std::chrono_literals;
using Server = LoopbackHttpServer;

namespace {

const auto tooLarge = UpdateResult::error(QStringLiteral("The update server's reply is larger than 1 MiB."));

// Writes chunk every interval for as long as the connection lasts, after head.
Server::Answer trickle(const QByteArray &head, const QByteArray &chunk, std::chrono::milliseconds interval)
{
    return [=](QTcpSocket &socket) {
        socket.write(head);
        auto *timer = new QTimer(&socket);
        QObject::connect(timer, &QTimer::timeout, &socket, [&socket, chunk] { socket.write(chunk); });
        timer->start(interval);
    };
}

} // namespace

// A broken or hostile release endpoint: whatever it sends, the check ends as an error,
// soon, without holding an unbounded reply.
class HostileEndpointTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QSslSocket::supportsSsl())
            return;
        // The client side trusts the loopback certificate, as it would a real server's.
        QSslConfiguration client = QSslConfiguration::defaultConfiguration();
        client.addCaCertificate(certificate());
        QSslConfiguration::setDefaultConfiguration(client);
    }

    // The deadline is far away: the fetch has to refuse on size, not time.
    void boundsTheBodyAtOneMebibyte()
    {
        // Padding is whitespace, so the limit itself is still a valid release.
        const QByteArray release = releaseJson("0");
        const QList<std::pair<Server::Answer, UpdateResult>> rows{
            {Server::sendAndWait("HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\n{"), tooLarge},
            {Server::respond(200, "OK", QByteArray(ReleaseFetch::maxBodyBytes + 1, ' ')), tooLarge},
            {Server::endless("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                             "10000\r\n" + QByteArray(0x10000, ' ') + "\r\n"),
             tooLarge},
            {Server::respond(200, "OK", release + QByteArray(ReleaseFetch::maxBodyBytes - release.size(), ' ')),
             UpdateResult::upToDate()},
            {Server::respond(200, "OK", qCompress(release).mid(4), "Content-Encoding: deflate\r\n"),
             UpdateResult::upToDate()},
        };
        for (const auto &[answer, expected] : rows) {
            Server server(answer);
            UpdateChecker checker(server.baseUrl(), 60s);
            QCOMPARE(runCheck(checker, 20000), expected);
        }
    }

    // Silence, or bytes that keep coming: only a deadline on the whole exchange ends these.
    void endsBySlowAnswersDeadline()
    {
        for (const Server::Answer &answer :
             {Server::silence(), trickle("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", " ", 50ms)}) {
            Server server(answer);
            UpdateChecker checker(server.baseUrl(), 600ms);
            QCOMPARE(runCheck(checker, 10000), UpdateResult::error(QStringLiteral("The request timed out.")));
        }
    }

    // Qt's HTTP parser rejects malformed replies in many ways; the check turns each into
    // the same kind of error, so one row stands for each kind.
    void turnsGarbageIntoErrors()
    {
        // A few kilobytes on the wire that would inflate to 8 MiB (qCompress prefixes the length).
        const QByteArray bomb = qCompress(QByteArray(8 << 20, ' '), 9).mid(4);
        const QList<std::pair<QByteArray, QString>> rows{
            {QByteArray("\x00\xff\x13\x37\r\n\r\n\x00", 9), "Connection closed"},
            {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"version\":", "Connection closed"},
            {"HTTP/1.1 999 Whatever\r\nContent-Length: 2\r\n\r\n{}",
             "The update server sent a bad response (HTTP 999 Whatever)."},
            {"HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: " + QByteArray::number(bomb.size())
                 + "\r\n\r\n" + bomb,
             "Decompression failed"},
        };
        for (const auto &[reply, message] : rows) {
            Server server(Server::send(reply));
            UpdateChecker checker(server.baseUrl(), 5s);
            const std::optional<UpdateResult> outcome = runCheck(checker);
            QVERIFY(outcome && outcome->isError());
            QVERIFY2(outcome->message().startsWith(message), qPrintable(outcome->message()));
        }
    }

    void neverFollowsARedirectFromHttpsToPlainHttp()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("no TLS backend");
        Server plain(Server::json(releaseJson("999.0")));
        Server downgrade(Server::respond(302, "Found", {},
                                         "Location: " + plain.baseUrl().toUtf8() + "/apps/lettergate/latest\r\n"),
                         tlsServer());
        UpdateChecker checker(downgrade.baseUrl(QStringLiteral("https")), 10s);
        QCOMPARE(runCheck(checker, 10000), UpdateResult::error(QStringLiteral(
                                               "The update server redirected the request to an insecure address.")));
        QVERIFY(plain.requests.isEmpty());
    }

private:
    static QSslCertificate certificate()
    {
        return QSslCertificate(QByteArray(TestCertificate::certificatePem).trimmed());
    }

    static std::unique_ptr<QTcpServer> tlsServer()
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificate());
        configuration.setPrivateKey(QSslKey(QByteArray(TestCertificate::privateKeyPem).trimmed(), QSsl::Ec));
        auto server = std::make_unique<QSslServer>();
        server->setSslConfiguration(configuration);
        return server;
    }
};

QTEST_GUILESS_MAIN(HostileEndpointTest)
#include "hostile_endpoint_test.moc"

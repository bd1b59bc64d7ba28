#include "LoopbackHttpServer.h"
#include "TestCertificate.h"
#include "UpdateTesting.h"
#include "updates/ReleaseFetch.h"

#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTest>

using namespace std::chrono_literals;
using Server = LoopbackHttpServer;

namespace {

const auto timedOut = UpdateResult::error(QStringLiteral("The request timed out."));
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

    void boundsTheBodyAtOneMebibyte_data()
    {
        QTest::addColumn<Server::Answer>("answer");
        QTest::addColumn<UpdateResult>("expected");
        // The deadline is far away: the fetch has to refuse on size, not time.
        QTest::newRow("announced by Content-Length")
            << Server::sendAndWait("HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\n{") << tooLarge;
        QTest::newRow("one byte over the limit")
            << Server::respond(200, "OK", QByteArray(ReleaseFetch::maxBodyBytes + 1, ' ')) << tooLarge;
        QTest::newRow("endless body until the connection closes")
            << Server::endless("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n{\"notes\":\"", QByteArray(64 * 1024, 'a'))
            << tooLarge;
        QTest::newRow("endless chunked body")
            << Server::endless("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                               "10000\r\n" + QByteArray(0x10000, ' ') + "\r\n")
            << tooLarge;
        // Padding is whitespace, so the limit itself is still a valid release.
        const QByteArray release = releaseJson("0");
        QTest::newRow("exactly the limit")
            << Server::respond(200, "OK", release + QByteArray(ReleaseFetch::maxBodyBytes - release.size(), ' '))
            << UpdateResult::upToDate();
        QTest::newRow("compressed, within the limit")
            << Server::respond(200, "OK", qCompress(release).mid(4), "Content-Encoding: deflate\r\n") << UpdateResult::upToDate();
    }
    void boundsTheBodyAtOneMebibyte()
    {
        QFETCH(Server::Answer, answer);
        QFETCH(UpdateResult, expected);
        Server server(answer);
        UpdateChecker checker(server.baseUrl(), 60s);
        QCOMPARE(runCheck(checker, 20000), expected);
    }

    void endsBySlowAnswersDeadline_data()
    {
        QTest::addColumn<Server::Answer>("answer");
        // Silence, or bytes that keep coming: only a deadline on the whole exchange ends these.
        QTest::newRow("silence") << Server::silence();
        QTest::newRow("headers that never finish")
            << trickle("HTTP/1.1 200 OK\r\n", "X-Wait: 1\r\n", 50ms);
        QTest::newRow("a flood of header lines")
            << Server::endless("HTTP/1.1 200 OK\r\n", "X-Pad: " + QByteArray(1000, 'a') + "\r\n");
        QTest::newRow("a body that trickles")
            << trickle("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", " ", 50ms);
    }
    void endsBySlowAnswersDeadline()
    {
        QFETCH(Server::Answer, answer);
        Server server(answer);
        UpdateChecker checker(server.baseUrl(), 600ms);
        QCOMPARE(runCheck(checker, 10000), timedOut);
    }

    void turnsGarbageIntoErrors_data()
    {
        // Qt's HTTP parser rejects malformed replies in many ways; the check turns each
        // into the same kind of error, so one row stands for each kind.
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::newRow("binary") << QByteArray("\x00\xff\x13\x37\r\n\r\n\x00", 9) << QStringLiteral("Connection closed");
        QTest::newRow("nothing at all") << QByteArray() << QStringLiteral("Connection closed");
        QTest::newRow("cut off in the body")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n{\"version\":") << QStringLiteral("Connection closed");
        QTest::newRow("a status beyond HTTP")
            << QByteArray("HTTP/1.1 999 Whatever\r\nContent-Length: 2\r\n\r\n{}")
            << QStringLiteral("The update server sent a bad response (HTTP 999 Whatever).");
        QTest::newRow("deflate that is not")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: 8\r\n\r\nnotzlib!")
            << QStringLiteral("Decompression failed");
        // A few kilobytes on the wire that would inflate to 8 MiB (qCompress prefixes the length).
        const QByteArray bomb = qCompress(QByteArray(8 << 20, ' '), 9).mid(4);
        QTest::newRow("deflate that inflates past the limit")
            << "HTTP/1.1 200 OK\r\nContent-Encoding: deflate\r\nContent-Length: " + QByteArray::number(bomb.size())
                   + "\r\n\r\n" + bomb
            << QStringLiteral("Decompression failed");
    }
    void turnsGarbageIntoErrors()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        Server server(Server::send(reply));
        UpdateChecker checker(server.baseUrl(), 5s);
        const std::optional<UpdateResult> outcome = runCheck(checker);
        QVERIFY(outcome && outcome->isError());
        QVERIFY2(outcome->message().startsWith(message), qPrintable(describe(*outcome)));
    }

    void stopsFollowingEndlessRedirects()
    {
        // Over one kept-alive connection, as a server would.
        Server server(Server::sendAndWait("HTTP/1.1 302 Found\r\nLocation: /v1/apps/lettergate/latest\r\nContent-Length: 0\r\n\r\n"));
        UpdateChecker checker(server.baseUrl(), 20s);
        QCOMPARE(runCheck(checker, 20000),
                 UpdateResult::error(QStringLiteral("The update server redirected the request too many times.")));
    }

    void neverFollowsARedirectFromHttpsToPlainHttp()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("no TLS backend");
        const QByteArray release = releaseJson("999.0", "https://x.test/dl");
        const auto available = UpdateResult::updateAvailable(QStringLiteral("999.0"), QStringLiteral("https://x.test/dl"), std::nullopt);

        // The loopback https server is trusted: a direct answer and a redirect to
        // another https address both arrive.
        Server secure(Server::json(release), tlsServer());
        UpdateChecker direct(secure.baseUrl(QStringLiteral("https")), 10s);
        QCOMPARE(runCheck(direct, 10000), available);
        Server secureHop(Server::respond(302, "Found", {}, "Location: " + secure.baseUrl(QStringLiteral("https")).toUtf8()
                                                               + "/apps/lettergate/latest\r\n"),
                         tlsServer());
        UpdateChecker redirected(secureHop.baseUrl(QStringLiteral("https")), 10s);
        QCOMPARE(runCheck(redirected, 10000), available);
        QCOMPARE(secure.requests.size(), 2);

        Server plain(Server::json(release));
        Server downgrade(Server::respond(302, "Found", {}, "Location: " + plain.baseUrl().toUtf8()
                                                              + "/apps/lettergate/latest\r\n"),
                         tlsServer());
        UpdateChecker checker(downgrade.baseUrl(QStringLiteral("https")), 10s);
        QCOMPARE(runCheck(checker, 10000),
                 UpdateResult::error(QStringLiteral("The update server redirected the request to an insecure address.")));
        QCOMPARE(downgrade.requests.size(), 1);
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

#include "app/RequestProtocol.h"
#include "app/SingleInstance.h"

#include <QFile>
#include <QFuture>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>
#include <vector>

namespace {

// The asking side blocks until the reply comes, and the answering side needs this
// thread's event loop: the question is asked from a worker thread.
QFuture<std::optional<QByteArray>> askInBackground(const QString &request)
{
    return QtConcurrent::run([request] { return SingleInstance::ask(request); });
}

std::optional<QByteArray> askAndWait(const QString &request)
{
    QFuture<std::optional<QByteArray>> reply = askInBackground(request);
    if (!QTest::qWaitFor([&reply] { return reply.isFinished(); }, 15000))
        return QByteArrayLiteral("<no reply>");
    return reply.result();
}

// A client connected to the running instance that has not said anything yet.
std::unique_ptr<QLocalSocket> connectedClient()
{
    auto client = std::make_unique<QLocalSocket>();
    client->connectToServer(SingleInstance::socketPath());
    client->waitForConnected(1000);
    return client;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

    // The running instance, answering every request with a fixed reply.
    struct Running {
        Running()
            : instance([this](const QString &request) {
                requests << request;
                return RequestProtocol::acknowledgement(request == u"windows" ? QByteArrayLiteral("a\tAlpha\t1\t0x2a\tnotes\n")
                                                                              : QByteArray());
            })
        {
        }
        QStringList requests;
        SingleInstance instance;
    };

private slots:
    void init()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void aRequestIsAnsweredByTheRunningOne()
    {
        QCOMPARE(SingleInstance::socketPath(), m_runtime.path() + QStringLiteral("/lettergate.socket"));
        QCOMPARE(SingleInstance::ask(QStringLiteral("settings")), std::nullopt);

        // A socket file left by an instance that died does not stop the next one.
        QFile stale(SingleInstance::socketPath());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QCOMPARE(SingleInstance::ask(QStringLiteral("settings")), std::nullopt);

        Running running;
        QVERIFY(running.instance.listen());
        QCOMPARE(askAndWait(QStringLiteral("settings")), QByteArrayLiteral("ok\n"));
        QCOMPARE(askAndWait(QStringLiteral("windows")), QByteArrayLiteral("ok\na\tAlpha\t1\t0x2a\tnotes\n"));
        QCOMPARE(running.requests, QStringList({QStringLiteral("settings"), QStringLiteral("windows")}));
    }

    void aConnectionCarriesOneBoundedRequest()
    {
        Running running;
        QVERIFY(running.instance.listen());
        // Only the first line is a request.
        std::unique_ptr<QLocalSocket> client = connectedClient();
        client->write("show\r\nquit\n");
        QTRY_COMPARE(client->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(client->readAll(), QByteArrayLiteral("ok\n"));

        // An endless line is cut off, and costs nothing lasting.
        std::unique_ptr<QLocalSocket> flood = connectedClient();
        QCOMPARE(flood->state(), QLocalSocket::ConnectedState);
        flood->write(QByteArray(4096, 'x'));
        flood->flush();
        QTRY_COMPARE(flood->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(askAndWait(QStringLiteral("toggle")), QByteArrayLiteral("ok\n"));
        QCOMPARE(running.requests, QStringList({QStringLiteral("show"), QStringLiteral("toggle")}));
    }

    void silentClientsBlockNothingAndAreDropped()
    {
        Running running;
        QVERIFY(running.instance.listen());
        // Clients that connect and never write: requests are still served beside them...
        std::vector<std::unique_ptr<QLocalSocket>> silent;
        silent.push_back(connectedClient());
        QCOMPARE(silent.back()->state(), QLocalSocket::ConnectedState);
        QCOMPARE(askAndWait(QStringLiteral("toggle")), QByteArrayLiteral("ok\n"));

        // ...until so many are open that a new connection is refused at once, the next
        // request included...
        while (silent.size() < 8)
            silent.push_back(connectedClient());
        QTest::qWait(300); // the instance accepts them
        QCOMPARE(askAndWait(QStringLiteral("toggle")), QByteArray());
        QCOMPARE(running.requests.size(), 1);

        // ...and after a while the silent ones are dropped and requests served again.
        for (const auto &client : silent)
            QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(askAndWait(QStringLiteral("show")), QByteArrayLiteral("ok\n"));
        QCOMPARE(running.requests, QStringList({QStringLiteral("toggle"), QStringLiteral("show")}));
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"

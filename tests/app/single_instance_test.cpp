#include "app/InstanceFolder.h"
#include "app/InstanceLock.h"
#include "app/RequestProtocol.h"
#include "app/SingleInstance.h"
#include "stores/StoreTesting.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFuture>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <vector>

using namespace lettergate;

namespace {

// The asking side blocks until the reply comes, and the answering side needs this
// thread's event loop: the question is asked from a worker thread.
template <typename Result>
Result inBackground(std::function<Result()> work, Result ifNoAnswer)
{
    QFuture<Result> result = QtConcurrent::run(std::move(work));
    if (!QTest::qWaitFor([&result] { return result.isFinished(); }, 15000))
        return ifNoAnswer;
    return result.result();
}

std::optional<QByteArray> askAndWait(const QString &request, QString *whyNot = nullptr, uid_t peerOwner = ::geteuid())
{
    return inBackground<std::optional<QByteArray>>([=] { return SingleInstance::ask(request, whyNot, peerOwner); },
                                                   QByteArrayLiteral("<no reply>"));
}

bool makeFolder(const QString &path, mode_t mode)
{
    return QDir().mkpath(path) && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

    // The running instance, holding the lock and acknowledging every request.
    struct Running {
        explicit Running(const QString &folder, uid_t peerOwner = ::geteuid())
            : lock(folder)
            , instance(
                  [this](const QString &request) {
                      requests << request;
                      return RequestProtocol::acknowledgement();
                  },
                  peerOwner)
        {
        }
        bool listen() { return lock.tryTake() && instance.listen(lock); }
        QStringList requests;
        InstanceLock lock;
        SingleInstance instance;
    };

private slots:
    // A home of private folders only, the runtime folder in it.
    void init()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(QDir(m_home.path()).removeRecursively() && makeFolder(m_home.path(), 0700));
        qputenv("XDG_RUNTIME_DIR", runtime().toLocal8Bit());
        qputenv("XDG_STATE_HOME", (m_home.path() + QStringLiteral("/state")).toLocal8Bit());
        QVERIFY(makeFolder(runtime(), 0700));
    }

    void oneInstanceHoldsTheLockAndAnswers()
    {
        QString whyNot;
        QCOMPARE(SingleInstance::ask(QStringLiteral("settings"), &whyNot), std::nullopt);
        QCOMPARE(whyNot, QStringLiteral("nothing answers on %1").arg(socket()));

        // A socket file left by an instance that died does not stop the next one.
        QFile stale(socket());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        SingleInstance::Claim first = SingleInstance::claim(0);
        QVERIFY(first.lock);

        // While it is held, a start hands over once the instance listens, and says why it cannot
        // while nobody answers.
        const auto claimInBackground = [] {
            return inBackground<QString>(
                [] {
                    const SingleInstance::Claim claim = SingleInstance::claim(300);
                    return claim.lock         ? QStringLiteral("instance")
                           : claim.handedOver ? QStringLiteral("handed over")
                                              : claim.failure;
                },
                QStringLiteral("<no end>"));
        };
        const QString unanswered = claimInBackground();
        QVERIFY2(unanswered.endsWith(QStringLiteral("does not answer: nothing answers on %1").arg(socket())),
                 qPrintable(unanswered));

        SingleInstance instance(
            [](const QString &request) { return RequestProtocol::acknowledgement(request.toUtf8()); });
        QVERIFY(instance.listen(*first.lock));
        QCOMPARE(askAndWait(QStringLiteral("windows")), QByteArrayLiteral("ok\nwindows"));
        QCOMPARE(claimInBackground(), QStringLiteral("handed over"));
        first.lock.reset();
        QCOMPARE(claimInBackground(), QStringLiteral("instance"));
    }

    void onlyAPrivateFolderHoldsTheSocket()
    {
        const QString state = m_home.path() + QStringLiteral("/state/Lettergate");
        const QString other = m_home.path() + QStringLiteral("/other");
        const QString openToAll = m_home.path() + QStringLiteral("/open");
        const uid_t user = ::geteuid();
        const struct {
            const char *name;
            std::function<bool()> prepare;
            uid_t owner;
            std::optional<QString> folder;
            QString refusal;
        } cases[] = {
            {"private", [] { return true; }, user, runtime(), {}},
            {"missing", [this] { return QDir(runtime()).removeRecursively(); }, user, state, {}},
            {"a link to a private folder",
             [this, other] {
                 return makeFolder(other, 0700) && QDir(runtime()).removeRecursively() && QFile::link(other, runtime());
             },
             user, state, QStringLiteral("is a symbolic link")},
            {"a file",
             [this] { return QDir(runtime()).removeRecursively() && QFile(runtime()).open(QIODevice::WriteOnly); },
             user, state, QStringLiteral("is not a folder")},
            {"in a folder anyone may change",
             [openToAll] {
                 qputenv("XDG_RUNTIME_DIR", (openToAll + QStringLiteral("/run")).toLocal8Bit());
                 return makeFolder(openToAll + QStringLiteral("/run"), 0700) && makeFolder(openToAll, 0777);
             },
             user, state, QStringLiteral("lies in %1, which anyone may change").arg(openToAll)},
            {"someone else's", [] { return true; }, user + 1, std::nullopt,
             QStringLiteral("belongs to user %1").arg(user)},
            {"with a state folder open to all",
             [this, state] { return makeFolder(runtime(), 0777) && makeFolder(state, 0755); }, user, std::nullopt,
             QStringLiteral("is open to other users (mode 0755)")},
        };
        for (const auto &test : cases) {
            init();
            QVERIFY2(test.prepare(), test.name);
            LogCapture log;
            QCOMPARE(InstanceFolder::locate(test.owner), test.folder);
            QVERIFY2(test.refusal.isEmpty() ? log.lines.isEmpty() : log.lines.last().endsWith(test.refusal),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(test.name), log.lines.join(u'|'))));
            // Lettergate makes its own folder for its owner alone.
            if (test.folder == state)
                QCOMPARE(StoreTesting::mode(state), 0700);
        }
    }

    void aPeerOfAnotherUserIsRefusedBothWays()
    {
        const uid_t stranger = ::geteuid() + 1;
        {
            // The instance drops a client of another user before reading a word.
            Running running(runtime(), stranger);
            QVERIFY(running.listen());
            QString whyNot;
            QCOMPARE(askAndWait(QStringLiteral("quit"), &whyNot), std::nullopt);
            QCOMPARE(whyNot, QStringLiteral("what listens on %1 gave no answer").arg(socket()));
            QCOMPARE(running.requests, QStringList());
        }
        // The client sends nothing to a listener of another user.
        Running running(runtime());
        QVERIFY(running.listen());
        QString whyNot;
        QCOMPARE(askAndWait(QStringLiteral("quit"), &whyNot, stranger), std::nullopt);
        QCOMPARE(whyNot, QStringLiteral("what listens on %1 belongs to user %2").arg(socket()).arg(::geteuid()));
        QCOMPARE(running.requests, QStringList());
    }

    void aConnectionCarriesOneBoundedRequestAndSilentClientsAreDropped()
    {
        Running running(runtime());
        QVERIFY(running.listen());
        // Only the first line is a request.
        std::unique_ptr<QLocalSocket> client = connectedClient();
        client->write("show\r\nquit\n");
        QTRY_COMPARE(client->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(client->readAll(), QByteArrayLiteral("ok\n"));

        // An endless line is cut off, and costs nothing lasting.
        std::unique_ptr<QLocalSocket> flood = connectedClient();
        flood->write(QByteArray(4096, 'x'));
        flood->flush();
        QTRY_COMPARE(flood->state(), QLocalSocket::UnconnectedState);

        // Clients that connect and never write: requests are still served beside them...
        std::vector<std::unique_ptr<QLocalSocket>> silent;
        silent.push_back(connectedClient());
        QCOMPARE(askAndWait(QStringLiteral("toggle")), QByteArrayLiteral("ok\n"));

        // ...until so many are open that a new connection is refused at once, the next
        // request included...
        while (silent.size() < 8)
            silent.push_back(connectedClient());
        QTest::qWait(300); // the instance accepts them
        QCOMPARE(askAndWait(QStringLiteral("toggle")), std::nullopt);

        // ...and after a while the silent ones are dropped and requests served again.
        for (const auto &quiet : silent)
            QTRY_COMPARE_WITH_TIMEOUT(quiet->state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(askAndWait(QStringLiteral("quit")), QByteArrayLiteral("ok\n"));
        QCOMPARE(running.requests,
                 QStringList({QStringLiteral("show"), QStringLiteral("toggle"), QStringLiteral("quit")}));
    }

private:
    QString runtime() const { return m_home.path() + QStringLiteral("/runtime"); }
    QString socket() const { return runtime() + QStringLiteral("/lettergate.socket"); }

    // A client connected to the running instance that has not said anything yet.
    std::unique_ptr<QLocalSocket> connectedClient() const
    {
        auto client = std::make_unique<QLocalSocket>();
        client->connectToServer(socket());
        client->waitForConnected(1000);
        return client;
    }

    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"

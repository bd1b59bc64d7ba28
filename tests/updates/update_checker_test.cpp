#include "LoopbackHttpServer.h"
#include "UpdateTesting.h"

#include <QTest>

using namespace std::chrono_literals;
using Server = LoopbackHttpServer;

// The update check end to end, against a real HTTP server on 127.0.0.1.
class UpdateCheckerTest : public QObject {
    Q_OBJECT

    static QString newer() { return QStringLiteral("999.0"); }

private slots:
    void asksTheEndpointWithAPlainGet()
    {
        Server server(Server::json(releaseJson("1")));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(checker.latestReleaseUrl(), server.baseUrl() + QStringLiteral("/apps/lettergate/latest"));
        QVERIFY(runCheck(checker));

        QCOMPARE(server.requests.size(), 1);
        const QList<QByteArray> head = server.requests.first().split('\n');
        QCOMPARE(head.first(), QByteArray("GET /v1/apps/lettergate/latest HTTP/1.1\r"));
        QVERIFY(!server.requests.first().contains("Content-Length"));
        // Every check asks the server again.
        QVERIFY(runCheck(checker));
        QCOMPARE(server.requests.size(), 2);
    }

    void comparesTheReleaseWithTheRunningVersion()
    {
        Server newerServer(Server::json(releaseJson(newer().toUtf8(), "https://lettergate.app/download")));
        UpdateChecker checker(newerServer.baseUrl(), 5s);
        QCOMPARE(runCheck(checker),
                 UpdateResult::updateAvailable(newer(), QStringLiteral("https://lettergate.app/download"), std::nullopt));

        Server sameServer(Server::json(releaseJson(UpdateChecker::currentVersion().toUtf8())));
        UpdateChecker same(sameServer.baseUrl(), 5s);
        QCOMPARE(runCheck(same), UpdateResult::upToDate());

        Server olderServer(Server::json(releaseJson("0.0.1")));
        UpdateChecker older(olderServer.baseUrl(), 5s);
        QCOMPARE(runCheck(older), UpdateResult::upToDate());
    }

    void carriesTheNotesOnlyWhenTheyAreAString_data()
    {
        QTest::addColumn<QByteArray>("notesMember");
        QTest::addColumn<std::optional<QString>>("notes");
        QTest::newRow("absent") << QByteArray() << std::optional<QString>();
        QTest::newRow("null") << QByteArray(R"(,"notes":null)") << std::optional<QString>();
        QTest::newRow("string") << QByteArray(R"(,"notes":"Faster panel.")") << std::optional<QString>(QStringLiteral("Faster panel."));
        QTest::newRow("empty string") << QByteArray(R"(,"notes":"")") << std::optional<QString>(QString());
    }
    void carriesTheNotesOnlyWhenTheyAreAString()
    {
        QFETCH(QByteArray, notesMember);
        QFETCH(std::optional<QString>, notes);
        Server server(Server::json(releaseJson(newer().toUtf8(), "https://x.test/dl", notesMember)));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), notes));
    }

    void refusesRepliesThatAreNotARelease_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("malformed JSON") << QByteArray(R"({"version":"2.0",)")
            << QStringLiteral("The update server's reply could not be read. It is not valid JSON (unterminated object at offset 17).");
        QTest::newRow("min_os a number") << releaseJson(newer().toUtf8(), "u", R"(,"min_os":14)")
            << QStringLiteral("The update server's reply could not be read. The member \"min_os\" is neither a string nor null.");
        QTest::newRow("url missing") << QByteArray(R"({"version":"999.0"})")
            << QStringLiteral("The update server's reply could not be read. The member \"url\" is missing.");
        QTest::newRow("empty body") << QByteArray()
            << QStringLiteral("The update server's reply could not be read. It is not valid JSON (illegal value at offset 0).");
    }
    void refusesRepliesThatAreNotARelease()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        Server server(Server::json(body));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), UpdateResult::error(message));
    }

    void refusesEveryStatusButSuccess_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QString>("message");
        QTest::newRow("304") << 304 << QByteArray("Not Modified")
                             << QStringLiteral("The update server sent a bad response (HTTP 304 Not Modified).");
        QTest::newRow("500") << 500 << QByteArray("Internal Server Error")
                             << QStringLiteral("The update server sent a bad response (HTTP 500 Internal Server Error).");
        QTest::newRow("404") << 404 << QByteArray("Not Found")
                             << QStringLiteral("The update server sent a bad response (HTTP 404 Not Found).");
        QTest::newRow("199") << 199 << QByteArray("Odd")
                             << QStringLiteral("The update server sent a bad response (HTTP 199 Odd).");
    }
    void refusesEveryStatusButSuccess()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        QFETCH(QString, message);
        // The body would be a valid release: only the status refuses it.
        Server server(Server::respond(status, reason, releaseJson(newer().toUtf8())));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), UpdateResult::error(message));
    }

    void acceptsEverySuccessStatus()
    {
        Server server(Server::respond(203, "Non-Authoritative Information", releaseJson(newer().toUtf8(), "https://x.test/dl")));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), std::nullopt));
    }

    void reportsUnreachableAndUnusableEndpoints()
    {
        quint16 closedPort;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        UpdateChecker refused(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort), 5s);
        QCOMPARE(runCheck(refused), UpdateResult::error(QStringLiteral("Connection refused")));

        for (const QString &base : {QString(), QStringLiteral("not a url"), QStringLiteral("file:///tmp/v1"),
                                    QStringLiteral("http:///v1"), QStringLiteral("ftp://127.0.0.1/v1")}) {
            UpdateChecker checker(base, 5s);
            const auto expected = UpdateResult::error(
                QStringLiteral("The update address \"%1/apps/lettergate/latest\" is not a valid web address.").arg(base));
            QCOMPARE(runCheck(checker), expected);
        }
    }

    void givesUpOnAServerThatNeverAnswers()
    {
        Server server(Server::silence());
        UpdateChecker checker(server.baseUrl(), 300ms);
        QCOMPARE(runCheck(checker), UpdateResult::error(QStringLiteral("The request timed out.")));
        QCOMPARE(server.requests.size(), 1);
    }

    void offersOnlyAWebPageForDownload()
    {
        for (const QByteArray &url : {QByteArray("file:///usr/bin/xterm"), QByteArray("javascript:alert(1)"), QByteArray("download")}) {
            Server server(Server::json(releaseJson(newer().toUtf8(), url)));
            UpdateChecker checker(server.baseUrl(), 5s);
            QCOMPARE(runCheck(checker),
                     UpdateResult::error(QStringLiteral("The update server named a download page that is not a web address: \"%1\".")
                                             .arg(QString::fromUtf8(url))));
        }
        // Not offered, so not checked: a release that is no update.
        Server server(Server::json(releaseJson("0", "download")));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), UpdateResult::upToDate());
    }

    void recordsAndAnnouncesEveryOutcome()
    {
        Server server(Server::json(releaseJson(newer().toUtf8(), "https://x.test/dl")));
        UpdateChecker checker(server.baseUrl(), 5s);
        QList<UpdateResult> announced;
        connect(&checker, &UpdateChecker::checkFinished, this, [&announced](const UpdateResult &result) { announced << result; });
        QVERIFY(!checker.lastResult());

        checker.check(); // the silent kind: no completion
        QVERIFY(announced.isEmpty()); // never answered on the spot
        QVERIFY(!checker.lastResult());
        QTRY_COMPARE(announced.size(), 1);
        const auto available = UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), std::nullopt);
        QCOMPARE(announced.first(), available);
        QCOMPARE(checker.lastResult(), std::optional(available));

        // An outcome of another kind replaces it.
        const QObject receiver;
        checker.check(&receiver, {}); // an empty completion is allowed
        QTRY_COMPARE(announced.size(), 2);
        QCOMPARE(checker.lastResult(), std::optional(available));
    }

    void theLastCheckToFinishLeavesItsOutcome()
    {
        int served = 0;
        // The first request is never answered and runs into the deadline; the second is
        // answered at once.
        Server server([&served](QTcpSocket &socket) {
            if (served++ > 0)
                Server::json(releaseJson("0"))(socket);
        });
        UpdateChecker checker(server.baseUrl(), 500ms);
        std::optional<UpdateResult> first;
        std::optional<UpdateResult> second;
        checker.check(this, [&first](const UpdateResult &result) { first = result; });
        QTRY_COMPARE(server.requests.size(), 1);
        checker.check(this, [&second](const UpdateResult &result) { second = result; });

        QTRY_VERIFY(second);
        QCOMPARE(*second, UpdateResult::upToDate());
        QVERIFY(!first);
        QCOMPARE(checker.lastResult(), std::optional(UpdateResult::upToDate()));

        QTRY_VERIFY(first);
        const auto timedOut = UpdateResult::error(QStringLiteral("The request timed out."));
        QCOMPARE(*first, timedOut);
        QCOMPARE(checker.lastResult(), std::optional(timedOut));
    }

    void completionsOutlivedByTheirReceiverOrTheCheckerAreSkipped()
    {
        Server server(Server::json(releaseJson("0")));
        UpdateChecker checker(server.baseUrl(), 5s);
        bool reachedGoneReceiver = false;
        bool reachedNoReceiver = false;
        auto receiver = std::make_unique<QObject>();
        checker.check(receiver.get(), [&](const UpdateResult &) { reachedGoneReceiver = true; });
        checker.check(nullptr, [&](const UpdateResult &) { reachedNoReceiver = true; });
        receiver.reset();
        QTRY_VERIFY(reachedNoReceiver);
        QTRY_COMPARE(server.requests.size(), 2);
        QTest::qWait(50);
        QVERIFY(!reachedGoneReceiver);
        QCOMPARE(checker.lastResult(), std::optional(UpdateResult::upToDate()));

        // A checker destroyed mid-request cancels it and calls nobody.
        Server silent(Server::silence());
        bool reachedAfterDestruction = false;
        auto doomed = std::make_unique<UpdateChecker>(silent.baseUrl(), 200ms);
        doomed->check(nullptr, [&](const UpdateResult &) { reachedAfterDestruction = true; });
        QTRY_COMPARE(silent.requests.size(), 1);
        doomed.reset();
        QTest::qWait(400);
        QVERIFY(!reachedAfterDestruction);
    }

    void theEnvironmentOverridesTheBuiltInEndpoint()
    {
        QVERIFY(UpdateChecker::configuredBaseUrl().endsWith(QStringLiteral("/v1")));
        QVERIFY(UpdateChecker::configuredBaseUrl().startsWith(QStringLiteral("https://")));

        Server server(Server::json(releaseJson(newer().toUtf8(), "https://x.test/dl")));
        qputenv("LETTERGATE_UPDATE_URL", server.baseUrl().toUtf8());
        UpdateChecker checker;
        qunsetenv("LETTERGATE_UPDATE_URL");
        QCOMPARE(checker.baseUrl(), server.baseUrl());
        QCOMPARE(runCheck(checker), UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), std::nullopt));
    }
};

QTEST_GUILESS_MAIN(UpdateCheckerTest)
#include "update_checker_test.moc"

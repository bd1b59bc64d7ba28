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

    void answersByStatusVersionAndNotes_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<UpdateResult>("expected");
        const QByteArray newerRelease = releaseJson(newer().toUtf8(), "https://x.test/dl");
        const auto available = [](std::optional<QString> notes) {
            return UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), notes);
        };
        const auto badResponse = [](const char *status) {
            return UpdateResult::error(QStringLiteral("The update server sent a bad response (HTTP %1).").arg(status));
        };
        QTest::newRow("newer, no notes") << 200 << newerRelease << available(std::nullopt);
        QTest::newRow("newer, notes null")
            << 200 << releaseJson(newer().toUtf8(), "https://x.test/dl", R"(,"notes":null)") << available(std::nullopt);
        QTest::newRow("newer, notes")
            << 200 << releaseJson(newer().toUtf8(), "https://x.test/dl", R"(,"notes":"Faster panel.")")
            << available(QStringLiteral("Faster panel."));
        QTest::newRow("newer, empty notes")
            << 200 << releaseJson(newer().toUtf8(), "https://x.test/dl", R"(,"notes":"")") << available(QString());
        QTest::newRow("the running version") << 200 << releaseJson(UpdateChecker::currentVersion().toUtf8())
                                             << UpdateResult::upToDate();
        QTest::newRow("older") << 200 << releaseJson("0.0.1") << UpdateResult::upToDate();
        QTest::newRow("any success status") << 203 << newerRelease << available(std::nullopt);
        // The body would be a valid release: only the status refuses it.
        QTest::newRow("304") << 304 << newerRelease << badResponse("304 Status");
        QTest::newRow("500") << 500 << newerRelease << badResponse("500 Status");
        QTest::newRow("199") << 199 << newerRelease << badResponse("199 Status");
        // Only a web page is offered for download; a release that is no update is not checked.
        for (const char *url : {"file:///usr/bin/xterm", "javascript:alert(1)", "download"}) {
            QTest::newRow(url) << 200 << releaseJson(newer().toUtf8(), url)
                               << UpdateResult::error(
                                      QStringLiteral("The update server named a download page that is not a web address: \"%1\".").arg(url));
        }
        QTest::newRow("no update, its page unchecked") << 200 << releaseJson("0", "download") << UpdateResult::upToDate();
        // Why a reply is no release reaches the outcome as it is.
        QTest::newRow("malformed JSON") << 200 << QByteArray(R"({"version":"2.0",)")
            << UpdateResult::error(QStringLiteral("The update server's reply could not be read. "
                                                  "It is not valid JSON (unterminated object at offset 17)."));
    }
    void answersByStatusVersionAndNotes()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(UpdateResult, expected);
        Server server(Server::respond(status, "Status", body));
        UpdateChecker checker(server.baseUrl(), 5s);
        QCOMPARE(runCheck(checker), expected);
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

        // A check with an empty completion still announces its outcome.
        const QObject receiver;
        checker.check(&receiver, {});
        QTRY_COMPARE(announced.size(), 2);
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

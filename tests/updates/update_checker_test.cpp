#include "LoopbackHttpServer.h"
#include "UpdateTesting.h"
#include "updates/LatestRelease.h"

#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using namespace std::chrono_literals;
using Server = LoopbackHttpServer;

// The update check: reading the endpoint's reply and comparing versions, then the
// check end to end against a real HTTP server on 127.0.0.1.
class UpdateCheckerTest : public QObject {
    Q_OBJECT

    static QString newer() { return QStringLiteral("999.0"); }

private slots:
    void decodesAcceptedRepliesAndRejectsEverythingElse()
    {
        const LatestRelease minimal{QStringLiteral("1.4.0"), QStringLiteral("x.test/dl"), {}, {}, {}};
        const QList<std::pair<QByteArray, LatestRelease>> accepted{
            {R"({"version":"1.4.0","url":"x.test/dl","notes":null,"min_os":null,"beta":true,"assets":[{"a":1}]})",
             minimal},
            {R"({"version":"2.0","url":"u","notes":"Faster.","min_os":"12","published_at":"2024-05-01T00:00:00Z"})",
             {QStringLiteral("2.0"), QStringLiteral("u"), QStringLiteral("Faster."), QStringLiteral("12"),
              QStringLiteral("2024-05-01T00:00:00Z")}},
        };
        for (const auto &[json, expected] : accepted) {
            QString error;
            const std::optional<LatestRelease> release = LatestRelease::fromJson(json, &error);
            QVERIFY2(release && *release == expected && error.isEmpty(), json.constData());
        }
        // What the description must mention.
        const QList<std::pair<QByteArray, QString>> rejected{
            {R"({"version":"2","url":"u","min_os":14})", "min_os"},
            {R"({"version":"2"})", "url"},
            {R"({"version":2.1,"url":"u"})", "version"},
            {R"([{"version":"2","url":"u"}])", "object"},
            {R"({"version":"2","url":"u")", "JSON"},
        };
        for (const auto &[json, named] : rejected) {
            QString error;
            QVERIFY(!LatestRelease::fromJson(json, &error));
            QVERIFY2(error.startsWith(QStringLiteral("The update server's reply could not be read.")),
                     qPrintable(error));
            QVERIFY2(error.contains(named), qPrintable(error));
        }
    }

    void comparesVersionsPieceByPiece()
    {
        const QList<std::tuple<QString, QString, bool>> rows{
            {"1.10", "1.9", true},
            {"1.2", "1.2.0", false},
            {"1.9.9", "2.0", false},
            {"2.0-beta", "1.9", true}, // the second piece is dropped
            {"v2.0", "1.9", false},    // reads as 0
            {"1..2", "1.1", true},     // empty pieces dropped
            {"9223372036854775807", "9223372036854775806", true},
            {"99999999999999999999", "1", false}, // beyond 64 bits does not convert
        };
        for (const auto &[remote, local, newer] : rows)
            QVERIFY2(UpdateChecker::isNewer(remote, local) == newer, qPrintable(remote + u' ' + local));
    }

    // The built-in endpoint is https; LETTERGATE_UPDATE_URL replaces it, and every check
    // asks it again with a plain GET.
    void asksTheConfiguredEndpointWithAPlainGet()
    {
        Server server(Server::json(releaseJson(newer().toUtf8(), "https://x.test/dl")));
        qputenv("LETTERGATE_UPDATE_URL", server.baseUrl().toUtf8());
        UpdateChecker checker;
        qunsetenv("LETTERGATE_UPDATE_URL");
        QCOMPARE(runCheck(checker),
                 UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), std::nullopt));
        QVERIFY(runCheck(checker));
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests.first().split('\n').first(), QByteArray("GET /v1/apps/lettergate/latest HTTP/1.1\r"));
        QVERIFY(!server.requests.first().contains("Content-Length"));
    }

    void answersByStatusVersionAndNotes()
    {
        const QByteArray newerRelease = releaseJson(newer().toUtf8(), "https://x.test/dl");
        const auto available = [](std::optional<QString> notes) {
            return UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), notes);
        };
        const QList<std::tuple<int, QByteArray, UpdateResult>> rows{
            {200, releaseJson(newer().toUtf8(), "https://x.test/dl", R"(,"notes":"Faster panel.")"),
             available(QStringLiteral("Faster panel."))},
            {200, releaseJson(UpdateChecker::currentVersion().toUtf8()), UpdateResult::upToDate()},
            {203, newerRelease, available(std::nullopt)},
            // The body would be a valid release: only the status refuses it.
            {304, newerRelease,
             UpdateResult::error(QStringLiteral("The update server sent a bad response (HTTP 304 Status)."))},
            // Only a web page is offered for download; a release that is no update is not checked.
            {200, releaseJson(newer().toUtf8(), "file:///usr/bin/xterm"),
             UpdateResult::error(QStringLiteral("The update server named a download page that is not a web address: "
                                                "\"file:///usr/bin/xterm\"."))},
            {200, releaseJson("0", "download"), UpdateResult::upToDate()},
            // Why a reply is no release reaches the outcome as it is.
            {200, R"({"version":"2.0",)",
             UpdateResult::error(QStringLiteral("The update server's reply could not be read. "
                                                "It is not valid JSON (unterminated object at offset 17)."))},
        };
        for (const auto &[status, body, expected] : rows) {
            Server server(Server::respond(status, "Status", body));
            UpdateChecker checker(server.baseUrl(), 5s);
            QCOMPARE(runCheck(checker), expected);
        }
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

        for (const QString &base : {QString(), QStringLiteral("file:///tmp/v1")}) {
            UpdateChecker checker(base, 5s);
            const auto expected = UpdateResult::error(
                QStringLiteral("The update address \"%1/apps/lettergate/latest\" is not a valid web address.")
                    .arg(base));
            QCOMPARE(runCheck(checker), expected);
        }
    }

    // Every outcome is announced; the last check to finish leaves its outcome.
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
        QSignalSpy announced(&checker, &UpdateChecker::checkFinished);
        std::optional<UpdateResult> first;
        std::optional<UpdateResult> second;
        checker.check(this, [&first](const UpdateResult &result) { first = result; });
        QTRY_COMPARE(server.requests.size(), 1);
        checker.check(this, [&second](const UpdateResult &result) { second = result; });

        QTRY_VERIFY(second);
        QVERIFY(!first);

        QTRY_VERIFY(first);
        QCOMPARE(checker.lastResult(), std::optional(UpdateResult::error(QStringLiteral("The request timed out."))));
        QCOMPARE(announced.count(), 2);
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
        QTRY_VERIFY(reachedNoReceiver && checker.lastResult());
        QTest::qWait(50);
        QVERIFY(!reachedGoneReceiver);

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
};

QTEST_GUILESS_MAIN(UpdateCheckerTest)
#include "update_checker_test.moc"

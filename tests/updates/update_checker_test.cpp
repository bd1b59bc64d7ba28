#include "LoopbackHttpServer.h"
#include "UpdateTesting.h"
#include "updates/LatestRelease.h"

#include <QTest>

using namespace std::chrono_literals;
using Server = LoopbackHttpServer;

// The update check: reading the endpoint's reply and comparing versions, then the
// check end to end against a real HTTP server on 127.0.0.1.
class UpdateCheckerTest : public QObject {
    Q_OBJECT

    static QString newer() { return QStringLiteral("999.0"); }

private slots:
    void decodesAcceptedReplies_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<LatestRelease>("expected");

        const LatestRelease minimal{QStringLiteral("1.4.0"), QStringLiteral("x.test/dl"), {}, {}, {}};
        QTest::newRow("required members only") << QByteArray(R"({"version":"1.4.0","url":"x.test/dl"})") << minimal;
        QTest::newRow("optional members null")
            << QByteArray(R"({"version":"1.4.0","url":"x.test/dl","notes":null,"min_os":null,"published_at":null})")
            << minimal;
        QTest::newRow("other members of any type ignored")
            << QByteArray(R"({"size":12,"url":"x.test/dl","beta":true,"assets":[{"a":1}],"version":"1.4.0","x":null})")
            << minimal;
        QTest::newRow("every member")
            << QByteArray(R"({"version":"2.0","url":"u","notes":"Faster.","min_os":"12","published_at":"2024-05-01T00:00:00Z"})")
            << LatestRelease{QStringLiteral("2.0"), QStringLiteral("u"), QStringLiteral("Faster."), QStringLiteral("12"),
                             QStringLiteral("2024-05-01T00:00:00Z")};
        QTest::newRow("empty strings are strings")
            << QByteArray(R"({"version":"","url":"","notes":""})")
            << LatestRelease{QString(), QString(), QString(), {}, {}};
    }
    void decodesAcceptedReplies()
    {
        QFETCH(QByteArray, json);
        QFETCH(LatestRelease, expected);
        QString error;
        const std::optional<LatestRelease> release = LatestRelease::fromJson(json, &error);
        QVERIFY2(release, qPrintable(error));
        QVERIFY(*release == expected);
        QVERIFY(error.isEmpty());
    }

    void rejectsEverythingElse_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named"); // what the description must mention

        QTest::newRow("min_os a number") << QByteArray(R"({"version":"2","url":"u","min_os":14})") << QStringLiteral("min_os");
        QTest::newRow("notes an object") << QByteArray(R"({"version":"2","url":"u","notes":{"en":"x"}})") << QStringLiteral("notes");
        QTest::newRow("url missing") << QByteArray(R"({"version":"2"})") << QStringLiteral("url");
        QTest::newRow("version missing") << QByteArray(R"({"url":"u"})") << QStringLiteral("version");
        QTest::newRow("version null") << QByteArray(R"({"version":null,"url":"u"})") << QStringLiteral("version");
        QTest::newRow("version a number") << QByteArray(R"({"version":2.1,"url":"u"})") << QStringLiteral("version");
        QTest::newRow("array") << QByteArray(R"([{"version":"2","url":"u"}])") << QStringLiteral("object");
        QTest::newRow("truncated") << QByteArray(R"({"version":"2","url":"u")") << QStringLiteral("JSON");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("JSON");
    }
    void rejectsEverythingElse()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        QString error;
        QVERIFY(!LatestRelease::fromJson(json, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The update server's reply could not be read.")), qPrintable(error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY(!LatestRelease::fromJson(json)); // no error text asked for
    }

    void comparesVersionsPieceByPiece_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("local");
        QTest::addColumn<bool>("newer");

        QTest::newRow("numbers, not text") << "1.10" << "1.9" << true;
        QTest::newRow("1.2 vs 1.2.0") << "1.2" << "1.2.0" << false;
        QTest::newRow("1.2.0.1 vs 1.2") << "1.2.0.1" << "1.2" << true;
        QTest::newRow("older major") << "1.9.9" << "2.0" << false;
        QTest::newRow("2.0-beta vs 1.9: the second piece is dropped") << "2.0-beta" << "1.9" << true;
        QTest::newRow("v2.0 vs 1.9: reads as 0") << "v2.0" << "1.9" << false;
        QTest::newRow("empty pieces dropped") << "1..2" << "1.1" << true;
        QTest::newRow("+2 converts") << "+2" << "1" << true;
        QTest::newRow("newer than negative") << "0" << "-1" << true;
        QTest::newRow("hex does not convert") << "0x10" << "1" << false;
        QTest::newRow("largest 64-bit") << "9223372036854775807" << "9223372036854775806" << true;
        QTest::newRow("beyond 64 bits does not convert") << "99999999999999999999" << "1" << false;
    }
    void comparesVersionsPieceByPiece()
    {
        QFETCH(QString, remote);
        QFETCH(QString, local);
        QFETCH(bool, newer);
        QCOMPARE(UpdateChecker::isNewer(remote, local), newer);
    }
    // The built-in endpoint is https; LETTERGATE_UPDATE_URL replaces it, and every check
    // asks it again with a plain GET.
    void asksTheConfiguredEndpointWithAPlainGet()
    {
        QVERIFY(UpdateChecker::configuredBaseUrl().startsWith(QStringLiteral("https://")));
        Server server(Server::json(releaseJson(newer().toUtf8(), "https://x.test/dl")));
        qputenv("LETTERGATE_UPDATE_URL", server.baseUrl().toUtf8());
        UpdateChecker checker;
        qunsetenv("LETTERGATE_UPDATE_URL");
        QCOMPARE(runCheck(checker), UpdateResult::updateAvailable(newer(), QStringLiteral("https://x.test/dl"), std::nullopt));
        QVERIFY(runCheck(checker));
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests.first().split('\n').first(), QByteArray("GET /v1/apps/lettergate/latest HTTP/1.1\r"));
        QVERIFY(!server.requests.first().contains("Content-Length"));
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
        QTest::newRow("newer, notes")
            << 200 << releaseJson(newer().toUtf8(), "https://x.test/dl", R"(,"notes":"Faster panel.")")
            << available(QStringLiteral("Faster panel."));
        QTest::newRow("the running version") << 200 << releaseJson(UpdateChecker::currentVersion().toUtf8())
                                             << UpdateResult::upToDate();
        QTest::newRow("older") << 200 << releaseJson("0.0.1") << UpdateResult::upToDate();
        QTest::newRow("any success status") << 203 << newerRelease << available(std::nullopt);
        // The body would be a valid release: only the status refuses it.
        QTest::newRow("304") << 304 << newerRelease << badResponse("304 Status");
        QTest::newRow("199") << 199 << newerRelease << badResponse("199 Status");
        // Only a web page is offered for download; a release that is no update is not checked.
        for (const char *url : {"file:///usr/bin/xterm", "download"}) {
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

};

QTEST_GUILESS_MAIN(UpdateCheckerTest)
#include "update_checker_test.moc"

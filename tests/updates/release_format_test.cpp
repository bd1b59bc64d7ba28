#include "UpdateTesting.h"
#include "updates/LatestRelease.h"

#include <QTest>

// The pure parts of the update check: reading the endpoint's reply, comparing
// versions, and telling outcomes apart.
class ReleaseFormatTest : public QObject {
    Q_OBJECT
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
        QTest::newRow("published_at a bool") << QByteArray(R"({"version":"2","url":"u","published_at":false})") << QStringLiteral("published_at");
        QTest::newRow("url missing") << QByteArray(R"({"version":"2"})") << QStringLiteral("url");
        QTest::newRow("version missing") << QByteArray(R"({"url":"u"})") << QStringLiteral("version");
        QTest::newRow("version null") << QByteArray(R"({"version":null,"url":"u"})") << QStringLiteral("version");
        QTest::newRow("version a number") << QByteArray(R"({"version":2.1,"url":"u"})") << QStringLiteral("version");
        QTest::newRow("url an object") << QByteArray(R"({"version":"2","url":{"href":"u"}})") << QStringLiteral("url");
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
        QTest::newRow("1.2.0 vs 1.2") << "1.2.0" << "1.2" << false;
        QTest::newRow("1.2.0.1 vs 1.2") << "1.2.0.1" << "1.2" << true;
        QTest::newRow("older major") << "1.9.9" << "2.0" << false;
        QTest::newRow("2.0-beta vs 1.9: the second piece is dropped") << "2.0-beta" << "1.9" << true;
        QTest::newRow("1.0-beta vs 1: reads as 1") << "1.0-beta" << "1" << false;
        QTest::newRow("v2.0 vs 1.9: reads as 0") << "v2.0" << "1.9" << false;
        QTest::newRow("2.v1 vs 2.0") << "2.v1" << "2.0" << false;
        QTest::newRow("nothing vs 0") << "" << "0" << false;
        QTest::newRow("empty pieces dropped") << "1..2" << "1.1" << true;
        QTest::newRow("leading dot") << ".2" << "1" << true;
        QTest::newRow("+2 converts") << "+2" << "1" << true;
        QTest::newRow("newer than negative") << "0" << "-1" << true;
        QTest::newRow("a lone sign does not convert") << "+.2" << "1" << true;
        QTest::newRow("whitespace does not convert") << " 2" << "1" << false;
        QTest::newRow("hex does not convert") << "0x10" << "1" << false;
        QTest::newRow("exponent does not convert") << "1e3" << "2" << false;
        QTest::newRow("non-ASCII digits do not convert") << "２" << "1" << false;
        QTest::newRow("largest 64-bit") << "9223372036854775807" << "9223372036854775806" << true;
        QTest::newRow("smallest 64-bit") << "-9223372036854775808" << "-9223372036854775807" << false;
        QTest::newRow("beyond 64 bits does not convert") << "99999999999999999999" << "1" << false;
    }
    void comparesVersionsPieceByPiece()
    {
        QFETCH(QString, remote);
        QFETCH(QString, local);
        QFETCH(bool, newer);
        QCOMPARE(UpdateChecker::isNewer(remote, local), newer);
    }
};

QTEST_GUILESS_MAIN(ReleaseFormatTest)
#include "release_format_test.moc"

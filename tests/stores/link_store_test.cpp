#include "StoreTesting.h"
#include "platform/Paths.h"
#include "settings/SaveIndicator.h"
#include "stores/LinkStore.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace StoreTesting;

namespace {

QuickLink link(const QString &name, const QString &url)
{
    QuickLink result;
    result.name = name;
    result.url = url;
    return result;
}

} // namespace

class LinkStoreTest : public QObject {
    Q_OBJECT
private slots:
    void openNormalisesWhatWasTyped()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LinkStore store(platform.appList, platform.bell, Paths::dataDirectory());

        const QList<std::pair<QString, QString>> opened = {
            {QStringLiteral("example.com"), QStringLiteral("https://example.com")},
            {QStringLiteral("  example.com/path?q=1\n"), QStringLiteral("https://example.com/path?q=1")},
            {QStringLiteral("\tslack://open?team=T1&id=C2 "), QStringLiteral("slack://open?team=T1&id=C2")},
            {QStringLiteral("http://example.com"), QStringLiteral("http://example.com")},
            {QStringLiteral("mailto:someone@example.com"), QStringLiteral("mailto:someone@example.com")},
            // Not a URL as typed: percent-encoded with the query's allowed characters.
            {QStringLiteral("https://example.com/a b"), QStringLiteral("https://example.com/a%20b")},
            {QStringLiteral("https://example.com/100%"), QStringLiteral("https://example.com/100%25")},
        };
        for (const auto &[typed, expected] : opened) {
            platform.appList.openedUrls.clear();
            QVERIFY2(store.open(typed), qPrintable(typed));
            QCOMPARE(platform.appList.openedUrls.size(), 1);
            QCOMPARE(platform.appList.openedUrls.first().toString(QUrl::FullyEncoded), expected);
        }
        QCOMPARE(platform.bell.beeps, 0);

        // The desktop's answer is the answer, without a beep.
        platform.appList.openUrlResult = false;
        QVERIFY(!store.open(QStringLiteral("unknown-scheme:thing")));
        QCOMPARE(platform.bell.beeps, 0);

        // Nothing to open: a beep, and the desktop is not asked.
        platform.appList.openedUrls.clear();
        for (const QString &nothing : {QStringLiteral("   "), QString(), QStringLiteral(" \n\t "),
                                       QStringLiteral("http://exa mple.com")}) {
            const int beeps = platform.bell.beeps;
            QVERIFY(!store.open(nothing));
            QCOMPARE(platform.bell.beeps, beeps + 1);
        }
        QVERIFY(platform.appList.openedUrls.isEmpty());
    }

    void saveDropsBlankLinksAndKeepsTheRestAsTyped()
    {
        TestEnvironment environment;
        FakePlatform platform;
        const QString file = Paths::dataDirectory() + QStringLiteral("/links.json");
        LinkStore store(platform.appList, platform.bell, Paths::dataDirectory());
        QVERIFY(store.links().isEmpty());
        QSignalSpy changes(&store, &LinkStore::linksChanged);
        const int ticks = SaveIndicator::shared().tick();

        const QList<QuickLink> typed = {
            link(QStringLiteral(" Docs "), QStringLiteral(" example.com/docs ")),
            link(QStringLiteral(" \t "), QStringLiteral("   ")),     // dropped
            link(QStringLiteral("\u00a0"), QStringLiteral("\u2003")), // Unicode spaces: dropped
            link(QStringLiteral("Name only"), QString()),
            link(QString(), QStringLiteral("\n")), // a line break is not blank here
        };
        QVERIFY(store.replaceAll(typed));
        const QList<QuickLink> kept = {typed[0], typed[3], typed[4]};
        QCOMPARE(store.links(), kept);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(SaveIndicator::shared().tick(), ticks + 1);

        const QByteArray bytes = fileBytes(file);
        QVERIFY(!bytes.contains('\n')); // compact: the line break in a url is escaped
        const QJsonArray array = QJsonDocument::fromJson(bytes).array();
        QCOMPARE(array.size(), 3);
        QCOMPARE(array[0].toObject(), QJsonObject({{QLatin1StringView("id"), kept[0].id.toString(QUuid::WithoutBraces).toUpper()},
                                                   {QLatin1StringView("name"), QStringLiteral(" Docs ")},
                                                   {QLatin1StringView("url"), QStringLiteral(" example.com/docs ")}}));
        QCOMPARE(mode(file), 0600);
        QCOMPARE(mode(Paths::dataDirectory()), 0700);

        // Saving the same list again writes again and ticks again.
        QVERIFY(store.replaceAll(store.links()));
        QCOMPARE(SaveIndicator::shared().tick(), ticks + 2);

        LinkStore reloaded(platform.appList, platform.bell, Paths::dataDirectory());
        QCOMPARE(reloaded.links(), kept);
    }

    void oneBadElementEmptiesTheStoreButNothingIsLost()
    {
        TestEnvironment environment;
        FakePlatform platform;
        const QString file = Paths::dataDirectory() + QStringLiteral("/links.json");
        const QByteArray content = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","url":"b"},)"
                                   R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","name":"c"}])";
        writeFile(file, content);
        LinkStore store(platform.appList, platform.bell, Paths::dataDirectory());
        QVERIFY(store.links().isEmpty());
        QCOMPARE(keptCopies(file).size(), 1);
        QVERIFY(store.replaceAll({link(QStringLiteral("new"), QStringLiteral("example.org"))}));
        QCOMPARE(jsonArray(file).size(), 1);
        QCOMPARE(fileBytes(Paths::dataDirectory() + u'/' + keptCopies(file).first()), content);
    }

    void aFailedWriteIsNotReportedAsSaved()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LinkStore store(platform.appList, platform.bell, Paths::dataDirectory());
        const int ticks = SaveIndicator::shared().tick();
        const QList<QuickLink> links = {link(QStringLiteral("a"), QStringLiteral("b"))};
        {
            ReadOnlyDirectory readOnly(Paths::dataDirectory(), environment.root());
            QVERIFY(!store.replaceAll(links));
        }
        QCOMPARE(store.links(), links); // in effect for this run
        QCOMPARE(SaveIndicator::shared().tick(), ticks);
        QVERIFY(!QFileInfo::exists(Paths::dataDirectory() + QStringLiteral("/links.json")));
    }
};

QTEST_GUILESS_MAIN(LinkStoreTest)
#include "link_store_test.moc"

#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/LinkTarget.h"
#include "support/FakePlatform.h"
#include "support/StubOpener.h"
#include "support/TestEnvironment.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using namespace StoreTesting;

// The quick links and the shell commands: lists the settings window saves whole.
class LinkAndCommandStoresTest : public QObject {
    Q_OBJECT
private slots:
    void linkTargetsAreWhatWasTypedMadeIntoAPathOrAUrl()
    {
        const QString home = QStringLiteral("/home/ann");
        const QList<std::pair<QString, QString>> targets = {
            // Local paths, and file URLs, open as paths: never as web addresses.
            {"  /tmp/x%41 \n", "/tmp/x%41"},
            {"~/notes.txt", "/home/ann/notes.txt"},
            {"~", "/home/ann"},
            {"/srv/../etc//hosts", "/etc/hosts"},
            {"//server/share", "/server/share"},
            {"file:///tmp/a%20b", "/tmp/a b"},
            {"FILE:///tmp/a b", "/tmp/a b"},
            {"file://localhost/tmp/x", "/tmp/x"},
            // Web addresses and other schemes, "https://" before one without.
            {"  example.com/path?q=1\n", "https://example.com/path?q=1"},
            {"\tslack://open?team=T1&id=C2 ", "slack://open?team=T1&id=C2"},
            {"mailto:someone@example.com", "mailto:someone@example.com"},
            // Not a URL as typed: percent-encoded with the query's allowed characters.
            {"https://example.com/a b", "https://example.com/a%20b"},
            {"https://example.com/100%", "https://example.com/100%25"},
        };
        for (const auto &[typed, expected] : targets) {
            const std::optional<QUrl> target = linkTarget(typed, home);
            QVERIFY2(target, qPrintable(typed));
            QCOMPARE(openerArgument(*target), expected);
        }
        for (const char *nothing : {"", " \n\t ", "http://exa mple.com", "file:relative/x", "file://",
                                    "file://server/x", "~ann/x", "-h", "--help me"})
            QVERIFY2(!linkTarget(nothing, home), nothing);
    }

    // Opening goes through the desktop's opener; each failure is reported once.
    void failuresToOpenALinkAreReportedOnce()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LinkStore store(platform.appList, platform.bell, platform.notes, Paths::dataDirectory());
        // No handler: one notification, with what the opener said.
        {
            StubOpener opener(3);
            QVERIFY(store.open(QStringLiteral("lgnohandler:x")));
            QTRY_COMPARE(platform.notes.shown.size(), 1);
            QCOMPARE(platform.notes.shown.first().body,
                     QStringLiteral("xdg-open: no method available for opening 'lgnohandler:x'"));
            QCOMPARE(platform.bell.beeps, 1);
        }
        // Without xdg-open, the desktop's own look-up, and its refusal is reported.
        {
            StubOpener noOpener(std::nullopt);
            platform.appList.openUrlResult = false;
            QVERIFY(store.open(QStringLiteral("/nowhere")));
            QTRY_COMPARE(platform.notes.shown.size(), 2);
            QCOMPARE(platform.appList.openedUrls, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/nowhere"))});
        }
        // Nothing to open: reported at once, nothing started.
        QVERIFY(!store.open(QStringLiteral("http://exa mple.com")));
        QCOMPARE(platform.notes.shown.size(), 3);
        QCOMPARE(platform.notes.shown.last().summary, QStringLiteral("Nothing to open"));
        QCOMPARE(platform.bell.beeps, 3);
    }

    // Blank records are dropped on save and the rest kept as typed; one bad element in a
    // file empties its store, and the file is kept aside whole.
    void saveDropsBlankRecordsAndLoadRefusesAFileWithABadOne()
    {
        TestEnvironment environment;
        FakePlatform platform;
        const QString data = Paths::dataDirectory();
        LinkStore links(platform.appList, platform.bell, platform.notes, data);
        CommandStore commands(data);
        QSignalSpy linkSaves(&links, &LinkStore::listSaved);
        QSignalSpy commandChanges(&commands, &CommandStore::commandsChanged);

        const QList<QuickLink> typedLinks = {
            {.name = " Docs ", .url = " example.com/docs "},
            {.name = " \t ", .url = "   "},      // dropped
            {.name = "\u00a0", .url = "\u2003"}, // Unicode spaces: dropped
            {.name = "Name only", .url = ""},
            {.name = "", .url = "\n"}, // a line break is not blank here
        };
        QVERIFY(links.replaceAll(typedLinks));
        const QList<QuickLink> keptLinks = {typedLinks[0], typedLinks[3], typedLinks[4]};
        const QList<Command> typedCommands = {{.name = "  ", .command = "\t"},
                                              {.name = "", .command = " ./backup.sh "},
                                              {.name = "Named", .command = ""}};
        QVERIFY(commands.replaceAll(typedCommands));
        QCOMPARE(linkSaves.count(), 1);
        QCOMPARE(commandChanges.count(), 1);
        QCOMPARE(LinkStore(platform.appList, platform.bell, platform.notes, data).links(), keptLinks);
        QCOMPARE(CommandStore(data).commands(), typedCommands.mid(1));
        const QString linksFile = data + QStringLiteral("/links.json");
        const QString commandsFile = data + QStringLiteral("/commands.json");
        QCOMPARE(jsonArray(commandsFile)[0].toObject().value("command"), QJsonValue(" ./backup.sh "));

        writeFile(linksFile, R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","url":"b"},)"
                             R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","name":"c"}])"); // no url
        writeFile(commandsFile, R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","command":["ls"]}])");
        QVERIFY(LinkStore(platform.appList, platform.bell, platform.notes, data).links().isEmpty());
        QVERIFY(CommandStore(data).commands().isEmpty());
        QCOMPARE(keptCopies(linksFile).size() + keptCopies(commandsFile).size(), 2);
    }
};

QTEST_GUILESS_MAIN(LinkAndCommandStoresTest)
#include "link_and_command_stores_test.moc"

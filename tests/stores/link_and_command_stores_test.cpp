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

namespace {

QuickLink quickLink(const QString &name, const QString &url)
{
    QuickLink result;
    result.name = name;
    result.url = url;
    return result;
}

Command command(const QString &name, const QString &line)
{
    Command result;
    result.name = name;
    result.command = line;
    return result;
}

} // namespace

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
            {"example.com/a b", "https://example.com/a%20b"},
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
            QCOMPARE(platform.notes.shown.first().summary, QStringLiteral("Could not open lgnohandler:x"));
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

    void saveDropsBlankRecordsAndKeepsTheRestAsTyped()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LinkStore links(platform.appList, platform.bell, platform.notes, Paths::dataDirectory());
        CommandStore commands(Paths::dataDirectory());
        QSignalSpy linkSaves(&links, &LinkStore::listSaved);
        QSignalSpy commandChanges(&commands, &CommandStore::commandsChanged);

        const QList<QuickLink> typedLinks = {
            quickLink(" Docs ", " example.com/docs "),
            quickLink(" \t ", "   "),      // dropped
            quickLink("\u00a0", "\u2003"), // Unicode spaces: dropped
            quickLink("Name only", QString()),
            quickLink(QString(), "\n"), // a line break is not blank here
        };
        QVERIFY(links.replaceAll(typedLinks));
        const QList<QuickLink> keptLinks = {typedLinks[0], typedLinks[3], typedLinks[4]};
        const QList<Command> typedCommands = {command("  ", "\t"), command(QString(), " ./backup.sh "),
                                              command("Named", QString())};
        QVERIFY(commands.replaceAll(typedCommands));
        QCOMPARE(linkSaves.count(), 1);
        QCOMPARE(commandChanges.count(), 1);
        QCOMPARE(LinkStore(platform.appList, platform.bell, platform.notes, Paths::dataDirectory()).links(), keptLinks);
        QCOMPARE(CommandStore(Paths::dataDirectory()).commands(), typedCommands.mid(1));
        QCOMPARE(jsonArray(Paths::dataDirectory() + QStringLiteral("/commands.json"))[0].toObject().value("command"),
                 QJsonValue(" ./backup.sh "));
    }

    void oneBadElementEmptiesTheStoreButNothingIsLost()
    {
        TestEnvironment environment;
        FakePlatform platform;
        const QString linksFile = Paths::dataDirectory() + QStringLiteral("/links.json");
        const QString commandsFile = Paths::dataDirectory() + QStringLiteral("/commands.json");
        const QByteArray noUrl = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","url":"b"},)"
                                 R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","name":"c"}])";
        const QByteArray listAsCommand =
            R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"a","command":["ls"]}])";
        writeFile(linksFile, noUrl);
        writeFile(commandsFile, listAsCommand);

        LinkStore links(platform.appList, platform.bell, platform.notes, Paths::dataDirectory());
        CommandStore commands(Paths::dataDirectory());
        QVERIFY(links.links().isEmpty());
        QVERIFY(commands.commands().isEmpty());
        QCOMPARE(keptCopies(linksFile).size() + keptCopies(commandsFile).size(), 2);
    }
};

QTEST_GUILESS_MAIN(LinkAndCommandStoresTest)
#include "link_and_command_stores_test.moc"

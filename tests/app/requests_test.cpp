#include "app/CommandLine.h"
#include "app/LettergateApp.h"
#include "app/RequestProtocol.h"
#include "app/WindowReport.h"
#include "hotkeys/HotkeyManager.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/SettingsWindowController.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/StoreTesting.h"
#include "settings/SettingsTestSupport.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QWidget>
#include <QTest>
#include <vector>

namespace {

constexpr qint32 terminalPid = 5100;
constexpr qint32 viewerPid = 5200;

CommandLine parse(std::vector<const char *> arguments)
{
    arguments.insert(arguments.begin(), "lettergate");
    return CommandLine::parse(int(arguments.size()), const_cast<char **>(arguments.data()));
}

} // namespace

// What the command line asks of the running program, and what it answers.
class RequestsTest : public QObject {
    Q_OBJECT

private slots:
    void theCommandLineKnowsItsVerbs()
    {
        for (const char *verb : {"toggle", "show", "settings", "windows", "quit"}) {
            const CommandLine line = parse({verb});
            QCOMPARE(line.verb, QString::fromLatin1(verb));
            QCOMPARE(line.exitCode, std::nullopt);
        }
        // The one verb with an argument; the running instance judges the modifier.
        QCOMPARE(parse({"tap", "super"}).verb, QStringLiteral("tap super"));
        QCOMPARE(parse({"tap", "Hyper"}).verb, QStringLiteral("tap Hyper"));
        const CommandLine start = parse({});
        QCOMPARE(start.verb, std::nullopt);
        QCOMPARE(start.exitCode, std::nullopt);

        // Usage errors exit at once, and nothing is sent.
        const QList<std::vector<const char *>> usageErrors{{"Toggle"}, {"bogus"}, {"toggle", "quit"}, {"--frobnicate"}, {"tap"}, {"tap", "super", "ctrl"}, {"toggle", "super"}};
        for (const std::vector<const char *> &wrong : usageErrors) {
            const CommandLine line = parse(wrong);
            QCOMPARE(line.exitCode, 64);
            QCOMPARE(line.verb, std::nullopt);
        }
        QCOMPARE(parse({"--version"}).exitCode, 0);
    }

    void windowsAreListedAsThePanelShowsThem()
    {
        TestEnvironment environment;
        FakePlatform platform;
        Launch settings;
        settings.store.setLetters({{QStringLiteral("org.example.Terminal"), QStringLiteral("t")},
                                   // The clipboard key: this listing gives the app another letter.
                                   {QStringLiteral("org.example.Viewer"), QStringLiteral("v")}});
        platform.windows.addWindow(41, viewerPid, QStringLiteral("Viewer"), QStringLiteral("Photo"));
        platform.windows.addWindow(33, terminalPid, QStringLiteral("Terminal"), QStringLiteral("make\tall\nline two"));
        platform.windows.addWindow(31, terminalPid, QStringLiteral("Terminal"), QStringLiteral("~"));
        // Our own windows are never listed.
        platform.windows.addWindow(51, qint32(QCoreApplication::applicationPid()), QStringLiteral("Lettergate"),
                                   QStringLiteral("Settings"));
        platform.appList.bundleIDs = {{terminalPid, QStringLiteral("org.example.Terminal")},
                                      {viewerPid, QStringLiteral("org.example.Viewer")}};

        QCOMPARE(windowReport(panelApps(platform, settings.store)),
                 QByteArrayLiteral("a\tViewer\t1\t0x29\tPhoto\n"
                                   "t\tTerminal\t1\t0x1f\t~\n"
                                   "t\tTerminal\t2\t0x21\tmake all line two\n"));

        // An app whose letter the user cleared; a name with a line break; a title that
        // would reverse itself and hide a character on a terminal.
        const AppEntry unlettered{7, std::nullopt, QStringLiteral("Two\u2028lines"), std::nullopt,
                                  {WindowInfo{0xabc, 7, std::nullopt, QStringLiteral("Two"), QStringLiteral("\u202egnp.exe\u200b"), {}}}};
        QCOMPARE(windowReport({unlettered}), QByteArrayLiteral("-\tTwo lines\t1\t0xabc\tgnp.exe\n"));
        QCOMPARE(windowReport({}), QByteArray());
    }

    void onlyPrintableTextIsShown()
    {
        const struct {
            QString text;
            QString printable;
        } cases[] = {
            {QStringLiteral("Grüße, 東京 🙂\tcolumn\n"), QStringLiteral("Grüße, 東京 🙂\tcolumn\n")},
            {QStringLiteral("\x1b[31mred\x1b[0m"), QStringLiteral("[31mred[0m")},
            {QStringLiteral("\x1b]0;title\x07"), QStringLiteral("]0;title")},
            {QStringLiteral("\u009b2J\u0085\u009d"), QStringLiteral("2J")},
            {QStringLiteral("a\rb\bc\x7f\x01"), QStringLiteral("abc")},
            {QStringLiteral("\u202eexe.txt\u202c \u2066x\u2069\u200e\u200f\u061c"), QStringLiteral("exe.txt x")},
            {QStringLiteral("pay\u200bpal\u200c\u200d\u2060\ufeff"), QStringLiteral("paypal")},
            // A soft hyphen, an invisible operator and tag characters (beyond the first plane).
            {QStringLiteral("in\u00advis\u2062ible\U000E0041\U000E007F"), QStringLiteral("invisible")},
        };
        for (const auto &test : cases)
            QCOMPARE(RequestProtocol::printable(test.text), test.printable);
        QCOMPARE(RequestProtocol::oneLine(QStringLiteral("a\tb\nc\u2028d\u2029\x1b[2J")), QStringLiteral("a b c d [2J"));
    }

    // The services the program makes over the user's files: the settings read from
    // the user's file re-arm the program's trigger, and every save reaches the save
    // indicator, a failing one the user.
    void theProgramWiresItsServicesTogether()
    {
        TestEnvironment environment;
        writeSettingsFile("[General]\nLettergate.commandKey=k\n");
        FakePlatform platform;
        LettergateApp app(platform);
        Services &services = app.services();
        QCOMPARE(services.settings->commandKey(), QStringLiteral("k"));
        QVERIFY(platform.keys.registrations.isEmpty()); // loading arms nothing
        const int ticks = services.saveIndicator->tick();

        services.hotkeys->setOnTrigger([] {});
        services.settings->setHotkey(HotkeyConfig::combo(49, CarbonModifiers::command));
        QCOMPARE(platform.keys.registrations.size(), 1);
        QCOMPARE(platform.keys.registrations.first().keyCode, 49u);
        QCOMPARE(services.saveIndicator->tick(), ticks + 1);

        QuickLink link;
        link.name = QStringLiteral("Docs");
        link.url = QStringLiteral("example.com");
        QVERIFY(services.links->replaceAll({link}));
        QCOMPARE(services.saveIndicator->tick(), ticks + 2);
        {
            StoreTesting::ReadOnlyDirectory readOnly(Paths::dataDirectory(), environment.root());
            QVERIFY(!services.commands->replaceAll({}));
        }
        QCOMPARE(services.saveIndicator->tick(), ticks + 2);
        QVERIFY(services.saveIndicator->failure().startsWith(QStringLiteral("commands.json: ")));
        QCOMPARE(platform.notes.shown.size(), 1);
        services.hotkeys->setOnTrigger({});
    }

    void theRunningProgramAnswersEachRequest()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LettergateApp app(platform);
        const auto settingsShown = [&app] {
            const QWidget *window = app.services().settingsWindow->window();
            return window && window->isVisible();
        };
        LogCapture log;

        QCOMPARE(app.handleRequest(QStringLiteral("settings")), RequestProtocol::acknowledgement());
        QVERIFY(settingsShown());
        app.services().settingsWindow->window()->hide();
        QCOMPARE(app.handleRequest(QString()), RequestProtocol::acknowledgement());
        QVERIFY(settingsShown());
        app.services().settingsWindow->window()->hide();

        // An empty window list is an answer; an empty reply is none.
        QCOMPARE(RequestProtocol::payload(RequestProtocol::acknowledgement()), QByteArray());
        QCOMPARE(RequestProtocol::payload(RequestProtocol::acknowledgement("a\tAlpha\n")), QByteArrayLiteral("a\tAlpha\n"));
        QCOMPARE(RequestProtocol::payload(QByteArray()), std::nullopt);
        QCOMPARE(RequestProtocol::payload("okay\n"), std::nullopt);

        // Whatever else arrives on the socket is refused, logged on one line, and does nothing.
        log.clear();
        const QByteArray refused = app.handleRequest(QStringLiteral("\x1b[2Jsettings\u2029again"));
        QCOMPARE(refused, QByteArrayLiteral("error: unknown request\n"));
        QCOMPARE(RequestProtocol::refusalReason(refused), QStringLiteral("unknown request"));
        QCOMPARE(RequestProtocol::refusalReason(RequestProtocol::acknowledgement()), std::nullopt);
        QCOMPARE(RequestProtocol::payload(refused), std::nullopt);
        QVERIFY(!settingsShown());
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines.first().endsWith(QStringLiteral("ignoring an unknown request from another start: [2Jsettings again")),
                 qPrintable(log.lines.first()));
    }

    void tapsReportedByTheDesktopOpenThePanelOnADoubleTap()
    {
        TestEnvironment environment;
        FakePlatform platform;
        LettergateApp app(platform);
        HotkeyManager &trigger = *app.services().hotkeys;
        int fires = 0;
        trigger.setOnTrigger([&fires] { ++fires; });
        trigger.apply(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Control));
        LogCapture log;

        QCOMPARE(app.handleRequest(QStringLiteral("tap ctrl")), RequestProtocol::acknowledgement());
        platform.time.advance(0.2);
        QCOMPARE(app.handleRequest(QStringLiteral("tap Ctrl")), RequestProtocol::acknowledgement());
        QCOMPARE(fires, 1);

        // A modifier nobody can tap is refused, as an unknown request is, and counts for nothing.
        const struct {
            QString request;
            QString reason;
        } refused[] = {
            {QStringLiteral("tap hyper"), QStringLiteral("unknown modifier \"hyper\": tap takes super, ctrl, alt or shift")},
            {QStringLiteral("tap"), QStringLiteral("unknown modifier \"\": tap takes super, ctrl, alt or shift")},
            {QStringLiteral("tap ctrl\x1b[2J"), QStringLiteral("unknown modifier \"ctrl[2J\": tap takes super, ctrl, alt or shift")},
        };
        for (const auto &test : refused) {
            log.clear();
            QCOMPARE(RequestProtocol::refusalReason(app.handleRequest(test.request)), test.reason);
            QCOMPARE(log.lines.size(), 1);
        }
        platform.time.advance(0.5);
        app.handleRequest(QStringLiteral("tap ctrl"));
        app.handleRequest(QStringLiteral("tap hyper"));
        app.handleRequest(QStringLiteral("tap ctrl"));
        QCOMPARE(fires, 2);
    }
};

QTEST_MAIN(RequestsTest)
#include "requests_test.moc"

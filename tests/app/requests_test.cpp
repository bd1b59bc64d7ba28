#include "app/CommandLine.h"
#include "app/LettergateApp.h"
#include "app/RequestProtocol.h"
#include "hotkeys/HotkeyManager.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTestSupport.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/SettingsWindowController.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/StoreTesting.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <vector>

using namespace lettergate;

namespace {

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
    void theCommandLineKnowsItsVerbsAndShowsOnlyPrintableText()
    {
        const QList<std::pair<std::vector<const char *>, std::optional<QString>>> verbs{
            {{"toggle"}, "toggle"},
            {{}, std::nullopt},
            // The running instance judges the modifier.
            {{"tap", "Hyper"}, "tap Hyper"}};
        for (const auto &[arguments, verb] : verbs) {
            QCOMPARE(parse(arguments).verb, verb);
            QCOMPARE(parse(arguments).exitCode, std::nullopt);
        }
        // Usage errors exit at once, and nothing is sent.
        const QList<std::vector<const char *>> wrongs{
            {"Toggle"}, {"--frobnicate"}, {"tap"}, {"tap", "super", "ctrl"}, {"toggle", "super"}};
        for (const std::vector<const char *> &wrong : wrongs) {
            QCOMPARE(parse(wrong).exitCode, 64);
            QCOMPARE(parse(wrong).verb, std::nullopt);
        }
        QCOMPARE(parse({"--version"}).exitCode, 0);

        // Only printable text of an answer is shown.
        const QList<std::pair<QString, QString>> cases{
            {QStringLiteral("Grüße, 東京 🙂\tcolumn\n"), QStringLiteral("Grüße, 東京 🙂\tcolumn\n")},
            {QStringLiteral("\u009b2J\u0085\u009d"), QStringLiteral("2J")},
            {QStringLiteral("\u202eexe.txt\u202c \u2066x\u2069\u200e\u200f\u061c"), QStringLiteral("exe.txt x")},
            {QStringLiteral("pay\u200bpal\u200c\u200d\u2060\ufeff"), QStringLiteral("paypal")},
            // A soft hyphen, an invisible operator and tag characters (beyond the first plane).
            {QStringLiteral("in\u00advis\u2062ible\U000E0041\U000E007F"), QStringLiteral("invisible")},
        };
        for (const auto &[text, printable] : cases)
            QCOMPARE(RequestProtocol::printable(text), printable);
        QCOMPARE(RequestProtocol::oneLine(QStringLiteral("a\tb\nc\u2028d\u2029\x1b[2J")),
                 QStringLiteral("a b c d [2J"));
    }

    // The settings read from the user's file re-arm the program's trigger, and every
    // save reaches the save indicator, a failing one the user; each request is answered.
    void theProgramWiresItsServicesTogetherAndAnswersEachRequest()
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
        QVERIFY(services.links->replaceAll({}));
        QCOMPARE(services.saveIndicator->tick(), ticks + 2);
        {
            StoreTesting::ReadOnlyDirectory readOnly(Paths::dataDirectory(), environment.root());
            QVERIFY(!services.commands->replaceAll({}));
        }
        QVERIFY(services.saveIndicator->failure().startsWith(QStringLiteral("commands.json: ")));
        QCOMPARE(platform.notes.shown.size(), 1);

        // Whatever arrives on the socket that is no request is refused, logged on one line,
        // and does nothing; a tap the desktop reports feeds the double tap.
        LogCapture log;
        const QByteArray refused = app.handleRequest(QStringLiteral("\x1b[2Jsettings\u2029again"));
        QCOMPARE(RequestProtocol::refusalReason(refused), QStringLiteral("unknown request"));
        QCOMPARE(RequestProtocol::payload(refused), std::nullopt);
        const auto settingsShown = [&services] {
            const QWidget *window = services.settingsWindow->window();
            return window && window->isVisible();
        };
        QVERIFY(!settingsShown());
        QVERIFY2(log.lines.first().endsWith(QStringLiteral("another start: [2Jsettings again")),
                 qPrintable(log.lines.first()));
        // A second start without a verb opens the settings.
        QCOMPARE(app.handleRequest(QString()), RequestProtocol::acknowledgement());
        QVERIFY(settingsShown());
        // An empty window list is an answer; an empty reply is none.
        QCOMPARE(RequestProtocol::payload(QByteArray()), std::nullopt);

        HotkeyManager &trigger = *services.hotkeys;
        int fires = 0;
        trigger.setOnTrigger([&fires] { ++fires; });
        trigger.apply(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Control));
        QCOMPARE(app.handleRequest(QStringLiteral("tap ctrl")), RequestProtocol::acknowledgement());
        platform.time.advance(0.2);
        QCOMPARE(app.handleRequest(QStringLiteral("tap Ctrl")), RequestProtocol::acknowledgement());
        QCOMPARE(fires, 1);
        // A modifier nobody can tap is refused, as an unknown request is, and counts for nothing.
        QCOMPARE(RequestProtocol::refusalReason(app.handleRequest(QStringLiteral("tap ctrl\x1b[2J"))),
                 QStringLiteral("unknown modifier \"ctrl[2J\": tap takes super, ctrl, alt or shift"));
        platform.time.advance(0.5);
        app.handleRequest(QStringLiteral("tap ctrl"));
        app.handleRequest(QStringLiteral("tap hyper"));
        app.handleRequest(QStringLiteral("tap ctrl"));
        QCOMPARE(fires, 2);
        trigger.setOnTrigger({});
    }
};

QTEST_MAIN(RequestsTest)
#include "requests_test.moc"

#include "app/StartUp.h"
#include "app/TrayMenu.h"
#include "app/TrayStatus.h"
#include "hotkeys/HotkeyManager.h"
#include "settings/SettingsTestSupport.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandRunner.h"
#include "stores/RunningCommands.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"
#include "updates/LoopbackHttpServer.h"
#include "updates/UpdateChecker.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace {

constexpr qint32 terminalPid = 5100;
constexpr qint32 playerPid = 5200;
const QString showSwitcher = QStringLiteral("Show Switcher");
const QString newVersion = QStringLiteral("New Version");
const QString checkForUpdates = QStringLiteral("Check for Updates");
const QString triggerItem = QStringLiteral("Trigger:");
const QString windowManager = QStringLiteral("Window manager:");

QByteArray releaseReply(const QByteArray &version)
{
    return R"({"version":")" + version + R"(","url":"https://example.org/download"})";
}

} // namespace

// A first launch on the fake desktop with a loopback release endpoint.
class StartUpAndTrayTest : public QObject {
    Q_OBJECT

    struct Rig {
        explicit Rig(const QByteArray &releaseVersion)
            : server(LoopbackHttpServer::respond(200, "OK", releaseReply(releaseVersion)))
        {
            platform.windows.addWindow(31, terminalPid, QStringLiteral("Terminal"), QStringLiteral("~"));
            platform.windows.addWindow(41, playerPid, QStringLiteral("Player"), QStringLiteral("Song"));
            platform.appList.bundleIDs = {{terminalPid, QStringLiteral("org.example.Terminal")},
                                          {playerPid, QStringLiteral("org.example.Player")}};
            platform.ax.trusted = false;
        }

        TestEnvironment environment;
        FakePlatform platform;
        Launch settings;
        HotkeyManager hotkeys{platform.keys, platform.tap, platform.time};
        ClipboardHistory clipboard{platform.board, Paths::dataDirectory()};
        LoopbackHttpServer server;
        UpdateChecker updates{server.baseUrl(), std::chrono::seconds(5)};
        int toggles = 0;
        int overlayPreparations = 0;
        // How many trigger registrations there were when the tray icon was installed.
        std::optional<qsizetype> registrationsAtTrayInstall;
        StartUp startUp{StartUpServices{platform, settings.store, hotkeys, clipboard, updates},
                        StartUp::Hooks{[this] { ++toggles; }, [this] { ++overlayPreparations; },
                                       [this] { registrationsAtTrayInstall = platform.keys.registrations.size(); }}};
        QList<UpdateResult> presented;
        RunningCommands running;
        TrayMenu tray{settings.store, updates, platform, hotkeys, running,
                      TrayMenu::Actions{{}, {}, {}, {}, [this](const UpdateResult &result) { presented.append(result); }}};

        // The visible item whose label starts with `label`, as the user finds it.
        QAction *item(const QString &label) const
        {
            const QList<QAction *> actions = tray.menu()->actions();
            const auto found = std::ranges::find_if(
                actions, [&label](QAction *action) { return action->isVisible() && action->text().startsWith(label); });
            return found != actions.end() ? *found : nullptr;
        }

        // The "Running Commands" submenu's item, and the labels of what it holds.
        QAction *runningCommands() const
        {
            const QList<QAction *> actions = tray.menu()->actions();
            const auto found = std::ranges::find_if(actions, [](QAction *action) { return action->menu(); });
            return found != actions.end() ? *found : nullptr;
        }
        QStringList runningCommandLabels() const
        {
            QStringList labels;
            for (const QAction *action : runningCommands()->menu()->actions())
                labels.append(action->text());
            return labels;
        }
    };

private slots:
    void firstLaunchArmsTheTriggerLettersEveryAppAndChecksQuietly()
    {
        Rig rig("0.0.1");
        QCOMPARE(rig.settings.tick(), 1); // the taskbar choice is applied at load
        rig.startUp.finishLaunching();
        QCOMPARE(rig.platform.ax.trustRequests, 1);
        QCOMPARE(rig.overlayPreparations, 0); // both tasks wait for the event loop
        QVERIFY(!rig.registrationsAtTrayInstall);

        QTRY_COMPARE(rig.overlayPreparations, 1);
        // The tray icon waits for the trigger, which nothing else may hold up.
        QCOMPARE(rig.registrationsAtTrayInstall, 1);
        QCOMPARE(rig.settings.store.letters().keys(),
                 QStringList({QStringLiteral("org.example.Player"), QStringLiteral("org.example.Terminal")}));
        // The history's start-up save is written shortly after, or at the latest when quitting.
        QVERIFY(!QFileInfo::exists(rig.clipboard.filePath()));
        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
        QVERIFY(QFileInfo::exists(rig.clipboard.filePath()));

        // The trigger, armed once, queues the toggle rather than running it inside the key event.
        QCOMPARE(rig.platform.keys.registrations.size(), 1);
        rig.platform.keys.press(13, 0x1800);
        QCOMPARE(rig.toggles, 0);
        QTRY_COMPARE(rig.toggles, 1);

        QTRY_VERIFY(rig.updates.lastResult().has_value());
        QVERIFY(rig.updates.lastResult()->isUpToDate());
        QVERIFY(rig.presented.isEmpty());
    }

    void menuLabelsFollowTheTriggerTheDesktopAndAKnownUpdate()
    {
        Rig rig("99.0");
        rig.tray.refresh();
        // The labels that change with the state (the others are fixed text).
        QCOMPARE(rig.item(showSwitcher)->text(), QStringLiteral("Show Switcher  (Ctrl+Alt+W)"));
        QVERIFY(!rig.item(newVersion));
        QCOMPARE(rig.item(triggerItem)->text(), QStringLiteral("Trigger: not armed yet"));
        QCOMPARE(rig.item(windowManager)->text(), QStringLiteral("Window manager: Fakebox"));

        rig.settings.store.setHotkey(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Command));
        rig.tray.refresh();
        QCOMPARE(rig.item(showSwitcher)->text(), QStringLiteral("Show Switcher  (Double-tap Super)"));

        // A trigger another program holds; once it lets go, the menu's Try Again takes it.
        const HotkeyConfig trigger = HotkeyConfig::defaultTrigger();
        rig.platform.keys.refused.insert({trigger.keyCode(), trigger.carbonModifiers()});
        rig.hotkeys.setOnTrigger([] {});
        rig.hotkeys.apply(trigger);
        rig.platform.own.windowManager = std::nullopt;
        rig.tray.refresh();
        QCOMPARE(rig.item(triggerItem)->text(), QStringLiteral("Trigger: %1 taken — Try Again").arg(trigger.readableName()));
        QVERIFY(rig.item(triggerItem)->isEnabled());
        QCOMPARE(rig.item(windowManager)->text(), QStringLiteral("Window manager: none"));
        rig.platform.keys.refused.clear();
        rig.item(triggerItem)->trigger();
        rig.tray.refresh();
        QCOMPARE(rig.item(triggerItem)->text(), QStringLiteral("Trigger: %1 ✓").arg(trigger.readableName()));
        QVERIFY(!rig.item(triggerItem)->isEnabled());

        // Where the desktop binds keys itself, its bindings are the trigger: nothing to try
        // again, no warning on the icon.
        rig.platform.keys.supported = false;
        for (const HotkeyConfig &bound : {trigger, HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Control)}) {
            rig.hotkeys.apply(bound);
            rig.tray.refresh();
            QCOMPARE(rig.item(showSwitcher)->text(), QStringLiteral("Show Switcher"));
            QCOMPARE(rig.item(triggerItem)->text(), QStringLiteral("Trigger: bound in the desktop's settings"));
            QVERIFY(!rig.item(triggerItem)->isEnabled());
            const TrayStatus status(rig.hotkeys);
            QVERIFY(!status.isWarning());
            QCOMPARE(status.toolTip(), QStringLiteral("Lettergate"));
        }
        rig.platform.keys.supported = true;

        // Two quick clicks run one check; the item is disabled until its outcome is shown.
        rig.tray.checkForUpdates();
        rig.tray.checkForUpdates();
        QVERIFY(!rig.item(checkForUpdates)->isEnabled());
        QTRY_COMPARE(rig.presented.size(), 1);
        QTest::qWait(100);
        QCOMPARE(rig.server.requests.size(), 1);
        QVERIFY(rig.item(checkForUpdates)->isEnabled());
        QVERIFY(rig.presented.front().isUpdateAvailable());

        rig.tray.refresh();
        QCOMPARE(rig.item(newVersion)->text(), QStringLiteral("New Version v99.0 · Download"));
        rig.item(newVersion)->trigger();
        QCOMPARE(rig.platform.appList.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/download"))});

        // A command still running is listed with a Stop item until it ends; built as
        // commands start and end, not at each opening.
        QVERIFY(!rig.runningCommands()->isVisible());
        std::optional<CommandRunner::Result> ended;
        CommandRunner::runCommand(rig.running, QStringLiteral("Backup & Sync"), QStringLiteral("sleep 100"),
                                  [&ended](const CommandRunner::Result &result) { ended = result; });
        QVERIFY(rig.runningCommands()->isVisible());
        QCOMPARE(rig.runningCommandLabels(), QStringList{QStringLiteral("Stop “Backup && Sync”")});
        rig.runningCommands()->menu()->actions().front()->trigger();
        QTRY_VERIFY(ended.has_value());
        QVERIFY(ended->stopped);
        QVERIFY(!rig.runningCommands()->isVisible());
        QVERIFY(rig.runningCommandLabels().isEmpty());

        // The screenshot script keeps a picture of the menu in this state.
        const QString directory = qEnvironmentVariable("LETTERGATE_SCREENSHOT_DIR");
        if (!directory.isEmpty()) {
            rig.tray.menu()->adjustSize();
            QVERIFY(rig.tray.menu()->grab().save(directory + QStringLiteral("/tray-menu.png")));
        }
    }
};

QTEST_MAIN(StartUpAndTrayTest)
#include "startup_and_tray_test.moc"

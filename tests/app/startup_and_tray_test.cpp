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

using namespace lettergate;

namespace {

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
            platform.windows.addWindow(31, 5100, QStringLiteral("Terminal"), QStringLiteral("~"));
            platform.windows.addWindow(41, 5200, QStringLiteral("Player"), QStringLiteral("Song"));
            platform.appList.bundleIDs = {{5100, QStringLiteral("org.example.Terminal")},
                                          {5200, QStringLiteral("org.example.Player")}};
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
        TrayMenu tray{settings.store,
                      updates,
                      platform,
                      hotkeys,
                      running,
                      TrayMenu::Actions{{}, {}, {}, {}, [this](const UpdateResult &result) { presented.append(result); }}};

        // The visible item whose label starts with `label`, or the submenu's with none.
        QAction *item(const QString &label = {}) const
        {
            for (QAction *action : tray.menu()->actions())
                if (label.isEmpty() ? bool(action->menu()) : action->isVisible() && action->text().startsWith(label))
                    return action;
            return nullptr;
        }
    };

private slots:
    void firstLaunchArmsTheTriggerLettersEveryAppAndChecksQuietly()
    {
        Rig rig("0.0.1");
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

    void theMenuRetriesTheTriggerChecksOnceAndStopsCommands()
    {
        Rig rig("99.0");
        // A trigger another program holds; once it lets go, the menu's Try Again takes it.
        const HotkeyConfig trigger = HotkeyConfig::defaultTrigger();
        rig.platform.keys.refused.insert({trigger.keyCode(), trigger.carbonModifiers()});
        rig.hotkeys.setOnTrigger([] {});
        rig.hotkeys.apply(trigger);
        rig.tray.refresh();
        QVERIFY(rig.item(QStringLiteral("Trigger:"))->isEnabled());
        QVERIFY(TrayStatus(rig.hotkeys).isWarning());
        rig.platform.keys.refused.clear();
        rig.item(QStringLiteral("Trigger:"))->trigger();
        rig.tray.refresh();
        QVERIFY(!rig.item(QStringLiteral("Trigger:"))->isEnabled());

        // Two quick clicks run one check; the item is disabled until its outcome is shown.
        rig.tray.checkForUpdates();
        rig.tray.checkForUpdates();
        QVERIFY(!rig.item(QStringLiteral("Check for Updates"))->isEnabled());
        QTRY_COMPARE(rig.presented.size(), 1);
        QTest::qWait(100);
        QCOMPARE(rig.server.requests.size(), 1);
        QVERIFY(rig.item(QStringLiteral("Check for Updates"))->isEnabled());
        rig.tray.refresh();
        rig.item(QStringLiteral("New Version"))->trigger();
        QCOMPARE(rig.platform.appList.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/download"))});

        // A command still running is listed with a Stop item until it ends.
        QVERIFY(!rig.item()->isVisible());
        std::optional<CommandRunner::Result> ended;
        CommandRunner::runCommand(rig.running, QStringLiteral("Backup & Sync"), QStringLiteral("sleep 100"),
                                  [&ended](const CommandRunner::Result &result) { ended = result; });
        QVERIFY(rig.item()->isVisible());
        QCOMPARE(rig.item()->menu()->actions().front()->text(), QStringLiteral("Stop “Backup && Sync”"));
        rig.item()->menu()->actions().front()->trigger();
        QTRY_VERIFY(ended.has_value());
        QVERIFY(ended->stopped);
        QVERIFY(!rig.item()->isVisible());

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

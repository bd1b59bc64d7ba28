#include "platform/Accessibility.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/WindowServer.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/x11/ClientWindow.h"
#include "platform/x11/KeyTranslation.h"
#include "platform/x11/ModifierTracker.h"
#include "platform/x11/NetWmIcon.h"
#include "platform/x11/UserInputTime.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>

namespace {

// Puts DISPLAY and QT_QPA_PLATFORM back, and WAYLAND_DISPLAY away, at the end of the scope.
auto restoringSessionVariables()
{
    return qScopeGuard([display = qgetenv("DISPLAY"), qtPlatform = qgetenv("QT_QPA_PLATFORM")] {
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", qtPlatform);
        qunsetenv("WAYLAND_DISPLAY");
    });
}

} // namespace

// Which backend a session gets, and what it says about a session it cannot fully serve;
// then the backend's decisions that need no server: what replies mean, and what the key
// vocabulary becomes on X11.
class BackendTest : public QObject {
    Q_OBJECT

private slots:
    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork()
    {
        const struct {
            QByteArray display, waylandDisplay, qtPlatform;
            QString why; // empty: no backend, the display does not answer
        } sessions[] = {
            {qgetenv("DISPLAY"), {}, {}, "using X11: $DISPLAY answers"},
            {qgetenv("DISPLAY"), "wayland-0", {}, "through XWayland: no Wayland compositor answers"},
            {qgetenv("DISPLAY"), "wayland-0", "xcb", "through XWayland: QT_QPA_PLATFORM asks for xcb"},
            {":4095", {}, {}, {}},
        };
        for (const auto &session : sessions) {
            const auto restore = restoringSessionVariables();
            qputenv("DISPLAY", session.display);
            qputenv("QT_QPA_PLATFORM", session.qtPlatform);
            if (!session.waylandDisplay.isEmpty())
                qputenv("WAYLAND_DISPLAY", session.waylandDisplay);
            LogCapture log;
            QString whyNot;
            const std::optional<PlatformFactory::Choice> choice = PlatformFactory::choose(&whyNot);
            QCOMPARE(choice.has_value(), !session.why.isEmpty());
            if (choice)
                QCOMPARE(PlatformFactory::create(*choice)->name(), QStringLiteral("x11"));
            else
                QVERIFY2(whyNot.contains(QLatin1String(":4095")), qPrintable(whyNot));
            QCOMPARE(log.lines.size(), choice ? 1 : 0);
            QVERIFY2(!choice || log.lines[0].contains(session.why), qPrintable(log.lines.join(u'|')));
        }
    }

    void withoutAWindowManagerWhatWorksKeepsWorking()
    {
        // A second server of our own, with no window manager on it.
        QProcess server;
        QTemporaryFile displayFile;
        QVERIFY(displayFile.open());
        server.setStandardOutputFile(displayFile.fileName());
        server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp"});
        QTRY_VERIFY_WITH_TIMEOUT(displayFile.size() > 0, 10000);
        const QByteArray display = ':' + displayFile.readAll().trimmed();

        {
            const auto restore = restoringSessionVariables();
            qputenv("DISPLAY", display);
            LogCapture log;
            const std::unique_ptr<Platform> platform =
                PlatformFactory::create({PlatformFactory::Backend::x11, QStringLiteral("chosen by the test"), {}});
            QCOMPARE(log.lines.size(), 1); // no window manager: what will not work
            QCOMPARE(platform->windowServer().onScreenWindows(), std::nullopt);
            QVERIFY(!platform->accessibility().isTrusted());
            QVERIFY(platform->hotKeys().registerHotKey({1, 1}, 13, CarbonModifiers::control | CarbonModifiers::option));

            // A window manager that starts later is found, and one that dies is
            // noticed, though the properties it announced itself with stay behind.
            QProcess windowManager;
            windowManager.start(QStringLiteral("openbox"), {"--sm-disable"});
            QTRY_VERIFY_WITH_TIMEOUT(platform->accessibility().isTrusted(), 10000);
            windowManager.kill();
            QVERIFY(windowManager.waitForFinished());
            QTRY_VERIFY(!platform->accessibility().isTrusted());
        }
        server.terminate();
        QVERIFY(server.waitForFinished());
    }

    void iconPropertiesAreReadDefensively()
    {
        const QList<QImage> images = netWmIconImages({2, 1, 0xffff0000, 0xff00ff00, 1, 1, 0x800000ff});
        QCOMPARE(images.size(), 2);
        QCOMPARE(images[0].pixelColor(1, 0), QColor(Qt::green));
        QCOMPARE(images[1].pixelColor(0, 0).alpha(), 0x80);
        // Truncated, absurd or overflowing sizes end the list; what came before stays.
        for (const auto &[data, count] : std::initializer_list<std::pair<QList<uint32_t>, qsizetype>>{
                 {{2, 2, 1, 2, 3}, 0}, {{1, 1, 0, 0xffffffff, 0xffffffff, 0}, 1}, {{0x10000, 0x10000}, 0},
                 {{0, 5, 1}, 0}, {{7}, 0}})
            QCOMPARE(netWmIconImages(data).size(), count);
    }

    void layersAndVisibilityFollowTheWindowManagersWord()
    {
        // Normal windows and dialogs are listed; every other kind, a window that asks to
        // be skipped, and one beside the window manager are not.
        const struct {
            WindowKind kind;
            bool skipTaskbar, overrideRedirect, listed;
        } windows[] = {{WindowKind::Normal, false, false, true}, {WindowKind::Dialog, false, false, true},
                       {WindowKind::Dialog, true, false, false}, {WindowKind::Normal, false, true, false},
                       {WindowKind::Dock, false, false, false}, {WindowKind::Utility, false, false, false},
                       {WindowKind::Popup, false, false, false}};
        for (const auto &w : windows) {
            ClientWindow window;
            window.kind = w.kind;
            window.skipTaskbar = w.skipTaskbar;
            window.overrideRedirect = w.overrideRedirect;
            QCOMPARE(layerOf(window) == WindowLayer::normal, w.listed);
        }

        ClientWindow shown;
        shown.viewable = true;
        QVERIFY(isOnScreen(shown, std::nullopt));
        shown.desktop = 1;
        QVERIFY(isOnScreen(shown, 1u));
        QVERIFY(!isOnScreen(shown, 0u));
        shown.desktop = 0xFFFFFFFF;
        QVERIFY(isOnScreen(shown, 0u));

        QCOMPARE(frameRect(QPoint(101, 120), QSize(300, 200), 0, {1, 1, 20, 5}), QRect(100, 100, 302, 225));
        QCOMPARE(frameRect(QPoint(12, 12), QSize(100, 50), 2, {}), QRect(10, 10, 104, 54));

        // The server's clock is 32 bits of milliseconds and wraps after 49 days.
        QVERIFY(isLaterServerTime(5, 0xFFFFFFF0u) && !isLaterServerTime(0xFFFFFFF0u, 5) && !isLaterServerTime(7, 7));
    }

    void theTriggerVocabularyBecomesKeysymsAndMasks()
    {
        // Which key and masks the trigger grabs is the trigger test's on the server.
        for (const VirtualKey &key : VirtualKeys::all())
            QVERIFY2(KeyTranslation::keysymForVirtualKey(key.code), qPrintable(QString::fromUtf16(key.name)));

        QCOMPARE(KeyTranslation::modifierMask(CarbonModifiers::command, ModifierMasks{}), std::nullopt);

        // Caps Lock, Num Lock and Scroll Lock in every combination (the first two are the
        // trigger test's on the server).
        QCOMPARE(KeyTranslation::lockCombinations({0, 0, XCB_MOD_MASK_2, XCB_MOD_MASK_5}).size(), 8);
    }

    void rawKeysBecomeOneChangeEach()
    {
        using Role = ModifierTracker::Role;
        const ModifierTracker::Key superLeft{133, Role::Modifier, ModifierFlags::command};
        const ModifierTracker::Key superRight{134, Role::Modifier, ModifierFlags::command};
        const ModifierTracker::Key numLock{77, Role::Ignored};
        ModifierTracker tracker;
        tracker.reset(0, false);

        // Either Super held is Super held; a key repeating changes nothing. Held before
        // tracking began, Caps Lock as a state and plain keys are the key stream test's.
        QCOMPARE(tracker.press(superLeft)->flags, ModifierFlags::command);
        QVERIFY(!tracker.press(superLeft));
        QCOMPARE(tracker.press(superRight)->flags, ModifierFlags::command);
        QCOMPARE(tracker.release(superLeft)->flags, ModifierFlags::command);
        QCOMPARE(tracker.release(superRight)->flags, quint64(0));
        QVERIFY(!tracker.release(superRight));
        QVERIFY(!tracker.press(numLock));
    }
private:
    TestEnvironment m_environment;
};

QTEST_MAIN(BackendTest)
#include "backend_test.moc"

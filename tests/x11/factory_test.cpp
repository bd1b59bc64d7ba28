#include "platform/Accessibility.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/WindowServer.h"
#include "platform/factory/PlatformFactory.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>

using namespace lettergate;

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

// Which backend a session gets, and what it says about a session it cannot fully serve.
class FactoryTest : public QObject {
    Q_OBJECT

private slots:
    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork()
    {
        const QString xwayland = QStringLiteral("[Lettergate] ⚠️ using X11 through XWayland: ");
        const QString xwaylandOnly = QStringLiteral(
            "; only XWayland windows can be listed, raised and pictured, and the trigger works only while an "
            "XWayland window has the focus");
        const struct {
            QByteArray display, waylandDisplay, qtPlatform;
            QStringList log; // empty: no backend, the display does not answer
        } sessions[] = {
            {qgetenv("DISPLAY"), {}, {}, {"[Lettergate] using X11: $DISPLAY answers and this is no Wayland session"}},
            {qgetenv("DISPLAY"),
             "wayland-0",
             {},
             {xwayland + "no Wayland compositor answers on $WAYLAND_DISPLAY" + xwaylandOnly}},
            {qgetenv("DISPLAY"), "wayland-0", "xcb", {xwayland + "QT_QPA_PLATFORM asks for xcb" + xwaylandOnly}},
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
            QCOMPARE(choice.has_value(), !session.log.isEmpty());
            if (choice)
                QCOMPARE(PlatformFactory::create(*choice)->name(), QStringLiteral("x11"));
            else
                QVERIFY2(whyNot.contains(QLatin1String(":4095")), qPrintable(whyNot));
            QCOMPARE(log.lines, session.log);
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
            const std::unique_ptr<Platform> platform = PlatformFactory::create(
                {PlatformFactory::Backend::x11, QStringLiteral("chosen by the test"), {}});
            QCOMPARE(log.lines.size(), 1); // no window manager: what will not work
            QCOMPARE(platform->windowServer().onScreenWindows(), std::nullopt);
            QVERIFY(!platform->accessibility().isTrusted());
            QCOMPARE(platform->accessibility().windowElements(1).elements, std::nullopt);
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

private:
    TestEnvironment m_environment;
};

QTEST_MAIN(FactoryTest)
#include "factory_test.moc"

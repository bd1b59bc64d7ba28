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
    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("qtPlatform");
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QStringList>("log");
        const QString xwaylandOnly = QStringLiteral(
            "only XWayland windows can be listed, raised and pictured, and the trigger works only while an "
            "XWayland window has the focus");
        QTest::newRow("X server") << qgetenv("DISPLAY") << QByteArray() << QByteArray() << QStringLiteral("x11")
                                  << QStringList{QStringLiteral(
                                         "[Lettergate] using X11: $DISPLAY answers and this is no Wayland session")};
        QTest::newRow("Wayland without a compositor")
            << qgetenv("DISPLAY") << QByteArray("wayland-0") << QByteArray() << QStringLiteral("x11")
            << QStringList{QStringLiteral("[Lettergate] ⚠️ using X11 through XWayland: no Wayland compositor answers "
                                          "on $WAYLAND_DISPLAY; ") +
                           xwaylandOnly};
        QTest::newRow("Wayland, Qt told to use X11")
            << qgetenv("DISPLAY") << QByteArray("wayland-0") << QByteArray("xcb") << QStringLiteral("x11")
            << QStringList{QStringLiteral("[Lettergate] ⚠️ using X11 through XWayland: QT_QPA_PLATFORM asks for "
                                          "xcb; ") +
                           xwaylandOnly};
        QTest::newRow("no X server") << QByteArray(":4095") << QByteArray() << QByteArray() << QString()
                                     << QStringList{};
    }

    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, qtPlatform);
        QFETCH(QString, backend);
        const auto restore = restoringSessionVariables();
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", qtPlatform);
        if (!waylandDisplay.isEmpty())
            qputenv("WAYLAND_DISPLAY", waylandDisplay);
        LogCapture log;
        QString whyNot;
        const std::optional<PlatformFactory::Choice> choice = PlatformFactory::choose(&whyNot);
        QCOMPARE(choice.has_value(), !backend.isEmpty());
        if (choice) {
            const std::unique_ptr<Platform> platform = PlatformFactory::create(*choice);
            QCOMPARE(platform->name(), backend);
        } else {
            QVERIFY2(whyNot.contains(QLatin1String(":4095")), qPrintable(whyNot));
        }
        QTEST(log.lines, "log");
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
            QCOMPARE(platform->name(), QStringLiteral("x11"));
            QCOMPARE(log.lines, QStringList{QStringLiteral(
                                    "[Lettergate] ⚠️ no EWMH window manager is running: windows can be neither listed "
                                    "nor raised until one starts; the trigger, the clipboard and pasting work")});
            QCOMPARE(platform->windowServer().onScreenWindows(), std::nullopt);
            QVERIFY(!platform->accessibility().isTrusted());
            QCOMPARE(platform->accessibility().windowElements(1).elements, std::nullopt);
            QVERIFY(platform->hotKeys().registerHotKey({1, 1}, 13, CarbonModifiers::control | CarbonModifiers::option));
            log.clear();
            platform->accessibility().requestTrust();
            QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] nothing to grant: raising windows needs an "
                                                           "EWMH window manager, and none is running")});

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

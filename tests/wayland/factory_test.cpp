#include "platform/OwnEnvironment.h"
#include "platform/OwnWindows.h"
#include "platform/factory/PlatformFactory.h"
#include "support/LogCapture.h"

#include <QScopeGuard>
#include <QTest>

// Which backend a headless sway session gets, and what it says when it cannot have Wayland.
class WaylandFactoryTest : public QObject {
    Q_OBJECT

private slots:
    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork_data()
    {
        QTest::addColumn<QByteArray>("qtPlatform");
        QTest::addColumn<QByteArray>("waylandDisplayAtCreation");
        QTest::addColumn<QString>("backend");
        // The log, or where no backend can serve, the start of the reason.
        QTest::addColumn<QString>("said");
        QTest::newRow("sway") << QByteArray("wayland") << QByteArray() << QStringLiteral("wayland")
                              << QStringLiteral("[Lettergate] using Wayland: the compositor lists its windows to "
                                                "programs (wlr foreign-toplevel management)");
        QTest::newRow("Qt told to use X11, and no X server")
            << QByteArray("xcb") << QByteArray() << QString() << QStringLiteral("QT_QPA_PLATFORM asks for xcb, and ");
        QTest::newRow("the compositor gone before the backend is made")
            << QByteArray("wayland") << QByteArray("no-such-wayland-display") << QStringLiteral("none")
            << QStringLiteral("[Lettergate] ⚠️ Wayland was chosen, but the compositor no longer answers or no "
                              "longer lists its windows\n"
                              "[Lettergate] ⚠️ no supported window system: running without windows, hot keys or "
                              "window pictures");
    }

    void eachSessionGetsItsBackendAndOneLineOnWhatWillNotWork()
    {
        QFETCH(QByteArray, qtPlatform);
        QFETCH(QByteArray, waylandDisplayAtCreation);
        QFETCH(QString, backend);
        QFETCH(QString, said);
        const auto restore = qScopeGuard([display = qgetenv("WAYLAND_DISPLAY"), platform = qgetenv("QT_QPA_PLATFORM")] {
            qputenv("WAYLAND_DISPLAY", display);
            qputenv("QT_QPA_PLATFORM", platform);
        });
        qputenv("QT_QPA_PLATFORM", qtPlatform);
        LogCapture log;
        QString whyNot;
        const std::optional<PlatformFactory::Choice> choice = PlatformFactory::choose(&whyNot);
        QCOMPARE(choice.has_value(), !backend.isEmpty());
        if (!choice) {
            QVERIFY2(whyNot.startsWith(said), qPrintable(whyNot));
            return;
        }
        if (!waylandDisplayAtCreation.isEmpty())
            qputenv("WAYLAND_DISPLAY", waylandDisplayAtCreation);
        const std::unique_ptr<Platform> platform = PlatformFactory::create(*choice);
        QCOMPARE(platform->name(), backend);
        QCOMPARE(log.lines.join(u'\n'), said);
        if (backend != QLatin1String("wayland"))
            return;
        // What Settings says of the desktop: nothing kept back, pictures from the screen.
        QCOMPARE(platform->ownWindows().sessionLimitation(), std::nullopt);
        QCOMPARE(platform->ownWindows().windowPictureSource(),
                 std::optional(QStringLiteral("screen copies of the visible windows")));
        // The hint is for our own Qt only; the platform the session set stays for children.
        const QProcessEnvironment children = OwnEnvironment::forChildren();
        QCOMPARE(qgetenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT"), QByteArray("1"));
        QVERIFY(!children.contains(QStringLiteral("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT")));
        QCOMPARE(children.value(QStringLiteral("QT_QPA_PLATFORM")), QStringLiteral("wayland"));
    }
};

QTEST_MAIN(WaylandFactoryTest)
#include "factory_test.moc"

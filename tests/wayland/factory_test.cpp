#include "platform/OwnEnvironment.h"
#include "platform/OwnWindows.h"
#include "platform/factory/PlatformFactory.h"
#include "support/LogCapture.h"

#include <QTest>

// Which backend a headless sway session gets.
class WaylandFactoryTest : public QObject {
    Q_OBJECT

private slots:
    void aCompositorThatListsItsWindowsGetsTheWaylandBackend()
    {
        LogCapture log;
        QString whyNot;
        const std::optional<PlatformFactory::Choice> choice = PlatformFactory::choose(&whyNot);
        QVERIFY2(choice, qPrintable(whyNot));
        const std::unique_ptr<Platform> platform = PlatformFactory::create(*choice);
        QCOMPARE(platform->name(), QStringLiteral("wayland"));
        // What Settings says of the desktop: nothing kept back, pictures from the screen.
        QCOMPARE(platform->ownWindows().sessionLimitation(), std::nullopt);
        QCOMPARE(platform->ownWindows().windowPictureSource(),
                 std::optional(QStringLiteral("screen copies of the visible windows")));
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] using Wayland: the compositor lists its windows "
                                                       "to programs (wlr foreign-toplevel management)")});
        // The hint is for our own Qt only; the platform the session set stays for children.
        const QProcessEnvironment children = OwnEnvironment::forChildren();
        QCOMPARE(qgetenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT"), QByteArray("1"));
        QVERIFY(!children.contains(QStringLiteral("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT")));
        QCOMPARE(children.value(QStringLiteral("QT_QPA_PLATFORM")), QStringLiteral("wayland"));
    }
};

QTEST_MAIN(WaylandFactoryTest)
#include "factory_test.moc"

#include "platform/OwnEnvironment.h"
#include "platform/factory/PlatformFactory.h"
#include "support/LogCapture.h"

#include <QScopeGuard>
#include <QTest>

using namespace lettergate;

// Which backend a headless sway session gets, and what it says when the compositor is
// gone by the time the backend is made.
class WaylandFactoryTest : public QObject {
    Q_OBJECT

private slots:
    void swayGetsTheWaylandBackendUnlessItIsGone()
    {
        const auto restore = qScopeGuard(
            [display = qgetenv("WAYLAND_DISPLAY")] { qputenv("WAYLAND_DISPLAY", display); });
        for (const QByteArray &displayAtCreation : {QByteArray(), QByteArray("no-such-wayland-display")}) {
            const std::optional<PlatformFactory::Choice> choice = PlatformFactory::choose(nullptr);
            QVERIFY(choice);
            if (!displayAtCreation.isEmpty())
                qputenv("WAYLAND_DISPLAY", displayAtCreation);
            LogCapture log;
            QCOMPARE(PlatformFactory::create(*choice)->name(),
                     QLatin1String(displayAtCreation.isEmpty() ? "wayland" : "none"));
            QCOMPARE(log.lines.size(), displayAtCreation.isEmpty() ? 1 : 2);
        }
        // The hint is for our own Qt only; the platform the session set stays for children.
        const QProcessEnvironment children = OwnEnvironment::forChildren();
        QCOMPARE(qgetenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT"), QByteArray("1"));
        QVERIFY(!children.contains(QStringLiteral("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT")));
        QCOMPARE(children.value(QStringLiteral("QT_QPA_PLATFORM")), QStringLiteral("wayland"));
    }
};

QTEST_MAIN(WaylandFactoryTest)
#include "factory_test.moc"

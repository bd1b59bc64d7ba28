#include "X11TestSupport.h"
#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/x11/X11Platform.h"
#include "support/PrivateSessionBus.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QTest>

using namespace lettergate;

namespace {

// The desktop's notification service, as far as Lettergate uses it: on a connection of
// its own, so that every notification crosses the bus.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    bool registerOn(const QString &address)
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("notification-server"));
        return bus.registerService(QStringLiteral("org.freedesktop.Notifications"))
               && bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots);
    }

    QStringList bodies;

public slots:
    // Like most servers, it reads markup in a body.
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }

    uint Notify(const QString &, uint, const QString &, const QString &, const QString &body, const QStringList &,
                const QVariantMap &, int)
    {
        bodies.append(body);
        return uint(bodies.size());
    }
};

} // namespace

// Lettergate's trigger held by another client when it starts: one desktop notification
// (to a server on a private session bus) says so; once the other client lets go, the
// trigger is taken within the few seconds of the retry, the user is told, and it fires.
class TriggerTakenTest : public QObject {
    Q_OBJECT
public:
    explicit TriggerTakenTest(QString busAddress)
        : m_busAddress(std::move(busAddress))
    {
    }

private slots:
    void aTakenTriggerIsToldOnceAndTakenOnceFreed()
    {
        NotificationServer notifications;
        QVERIFY(notifications.registerOn(m_busAddress));
        // Ctrl+Alt+W without locks; the keycode and masks are the Xvfb keyboard's.
        X11Test::OtherClient holder;
        QVERIFY(holder.grabKey(25, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));

        TestEnvironment environment;
        const std::unique_ptr<X11Platform> platform = X11Platform::connect();
        QVERIFY(platform);
        HotkeyManager trigger(platform->hotKeys(), platform->keyTap(), platform->clock());
        TriggerAlerts alerts(trigger, platform->notifications());
        int fires = 0;
        trigger.setOnTrigger([&fires] { ++fires; });
        trigger.apply(HotkeyConfig::defaultTrigger());
        QCOMPARE(trigger.state(), TriggerState::Taken);
        QTRY_COMPARE(notifications.bodies.size(), 1);
        QVERIFY2(notifications.bodies[0].contains(QStringLiteral("taken by another program")),
                 qPrintable(notifications.bodies[0]));

        holder.ungrabKey(25, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
        QTRY_COMPARE_WITH_TIMEOUT(trigger.state(), TriggerState::Armed, 5000);
        QTRY_COMPARE(notifications.bodies.size(), 2);
        X11Test::runServingEvents(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+w")});
        QTRY_COMPARE(fires, 1);

        // A body such as a command's output reaches a server that reads markup as text.
        platform->notifications().notify(QStringLiteral("backup.sh failed"), QStringLiteral("tar: <dir> & more"));
        QTRY_COMPARE(notifications.bodies.size(), 3);
        QCOMPARE(notifications.bodies[2], QStringLiteral("tar: &lt;dir&gt; &amp; more"));
    }

private:
    const QString m_busAddress;
};

int main(int argc, char **argv)
{
    return runOnPrivateSessionBus<QGuiApplication, TriggerTakenTest>(argc, argv);
}

#include "trigger_taken_test.moc"

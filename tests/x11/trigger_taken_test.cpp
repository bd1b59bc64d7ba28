#include "X11TestSupport.h"
#include "app/TrayStatus.h"
#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/Paths.h"
#include "platform/x11/X11Platform.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/PermissionRow.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include "support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

// The desktop's notification service, as far as Lettergate uses it: on a connection of
// its own, so that every notification crosses the bus.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString summary;
        QString body;
    };

    bool registerOn(const QString &address)
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("notification-server"));
        return bus.registerService(QStringLiteral("org.freedesktop.Notifications"))
               && bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots);
    }

    QList<Shown> shown;

public slots:
    // Like most servers, it reads markup in a body.
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }

    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        shown.append({summary, body});
        return uint(shown.size());
    }
};

// Another program (key_holder.cpp) holding Ctrl+Alt+W until told to let go.
class KeyHolder {
public:
    KeyHolder()
    {
        m_process.start(qEnvironmentVariable("LETTERGATE_KEY_HOLDER"), QStringList());
        m_process.waitForReadyRead(5000);
        m_held = m_process.readLine().trimmed() == "held";
    }
    ~KeyHolder()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool isHolding() const { return m_held; }
    bool release()
    {
        m_process.closeWriteChannel();
        return m_process.waitForReadyRead(5000) && m_process.readLine().trimmed() == "released";
    }

private:
    QProcess m_process;
    bool m_held = false;
};

} // namespace

// Lettergate's trigger held by another program when it starts: Settings, the tray and
// one desktop notification (to a notification server on a private session bus) say so;
// once the other program lets go, the trigger is taken within the few seconds of the
// retry and the user is told it works again.
class TriggerTakenTest : public QObject {
    Q_OBJECT
public:
    explicit TriggerTakenTest(QString busAddress) : m_busAddress(std::move(busAddress)) {}

private slots:
    void aTakenTriggerIsShownToldOnceAndTakenOnceFreed()
    {
        NotificationServer notifications;
        QVERIFY(notifications.registerOn(m_busAddress));
        KeyHolder holder;
        QVERIFY(holder.isHolding());

        TestEnvironment environment;
        const std::unique_ptr<X11Platform> platform = X11Platform::connect();
        QVERIFY(platform);
        HotkeyManager trigger(platform->hotKeys(), platform->keyTap(), platform->clock());
        TriggerAlerts alerts(trigger, platform->notifications());
        TrayStatus tray(trigger);
        SaveIndicator saves;
        SettingsStore store(Paths::settingsFile(), trigger, saves);
        store.load();
        int fires = 0;
        trigger.setOnTrigger([&fires] { ++fires; });
        trigger.apply(store.hotkey());
        GeneralSettingsTab tab(store, *platform, trigger);

        QCOMPARE(trigger.state(), TriggerState::Taken);
        const QString problem = store.hotkey().readableName() + QStringLiteral(" is taken by another program");
        QVERIFY(!tab.triggerRow().showsGranted());
        QCOMPARE(tab.triggerRow().stateText(), problem);
        QVERIFY(tab.triggerRow().offersAction());
        QVERIFY(tray.isWarning());
        QCOMPARE(tray.toolTip(), QStringLiteral("Lettergate: ") + problem);
        QTRY_COMPARE(notifications.shown.size(), 1);
        QVERIFY(notifications.shown[0].body.startsWith(problem));
        // What else the desktop grants, as the server and the window manager answer.
        QCOMPARE(tab.windowManagerRow().stateText(), QStringLiteral("Openbox"));
        QVERIFY(tab.windowPicturesRow().showsGranted());

        // Tried again while still held: nothing changes, nothing more is told.
        tab.triggerRow().findChild<QPushButton *>(QStringLiteral("permissionAction"))->click();
        QCOMPARE(trigger.state(), TriggerState::Taken);

        QVERIFY(holder.release());
        QTRY_COMPARE_WITH_TIMEOUT(trigger.state(), TriggerState::Armed, 5000);
        QVERIFY(!tray.isWarning());
        QVERIFY(tab.triggerRow().showsGranted());
        QTRY_COMPARE(notifications.shown.size(), 2);
        QCOMPARE(notifications.shown[1].summary, QStringLiteral("Lettergate's trigger works again"));
        X11Test::runServingEvents(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+w")});
        QTRY_COMPARE(fires, 1);

        // A body such as a command's output reaches a server that reads markup as text.
        platform->notifications().notify(QStringLiteral("backup.sh failed"), QStringLiteral("tar: <dir> & more"));
        QTRY_COMPARE(notifications.shown.size(), 3);
        QCOMPARE(notifications.shown[2].body, QStringLiteral("tar: &lt;dir&gt; &amp; more"));
    }

private:
    const QString m_busAddress;
};

int main(int argc, char **argv)
{
    return runOnPrivateSessionBus<QApplication, TriggerTakenTest>(argc, argv);
}

#include "trigger_taken_test.moc"

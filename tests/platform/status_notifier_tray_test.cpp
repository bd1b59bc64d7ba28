#include "platform/qt/StatusNotifierTray.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

// The tray of a Wayland desktop is the status-notifier watcher on the session bus.
class StatusNotifierTrayTest : public QObject {
    Q_OBJECT

public:
    explicit StatusNotifierTrayTest(QString busAddress) : m_busAddress(std::move(busAddress)) {}

private slots:
    void followsTheWatcherAsItComesAndGoes()
    {
        StatusNotifierTray tray;
        QVERIFY(!tray.isPresent());
        QSignalSpy changes(&tray, &SystemTray::presenceChanged);

        QDBusConnection watcher = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("watcher"));
        QVERIFY(watcher.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QTRY_VERIFY(tray.isPresent());
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.last().at(0).toBool(), true);
        // A tray started before us is found at once.
        QVERIFY(StatusNotifierTray().isPresent());

        QVERIFY(watcher.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QTRY_VERIFY(!tray.isPresent());
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.last().at(0).toBool(), false);
    }

private:
    const QString m_busAddress;
};

int main(int argc, char **argv)
{
    const PrivateSessionBus bus;
    if (!bus.isValid()) {
        std::fputs("no private session bus: dbus-daemon did not start\n", stderr);
        return 1;
    }
    QCoreApplication app(argc, argv);
    StatusNotifierTrayTest test(bus.address());
    return QTest::qExec(&test, argc, argv);
}

#include "status_notifier_tray_test.moc"

#include "platform/qt/StatusNotifierTray.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

// The tray of a Wayland desktop is the status-notifier watcher on the session bus.
class StatusNotifierTrayTest : public QObject {
    Q_OBJECT

public:
    explicit StatusNotifierTrayTest(QString busAddress)
        : m_busAddress(std::move(busAddress))
    {
    }

private slots:
    // Qt shows the icon through a watcher only if one ran when the icon was made: the tray
    // is present while a watcher runs, for an icon made while one ran.
    void followsTheWatcherThatRanWhenTheIconWasMade()
    {
        StatusNotifierTray madeBeforeAnyWatcher;
        madeBeforeAnyWatcher.iconMade();
        QSignalSpy neverShown(&madeBeforeAnyWatcher, &SystemTray::presenceChanged);

        QDBusConnection watcher = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("watcher"));
        QVERIFY(watcher.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        // A watcher runs, but no icon is made yet: none in the tray.
        StatusNotifierTray tray;
        QSignalSpy changes(&tray, &SystemTray::presenceChanged);
        QVERIFY(!tray.isPresent());
        tray.iconMade();
        QVERIFY(tray.isPresent());

        QVERIFY(watcher.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QTRY_VERIFY(!tray.isPresent());
        QVERIFY(watcher.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        QTRY_VERIFY(tray.isPresent());
        QCOMPARE(changes.count(), 3);

        // The watchers came and went, and the icon made before them never showed.
        QVERIFY(!madeBeforeAnyWatcher.isPresent());
        QCOMPARE(neverShown.count(), 0);
    }

private:
    const QString m_busAddress;
};

int main(int argc, char **argv)
{
    return runOnPrivateSessionBus<QCoreApplication, StatusNotifierTrayTest>(argc, argv);
}

#include "status_notifier_tray_test.moc"

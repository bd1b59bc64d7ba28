#include "X11TestSupport.h"
#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/KeyTap.h"
#include "platform/x11/X11Platform.h"
#include "support/PrivateSessionBus.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using X11Test::OtherClient;

namespace {

constexpr quint32 keyW = 13;
constexpr quint32 keyQ = 12;
constexpr quint32 controlOption = CarbonModifiers::control | CarbonModifiers::option;
// Keycodes and masks of the Xvfb keyboard.
constexpr xcb_keycode_t keycodeW = 25;
constexpr xcb_keycode_t keycodeQ = 24;
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint16_t numLock = XCB_MOD_MASK_2;

// The event loop keeps running meanwhile, as the key stream's events arrive.
void xdotool(const QStringList &arguments)
{
    X11Test::runServingEvents(QStringLiteral("xdotool"), arguments);
}

HotKeyId idOf(quint32 id)
{
    return {0x4C474154, id};
}

QList<quint64> flagsOf(QSignalSpy &spy)
{
    QList<quint64> flags;
    for (const QList<QVariant> &arguments : std::as_const(spy))
        flags.append(arguments.at(0).value<quint64>());
    return flags;
}

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

// The trigger's keys on the real server, typed with xdotool as a user types them:
// system-wide combinations as grabs on the root window, and the listen-only key stream
// from XInput raw events in the flags the double-tap detector reads. Notifications go to
// a server on a private session bus.
class EndToEndTriggerTest : public QObject {
    Q_OBJECT
public:
    explicit EndToEndTriggerTest(QString busAddress)
        : m_busAddress(std::move(busAddress))
    {
    }

private slots:
    void initTestCase() { qRegisterMetaType<HotKeyId>(); }

    void theTriggerFiresOnceWhateverLocksAreOnAndOnlyForItsCombination()
    {
        HotKeys &keys = m_platform->hotKeys();
        QSignalSpy pressed(&keys, &HotKeys::pressed);
        QVERIFY(keys.registerHotKey(idOf(1), keyW, controlOption));
        // Plain, under Num Lock, under Num Lock and Caps Lock, held down (the key repeats),
        // then other modifiers: each of the first four is one press.
        xdotool({"key", "ctrl+alt+w", "Num_Lock", "ctrl+alt+w", "Caps_Lock", "ctrl+alt+w", "Num_Lock", "Caps_Lock"});
        xdotool({"keydown", "ctrl+alt+w", "sleep", "0.8", "keyup", "ctrl+alt+w"});
        xdotool({"key", "ctrl+alt+shift+w", "ctrl+w", "alt+w"});
        QTRY_COMPARE(pressed.size(), 4);
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 4);
        QCOMPARE(pressed.takeFirst().at(0).value<HotKeyId>(), idOf(1));
        // Super is a modifier of its own (Mod4), not one of the locks.
        pressed.clear();
        QVERIFY(keys.registerHotKey(idOf(2), keyW, CarbonModifiers::control | CarbonModifiers::command));
        xdotool({"key", "ctrl+super+w"});
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.takeFirst().at(0).value<HotKeyId>(), idOf(2));
        keys.unregisterHotKey(idOf(2));

        // Unregistered, the combination is free: another client may grab every variant.
        keys.unregisterHotKey(idOf(1));
        OtherClient client;
        for (uint16_t locks : {0, int(numLock), int(XCB_MOD_MASK_LOCK), int(numLock | XCB_MOD_MASK_LOCK)}) {
            QVERIFY(client.grabKey(keycodeW, controlAlt | locks));
            client.ungrabKey(keycodeW, controlAlt | locks);
        }

        // Held by another client with Num Lock only: refused, and none of the other
        // variants is left grabbed behind. Keys outside the table have nothing to grab.
        QVERIFY(client.grabKey(keycodeQ, controlAlt | numLock));
        QVERIFY(!keys.registerHotKey(idOf(3), keyQ, controlOption));
        QVERIFY(client.grabKey(keycodeQ, controlAlt));
        client.ungrabKey(keycodeQ, controlAlt);
        client.ungrabKey(keycodeQ, controlAlt | numLock);
        QVERIFY(!keys.registerHotKey(idOf(5), 50, controlOption));
    }

    void theGrabFollowsTheKeyWhenTheKeyboardMappingChanges()
    {
        HotKeys &keys = m_platform->hotKeys();
        QSignalSpy pressed(&keys, &HotKeys::pressed);
        QVERIFY(keys.registerHotKey(idOf(6), keyW, controlOption));

        OtherClient client;
        const QList<xcb_keysym_t> original = client.keysyms(keycodeW);
        const xcb_keycode_t spare = client.unusedKeycode();
        QVERIFY(spare != 0);
        const QList<xcb_keysym_t> spareOriginal = client.keysyms(spare);
        client.setKeysyms(spare, original);
        client.setKeysyms(keycodeW, QList<xcb_keysym_t>(original.size(), 0));
        QTest::qWait(200); // the MappingNotify reaches the backend through its event loop
        xdotool({"key", "ctrl+alt+w"});
        QTRY_COMPARE(pressed.size(), 1);

        keys.unregisterHotKey(idOf(6));
        client.setKeysyms(keycodeW, original);
        client.setKeysyms(spare, spareOriginal);
    }

    void theKeyStreamReportsEachChangeOnceToEverySessionThatListens()
    {
        // Held before listening began: its first release is reported, once, though
        // xdotool may repeat it.
        xdotool({"keydown", "super"});
        std::unique_ptr<KeyTapSession> tap = m_platform->keyTap().create();
        std::unique_ptr<KeyTapSession> second = m_platform->keyTap().create();
        QVERIFY(tap && second);
        QSignalSpy flags(tap.get(), &KeyTapSession::flagsChanged);
        QSignalSpy keyDowns(tap.get(), &KeyTapSession::keyDown);
        QSignalSpy secondDowns(second.get(), &KeyTapSession::keyDown);
        tap->setEnabled(true);
        second->setEnabled(true);
        xdotool({"keyup", "super", "keyup", "super"});
        QTRY_COMPARE(flagsOf(flags), QList<quint64>{0});
        flags.clear();

        // Caps Lock is a state: on with one press, off with the next.
        xdotool({"keydown", "ctrl", "keydown", "alt", "keyup", "alt", "keyup", "ctrl", "key", "Caps_Lock", "key",
                 "Caps_Lock", "key", "a"});
        const quint64 control = ModifierFlags::control, option = ModifierFlags::option;
        QTRY_COMPARE(keyDowns.size(), 1);
        QCOMPARE(flagsOf(flags), (QList<quint64>{control, control | option, control, 0, ModifierFlags::capsLock, 0}));

        tap->setEnabled(false);
        flags.clear();
        xdotool({"key", "super", "b"});
        QTRY_COMPARE(secondDowns.size(), 2);
        QCOMPARE(flags.size(), 0);
        QCOMPARE(keyDowns.size(), 1);
    }

    // Lettergate's trigger held by another client when it starts: one desktop notification
    // says so; once the other client lets go, the trigger is taken within the few seconds
    // of the retry, the user is told, and it fires.
    void aTakenTriggerIsToldOnceAndTakenOnceFreed()
    {
        NotificationServer notifications;
        QVERIFY(notifications.registerOn(m_busAddress));
        // Ctrl+Alt+W without locks.
        OtherClient holder;
        QVERIFY(holder.grabKey(keycodeW, controlAlt));

        HotkeyManager trigger(m_platform->hotKeys(), m_platform->keyTap(), m_platform->clock());
        TriggerAlerts alerts(trigger, m_platform->notifications());
        int fires = 0;
        trigger.setOnTrigger([&fires] { ++fires; });
        trigger.apply(HotkeyConfig::defaultTrigger());
        QCOMPARE(trigger.state(), TriggerState::Taken);
        QTRY_COMPARE(notifications.bodies.size(), 1);
        QVERIFY2(notifications.bodies[0].contains(QStringLiteral("taken by another program")),
                 qPrintable(notifications.bodies[0]));

        holder.ungrabKey(keycodeW, controlAlt);
        QTRY_COMPARE_WITH_TIMEOUT(trigger.state(), TriggerState::Armed, 5000);
        QTRY_COMPARE(notifications.bodies.size(), 2);
        xdotool({"key", "ctrl+alt+w"});
        QTRY_COMPARE(fires, 1);

        // A body such as a command's output reaches a server that reads markup as text.
        m_platform->notifications().notify(QStringLiteral("backup.sh failed"), QStringLiteral("tar: <dir> & more"));
        QTRY_COMPARE(notifications.bodies.size(), 3);
        QCOMPARE(notifications.bodies[2], QStringLiteral("tar: &lt;dir&gt; &amp; more"));
    }

private:
    const QString m_busAddress;
    TestEnvironment m_environment;
    const std::unique_ptr<X11Platform> m_platform = X11Test::sessionBackend<X11Platform>();
};

int main(int argc, char **argv)
{
    return runOnPrivateSessionBus<QGuiApplication, EndToEndTriggerTest>(argc, argv);
}

#include "e2e_trigger_test.moc"

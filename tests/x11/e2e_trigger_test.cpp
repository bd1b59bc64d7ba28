#include "X11TestSupport.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/KeyTap.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

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

} // namespace

// The trigger's keys on the real server, typed with xdotool as a user types them:
// system-wide combinations as grabs on the root window, and the listen-only key stream
// from XInput raw events in the flags the double-tap detector reads.
class EndToEndTriggerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<HotKeyId>();
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

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

        client.setKeysyms(keycodeW, original);
        client.setKeysyms(spare, spareOriginal);
        QTest::qWait(200);
        xdotool({"key", "ctrl+alt+w"});
        QTRY_COMPARE(pressed.size(), 2);
        keys.unregisterHotKey(idOf(6));
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
        QTRY_COMPARE(secondDowns.size(), 1);

        tap->setEnabled(false);
        flags.clear();
        xdotool({"key", "super", "b"});
        QTRY_COMPARE(secondDowns.size(), 2);
        QCOMPARE(flags.size(), 0);
        QCOMPARE(keyDowns.size(), 1);
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(EndToEndTriggerTest)
#include "e2e_trigger_test.moc"

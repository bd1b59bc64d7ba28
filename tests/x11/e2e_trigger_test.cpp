#include "X11TestSupport.h"
#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/KeyTap.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

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

// The event loop keeps running meanwhile: the double-tap detector times the taps as
// their events arrive.
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
// system-wide combinations as grabs on the root window, the listen-only key stream from
// XInput raw events in the flags the double-tap detector reads, and the double tap
// through the hotkey manager.
class EndToEndTriggerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<HotKeyId>();
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

    void theDefaultTriggerFiresWhateverLocksAreOn()
    {
        HotKeys &keys = m_platform->hotKeys();
        QSignalSpy pressed(&keys, &HotKeys::pressed);
        QVERIFY(keys.registerHotKey(idOf(1), keyW, controlOption));

        xdotool({"key", "ctrl+alt+w"});
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed.takeFirst().at(0).value<HotKeyId>(), idOf(1));

        OtherClient client;
        const std::pair<QString, uint16_t> locks[] = {{"Num_Lock", numLock}, {"Caps_Lock", XCB_MOD_MASK_LOCK}};
        for (const auto &[lock, mask] : locks) {
            xdotool({"key", lock});
            QVERIFY(client.modifierState() & mask);
            xdotool({"key", "ctrl+alt+w"});
            QTRY_COMPARE(pressed.size(), 1);
            pressed.clear();
        }
        xdotool({"key", "Num_Lock", "Caps_Lock"});
        QCOMPARE(client.modifierState() & (numLock | XCB_MOD_MASK_LOCK), 0);

        // Another modifier on top, or one missing, is another combination.
        xdotool({"key", "ctrl+alt+shift+w", "ctrl+w", "alt+w"});
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 0);

        // Held down, the key repeats; the combination was pressed once.
        xdotool({"keydown", "ctrl+alt+w", "sleep", "0.8", "keyup", "ctrl+alt+w"});
        QTRY_COMPARE(pressed.size(), 1);
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 1);
        pressed.clear();

        // Unregistered, the combination is free: another client may grab every variant.
        keys.unregisterHotKey(idOf(1));
        for (uint16_t locks : {0, int(numLock), int(XCB_MOD_MASK_LOCK), int(numLock | XCB_MOD_MASK_LOCK)}) {
            QVERIFY(client.grabKey(keycodeW, controlAlt | locks));
            client.ungrabKey(keycodeW, controlAlt | locks);
        }
    }

    void aCombinationAnotherClientHoldsIsRefusedWhole()
    {
        HotKeys &keys = m_platform->hotKeys();
        // Held by another client with Num Lock only: refused, and none of the other
        // variants is left grabbed behind.
        OtherClient client;
        QVERIFY(client.grabKey(keycodeQ, controlAlt | numLock));
        QVERIFY(!keys.registerHotKey(idOf(3), keyQ, controlOption));
        QVERIFY(client.grabKey(keycodeQ, controlAlt));
        client.ungrabKey(keycodeQ, controlAlt);
        client.ungrabKey(keycodeQ, controlAlt | numLock);
        QVERIFY(keys.registerHotKey(idOf(4), keyQ, controlOption));
        keys.unregisterHotKey(idOf(4));

        // Keys outside the table have nothing to grab.
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

    void modifiersAndLocksArriveAsOneChangeOfFlagsEach()
    {
        std::unique_ptr<KeyTapSession> tap = m_platform->keyTap().create();
        QVERIFY(tap);
        QSignalSpy flags(tap.get(), &KeyTapSession::flagsChanged);
        QSignalSpy keyDowns(tap.get(), &KeyTapSession::keyDown);
        tap->setEnabled(true);

        xdotool({"keydown", "ctrl", "keydown", "alt", "keydown", "shift", "keyup", "shift", "keyup", "alt", "keyup",
                 "ctrl"});
        const quint64 control = ModifierFlags::control, option = ModifierFlags::option, shift = ModifierFlags::shift;
        QTRY_COMPARE(flagsOf(flags), (QList<quint64>{control, control | option, control | option | shift,
                                                     control | option, control, 0}));
        flags.clear();

        // Caps Lock is a state: on with one press, off with the next.
        xdotool({"key", "Caps_Lock"});
        QTRY_COMPARE(flagsOf(flags), QList<quint64>{ModifierFlags::capsLock});
        xdotool({"key", "super"});
        QTRY_COMPARE(flagsOf(flags).size(), 3);
        QCOMPARE(flagsOf(flags).mid(1), (QList<quint64>{ModifierFlags::command | ModifierFlags::capsLock,
                                                        ModifierFlags::capsLock}));
        xdotool({"key", "Caps_Lock"});
        QTRY_COMPARE(flagsOf(flags).last(), quint64(0));
        flags.clear();
        QCOMPARE(keyDowns.size(), 0);

        tap->setEnabled(false);
        xdotool({"key", "super", "a"});
        QTest::qWait(200);
        QCOMPARE(flags.size(), 0);
        QCOMPARE(keyDowns.size(), 0);
    }

    void aModifierHeldBeforeListeningIsReleasedOnceAndSessionsListenIndependently()
    {
        xdotool({"keydown", "super"});
        std::unique_ptr<KeyTapSession> first = m_platform->keyTap().create();
        std::unique_ptr<KeyTapSession> second = m_platform->keyTap().create();
        QSignalSpy flags(first.get(), &KeyTapSession::flagsChanged);
        QSignalSpy firstDowns(first.get(), &KeyTapSession::keyDown);
        QSignalSpy secondDowns(second.get(), &KeyTapSession::keyDown);
        first->setEnabled(true);
        second->setEnabled(true);
        // xdotool may repeat a release; the stream reports the change once.
        xdotool({"keyup", "super", "keyup", "super"});
        QTRY_COMPARE(flagsOf(flags), QList<quint64>{0});
        xdotool({"key", "a"});
        QTRY_COMPARE(firstDowns.size(), 1);
        QTRY_COMPARE(secondDowns.size(), 1);
        QCOMPARE(flags.size(), 1);

        first.reset();
        xdotool({"key", "b"});
        QTRY_COMPARE(secondDowns.size(), 2);
    }

    void aDoubleTapOfSuperFiresOnlyWhenCleanAndQuick()
    {
        HotkeyManager manager(m_platform->hotKeys(), m_platform->keyTap(), m_platform->clock());
        int fired = 0;
        manager.setOnTrigger([&] { ++fired; });
        manager.apply(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Command));

        xdotool({"key", "super", "super"});
        QTRY_COMPARE(fired, 1);
        // ⌘C, then ⌘ within the interval: a key went down in between.
        xdotool({"sleep", "0.4", "key", "super+c", "super"});
        // Taps half a second apart are two single taps.
        xdotool({"sleep", "0.4", "key", "super", "sleep", "0.5", "key", "super"});
        QTest::qWait(200);
        QCOMPARE(fired, 1);
        xdotool({"sleep", "0.4", "key", "super", "super"});
        QTRY_COMPARE(fired, 2);
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(EndToEndTriggerTest)
#include "e2e_trigger_test.moc"

#include "X11TestSupport.h"
#include "platform/HotKeys.h"
#include "platform/KeyEncoding.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <X11/keysym.h>

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

void xdotool(const QStringList &arguments)
{
    X11Test::run(QStringLiteral("xdotool"), arguments);
}

HotKeyId idOf(quint32 id)
{
    return {0x4C474154, id};
}

} // namespace

// System-wide combinations as grabs on the root window, pressed with xdotool as a user
// would press them.
class HotKeysTest : public QObject {
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
        xdotool({"key", "ctrl+alt+w"});
        QTest::qWait(200);
        QCOMPARE(pressed.size(), 0);
    }

    void aCombinationAnotherClientHoldsIsRefusedWhole()
    {
        HotKeys &keys = m_platform->hotKeys();
        OtherClient client;
        QVERIFY(client.grabKey(keycodeQ, controlAlt));
        QVERIFY(!keys.registerHotKey(idOf(2), keyQ, controlOption));
        client.ungrabKey(keycodeQ, controlAlt);

        // Held with Num Lock only: still refused, and none of the other variants is
        // left grabbed behind.
        QVERIFY(client.grabKey(keycodeQ, controlAlt | numLock));
        QVERIFY(!keys.registerHotKey(idOf(3), keyQ, controlOption));
        QVERIFY(client.grabKey(keycodeQ, controlAlt));
        client.ungrabKey(keycodeQ, controlAlt);
        client.ungrabKey(keycodeQ, controlAlt | numLock);

        QVERIFY(keys.registerHotKey(idOf(4), keyQ, controlOption));
        QVERIFY(!client.grabKey(keycodeQ, controlAlt));
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
        QList<xcb_keysym_t> w = original;
        QList<xcb_keysym_t> nothing(original.size(), 0);
        client.setKeysyms(spare, w);
        client.setKeysyms(keycodeW, nothing);
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

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(HotKeysTest)
#include "hotkeys_test.moc"

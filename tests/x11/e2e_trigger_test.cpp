#include "X11TestSupport.h"
#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QTest>

using X11Test::OtherClient;

namespace {

constexpr xcb_keycode_t keycodeW = 25;
constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

// The event loop keeps running meanwhile: the double-tap detector times the taps as
// their events arrive.
void xdotool(const QStringList &arguments)
{
    X11Test::runServingEvents(QStringLiteral("xdotool"), arguments);
}

} // namespace

// The trigger as the user meets it: the hotkey manager over the X11 backend, driven
// by keys typed with xdotool.
class EndToEndTriggerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        m_manager = std::make_unique<HotkeyManager>(m_platform->hotKeys(), m_platform->keyTap(), m_platform->clock());
        m_manager->setOnTrigger([this] { ++m_fired; });
    }

    void init() { m_fired = 0; }

    void theDefaultCombinationFiresAlsoWithNumLockOn()
    {
        LogCapture log;
        m_manager->apply(HotkeyConfig::defaultTrigger());
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] hotkey registered:⌃⌥W")});

        xdotool({"key", "ctrl+alt+w"});
        QTRY_COMPARE(m_fired, 1);
        xdotool({"key", "Num_Lock", "ctrl+alt+w", "Num_Lock"});
        QTRY_COMPARE(m_fired, 2);
    }

    void aCombinationAnotherClientHoldsFailsWithTheWarning()
    {
        m_manager->apply(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Shift));
        OtherClient holder;
        QVERIFY(holder.grabKey(keycodeW, controlAlt));

        LogCapture log;
        m_manager->apply(HotkeyConfig::defaultTrigger());
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] ⚠️ chord registration failed")});
        xdotool({"key", "ctrl+alt+w"});
        QTest::qWait(200);
        QCOMPARE(m_fired, 0);
    }

    void aDoubleTapOfSuperFiresOnlyWhenCleanAndQuick()
    {
        LogCapture log;
        m_manager->apply(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Command));
        QCOMPARE(log.lines, QStringList{QStringLiteral(
                                "[Lettergate] hotkey registered:Double-tap ⌘ (requires accessibility permission)")});

        xdotool({"key", "super", "super"});
        QTRY_COMPARE(m_fired, 1);
        QVERIFY(log.contains(QStringLiteral("[Lettergate] double-tap command detected → trigger")));

        // ⌘C, then ⌘ within the interval: a key went down in between.
        xdotool({"sleep", "0.4", "key", "super+c", "super"});
        // Taps half a second apart are two single taps.
        xdotool({"sleep", "0.4", "key", "super", "sleep", "0.5", "key", "super"});
        QTest::qWait(200);
        QCOMPARE(m_fired, 1);

        xdotool({"sleep", "0.4", "key", "super", "super"});
        QTRY_COMPARE(m_fired, 2);
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
    std::unique_ptr<HotkeyManager> m_manager;
    int m_fired = 0;
};

QTEST_MAIN(EndToEndTriggerTest)
#include "e2e_trigger_test.moc"

#include "SettingsUiTesting.h"

#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/HotkeyRecorderButton.h"
#include "settings/ui/PermissionRow.h"
#include "settings/ui/RecordedCombination.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>

using Tab = SettingsView::Tab;
using HKMode = GeneralSettingsTab::HKMode;
using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

const HotkeyConfig controlOptionW = HotkeyConfig::defaultTrigger();

} // namespace

class GeneralTabTest : public QObject {
    Q_OBJECT
private slots:
    void recorderStoresCombinationsWithSuperAsCommand()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        HotkeyRecorderButton &recorder = shown.view.generalTab().recorder();
        QCOMPARE(recorder.text(), QStringLiteral("⌃⌥W"));

        QTest::mouseClick(&recorder, Qt::LeftButton);
        QVERIFY(recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("Press shortcut…"));
        const int ticks = fixture.tick();

        // QTest presses Shift, then Super with Shift held, then K: only K makes a trigger.
        QTest::keyClick(&recorder, Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(40, 0x300));
        QCOMPARE(fixture.armer.applied.back(), HotkeyConfig::combo(40, 0x300));
        QCOMPARE(fixture.tick(), ticks + 1);
        QVERIFY(!recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("⇧⌘K"));

        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_K, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(40, 0x1200));
        QCOMPARE(recorder.text(), QStringLiteral("⌃⇧K"));

        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_Space, Qt::AltModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(49, 0x800));
    }

    void recorderIgnoresBareKeysAndCancelsOnEscape()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        HotkeyRecorderButton &recorder = shown.view.generalTab().recorder();
        const int ticks = fixture.tick();

        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_K);
        QTest::keyClick(&recorder, Qt::Key_F5);
        // A modifier key on its own, and a key the trigger table cannot name.
        QTest::keyClick(&recorder, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(&recorder, Qt::Key_F20, Qt::ControlModifier);
        QVERIFY(recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("Press shortcut…"));

        QTest::keyClick(&recorder, Qt::Key_Escape, Qt::ControlModifier);
        QVERIFY(!recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("⌃⌥W"));
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(fixture.armer.applied.empty());

        // A second click stops recording too.
        recorder.click();
        recorder.click();
        QVERIFY(!recorder.isRecording());
    }

    void recorderSwallowsShortcutsAndStopsWhenHidden()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        HotkeyRecorderButton &recorder = shown.view.generalTab().recorder();
        QShortcut save(QKeySequence(Qt::CTRL | Qt::Key_S), &shown.view);
        save.setContext(Qt::ApplicationShortcut);
        QSignalSpy fired(&save, &QShortcut::activated);
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1); // the shortcut works while not recording

        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(1, 0x1000));

        recorder.click();
        shown.view.showTab(Tab::Links);
        QVERIFY(!recorder.isRecording());
        QTest::keyClick(&shown.view, Qt::Key_K, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(1, 0x1000));
    }

    void recordedCombinationMapsEveryModifier()
    {
        QCOMPARE(recordedCombination(Qt::Key_W, Qt::ControlModifier | Qt::AltModifier), controlOptionW);
        QCOMPARE(recordedCombination(Qt::Key_A,
                                     Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier),
                 HotkeyConfig::combo(0, 0x1B00));
        QCOMPARE(recordedCombination(Qt::Key_5, Qt::MetaModifier | Qt::KeypadModifier), HotkeyConfig::combo(23, 0x100));
        QVERIFY(!recordedCombination(Qt::Key_W, Qt::KeypadModifier));
        QVERIFY(!recordedCombination(Qt::Key_Meta, Qt::MetaModifier));
    }

    void triggerKindSwitchesStoreAtOnce()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        auto *modifierPicker = tab.findChild<QComboBox *>(QStringLiteral("modifierPicker"));
        QCOMPARE(tab.mode(), HKMode::Combo);
        QVERIFY(!modifierPicker->isVisibleTo(&tab));

        // A combination other than the default, then a double tap.
        fixture.settings.setHotkey(HotkeyConfig::combo(40, 0x300));
        tab.setMode(HKMode::DoubleMod);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Command));
        QVERIFY(modifierPicker->isVisibleTo(&tab));
        QVERIFY(!tab.recorder().isVisibleTo(&tab));
        QCOMPARE(tab.recorder().text(), QStringLiteral("Click to Record"));

        // Picking Option in the picker changes the trigger at once.
        modifierPicker->setCurrentIndex(1);
        emit modifierPicker->activated(1);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Option));
        QCOMPARE(fixture.armer.applied.back(), HotkeyConfig::doubleModifier(ModifierKey::Option));

        // Back to a key combination: always ⌃⌥W, never the combination used before.
        const int ticks = fixture.tick();
        tab.setMode(HKMode::Combo);
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        QCOMPARE(fixture.armer.applied.back(), controlOptionW);
        QCOMPARE(fixture.tick(), ticks + 1);

        // While showing a key combination, another modifier only waits for the next switch.
        tab.setModKey(ModifierKey::Shift);
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        tab.setMode(HKMode::DoubleMod);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Shift));
    }

    void showingTheTabFollowsTheStoreWithoutSaving()
    {
        SettingsFixture fixture;
        fixture.settings.setHotkey(HotkeyConfig::doubleModifier(ModifierKey::Control));
        const size_t applied = fixture.armer.applied.size();
        const int ticks = fixture.tick();

        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QCOMPARE(tab.mode(), HKMode::DoubleMod);
        QCOMPARE(tab.modKey(), ModifierKey::Control);
        QCOMPARE(tab.findChild<QComboBox *>(QStringLiteral("modifierPicker"))->currentText(),
                 QStringLiteral("⌃ Control"));
        // Nothing changed, so nothing is re-armed and no "Saved" flashes.
        QCOMPARE(fixture.armer.applied.size(), applied);
        QCOMPARE(fixture.tick(), ticks);

        // The trigger changed elsewhere: seen when the tab is shown again.
        fixture.settings.setHotkey(HotkeyConfig::combo(40, 0x300));
        shown.revisit(Tab::General);
        QCOMPARE(tab.mode(), HKMode::Combo);
        QCOMPARE(tab.modKey(), ModifierKey::Control);
        QVERIFY(tab.recorder().isVisibleTo(&tab));
    }

    void permissionRowsAreReadWhenTheTabIsShown()
    {
        SettingsFixture fixture;
        fixture.platform.ax.trusted = false;
        fixture.platform.capture.granted = true;
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QVERIFY(!tab.accessibilityRow().showsGranted());
        QVERIFY(tab.screenRecordingRow().showsGranted());

        auto *grant = tab.accessibilityRow().findChild<QPushButton *>(QStringLiteral("grantAccess"));
        QVERIFY(grant->isVisibleTo(&tab));
        QCOMPARE(grant->text(), QStringLiteral("Grant Access…"));
        grant->click();
        QCOMPARE(fixture.platform.ax.trustRequests, 1);

        // Granted in the meantime: the row changes only when the tab is shown again.
        fixture.platform.ax.trusted = true;
        fixture.platform.capture.granted = false;
        QVERIFY(!tab.accessibilityRow().showsGranted());
        shown.revisit(Tab::General);
        QVERIFY(tab.accessibilityRow().showsGranted());
        QVERIFY(!tab.screenRecordingRow().showsGranted());

        tab.screenRecordingRow().findChild<QPushButton *>(QStringLiteral("grantAccess"))->click();
        QCOMPARE(fixture.platform.capture.requests, 1);
    }

    void showInDockToggleStoresTheChoice()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        auto *toggle = shown.view.generalTab().findChild<QCheckBox *>();
        QCOMPARE(toggle->text(), QStringLiteral("Show in Dock"));
        QVERIFY(!toggle->isChecked());
        QSignalSpy taskbar(&fixture.settings, &SettingsStore::taskbarPresenceRequested);

        toggle->click();
        QVERIFY(fixture.settings.showInDock());
        QCOMPARE(taskbar.count(), 1);

        fixture.settings.setShowInDock(false);
        QVERIFY(!toggle->isChecked());
    }
};

QTEST_MAIN(GeneralTabTest)
#include "general_tab_test.moc"

#include "SettingsUiTesting.h"

#include "settings/LaunchAtLogin.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/HotkeyRecorderButton.h"
#include "settings/ui/PermissionRow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "support/LogCapture.h"

using namespace lettergate;

using Tab = SettingsView::Tab;
using HKMode = GeneralSettingsTab::HKMode;
using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

const HotkeyConfig controlOptionW = HotkeyConfig::defaultTrigger();

// Sets an environment variable until the returned guard goes, then restores it.
[[nodiscard]] auto scopedVariable(const char *name, const QByteArray &value)
{
    const std::optional<QByteArray> saved = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                            : std::nullopt;
    qputenv(name, value);
    return qScopeGuard([name, saved] { saved ? qputenv(name, *saved) : qunsetenv(name); });
}

} // namespace

class GeneralTabTest : public QObject {
    Q_OBJECT
private slots:
    void theTriggerIsRecordedOrSwitchedAndStoredAtOnce()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        HotkeyRecorderButton &recorder = tab.recorder();
        QShortcut save(QKeySequence(Qt::CTRL | Qt::Key_S), &shown.view);
        save.setContext(Qt::ApplicationShortcut);
        QSignalSpy fired(&save, &QShortcut::activated);
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1); // the shortcut works while not recording
        int ticks = fixture.tick();

        // A key without Ctrl, Alt or Super would swallow typing: it is refused, and
        // recording goes on. A modifier key on its own and a key the trigger table cannot
        // name are ignored. Escape stops recording and changes nothing.
        QTest::mouseClick(&recorder, Qt::LeftButton);
        QTest::keyClick(&recorder, Qt::Key_A, Qt::ShiftModifier);
        QTest::keyClick(&recorder, Qt::Key_F20, Qt::ControlModifier);
        QVERIFY(showsTextContaining(tab, QStringLiteral("key: Shift+A would swallow typing")));
        QVERIFY(recorder.isRecording());
        QTest::keyClick(&recorder, Qt::Key_Escape, Qt::ControlModifier);
        QVERIFY(!recorder.isRecording());
        QVERIFY(!showsTextContaining(tab, QStringLiteral("would swallow typing")));
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(fixture.armer.applied.empty());

        // Only K makes a trigger, stored, armed and confirmed at once.
        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(40, 0x300));

        // While recording, the window's shortcuts are swallowed and become the trigger.
        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(1, 0x1000));

        // Switching the kind of trigger stores it at once, and the tab follows the store.
        auto *modifierPicker = tab.findChild<QComboBox *>(QStringLiteral("modifierPicker"));
        tab.setMode(HKMode::DoubleMod);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Command));
        modifierPicker->setCurrentIndex(1);
        emit modifierPicker->activated(1);
        QCOMPARE(fixture.armer.applied.back(), HotkeyConfig::doubleModifier(ModifierKey::Option));

        // Back to a key combination: always Ctrl+Alt+W, never the combination used before.
        tab.setMode(HKMode::Combo);
        QCOMPARE(fixture.armer.applied.back(), controlOptionW);
        // While showing a key combination, another modifier only waits for the next switch.
        tab.setModKey(ModifierKey::Shift);
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        tab.setMode(HKMode::DoubleMod);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Shift));

        // The trigger changed elsewhere: seen when the tab is shown again, without a save.
        fixture.settings.setHotkey(HotkeyConfig::doubleModifier(ModifierKey::Control));
        const size_t applied = fixture.armer.applied.size();
        ticks = fixture.tick();
        shown.revisit(Tab::General);
        QCOMPARE(tab.mode(), HKMode::DoubleMod);
        QCOMPARE(tab.modKey(), ModifierKey::Control);
        QCOMPARE(fixture.armer.applied.size(), applied);
        QCOMPARE(fixture.tick(), ticks);
    }

    void permissionsShowWhatTheDesktopGrants()
    {
        SettingsFixture fixture;
        fixture.platform.own.windowManager = std::nullopt;
        fixture.platform.keys.refused.insert({controlOptionW.keyCode(), controlOptionW.carbonModifiers()});
        fixture.platform.tray.present = false;
        fixture.trigger.apply(controlOptionW);
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QVERIFY(!tab.windowManagerRow().showsGranted());
        QVERIFY(!tab.triggerRow().showsGranted());
        QVERIFY(!tab.systemTrayRow().showsGranted());
        QVERIFY(tab.quitButton().isVisible());

        // Let go by the other program: "Try Again" takes it, and the row follows at once.
        fixture.platform.keys.refused.clear();
        tab.triggerRow().findChild<QPushButton *>(QStringLiteral("permissionAction"))->click();
        QCOMPARE(fixture.trigger.state(), TriggerState::Armed);
        QVERIFY(tab.triggerRow().showsGranted());
        // The tray comes while the window is open; the window manager is read again when
        // the tab is shown again.
        fixture.platform.tray.setPresent(true);
        QVERIFY(tab.systemTrayRow().showsGranted());
        QVERIFY(!tab.quitButton().isVisible());
        fixture.platform.own.windowManager = QStringLiteral("Fakebox");
        shown.revisit(Tab::General);
        QVERIFY(tab.windowManagerRow().showsGranted());
    }

    // Where the desktop binds keys itself, the tab shows the lines to add to its
    // configuration instead of the recorder, and the trigger is nothing to warn about.
    void aDesktopThatBindsKeysGetsItsBindingLines()
    {
        using DesktopBindings::Desktop;
        const auto session = scopedVariable("XDG_CURRENT_DESKTOP", "Wayfire");
        SettingsFixture fixture;
        fixture.platform.keys.supported = false;
        fixture.trigger.apply(controlOptionW);
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QCOMPARE(tab.bindingDesktop(), Desktop::Wayfire);
        QVERIFY(tab.triggerRow().showsGranted());
        QVERIFY(!tab.triggerRow().offersAction());

        const struct {
            Desktop desktop;
            std::optional<ModifierKey> tapped;
            QString lines;
        } cases[] = {
            {Desktop::Sway, ModifierKey::Command,
             QStringLiteral("bindsym --release Super_L exec lettergate tap super")},
            {Desktop::Hyprland, ModifierKey::Control,
             QStringLiteral("bindr = CTRL, Control_L, exec, lettergate tap ctrl")},
            {Desktop::Niri, std::nullopt, QStringLiteral("Ctrl+Alt+W { spawn \"lettergate\" \"toggle\"; }")},
            // niri runs nothing on a key's release: no line, and the reason instead.
            {Desktop::Niri, ModifierKey::Command, QString()},
            {Desktop::Wayfire, std::nullopt,
             QStringLiteral("binding_lettergate = <ctrl> <alt> KEY_W\ncommand_lettergate = lettergate toggle")},
        };
        for (const auto &test : cases) {
            tab.setMode(test.tapped ? HKMode::DoubleMod : HKMode::Combo);
            if (test.tapped)
                tab.setModKey(*test.tapped);
            tab.setBindingDesktop(test.desktop);
            QCOMPARE(tab.bindingLines(), test.lines);
            QVERIFY(tab.bindingHelp().contains(test.lines.isEmpty() ? QStringLiteral("cannot report taps")
                                                                    : DesktopBindings::configFile(test.desktop)));
            QVERIFY(!tab.recorder().isVisibleTo(&tab));
        }
    }

    void launchAtLoginWritesAndRemovesTheAutostartEntry()
    {
        SettingsFixture fixture;
        const QString entry = fixture.environment.configHome()
                              + QStringLiteral("/autostart/app.lettergate.Lettergate.desktop");
        // The entry starts the program $PATH finds, in a folder that is not temporary:
        // beside this test, or in the home folder when the build itself is in one.
        const auto lasts = [](const QString &folder) {
            return LaunchAtLogin::lastingProgram({folder + QStringLiteral("/lettergate"), {}, {}},
                                                 LaunchAtLogin::temporaryFolders())
                .has_value();
        };
        const QString parent = lasts(QCoreApplication::applicationDirPath()) ? QCoreApplication::applicationDirPath()
                                                                             : QDir::homePath();
        if (!lasts(parent))
            QSKIP("every folder this test may write in is a temporary one");
        QTemporaryDir bin(parent + QStringLiteral("/.lettergate-test-path-XXXXXX"));
        const QString installed = bin.filePath(QStringLiteral("lettergate"));
        StoreTesting::writeFile(installed, "#!/bin/sh\n");
        QFile::setPermissions(installed, QFile::ReadOwner | QFile::ExeOwner);
        const auto path = scopedVariable("PATH", QFile::encodeName(bin.path()));
        ShownView shown(fixture, Tab::General);
        auto *toggle = shown.view.generalTab().findChild<QCheckBox *>(QStringLiteral("launchAtLogin"));
        toggle->click();
        QCOMPARE(QString::fromUtf8(StoreTesting::fileBytes(entry)).split(u'\n').filter(QStringLiteral("Exec=")),
                 QStringList{"Exec=" + installed});
        toggle->click();
        QVERIFY(!QFile::exists(entry));
        // The switch shows what is on disk when the tab is shown again.
        StoreTesting::writeFile(entry, QByteArray());
        shown.revisit(Tab::General);
        QVERIFY(toggle->isChecked());
        QVERIFY(QFile::remove(entry));

        // When the entry cannot be written or removed, the switch says so by not moving.
        LogCapture log;
        const QString folder = fixture.environment.configHome() + QStringLiteral("/autostart");
        QVERIFY(QDir(folder).removeRecursively());
        StoreTesting::writeFile(folder, QByteArray()); // a file where the folder belongs
        shown.revisit(Tab::General);
        toggle->click();
        QVERIFY(!toggle->isChecked());
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(entry + QStringLiteral("/not-a-file"))); // a folder where the entry belongs
        shown.revisit(Tab::General);
        toggle->click();
        QVERIFY(toggle->isChecked());
        QCOMPARE(log.lines.size(), 2);
    }

    void autostartEntriesStartAProgramThatLastsAndQuoteIt()
    {
        const QString home = QStringLiteral("/home/ana/src/lettergate/build/lettergate");
        const QStringList temporary{QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QStringLiteral("/scratch/tmp")};
        const QList<std::pair<LaunchAtLogin::ProgramPaths, QString>> cases{
            {{"/usr/bin/lettergate", "/usr/local/bin/lettergate", home}, "/usr/bin/lettergate"},
            {{{}, {}, home}, home},
            {{{}, {}, "/var/tmp/x/lettergate"}, QString()},
            {{"/tmp/bin/lettergate", {}, home}, home},
            {{{}, {}, "/tmpfiles/lettergate"}, "/tmpfiles/lettergate"}, // a folder named like one
        };
        for (const auto &[paths, expected] : cases)
            QCOMPARE(LaunchAtLogin::lastingProgram(paths, temporary).value_or(QString()), expected);

        const auto execLine = [](const QString &executable) -> std::optional<QString> {
            const std::optional<QString> text = LaunchAtLogin::entryText(executable);
            return text ? std::optional(text->split(u'\n').filter(QStringLiteral("Exec=")).value(0)) : std::nullopt;
        };
        QCOMPARE(execLine(QStringLiteral("/opt/my apps/100%/lettergate")),
                 QStringLiteral("Exec=\"/opt/my apps/100%%/lettergate\""));
        // Quoted: \ before $, ` and \; then every backslash written twice in the file.
        QCOMPARE(execLine(QStringLiteral("/x/a$b\\c`d")), QStringLiteral("Exec=\"/x/a\\\\$b\\\\\\\\c\\\\`d\""));
        QCOMPARE(execLine(QStringLiteral("/tmp/two\nlines")), std::nullopt);
        QCOMPARE(execLine(QString()), std::nullopt);
    }
};

QTEST_MAIN(GeneralTabTest)
#include "general_tab_test.moc"

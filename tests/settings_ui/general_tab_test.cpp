#include "SettingsUiTesting.h"

#include "platform/BuildInfo.h"
#include "settings/LaunchAtLogin.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/HotkeyRecorderButton.h"
#include "settings/ui/PermissionRow.h"
#include "settings/ui/RecordedCombination.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>

#include "support/LogCapture.h"

using Tab = SettingsView::Tab;
using HKMode = GeneralSettingsTab::HKMode;
using ModifierKey = HotkeyConfig::ModifierKey;
Q_DECLARE_METATYPE(LaunchAtLogin::ProgramPaths)

namespace {

const HotkeyConfig controlOptionW = HotkeyConfig::defaultTrigger();

// Sets an environment variable while it lives.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_saved(qgetenv(name))
        , m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable() { m_wasSet ? qputenv(m_name, m_saved) : qunsetenv(m_name); }

private:
    const char *m_name;
    QByteArray m_saved;
    bool m_wasSet;
};

} // namespace

class GeneralTabTest : public QObject {
    Q_OBJECT
private slots:
    void recorderTakesOneWholeCombinationAndNothingElse()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::General);
        HotkeyRecorderButton &recorder = shown.view.generalTab().recorder();
        QShortcut save(QKeySequence(Qt::CTRL | Qt::Key_S), &shown.view);
        save.setContext(Qt::ApplicationShortcut);
        QSignalSpy fired(&save, &QShortcut::activated);
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1); // the shortcut works while not recording
        QCOMPARE(recorder.text(), QStringLiteral("Ctrl+Alt+W"));
        const int ticks = fixture.tick();

        // A key without Ctrl, Alt or Super would swallow typing: it is refused with a
        // message under the button, and recording goes on. A modifier key on its own and
        // a key the trigger table cannot name are ignored.
        QTest::mouseClick(&recorder, Qt::LeftButton);
        QVERIFY(recorder.isRecording());
        QTest::keyClick(&recorder, Qt::Key_F5);
        QCOMPARE(recorder.refusal(), QStringLiteral("Hold Ctrl, Alt or Super with the key: F5 would swallow typing."));
        QTest::keyClick(&recorder, Qt::Key_A, Qt::ShiftModifier);
        QTest::keyClick(&recorder, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(&recorder, Qt::Key_F20, Qt::ControlModifier);
        QVERIFY(showsTextContaining(shown.view.generalTab(), QStringLiteral("key: Shift+A would swallow typing")));
        QVERIFY(recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("Press shortcut…"));
        // Escape, or a second click, stops recording, takes the message away and changes nothing.
        QTest::keyClick(&recorder, Qt::Key_Escape, Qt::ControlModifier);
        QVERIFY(!recorder.isRecording());
        QVERIFY(!showsTextContaining(shown.view.generalTab(), QStringLiteral("would swallow typing")));
        QCOMPARE(recorder.text(), QStringLiteral("Ctrl+Alt+W"));
        recorder.click();
        recorder.click();
        QVERIFY(!recorder.isRecording());
        QCOMPARE(fixture.settings.hotkey(), controlOptionW);
        QCOMPARE(fixture.tick(), ticks);
        QVERIFY(fixture.armer.applied.empty());

        // QTest presses Shift, then Super with Shift held, then K: only K makes a trigger,
        // stored, armed and confirmed at once.
        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(40, 0x300));
        QCOMPARE(fixture.armer.applied.back(), HotkeyConfig::combo(40, 0x300));
        QCOMPARE(fixture.tick(), ticks + 1);
        QVERIFY(!recorder.isRecording());
        QCOMPARE(recorder.text(), QStringLiteral("Shift+Super+K"));

        // While recording, the window's shortcuts are swallowed and become the trigger.
        recorder.click();
        QTest::keyClick(&recorder, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fired.count(), 1);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::combo(1, 0x1000));

        // Leaving the tab stops recording.
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
        // Made without a modifier too, for the recorder to refuse with a message.
        QCOMPARE(recordedCombination(Qt::Key_W, Qt::KeypadModifier), HotkeyConfig::combo(13, 0));
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

        // Picking Alt in the picker changes the trigger at once.
        modifierPicker->setCurrentIndex(1);
        emit modifierPicker->activated(1);
        QCOMPARE(fixture.settings.hotkey(), HotkeyConfig::doubleModifier(ModifierKey::Option));
        QCOMPARE(fixture.armer.applied.back(), HotkeyConfig::doubleModifier(ModifierKey::Option));

        // Back to a key combination: always Ctrl+Alt+W, never the combination used before.
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
        QCOMPARE(tab.findChild<QComboBox *>(QStringLiteral("modifierPicker"))->currentText(), QStringLiteral("Ctrl"));
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

    void permissionsShowWhatTheDesktopGrants()
    {
        SettingsFixture fixture;
        fixture.platform.own.windowManager = std::nullopt;
        fixture.platform.own.pictureSource = std::nullopt;
        fixture.platform.own.limitation = QStringLiteral("only XWayland windows can be listed");
        fixture.platform.keys.refused.insert({controlOptionW.keyCode(), controlOptionW.carbonModifiers()});
        fixture.trigger.apply(controlOptionW);
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QVERIFY(!tab.sessionRow().showsGranted());
        QCOMPARE(tab.sessionRow().stateText(), QStringLiteral("only XWayland windows can be listed"));
        QVERIFY(!tab.windowManagerRow().showsGranted());
        QCOMPARE(tab.windowManagerRow().stateText(), QStringLiteral("none: windows can be neither listed nor raised"));
        QVERIFY(!tab.windowPicturesRow().showsGranted());
        QCOMPARE(tab.windowPicturesRow().stateText(), QStringLiteral("none: cards show the applications' icons"));
        const PermissionRow &trigger = tab.triggerRow();
        QVERIFY(!trigger.showsGranted());
        QCOMPARE(trigger.stateText(), controlOptionW.readableName() + QStringLiteral(" is taken by another program"));
        QVERIFY(trigger.offersAction());

        // Let go by the other program: "Try Again" takes it, and the row follows at once.
        fixture.platform.keys.refused.clear();
        trigger.findChild<QPushButton *>(QStringLiteral("permissionAction"))->click();
        QCOMPARE(fixture.trigger.state(), TriggerState::Armed);
        QVERIFY(trigger.showsGranted());
        QVERIFY(!trigger.offersAction());
        QCOMPARE(trigger.stateText(), controlOptionW.readableName() + QStringLiteral(" in effect"));

        // The desktop's grants are read again when the tab is shown again.
        fixture.platform.own.windowManager = QStringLiteral("Fakebox");
        fixture.platform.own.pictureSource = QStringLiteral("Composite extension");
        fixture.platform.own.limitation = std::nullopt;
        QVERIFY(!tab.windowManagerRow().showsGranted());
        shown.revisit(Tab::General);
        QVERIFY(tab.windowManagerRow().showsGranted());
        QCOMPARE(tab.windowManagerRow().stateText(), QStringLiteral("Fakebox"));
        QCOMPARE(tab.windowPicturesRow().stateText(), QStringLiteral("available (Composite extension)"));
        QCOMPARE(tab.sessionRow().stateText(), QStringLiteral("Fake"));
    }

    // Where the desktop binds keys itself (Wayland), the tab shows the lines to add to its
    // configuration instead of the recorder, and the trigger is nothing to warn about.
    void aDesktopThatBindsKeysGetsItsBindingLines()
    {
        using DesktopBindings::Desktop;
        const ScopedVariable session("XDG_CURRENT_DESKTOP", "Wayfire");
        SettingsFixture fixture;
        fixture.platform.keys.supported = false;
        fixture.trigger.apply(controlOptionW);
        ShownView shown(fixture, Tab::General);
        GeneralSettingsTab &tab = shown.view.generalTab();
        QVERIFY(tab.showsBindings());
        QVERIFY(!tab.recorder().isVisibleTo(&tab));
        QCOMPARE(tab.bindingDesktop(), Desktop::Wayfire);
        QCOMPARE(tab.bindingLines(),
                 QStringLiteral("binding_lettergate = <ctrl> <alt> KEY_W\ncommand_lettergate = lettergate toggle"));
        QVERIFY(tab.triggerRow().showsGranted());
        QVERIFY(!tab.triggerRow().offersAction());
        QCOMPARE(tab.triggerRow().stateText(), QStringLiteral("bound in the desktop's own settings (see above)"));

        const struct {
            Desktop desktop;
            std::optional<ModifierKey> tapped;
            QString lines;
        } cases[] = {
            {Desktop::Sway, std::nullopt, QStringLiteral("bindsym Ctrl+Alt+w exec lettergate toggle")},
            {Desktop::Sway, ModifierKey::Command, QStringLiteral("bindsym --release Super_L exec lettergate tap super")},
            {Desktop::Hyprland, ModifierKey::Control, QStringLiteral("bindr = CTRL, Control_L, exec, lettergate tap ctrl")},
            {Desktop::River, ModifierKey::Option,
             QStringLiteral("riverctl map -release normal Alt Alt_L spawn 'lettergate tap alt'")},
            {Desktop::River, std::nullopt, QStringLiteral("riverctl map normal Control+Alt W spawn 'lettergate toggle'")},
            {Desktop::Labwc, ModifierKey::Shift,
             QStringLiteral("<keybind key=\"Shift_L\" onRelease=\"yes\"><action name=\"Execute\" "
                            "command=\"lettergate tap shift\"/></keybind>")},
            {Desktop::Niri, std::nullopt, QStringLiteral("Ctrl+Alt+W { spawn \"lettergate\" \"toggle\"; }")},
            // niri runs nothing on a key's release: no line, and the reason instead.
            {Desktop::Niri, ModifierKey::Command, QString()},
            {Desktop::Wayfire, std::nullopt,
             QStringLiteral("binding_lettergate = <ctrl> <alt> KEY_W\ncommand_lettergate = lettergate toggle")},
            {Desktop::Wayfire, ModifierKey::Command,
             QStringLiteral("binding_lettergate_tap = <super>\ncommand_lettergate_tap = lettergate tap super")},
            {Desktop::Wayfire, ModifierKey::Control,
             QStringLiteral("binding_lettergate_tap = <ctrl>\ncommand_lettergate_tap = lettergate tap ctrl")},
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

    void trayRowAndQuitButtonFollowTheTray()
    {
        SettingsFixture fixture;
        fixture.platform.tray.present = false;
        ShownView shown(fixture, Tab::General);
        const QPushButton &quit = shown.view.generalTab().quitButton();
        const PermissionRow &tray = shown.view.generalTab().systemTrayRow();
        QCOMPARE(quit.text(), QStringLiteral("Quit Lettergate"));
        QVERIFY(quit.isVisible());
        QVERIFY(!tray.showsGranted());

        // The tray comes and goes while the window is open.
        fixture.platform.tray.setPresent(true);
        QVERIFY(!quit.isVisible());
        QVERIFY(tray.showsGranted());
        fixture.platform.tray.setPresent(false);
        QVERIFY(quit.isVisible());
        QVERIFY(!tray.showsGranted());
    }

    void launchAtLoginWritesAndRemovesTheAutostartEntry()
    {
        SettingsFixture fixture;
        const QString entry = fixture.environment.configHome() + QStringLiteral("/autostart/app.lettergate.Lettergate.desktop");
        QCOMPARE(LaunchAtLogin::entryPath(), entry);
        // The entry starts the program $PATH finds, in a folder that is not temporary:
        // beside this test, or in the home folder when the build itself is in one.
        const auto lasts = [](const QString &folder) {
            return LaunchAtLogin::lastingProgram({folder + QStringLiteral("/lettergate"), {}, {}},
                                                 LaunchAtLogin::temporaryFolders())
                .has_value();
        };
        const QString parent =
            lasts(QCoreApplication::applicationDirPath()) ? QCoreApplication::applicationDirPath() : QDir::homePath();
        if (!lasts(parent))
            QSKIP("every folder this test may write in is a temporary one");
        QTemporaryDir bin(parent + QStringLiteral("/.lettergate-test-path-XXXXXX"));
        const QString installed = bin.filePath(QStringLiteral("lettergate"));
        StoreTesting::writeFile(installed, "#!/bin/sh\n");
        QFile::setPermissions(installed, QFile::ReadOwner | QFile::ExeOwner);
        const ScopedVariable path("PATH", QFile::encodeName(bin.path()));
        ShownView shown(fixture, Tab::General);
        auto *toggle = shown.view.generalTab().findChild<QCheckBox *>(QStringLiteral("launchAtLogin"));
        QVERIFY(!toggle->isChecked());
        toggle->click();
        QVERIFY(toggle->isChecked());
        const QStringList lines = QString::fromUtf8(StoreTesting::fileBytes(entry)).split(u'\n');
        QVERIFY(lines.contains(QStringLiteral("[Desktop Entry]")));
        QCOMPARE(lines.filter(QStringLiteral("Exec=")), QStringList{"Exec=" + installed});
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess validate;
            validate.start(validator, {entry});
            QVERIFY(validate.waitForFinished());
            QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());
        }

        toggle->click();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!QFile::exists(entry));

        // The switch shows what is on disk when the tab is shown again.
        StoreTesting::writeFile(entry, QByteArray());
        shown.revisit(Tab::General);
        QVERIFY(toggle->isChecked());
        QVERIFY(QFile::remove(entry));
        shown.revisit(Tab::General);
        QVERIFY(!toggle->isChecked());

        // When the entry cannot be written or removed, the switch says so by not moving.
        LogCapture log;
        const QString folder = fixture.environment.configHome() + QStringLiteral("/autostart");
        QVERIFY(QDir(folder).removeRecursively());
        StoreTesting::writeFile(folder, QByteArray()); // a file where the folder belongs
        toggle->click();
        QVERIFY(!toggle->isChecked());
        QCOMPARE(log.lines.size(), 1);
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(entry + QStringLiteral("/not-a-file"))); // a folder where the entry belongs
        shown.revisit(Tab::General);
        QVERIFY(toggle->isChecked());
        toggle->click();
        QVERIFY(toggle->isChecked());
        QCOMPARE(log.lines.size(), 2);
        QVERIFY(QDir(entry).removeRecursively());

        // Nothing installed, and the program runs from a temporary folder: the setting
        // says so instead of writing a path that will vanish.
        if (QFileInfo(QString::fromUtf8(BuildInfo::installedProgram)).isExecutable())
            return; // installed on this machine: the entry would start that one
        const ScopedVariable nothingOnPath("PATH", QFile::encodeName(fixture.environment.configHome()));
        const ScopedVariable temporary("TMPDIR", QFile::encodeName(QCoreApplication::applicationDirPath()));
        shown.revisit(Tab::General);
        QVERIFY(!toggle->isEnabled());
        QVERIFY(showsTextContaining(shown.view.generalTab(), QStringLiteral("runs from a temporary folder")));
    }

    void autostartEntriesStartAProgramThatLasts_data()
    {
        QTest::addColumn<LaunchAtLogin::ProgramPaths>("paths");
        // Empty for none.
        QTest::addColumn<QString>("expected");
        const QString home = QStringLiteral("/home/ana/src/lettergate/build/lettergate");
        const auto row = [](const char *name, const LaunchAtLogin::ProgramPaths &paths, const QString &expected) {
            QTest::newRow(name) << paths << expected;
        };
        row("on PATH first", {"/usr/bin/lettergate", "/usr/local/bin/lettergate", home}, "/usr/bin/lettergate");
        row("then installed", {{}, "/usr/local/bin/lettergate", "/tmp/b/lettergate"}, "/usr/local/bin/lettergate");
        row("then as started", {{}, {}, home}, home);
        row("started in /tmp", {{}, {}, "/tmp/build/lettergate"}, QString());
        row("started in /var/tmp", {{}, {}, "/var/tmp/x/lettergate"}, QString());
        row("started in /dev/shm", {{}, {}, "/dev/shm/lettergate"}, QString());
        row("started in TMPDIR", {{}, {}, "/scratch/tmp/lettergate"}, QString());
        row("a PATH folder in /tmp", {"/tmp/bin/lettergate", {}, home}, home);
        row("a folder named like one", {{}, {}, "/tmpfiles/lettergate"}, "/tmpfiles/lettergate");
    }
    void autostartEntriesStartAProgramThatLasts()
    {
        QFETCH(LaunchAtLogin::ProgramPaths, paths);
        QFETCH(QString, expected);
        const QStringList temporary{QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QStringLiteral("/dev/shm"),
                                    QStringLiteral("/scratch/tmp")};
        QCOMPARE(LaunchAtLogin::lastingProgram(paths, temporary).value_or(QString()), expected);
    }

    void autostartEntriesQuoteTheProgramPath()
    {
        const auto execLine = [](const QString &executable) -> std::optional<QString> {
            const std::optional<QString> text = LaunchAtLogin::entryText(executable);
            if (!text)
                return std::nullopt;
            return text->split(u'\n').filter(QStringLiteral("Exec=")).value(0);
        };
        QCOMPARE(execLine(QStringLiteral("/usr/bin/lettergate")), QStringLiteral("Exec=/usr/bin/lettergate"));
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

#pragma once

#include "hotkeys/DesktopBindings.h"
#include "hotkeys/HotkeyConfig.h"
#include "settings/LaunchAtLogin.h"
#include "settings/ui/SettingsTab.h"
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;

namespace lettergate {

class HotkeyManager;
class HotkeyRecorderButton;
class PermissionRow;
class Platform;
class SettingsStore;

// The trigger (a key combination or a double tap of one modifier), the taskbar entry,
// launching at login and what the desktop grants Lettergate. Changing the trigger kind or the modifier stores the new
// trigger at once; the store re-arms it. Where the desktop binds keys itself (Wayland), the lines to add to its
// configuration replace the key recorder.
class GeneralSettingsTab : public SettingsTab {
    Q_OBJECT
public:
    // Which kind of trigger the tab shows.
    enum class HKMode { Combo, DoubleMod };

    GeneralSettingsTab(SettingsStore &store, Platform &platform, HotkeyManager &trigger, QWidget *parent = nullptr);

    HKMode mode() const { return m_mode; }
    HotkeyConfig::ModifierKey modKey() const { return m_modKey; }

    // What the Trigger and Modifier pickers do when the user picks.
    void setMode(HKMode mode);
    void setModKey(HotkeyConfig::ModifierKey modKey);

    HotkeyRecorderButton &recorder() const { return *m_recorder; }
    const PermissionRow &sessionRow() const { return *m_session; }
    // Where the desktop binds keys itself: which desktop's bindings are shown (at first
    // the session's, else sway's), what to do with them (or why that desktop has none for
    // this trigger) and the lines to copy.
    bool showsBindings() const;
    DesktopBindings::Desktop bindingDesktop() const { return m_bindingDesktop; }
    void setBindingDesktop(DesktopBindings::Desktop desktop);
    QString bindingHelp() const;
    QString bindingLines() const;
    const PermissionRow &windowManagerRow() const { return *m_windowManager; }
    const PermissionRow &windowPicturesRow() const { return *m_windowPictures; }
    const PermissionRow &triggerRow() const { return *m_triggerRow; }
    const PermissionRow &systemTrayRow() const { return *m_systemTray; }
    // Shown only while no system tray runs.
    const QPushButton &quitButton() const { return *m_quit; }

    // Reads what the desktop grants, the stored trigger and whether the autostart entry
    // exists; stores nothing. The trigger's row also follows every change of its state.
    void reload() override;

private:
    QWidget *activationSection();
    QWidget *taskbarSection();
    QWidget *loginSection();
    QWidget *permissionsSection();
    QPushButton *makeQuitButton();

    void showMode();
    void showBindings();
    void showTriggerState();
    void showSystemTray(bool present);
    // Whether the autostart entry exists, and whether one can be written at all.
    void showLaunchAtLogin();
    // The recorder's message about a refused key, under it while it has one.
    void showRefusal();
    void storeTrigger(const HotkeyConfig &trigger);

    SettingsStore &m_store;
    Platform &m_platform;
    HotkeyManager &m_trigger;
    HKMode m_mode = HKMode::Combo;
    HotkeyConfig::ModifierKey m_modKey = HotkeyConfig::ModifierKey::Command;

    QFormLayout *m_activationForm = nullptr;
    QButtonGroup *m_modePicker = nullptr;
    HotkeyRecorderButton *m_recorder = nullptr;
    QLabel *m_recorderRefusal = nullptr;
    QWidget *m_comboHelp = nullptr;
    QComboBox *m_modifierPicker = nullptr;
    QWidget *m_doubleTapHelp = nullptr;
    DesktopBindings::Desktop m_bindingDesktop = DesktopBindings::Desktop::Sway;
    QComboBox *m_desktopPicker = nullptr;
    QLabel *m_bindingHelp = nullptr;
    QLabel *m_bindingLines = nullptr;
    LaunchAtLogin m_launchAtLogin;
    QCheckBox *m_launchAtLoginBox = nullptr;
    QLabel *m_launchAtLoginCaption = nullptr;
    QFormLayout *m_permissions = nullptr;
    PermissionRow *m_session = nullptr;
    PermissionRow *m_windowManager = nullptr;
    PermissionRow *m_windowPictures = nullptr;
    PermissionRow *m_triggerRow = nullptr;
    PermissionRow *m_systemTray = nullptr;
    QPushButton *m_quit = nullptr;
};

} // namespace lettergate

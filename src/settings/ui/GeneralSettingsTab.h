#pragma once

#include "hotkeys/HotkeyConfig.h"
#include "settings/LaunchAtLogin.h"
#include "settings/ui/SettingsTab.h"

class HotkeyRecorderButton;
class PermissionRow;
class Platform;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QPushButton;
class SettingsStore;

// The trigger (a key combination or a double tap of one modifier), the taskbar entry,
// launching at login and the two permissions. Changing the trigger kind or the modifier stores the new trigger
// at once; the store re-arms it.
class GeneralSettingsTab : public SettingsTab {
    Q_OBJECT
public:
    // Which kind of trigger the tab shows.
    enum class HKMode { Combo, DoubleMod };

    GeneralSettingsTab(SettingsStore &store, Platform &platform, QWidget *parent = nullptr);

    HKMode mode() const { return m_mode; }
    HotkeyConfig::ModifierKey modKey() const { return m_modKey; }

    // What the Trigger and Modifier pickers do when the user picks.
    void setMode(HKMode mode);
    void setModKey(HotkeyConfig::ModifierKey modKey);

    HotkeyRecorderButton &recorder() const { return *m_recorder; }
    const PermissionRow &accessibilityRow() const { return *m_accessibility; }
    const PermissionRow &screenRecordingRow() const { return *m_screenRecording; }
    // Shown only while no system tray runs.
    const QPushButton &quitButton() const { return *m_quit; }

    // Reads both permissions, the stored trigger and whether the autostart entry exists;
    // stores nothing.
    void reload() override;

private:
    QWidget *activationSection();
    QWidget *dockSection();
    QWidget *loginSection();
    QWidget *permissionsSection();
    QPushButton *makeQuitButton();

    void showMode();
    void storeTrigger(const HotkeyConfig &trigger);

    SettingsStore &m_store;
    Platform &m_platform;
    HKMode m_mode = HKMode::Combo;
    HotkeyConfig::ModifierKey m_modKey = HotkeyConfig::ModifierKey::Command;

    QFormLayout *m_activationForm = nullptr;
    QButtonGroup *m_modePicker = nullptr;
    HotkeyRecorderButton *m_recorder = nullptr;
    QWidget *m_comboHelp = nullptr;
    QComboBox *m_modifierPicker = nullptr;
    QWidget *m_doubleTapHelp = nullptr;
    LaunchAtLogin m_launchAtLogin;
    QCheckBox *m_launchAtLoginBox = nullptr;
    PermissionRow *m_accessibility = nullptr;
    PermissionRow *m_screenRecording = nullptr;
    QPushButton *m_quit = nullptr;
};

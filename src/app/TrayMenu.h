#pragma once

#include <QObject>
#include <functional>
class QAction;
class QMenu;

namespace lettergate {

class HotkeyManager;
class Platform;
class RunningCommands;
class SettingsStore;
class UpdateChecker;
class UpdateResult;

// The tray icon's menu. Its labels are built afresh each time it opens, so it always
// names the current trigger and whether it is in effect, the window manager and a known
// update. The user's commands still running are listed in a submenu, with a Stop item
// each; it follows RunningCommands as commands start and end.
class TrayMenu : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> showSwitcher;
        std::function<void()> showSettings;
        std::function<void()> printAllWindows;
        std::function<void()> quit;
        // Shows the outcome of a check the user asked for (modal alerts in the app).
        std::function<void(const UpdateResult &)> presentUpdateResult;
    };

    TrayMenu(SettingsStore &settings, UpdateChecker &updates, Platform &platform, HotkeyManager &trigger,
             RunningCommands &running, Actions actions, QObject *parent = nullptr);
    ~TrayMenu() override;

    QMenu *menu() const { return m_menu; }
    // Updates every label, visibility and enabled state from the current state.
    void refresh();
    // "Check for Updates…": one check at a time; the item stays disabled until its
    // outcome is shown.
    void checkForUpdates();

private:
    QAction *addAction(std::function<void()> onTriggered);
    void openDownloadPage();
    void showTriggerState();
    void listRunningCommands();

    SettingsStore &m_settings;
    UpdateChecker &m_updates;
    Platform &m_platform;
    HotkeyManager &m_trigger;
    RunningCommands &m_running;
    Actions m_actions;
    QMenu *m_menu;
    QAction *m_showSwitcher;
    QAction *m_settingsItem;
    QAction *m_newVersion;
    QAction *m_checkForUpdates;
    QAction *m_printWindows;
    QAction *m_triggerState;
    QAction *m_windowManager;
    QMenu *m_runningCommands;
    QAction *m_quit;
    bool m_checkingUpdate = false;
};

} // namespace lettergate

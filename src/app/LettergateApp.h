#pragma once

#include "app/StartUp.h"

#include <QObject>
#include <functional>
#include <memory>

class Platform;
class QSystemTrayIcon;
class SingleInstance;
class TrayMenu;

// The running program: starts the services in order, shows the tray icon with its
// menu, and answers requests that a second start of the program sends.
class LettergateApp : public QObject {
    Q_OBJECT
public:
    // What the settings window offers the shell.
    struct SettingsWindowHooks {
        std::function<void()> show;
        // Gives the settings window a taskbar entry, or takes it away.
        std::function<void(bool)> setTaskbarEntry;
    };

    LettergateApp(Platform &platform, SettingsWindowHooks settingsWindow, QObject *parent = nullptr);
    ~LettergateApp() override;

    // Everything that happens once the event loop is about to run.
    void finishLaunching();
    // "settings" (also an empty request), "show", "toggle" or "quit"; anything else is
    // logged and ignored.
    void handleRequest(const QString &request);

private:
    void showSettings();
    void installTrayIcon();

    Platform &m_platform;
    SettingsWindowHooks m_settingsWindow;
    std::unique_ptr<StartUp> m_startUp;
    std::unique_ptr<TrayMenu> m_trayMenu;
    QSystemTrayIcon *m_trayIcon = nullptr;
};

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
    // showSettings opens the settings window (which follows the taskbar choice itself).
    LettergateApp(Platform &platform, std::function<void()> showSettings, QObject *parent = nullptr);
    ~LettergateApp() override;

    // Everything that happens once the event loop is about to run.
    void finishLaunching();
    // "settings" (also an empty request), "show", "toggle" or "quit"; anything else is
    // logged and ignored.
    void handleRequest(const QString &request);

private:
    void installTrayIcon();

    Platform &m_platform;
    std::function<void()> m_showSettings;
    std::unique_ptr<StartUp> m_startUp;
    std::unique_ptr<TrayMenu> m_trayMenu;
    QSystemTrayIcon *m_trayIcon = nullptr;
};

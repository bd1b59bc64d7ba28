#pragma once

#include "app/Services.h"
#include "app/StartUp.h"

#include <QByteArray>
#include <QObject>
#include <memory>
class QSystemTrayIcon;

namespace lettergate {

class Platform;
class SingleInstance;
class TrayMenu;
class TrayStatus;

// The running program: makes its services (Services), starts them in order, shows the
// tray icon with its menu, and answers requests that a second start of the program sends.
class LettergateApp : public QObject {
    Q_OBJECT
public:
    explicit LettergateApp(Platform &platform, QObject *parent = nullptr);
    ~LettergateApp() override;

    Services &services() { return m_services; }

    // Everything that happens once the event loop is about to run.
    void finishLaunching();
    // Carries out a request from another start of the program (RequestProtocol) and
    // answers the reply: an acknowledgement for "settings" (also an empty request),
    // "show", "toggle", "quit", "windows" (carrying the window list) and "tap MODIFIER",
    // and a refusal for anything else (a tap of no known modifier included), which is
    // logged and otherwise ignored.
    QByteArray handleRequest(const QString &request);

private:
    // A modifier's tap reported by the desktop, for the double tap.
    QByteArray reportTap(const QString &modifierName);
    void installTrayIcon();
    // Keeps the icon's picture and tooltip on the trigger's state.
    void showTriggerStateOn(QSystemTrayIcon &icon);

    Platform &m_platform;
    Services m_services;
    std::unique_ptr<StartUp> m_startUp;
    std::unique_ptr<TrayMenu> m_trayMenu;
    std::unique_ptr<TrayStatus> m_trayStatus;
    QSystemTrayIcon *m_trayIcon = nullptr;
};

} // namespace lettergate

#include "app/LettergateApp.h"

#include "app/OverlayController.h"
#include "app/RequestProtocol.h"
#include "app/TrayMenu.h"
#include "app/TrayStatus.h"
#include "app/UpdateAlerts.h"
#include "app/WindowReport.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/SystemTray.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SettingsWindowController.h"
#include "stores/ClipboardHistory.h"
#include "updates/UpdateChecker.h"
#include "windows/WindowList.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

namespace lettergate {

LettergateApp::LettergateApp(Platform &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_services(platform)
{
}

LettergateApp::~LettergateApp() = default;

void LettergateApp::finishLaunching()
{
    OverlayController &overlay = *m_services.overlay;
    m_startUp = std::make_unique<StartUp>(StartUpServices{m_platform, *m_services.settings, *m_services.hotkeys,
                                                          *m_services.clipboard, *m_services.updates},
                                          StartUp::Hooks{[&overlay] { overlay.toggle(); },
                                                         [&overlay] { overlay.prepare(); },
                                                         [this] { installTrayIcon(); }});
    m_startUp->finishLaunching();
}

void LettergateApp::installTrayIcon()
{
    Platform &platform = m_platform;
    OverlayController &overlay = *m_services.overlay;
    SettingsWindowController &settingsWindow = *m_services.settingsWindow;
    m_trayMenu = std::make_unique<TrayMenu>(
        *m_services.settings, *m_services.updates, platform, *m_services.hotkeys, *m_services.runningCommands,
        TrayMenu::Actions{[&overlay] { overlay.show(); }, [&settingsWindow] { settingsWindow.show(); },
                          [&platform] { printAllWindows(platform); }, &QApplication::quit,
                          [&platform](const UpdateResult &result) { UpdateAlerts::present(result, platform.apps()); }});
    // Made and shown even without a tray: an X tray docks it whenever one appears (one
    // that starts after us, as at login, or one that restarts); a status-notifier tray
    // (Wayland) only if one runs now.
    SystemTray &tray = platform.systemTray();
    tray.iconMade();
    if (!tray.isPresent())
        qCInfo(lcApp).noquote()
            << (tray.showsIconsMadeBeforeIt()
                    ? QStringLiteral("no system tray yet: the icon appears when one starts; start lettergate again "
                                     "to open Settings")
                    : QStringLiteral("no system tray runs: the icon will not appear in this run, even when a tray "
                                     "starts later; start lettergate again to open Settings, which can quit it, "
                                     "or start Lettergate after the panel's tray"));
    m_trayIcon = new QSystemTrayIcon(this);
    showTriggerStateOn(*m_trayIcon);
    m_trayIcon->setContextMenu(m_trayMenu->menu());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [&overlay](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            overlay.show();
    });
    m_trayIcon->show();
}

void LettergateApp::showTriggerStateOn(QSystemTrayIcon &icon)
{
    if (!m_trayStatus)
        m_trayStatus = std::make_unique<TrayStatus>(*m_services.hotkeys);
    const auto show = [this, &icon] {
        icon.setIcon(m_trayStatus->icon());
        icon.setToolTip(m_trayStatus->toolTip());
    };
    connect(m_trayStatus.get(), &TrayStatus::changed, &icon, show);
    show();
}

QByteArray LettergateApp::handleRequest(const QString &request)
{
    if (const std::optional<QString> modifier = RequestProtocol::tappedModifier(request))
        return reportTap(*modifier);
    if (request == u"windows")
        return RequestProtocol::acknowledgement(windowReport(panelApps(m_platform, *m_services.settings)));
    if (request.isEmpty() || request == u"settings") {
        m_services.settingsWindow->show();
    } else if (request == u"show") {
        m_services.overlay->show();
    } else if (request == u"toggle") {
        m_services.overlay->toggle();
    } else if (request == u"quit") {
        // After the reply is on its way.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    } else {
        qCWarning(lcApp).noquote() << QStringLiteral("ignoring an unknown request from another start: %1")
                                          .arg(RequestProtocol::oneLine(request, 64));
        return RequestProtocol::refusal(QStringLiteral("unknown request"));
    }
    return RequestProtocol::acknowledgement();
}

QByteArray LettergateApp::reportTap(const QString &modifierName)
{
    const std::optional<HotkeyConfig::ModifierKey> modifier = ModifierKeys::fromCommandLineName(modifierName);
    if (!modifier) {
        const QString shown = RequestProtocol::oneLine(modifierName, 64);
        qCWarning(lcApp).noquote()
            << QStringLiteral("ignoring a tap of an unknown modifier from another start: %1").arg(shown);
        return RequestProtocol::refusal(
            QStringLiteral("unknown modifier \"%1\": tap takes super, ctrl, alt or shift").arg(shown));
    }
    m_services.hotkeys->reportTap(*modifier);
    return RequestProtocol::acknowledgement();
}

} // namespace lettergate

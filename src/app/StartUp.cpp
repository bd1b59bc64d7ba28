#include "app/StartUp.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"
#include "stores/ClipboardHistory.h"
#include "switcher/AppLetters.h"
#include "updates/UpdateChecker.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTimer>

namespace lettergate {

StartUp::StartUp(StartUpServices services, Hooks hooks)
    : m_services(services)
    , m_hooks(std::move(hooks))
{
}

void StartUp::finishLaunching()
{
    Accessibility &accessibility = m_services.platform.accessibility();
    if (!accessibility.isTrusted())
        accessibility.requestTrust();
    QTimer::singleShot(0, [this] { runStartupTask(); });
}

void StartUp::runStartupTask()
{
    const std::function<void()> toggle = m_hooks.toggleSwitcher;
    m_services.hotkeys.setOnTrigger([toggle] { QTimer::singleShot(0, toggle); });
    m_services.hotkeys.apply(m_services.settings.hotkey());
    // The trigger is armed: the rest waits for the event loop, so that a trigger pressed
    // meanwhile is not held up by it, and the overlay follows the rest.
    QTimer::singleShot(0, [this] {
        m_hooks.installTrayIcon();
        startServices();
        QTimer::singleShot(0, [prepare = m_hooks.prepareOverlay] { prepare(); });
    });
}

void StartUp::startServices()
{
    ClipboardHistory &clipboard = m_services.clipboard;
    clipboard.setLimit(m_services.settings.clipboardHistoryLimit());
    clipboard.enforceLimit();
    clipboard.save();
    clipboard.start();
    // Copies are saved a moment after they stop, pictures on a thread of their own: a
    // quit (or a signal that quits) writes what is still waiting.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &clipboard,
                     [&clipboard] { clipboard.flushPendingWrites(); });
    m_services.settings.setHistoryLimitTarget(&clipboard);

    const auto ownPid = static_cast<qint32>(QCoreApplication::applicationPid());
    AppLetters(m_services.settings).assignLetters(listWindows(m_services.platform, ownPid));

    // Silent: the outcome only feeds the tray menu's new-version item.
    m_services.updates.check();
}

} // namespace lettergate

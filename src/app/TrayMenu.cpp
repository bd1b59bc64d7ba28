#include "app/TrayMenu.h"

#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/Apps.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"
#include "stores/RunningCommands.h"
#include "updates/UpdateChecker.h"

#include <QAction>
#include <QMenu>
#include <QUrl>

namespace lettergate {

TrayMenu::TrayMenu(SettingsStore &settings, UpdateChecker &updates, Platform &platform, HotkeyManager &trigger,
                   RunningCommands &running, Actions actions, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_updates(updates)
    , m_platform(platform)
    , m_trigger(trigger)
    , m_running(running)
    , m_actions(std::move(actions))
    , m_menu(new QMenu)
{
    m_showSwitcher = addAction(m_actions.showSwitcher);
    m_settingsItem = addAction(m_actions.showSettings);
    m_settingsItem->setText(QStringLiteral("Settings…"));
    m_settingsItem->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    m_menu->addSeparator();
    m_newVersion = addAction([this] { openDownloadPage(); });
    m_checkForUpdates = addAction([this] { checkForUpdates(); });
    m_checkForUpdates->setText(QStringLiteral("Check for Updates…"));
    m_menu->addSeparator();
    m_printWindows = addAction(m_actions.printAllWindows);
    m_printWindows->setText(QStringLiteral("Print All Windows to Console"));
    m_triggerState = addAction([&trigger] { trigger.retry(); });
    // Only informs: nothing in Lettergate can start a window manager.
    m_windowManager = addAction({});
    m_windowManager->setEnabled(false);
    m_menu->addSeparator();
    m_runningCommands = m_menu->addMenu(QStringLiteral("Running Commands"));
    connect(&m_running, &RunningCommands::changed, this, &TrayMenu::listRunningCommands);
    listRunningCommands();
    m_quit = addAction(m_actions.quit);
    m_quit->setText(QStringLiteral("Quit Lettergate"));

    connect(m_menu, &QMenu::aboutToShow, this, &TrayMenu::refresh);
    refresh();
}

TrayMenu::~TrayMenu()
{
    delete m_menu;
}

QAction *TrayMenu::addAction(std::function<void()> onTriggered)
{
    QAction *action = m_menu->addAction(QString());
    connect(action, &QAction::triggered, this, [onTriggered = std::move(onTriggered)] {
        if (onTriggered)
            onTriggered();
    });
    return action;
}

void TrayMenu::listRunningCommands()
{
    m_runningCommands->clear();
    for (const RunningCommands::Entry &command : m_running.entries()) {
        const QString name = QString(command.name).replace(u'&', QStringLiteral("&&"));
        QAction *stop = m_runningCommands->addAction(command.stopping ? QStringLiteral("Stopping “%1”…").arg(name)
                                                                      : QStringLiteral("Stop “%1”").arg(name));
        stop->setEnabled(!command.stopping);
        // Queued: stopping rebuilds this menu, which must not delete the action inside its
        // own signal.
        connect(
            stop, &QAction::triggered, &m_running, [&running = m_running, id = command.id] { running.stop(id); },
            Qt::QueuedConnection);
    }
    m_runningCommands->menuAction()->setVisible(!m_running.entries().isEmpty());
}

void TrayMenu::refresh()
{
    // Where the desktop binds the keys, the stored trigger is not what the user presses.
    m_showSwitcher->setText(m_trigger.state() == TriggerState::DesktopBound
                                ? QStringLiteral("Show Switcher")
                                : QStringLiteral("Show Switcher  (") + m_settings.hotkey().readableName() + u')');

    const std::optional<UpdateResult> &known = m_updates.lastResult();
    const bool updateKnown = known && known->isUpdateAvailable();
    m_newVersion->setVisible(updateKnown);
    if (updateKnown)
        m_newVersion->setText(QStringLiteral("New Version v") + known->version() + QStringLiteral(" · Download"));
    m_checkForUpdates->setEnabled(!m_checkingUpdate);

    showTriggerState();
    const std::optional<QString> windowManager = m_platform.ownWindows().windowManagerName();
    m_windowManager->setText(QStringLiteral("Window manager: ")
                             + (!windowManager ? QStringLiteral("none")
                                : windowManager->isEmpty()
                                    ? QStringLiteral("found")
                                    : QString(*windowManager).replace(u'&', QStringLiteral("&&"))));
}

void TrayMenu::showTriggerState()
{
    const std::optional<HotkeyConfig> &trigger = m_trigger.trigger();
    // Trying again is all the menu offers; another trigger is picked in Settings.
    m_triggerState->setEnabled(trigger && !triggerProblem(m_trigger).isEmpty());
    if (!trigger) {
        m_triggerState->setText(QStringLiteral("Trigger: not armed yet"));
        return;
    }
    const QString name = trigger->readableName();
    switch (m_trigger.state()) {
    case TriggerState::Armed:
        m_triggerState->setText(QStringLiteral("Trigger: %1 ✓").arg(name));
        break;
    case TriggerState::Taken:
        m_triggerState->setText(QStringLiteral("Trigger: %1 taken — Try Again").arg(name));
        break;
    case TriggerState::Unavailable:
        m_triggerState->setText(QStringLiteral("Trigger: %1 not working — Try Again").arg(name));
        break;
    case TriggerState::DesktopBound:
        // Lettergate cannot know which keys the desktop binds to it.
        m_triggerState->setText(QStringLiteral("Trigger: bound in the desktop's settings"));
        break;
    }
}

void TrayMenu::checkForUpdates()
{
    if (m_checkingUpdate)
        return;
    m_checkingUpdate = true;
    m_checkForUpdates->setEnabled(false);
    m_updates.check(this, [this](const UpdateResult &result) {
        m_checkingUpdate = false;
        m_checkForUpdates->setEnabled(true);
        if (m_actions.presentUpdateResult)
            m_actions.presentUpdateResult(result);
    });
}

void TrayMenu::openDownloadPage()
{
    const std::optional<UpdateResult> &known = m_updates.lastResult();
    if (!known || !known->isUpdateAvailable())
        return;
    const QUrl url(known->url(), QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        m_platform.apps().openUrl(url);
}

} // namespace lettergate

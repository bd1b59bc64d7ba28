#include "app/Services.h"

#include "app/OverlayController.h"
#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "settings/SaveIndicator.h"
#include "settings/SettingsStore.h"
#include "settings/ui/SettingsWindowController.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/RunningCommands.h"
#include "stores/SnippetStore.h"
#include "updates/UpdateChecker.h"
#include "windows/ThumbnailService.h"

#include <QCoreApplication>

namespace lettergate {

Services::Services(Platform &platform)
    : platform(platform)
{
    // Every save of this run reports here; a failing one reaches the user once.
    saveIndicator = std::make_unique<SaveIndicator>(&platform.notifications());

    // The trigger, and what tells the user of one taken or lost: before the trigger is
    // first armed, so that one taken at start is told.
    hotkeys = std::make_unique<HotkeyManager>(platform.hotKeys(), platform.keyTap(), platform.clock());
    triggerAlerts = std::make_unique<TriggerAlerts>(*hotkeys, platform.notifications());

    // The settings re-arm the trigger when it changes.
    settings = std::make_unique<SettingsStore>(Paths::settingsFile(), *hotkeys, *saveIndicator);
    settings->load();

    updates = std::make_unique<UpdateChecker>();

    // The content stores, each file's writes reported to the save indicator.
    const QString dataDirectory = Paths::dataDirectory();
    clipboard = std::make_unique<ClipboardHistory>(platform.pasteboard(), dataDirectory);
    snippets = std::make_unique<SnippetStore>(dataDirectory);
    links = std::make_unique<LinkStore>(platform.apps(), platform.feedback(), platform.notifications(), dataDirectory);
    commands = std::make_unique<CommandStore>(dataDirectory);
    saveIndicator->follow(*clipboard);
    saveIndicator->follow(*snippets);
    saveIndicator->follow(*links);
    saveIndicator->follow(*commands);

    // The user's commands still running end when the program quits.
    runningCommands = std::make_unique<RunningCommands>();
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, runningCommands.get(), &RunningCommands::stopAll);

    // Window pictures are taken through the platform backend, which goes away after the
    // event loop ends: quitting waits for the captures under way.
    thumbnails = std::make_unique<ThumbnailService>(platform.screenCapture());
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, thumbnails.get(),
                     [captures = thumbnails.get()] { captures->waitForCaptures(); });

    // The switcher panel's controller; the panel itself is built once start-up prepares it.
    overlay = std::make_unique<OverlayController>(
        SwitcherSources{*settings, *thumbnails, *clipboard, *snippets, *links, *commands}, platform, *runningCommands);

    // The settings window, made at its first showing.
    settingsWindow = std::make_unique<SettingsWindowController>(
        SettingsServices{*settings, *saveIndicator, *snippets, *links, *commands, *clipboard, platform, *hotkeys});
}

Services::~Services() = default;

} // namespace lettergate

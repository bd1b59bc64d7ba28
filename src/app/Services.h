#pragma once

#include <memory>

namespace lettergate {

class ClipboardHistory;
class CommandStore;
class HotkeyManager;
class LinkStore;
class OverlayController;
class Platform;
class RunningCommands;
class SaveIndicator;
class SettingsStore;
class SettingsWindowController;
class SnippetStore;
class ThumbnailService;
class TriggerAlerts;
class UpdateChecker;

// Every service of the running program, each made once, in the order the constructor
// reads top to bottom, and handed by reference to those that use it. Destroyed in the
// reverse order, before the platform they hold on to.
struct Services {
    explicit Services(Platform &platform);
    ~Services();
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    Platform &platform;
    std::unique_ptr<SaveIndicator> saveIndicator;
    std::unique_ptr<HotkeyManager> hotkeys;
    std::unique_ptr<TriggerAlerts> triggerAlerts;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<UpdateChecker> updates;
    std::unique_ptr<ClipboardHistory> clipboard;
    std::unique_ptr<SnippetStore> snippets;
    std::unique_ptr<LinkStore> links;
    std::unique_ptr<CommandStore> commands;
    std::unique_ptr<RunningCommands> runningCommands;
    std::unique_ptr<ThumbnailService> thumbnails;
    std::unique_ptr<OverlayController> overlay;
    std::unique_ptr<SettingsWindowController> settingsWindow;
};

} // namespace lettergate

#pragma once

#include <functional>

namespace lettergate {

class ClipboardHistory;
class HotkeyManager;
class Platform;
class SettingsStore;
class UpdateChecker;

// The services Lettergate starts, in the order it starts them.
struct StartUpServices {
    Platform &platform;
    SettingsStore &settings;
    HotkeyManager &hotkeys;
    ClipboardHistory &clipboard;
    UpdateChecker &updates;
};

// Brings the program up in a fixed order, on the GUI thread: the settings are loaded
// (by whoever built the services), the permission prompt is asked for, and three tasks
// follow on the event loop, each queued by the one before: the trigger; the tray icon,
// the clipboard history, every windowed app's letter and a silent update check; then
// the overlay with its first window pictures. Nothing but the trigger waits for the
// first task: the tray icon asks the X server and renders its picture, so it comes after.
class StartUp {
public:
    struct Hooks {
        // Opens or closes the switcher; the trigger queues it on the event loop, so it
        // never runs inside the key event that fired it.
        std::function<void()> toggleSwitcher;
        // Creates the overlay and fills the picture cache for its first opening.
        std::function<void()> prepareOverlay;
        // Shows the tray icon with its menu.
        std::function<void()> installTrayIcon;
    };

    StartUp(StartUpServices services, Hooks hooks);

    // Asks for the window-control permission when it is missing, then queues the
    // start-up tasks without waiting for them.
    void finishLaunching();
    // The first task: arms the trigger and queues the others.
    void runStartupTask();

private:
    // The second task: tray icon, clipboard history, letters, update check.
    void startServices();

    StartUpServices m_services;
    Hooks m_hooks;
};

} // namespace lettergate

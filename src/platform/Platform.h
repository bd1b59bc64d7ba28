#pragma once

#include <QString>

namespace lettergate {

class Accessibility;
class Apps;
class Clock;
class Feedback;
class HotKeys;
class KeyTap;
class Keystrokes;
class Notifications;
class OwnWindows;
class Pasteboard;
class ScreenCapture;
class SystemTray;
class WindowServer;

// Everything the portable code asks of the desktop, one narrow interface each.
// The application makes one backend at start-up (see PlatformFactory) and hands it to
// the services it builds; tests hand them an in-memory fake.
class Platform {
public:
    virtual ~Platform() = default;

    // Short name for the log ("x11", "none", "fake").
    virtual QString name() const = 0;

    virtual WindowServer &windowServer() = 0;
    virtual Apps &apps() = 0;
    virtual Accessibility &accessibility() = 0;
    virtual HotKeys &hotKeys() = 0;
    virtual KeyTap &keyTap() = 0;
    virtual Pasteboard &pasteboard() = 0;
    virtual Keystrokes &keystrokes() = 0;
    virtual ScreenCapture &screenCapture() = 0;
    virtual Feedback &feedback() = 0;
    virtual Notifications &notifications() = 0;
    virtual OwnWindows &ownWindows() = 0;
    virtual SystemTray &systemTray() = 0;
    virtual Clock &clock() = 0;
};

} // namespace lettergate

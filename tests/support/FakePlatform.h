#pragma once

#include "platform/Platform.h"
#include "support/FakeAccessibility.h"
#include "support/FakeApps.h"
#include "support/FakeClock.h"
#include "support/FakeFeedback.h"
#include "support/FakeHotKeys.h"
#include "support/FakeKeyTap.h"
#include "support/FakeNotifications.h"
#include "support/FakePasteboard.h"
#include "support/FakeScreenCapture.h"
#include "support/FakeSystemTray.h"
#include "support/FakeWindowServer.h"

namespace lettergate {

// The in-memory desktop every unit test runs against, handed to what a test builds.
class FakePlatform final : public Platform {
public:
    QString name() const override { return QStringLiteral("fake"); }
    WindowServer &windowServer() override { return windows; }
    Apps &apps() override { return appList; }
    Accessibility &accessibility() override { return ax; }
    HotKeys &hotKeys() override { return keys; }
    KeyTap &keyTap() override { return tap; }
    Pasteboard &pasteboard() override { return board; }
    Keystrokes &keystrokes() override { return strokes; }
    ScreenCapture &screenCapture() override { return capture; }
    Feedback &feedback() override { return bell; }
    Notifications &notifications() override { return notes; }
    OwnWindows &ownWindows() override { return own; }
    SystemTray &systemTray() override { return tray; }
    Clock &clock() override { return time; }

    FakeWindowServer windows;
    FakeApps appList;
    FakeAccessibility ax;
    FakeHotKeys keys;
    FakeKeyTap tap;
    FakePasteboard board;
    FakeKeystrokes strokes;
    FakeScreenCapture capture;
    FakeFeedback bell;
    FakeNotifications notes;
    FakeOwnWindows own;
    FakeSystemTray tray;
    FakeClock time;
};

} // namespace lettergate

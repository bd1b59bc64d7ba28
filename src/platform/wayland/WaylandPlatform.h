#pragma once

#include "platform/DesktopBoundKeys.h"
#include "platform/Feedback.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
#include "platform/qt/DBusNotifications.h"
#include "platform/qt/StatusNotifierTray.h"
#include "platform/qt/SystemClock.h"
#include "platform/wayland/PanelOnScreen.h"
#include "platform/wayland/VisibleWindowFrames.h"

#include <memory>
struct wl_seat;

namespace lettergate {

class Pasteboard;
class VirtualKeyboardKeystrokes;
class LayerShellOverlay;
class WaylandConnection;
class WaylandWindows;

// The desktop as a wlroots-style Wayland compositor presents it to programs: its window
// list (wlr foreign-toplevel management), the clipboard without a focused window (wlr
// data-control), a virtual keyboard for the paste keystroke, pictures of the output (wlr
// screencopy) and the panel as an overlay (wlr layer shell). The backend speaks these on
// a connection of its own, read on the GUI thread; Qt keeps its own for our windows.
class WaylandPlatform final : public Platform, private Feedback, private OwnWindows {
public:
    // Why this session cannot have the Wayland backend, in words for the log and for
    // Settings; empty when it can. Asks the compositor once; callable before Qt starts.
    static QString unsupportedBecause();
    // What Qt must be told before it starts, for the panel to become an overlay.
    static void prepareQt();
    // Nothing when no compositor answers or it does not list its windows. Call after the
    // QGuiApplication exists, on its thread.
    static std::unique_ptr<WaylandPlatform> connect();
    ~WaylandPlatform() override;

    QString name() const override { return QStringLiteral("wayland"); }
    WindowServer &windowServer() override;
    Apps &apps() override;
    Accessibility &accessibility() override;
    // No program may take keys system-wide: the compositor binds keys to our verbs.
    HotKeys &hotKeys() override { return m_hotKeys; }
    KeyTap &keyTap() override { return m_keyTap; }
    Pasteboard &pasteboard() override;
    Keystrokes &keystrokes() override;
    ScreenCapture &screenCapture() override;
    Feedback &feedback() override { return *this; }
    Notifications &notifications() override { return m_notifications; }
    OwnWindows &ownWindows() override { return *this; }
    SystemTray &systemTray() override;
    Clock &clock() override { return m_clock; }

private:
    explicit WaylandPlatform(std::unique_ptr<WaylandConnection> connection);

    void beep() override;
    bool hasCompositor() override { return true; }
    std::optional<QString> windowManagerName() override;
    std::optional<QString> windowPictureSource() override;
    QString sessionName() override { return QStringLiteral("Wayland"); }
    std::optional<QString> sessionLimitation() override { return std::nullopt; }
    // A layer-shell overlay, else an ordinary window.
    bool makeOverlay(QWindow &window) override;
    // sway holds an activation back while an overlay with the keyboard is mapped.
    bool overlayHoldsActivationBack() override { return m_overlay != nullptr; }

    std::unique_ptr<WaylandConnection> m_connection;
    wl_seat *m_seat = nullptr;
    VisibleWindowFrames m_visibleFrames;
    PanelOnScreen m_panelOnScreen;
    std::unique_ptr<WaylandWindows> m_windows;
    // Made on first use (Qt's clipboard, the fallback, needs the application).
    std::unique_ptr<Pasteboard> m_pasteboard;
    std::unique_ptr<VirtualKeyboardKeystrokes> m_keystrokes;
    std::unique_ptr<ScreenCapture> m_screenCapture;
    std::unique_ptr<LayerShellOverlay> m_overlay;
    SystemClock m_clock;
    DesktopBoundHotKeys m_hotKeys;
    NoKeyTap m_keyTap;
    DBusNotifications m_notifications;
    StatusNotifierTray m_systemTray;
};

} // namespace lettergate

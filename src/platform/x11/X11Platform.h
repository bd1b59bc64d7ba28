#pragma once

#include "platform/Feedback.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
#include "platform/qt/DBusNotifications.h"
#include "platform/qt/SystemClock.h"
#include "platform/x11/X11Pasteboard.h"

#include <QByteArray>
#include <memory>

namespace lettergate {

class ActiveWindowTracker;
class AppCatalog;
class KeyboardMap;
class WindowManagerRequests;
class X11Accessibility;
class X11Apps;
class X11Display;
class X11EventFilter;
class X11EventPump;
class X11HotKeys;
class X11KeyTap;
class X11Keystrokes;
class X11ScreenCapture;
class X11SystemTray;
class X11WindowServer;

// The desktop as an X server and an EWMH window manager present it. The backend reads
// its own connection on the GUI thread, whatever Qt's platform plugin is; window
// pictures and clipboard reads use connections of their own. Clipboard changes and
// writes go through Qt.
class X11Platform final : public Platform, private Feedback, private OwnWindows {
public:
    // Nothing when no X server answers. An empty name means $DISPLAY. Call after the
    // QGuiApplication exists, on its thread.
    static std::unique_ptr<X11Platform> connect(const QByteArray &displayName = {});
    ~X11Platform() override;

    QString name() const override { return QStringLiteral("x11"); }
    WindowServer &windowServer() override;
    Apps &apps() override;
    Accessibility &accessibility() override;
    HotKeys &hotKeys() override;
    KeyTap &keyTap() override;
    Pasteboard &pasteboard() override { return m_pasteboard; }
    Keystrokes &keystrokes() override;
    ScreenCapture &screenCapture() override;
    Feedback &feedback() override { return *this; }
    Notifications &notifications() override { return m_notifications; }
    OwnWindows &ownWindows() override { return *this; }
    SystemTray &systemTray() override;
    Clock &clock() override { return m_clock; }

    // Whether an EWMH window manager runs, without which windows can be neither listed
    // nor raised.
    bool hasWindowManager() const;
    // Serving only the XWayland part of a Wayland desktop, for the reason given: our
    // windows are among the X clients, not above the desktop's own.
    void limitBy(const QString &waylandDesktop);

private:
    X11Platform(std::unique_ptr<X11Display> display, std::unique_ptr<X11Display> captureDisplay,
                std::unique_ptr<X11Display> clipboardDisplay);

    QList<X11EventFilter *> eventFilters() const;
    // The X bell, the panel's only failure report.
    void beep() override;
    bool hasCompositor() override;
    std::optional<QString> windowManagerName() override;
    std::optional<QString> windowPictureSource() override;
    QString sessionName() override;
    std::optional<QString> sessionLimitation() override { return m_limitation; }
    // The panel is an override-redirect window already (it bypasses the window manager),
    // except in the XWayland part of a Wayland desktop.
    bool makeOverlay(QWindow &) override;
    bool overlayHoldsActivationBack() override { return false; }

    // In order of construction; the event filters go before the pump they are
    // registered with.
    std::unique_ptr<X11Display> m_display;
    std::unique_ptr<X11EventPump> m_pump;
    std::unique_ptr<KeyboardMap> m_keyboard;
    std::unique_ptr<AppCatalog> m_catalog;
    std::unique_ptr<ActiveWindowTracker> m_activeWindow;
    std::unique_ptr<WindowManagerRequests> m_windowManager;
    std::unique_ptr<X11WindowServer> m_windowServer;
    std::unique_ptr<X11Apps> m_apps;
    std::unique_ptr<X11Accessibility> m_accessibility;
    std::unique_ptr<X11HotKeys> m_hotKeys;
    std::unique_ptr<X11KeyTap> m_keyTap;
    std::unique_ptr<X11Keystrokes> m_keystrokes;
    std::unique_ptr<X11ScreenCapture> m_screenCapture;
    std::unique_ptr<X11SystemTray> m_systemTray;
    X11Pasteboard m_pasteboard;
    SystemClock m_clock;
    DBusNotifications m_notifications;
    std::optional<QString> m_limitation;
};

} // namespace lettergate

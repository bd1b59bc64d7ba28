#pragma once

#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/DesktopBoundKeys.h"
#include "platform/Feedback.h"
#include "platform/HotKeys.h"
#include "platform/Keystrokes.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
#include "platform/ScreenCapture.h"
#include "platform/SystemTray.h"
#include "platform/WindowServer.h"
#include "platform/qt/DBusNotifications.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/qt/SystemClock.h"

namespace lettergate {

// The backend for a session without a supported window system: no windows, no hot
// keys, no window pictures. The clipboard, links, settings and the update check
// still work, so the rest of the program runs unchanged.
class NullPlatform final : public Platform,
                           private WindowServer,
                           private Apps,
                           private Accessibility,
                           private Keystrokes,
                           private ScreenCapture,
                           private Feedback,
                           private OwnWindows {
public:
    NullPlatform();

    QString name() const override { return QStringLiteral("none"); }
    WindowServer &windowServer() override { return *this; }
    Apps &apps() override { return *this; }
    Accessibility &accessibility() override { return *this; }
    HotKeys &hotKeys() override { return m_hotKeys; }
    KeyTap &keyTap() override { return m_keyTap; }
    Pasteboard &pasteboard() override { return m_pasteboard; }
    Keystrokes &keystrokes() override { return *this; }
    ScreenCapture &screenCapture() override { return *this; }
    Feedback &feedback() override { return *this; }
    Notifications &notifications() override { return m_notifications; }
    OwnWindows &ownWindows() override { return *this; }
    SystemTray &systemTray() override { return m_systemTray; }
    Clock &clock() override { return m_clock; }

private:
    // No tray this program can see: Settings offers its own way to quit.
    class AbsentSystemTray final : public SystemTray {
    public:
        bool isPresent() const override { return false; }
    };

    std::optional<QList<WindowRecord>> onScreenWindows() override { return QList<WindowRecord>{}; }

    std::optional<QString> bundleIdentifier(qint32) override { return std::nullopt; }
    std::optional<qint32> frontmostApp() override { return std::nullopt; }
    bool isTerminated(qint32) override { return true; }
    bool activateApp(qint32) override { return false; }
    QIcon appIcon(qint32) override { return {}; }
    QIcon iconForBundle(const QString &) override { return {}; }
    bool openApplication(const QString &) override { return false; }
    QStringList categories(const QString &) override { return {}; }
    bool openUrl(const QUrl &url) override;
    std::optional<quint32> activeWindow() override { return std::nullopt; }

    bool isTrusted() override { return false; }
    void requestTrust() override {}
    WindowElementList windowElements(qint32) override { return {}; }
    std::optional<quint32> windowNumber(WindowElement) override { return std::nullopt; }
    std::optional<bool> isMinimized(WindowElement) override { return std::nullopt; }
    void setMinimized(WindowElement, bool) override {}
    void raise(WindowElement) override {}
    void focus(qint32, WindowElement) override {}
    void makeMain(WindowElement) override {}

    void postPaste(PasteKeystroke) override {}

    bool preflight() override { return false; }
    bool request() override { return false; }
    ShareableContent shareableContent() override { return {QStringLiteral("no window system"), {}}; }
    QImage capture(const ShareableWindow &, QSize) override { return {}; }
    bool picturesShowOverlays() override { return false; }

    void beep() override {}

    bool hasCompositor() override { return false; }
    std::optional<QString> windowManagerName() override { return std::nullopt; }
    std::optional<QString> windowPictureSource() override { return std::nullopt; }
    QString sessionName() override { return QStringLiteral("none"); }
    std::optional<QString> sessionLimitation() override
    {
        return QStringLiteral("no supported window system: no windows, hot keys or window pictures");
    }
    // The panel stays as Qt makes it.
    bool makeOverlay(QWindow &) override { return true; }
    bool overlayHoldsActivationBack() override { return false; }

    DesktopBoundHotKeys m_hotKeys;
    NoKeyTap m_keyTap;
    AbsentSystemTray m_systemTray;
    QtPasteboard m_pasteboard;
    DBusNotifications m_notifications;
    SystemClock m_clock;
};

} // namespace lettergate

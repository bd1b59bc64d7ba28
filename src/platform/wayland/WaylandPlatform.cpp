#include "platform/wayland/WaylandPlatform.h"

#include "platform/Log.h"
#include "platform/OwnEnvironment.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/LayerShellOverlay.h"
#include "platform/wayland/ScreencopyCapture.h"
#include "platform/wayland/VirtualKeyboardKeystrokes.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWindows.h"

#include <wayland-client.h>

#include "wayland/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace lettergate {

namespace {

// Window pictures where the compositor offers no way to take them: the cards show the
// applications' icons.
class NoWindowPictures final : public ScreenCapture {
public:
    bool preflight() override { return false; }
    bool request() override { return false; }
    ShareableContent shareableContent() override { return {QStringLiteral("no window pictures here"), {}}; }
    QImage capture(const ShareableWindow &, QSize) override { return {}; }
    bool picturesShowOverlays() override { return false; }
};

std::unique_ptr<ScreenCapture> windowPictures(const VisibleWindowFrames &frames, const PanelOnScreen &panel)
{
    QString whyNot;
    if (std::unique_ptr<ScreenCapture> capture = ScreencopyCapture::connect(frames, panel, whyNot))
        return capture;
    qCWarning(lcWayland).noquote()
        << QStringLiteral("no window pictures: %1; the cards show the applications' icons").arg(whyNot);
    return std::make_unique<NoWindowPictures>();
}

} // namespace

QString WaylandPlatform::unsupportedBecause()
{
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (!connection)
        return QStringLiteral("no Wayland compositor answers on $WAYLAND_DISPLAY");
    if (!connection->offeredVersion(zwlr_foreign_toplevel_manager_v1_interface.name))
        return QStringLiteral("this Wayland compositor does not list its windows to programs (no wlr "
                              "foreign-toplevel management: GNOME and KDE Plasma keep theirs to themselves)");
    return {};
}

void WaylandPlatform::prepareQt()
{
    // Qt then gives a window with Qt::BypassWindowManagerHint a bare surface, without a
    // shell role, which the panel makes a layer-shell overlay of. Qt reads it whenever a
    // window's surface is made, so it stays set; the programs we start go without it.
    OwnEnvironment::setUnlessSet("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
}

std::unique_ptr<WaylandPlatform> WaylandPlatform::connect()
{
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (!connection || !connection->offeredVersion(zwlr_foreign_toplevel_manager_v1_interface.name))
        return nullptr;
    return std::unique_ptr<WaylandPlatform>(new WaylandPlatform(std::move(connection)));
}

WaylandPlatform::WaylandPlatform(std::unique_ptr<WaylandConnection> connection)
    : m_connection(std::move(connection))
    , m_screenCapture(windowPictures(m_visibleFrames, m_panelOnScreen))
{
    m_seat = static_cast<wl_seat *>(m_connection->bind(&wl_seat_interface, 1));
    m_windows = std::make_unique<WaylandWindows>(*m_connection, m_seat, m_visibleFrames);
    // Now rather than at the first paste: a new virtual keyboard makes the compositor
    // give the focused window keyboard focus again.
    m_keystrokes = std::make_unique<VirtualKeyboardKeystrokes>(*m_connection, m_seat);
    m_connection->startDispatching();
}

WaylandPlatform::~WaylandPlatform()
{
    if (m_seat)
        wl_seat_destroy(m_seat);
}

WindowServer &WaylandPlatform::windowServer()
{
    return m_windows->windowServer();
}

Apps &WaylandPlatform::apps()
{
    return m_windows->apps();
}

Accessibility &WaylandPlatform::accessibility()
{
    return m_windows->accessibility();
}

Pasteboard &WaylandPlatform::pasteboard()
{
    if (!m_pasteboard)
        m_pasteboard = DataControlPasteboard::create(*m_connection, m_seat);
    if (!m_pasteboard) {
        const QString missing = m_seat ? QStringLiteral("no clipboard control (wlr data control)")
                                       : QStringLiteral("no seat, whose clipboard could be followed");
        qCWarning(lcWayland).noquote()
            << QStringLiteral("the compositor offers %1: the clipboard history records copies only while a "
                              "Lettergate window has the focus")
                   .arg(missing);
        m_pasteboard = std::make_unique<QtPasteboard>();
    }
    return *m_pasteboard;
}

Keystrokes &WaylandPlatform::keystrokes()
{
    return *m_keystrokes;
}

ScreenCapture &WaylandPlatform::screenCapture()
{
    return *m_screenCapture;
}

SystemTray &WaylandPlatform::systemTray()
{
    return m_systemTray;
}

void WaylandPlatform::beep()
{
    // The protocols of these compositors have no bell; the panel's header shakes instead.
}

std::optional<QString> WaylandPlatform::windowManagerName()
{
    // The compositor lists its windows (this backend needs it to); it names itself only
    // through the session's desktop name.
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP");
}

bool WaylandPlatform::makeOverlay(QWindow &window)
{
    m_panelOnScreen.follow(window);
    QString whyNot;
    m_overlay = LayerShellOverlay::attach(window, whyNot);
    if (!m_overlay) {
        qCWarning(lcWayland).noquote()
            << QStringLiteral("the panel is an ordinary window, not an overlay (%1): the compositor places "
                              "it, and may not give it the keyboard when it opens")
                   .arg(whyNot);
    }
    return m_overlay != nullptr;
}

std::optional<QString> WaylandPlatform::windowPictureSource()
{
    if (!m_screenCapture->preflight())
        return std::nullopt;
    return QStringLiteral("screen copies of the visible windows");
}

} // namespace lettergate

#include "platform/wayland/LayerShellOverlay.h"

#include "platform/Log.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>
#include <wayland-client.h>

// The protocol names an argument `namespace`, a keyword of C++.
#define namespace layerNamespace
#include "wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace lettergate {

namespace {

// The layer shell among the globals of Qt's connection, read on a queue of our own.
struct LayerShellGlobal {
    quint32 name = 0;
    quint32 version = 0;

    static void announce(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
    {
        if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
            *static_cast<LayerShellGlobal *>(data) = {name, version};
    }
    static void withdraw(void *, wl_registry *, uint32_t) {}
};

QPlatformNativeInterface *nativeInterface()
{
    return QGuiApplication::platformNativeInterface();
}

} // namespace

std::unique_ptr<LayerShellOverlay> LayerShellOverlay::attach(QWindow &window, QString &whyNot)
{
    QPlatformNativeInterface *native = nativeInterface();
    auto *display = native ? static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display")) : nullptr;
    if (!display) {
        whyNot = QStringLiteral("Qt's platform plugin does not hand out its Wayland connection");
        return nullptr;
    }
    window.winId();
    // Qt's Wayland platform window is a QObject too; its surface signals are reached by
    // name, as its class is not public.
    auto *platformWindow = dynamic_cast<QObject *>(window.handle());
    const QMetaObject *meta = platformWindow ? platformWindow->metaObject() : nullptr;
    if (!meta || meta->indexOfSignal("wlSurfaceCreated()") < 0 || meta->indexOfSignal("wlSurfaceDestroyed()") < 0) {
        whyNot = QStringLiteral("Qt %1's Wayland plugin does not announce the surfaces of its windows")
                     .arg(QString::fromLatin1(qVersion()));
        return nullptr;
    }

    wl_event_queue *queue = wl_display_create_queue(display);
    auto *wrapped = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapped), queue);
    wl_registry *registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    LayerShellGlobal global;
    static const wl_registry_listener listener = {&LayerShellGlobal::announce, &LayerShellGlobal::withdraw};
    wl_registry_add_listener(registry, &listener, &global);
    const bool answered = wl_display_roundtrip_queue(display, queue) >= 0;
    zwlr_layer_shell_v1 *shell = nullptr;
    if (answered && global.name != 0) {
        // Version 4 has the exclusive keyboard as an enum of the same value as the
        // older versions' flag; none later is known here.
        shell = static_cast<zwlr_layer_shell_v1 *>(
            wl_registry_bind(registry, global.name, &zwlr_layer_shell_v1_interface, std::min(global.version, 4u)));
    }
    wl_registry_destroy(registry);
    if (!shell) {
        wl_event_queue_destroy(queue);
        whyNot = answered ? QStringLiteral("the compositor offers no wlr layer shell")
                          : QStringLiteral("Qt's Wayland connection failed");
        return nullptr;
    }
    return std::unique_ptr<LayerShellOverlay>(new LayerShellOverlay(window, display, queue, shell));
}

LayerShellOverlay::LayerShellOverlay(QWindow &window, wl_display *display, wl_event_queue *queue,
                                     zwlr_layer_shell_v1 *shell)
    : m_window(window)
    , m_display(display)
    , m_queue(queue)
    , m_shell(shell)
{
    connect(&window, &QWindow::widthChanged, this, &LayerShellOverlay::askForSize);
    connect(&window, &QWindow::heightChanged, this, &LayerShellOverlay::askForSize);
    window.installEventFilter(this);
    followPlatformWindow();
}

void LayerShellOverlay::followPlatformWindow()
{
    auto *platformWindow = dynamic_cast<QObject *>(m_window.handle());
    if (!platformWindow)
        return;
    // Direct: the role must be given before Qt first commits the new surface.
    connect(platformWindow, SIGNAL(wlSurfaceCreated()), this, SLOT(giveRole()), Qt::DirectConnection);
    connect(platformWindow, SIGNAL(wlSurfaceDestroyed()), this, SLOT(dropRole()), Qt::DirectConnection);
    giveRole();
}

bool LayerShellOverlay::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::PlatformSurface) {
        if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
            followPlatformWindow();
        else
            dropRole();
    }
    return false;
}

LayerShellOverlay::~LayerShellOverlay()
{
    m_window.removeEventFilter(this);
    dropRole();
    // The request to destroy the global came with version 3; an older one is only let go.
    if (zwlr_layer_shell_v1_get_version(m_shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(m_shell);
    else
        wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_shell));
    wl_display_flush(m_display);
    wl_event_queue_destroy(m_queue);
}

void LayerShellOverlay::giveRole()
{
    dropRole();
    auto *surface = static_cast<wl_surface *>(nativeInterface()->nativeResourceForWindow("surface", &m_window));
    if (!surface)
        return; // none yet: the next one is announced
    // No output: the compositor picks one (sway: the focused one). No anchor: centred.
    m_layerSurface = zwlr_layer_shell_v1_get_layer_surface(m_shell, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
                                                           "lettergate-panel");
    static const zwlr_layer_surface_v1_listener listener = {&LayerShellOverlay::configure, &LayerShellOverlay::closed};
    zwlr_layer_surface_v1_add_listener(m_layerSurface, &listener, this);
    askForSize();
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layerSurface,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    // The role is committed without a buffer, and its configure acknowledged, before Qt
    // attaches the first frame (a fraction of a millisecond on a local compositor).
    wl_surface_commit(surface);
    wl_display_roundtrip_queue(m_display, m_queue);
}

void LayerShellOverlay::askForSize()
{
    if (!m_layerSurface)
        return;
    const QSize size = m_window.size();
    zwlr_layer_surface_v1_set_size(m_layerSurface, uint32_t(std::max(size.width(), 1)),
                                   uint32_t(std::max(size.height(), 1)));
    // Configures the compositor sent since are acknowledged.
    wl_display_dispatch_queue_pending(m_display, m_queue);
}

void LayerShellOverlay::dropRole()
{
    if (!m_layerSurface)
        return;
    zwlr_layer_surface_v1_destroy(m_layerSurface);
    m_layerSurface = nullptr;
}

void LayerShellOverlay::configure(void *, zwlr_layer_surface_v1 *surface, uint32_t serial, uint32_t, uint32_t)
{
    // The size asked for is kept: the panel is sized before it shows.
    zwlr_layer_surface_v1_ack_configure(surface, serial);
}

void LayerShellOverlay::closed(void *data, zwlr_layer_surface_v1 *)
{
    // The compositor took the overlay away (its output went): the next showing's new
    // surface gets the role again.
    qCInfo(lcWayland).noquote() << QStringLiteral(
        "the compositor closed the panel's overlay; it comes back at the next opening");
    static_cast<LayerShellOverlay *>(data)->dropRole();
}

} // namespace lettergate

#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QWindow;
struct wl_display;
struct wl_event_queue;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace lettergate {

// Makes one of our Qt windows a wlr layer-shell surface on the overlay layer, taking the
// keyboard exclusively while it is mapped, centred on the output the compositor picks.
// Qt 6.4 has no public way to it: the window bypasses the window manager (with
// QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT set, Qt then gives its surface no role), and
// the role is given here on Qt's own connection, through its native interface, to every
// surface Qt creates for the window (a new one at each showing). This leans on Qt's
// internals (the surface signals of its Wayland platform window), so `attach` checks
// each of them and says which is missing. GUI thread only.
class LayerShellOverlay final : public QObject {
    Q_OBJECT
public:
    // Nothing, and `whyNot` in plain words, when the window cannot become an overlay.
    static std::unique_ptr<LayerShellOverlay> attach(QWindow &window, QString &whyNot);
    ~LayerShellOverlay() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void giveRole();
    void dropRole();

private:
    LayerShellOverlay(QWindow &window, wl_display *display, wl_event_queue *queue, zwlr_layer_shell_v1 *shell);

    // Hears of the surfaces of Qt's platform window of the moment (a window destroyed and
    // created again has a new one), and gives its surface the role.
    void followPlatformWindow();
    // Asks for the window's size; Qt's next commit carries it.
    void askForSize();

    static void configure(void *data, zwlr_layer_surface_v1 *surface, uint32_t serial, uint32_t width, uint32_t height);
    static void closed(void *data, zwlr_layer_surface_v1 *surface);

    QWindow &m_window;
    wl_display *m_display;
    // Our events on Qt's connection come here, dispatched only by us.
    wl_event_queue *m_queue;
    zwlr_layer_shell_v1 *m_shell;
    zwlr_layer_surface_v1 *m_layerSurface = nullptr;
};

} // namespace lettergate

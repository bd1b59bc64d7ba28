#pragma once

#include "platform/ScreenCapture.h"

#include <QList>
#include <QMutex>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>
#include <vector>
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace lettergate {

class PanelOnScreen;
class VisibleWindowFrames;

// Window pictures cut from the output (wlr screencopy): the compositor copies a region
// of the screen as it shows at its next frame, so only windows that show unobscured can
// be pictured, at the places the window list learnt (VisibleWindowFrames), and never
// while our panel shows (PanelOnScreen).
//
// Captures run on worker threads, concurrently, on a connection of their own (the GUI
// thread's is never waited on), each request on an event queue of its own: regions
// asked for by captures under way at once are copied in the same frame.
class ScreencopyCapture final : public ScreenCapture {
public:
    // Nothing, and `whyNot` in plain words, when the compositor offers no screencopy.
    static std::unique_ptr<ScreencopyCapture> connect(const VisibleWindowFrames &frames, const PanelOnScreen &panel,
                                                      QString &whyNot);
    ~ScreencopyCapture() override;

    // Nothing is asked of the user.
    bool preflight() override { return true; }
    bool request() override { return true; }
    ShareableContent shareableContent() override;
    // A null image for a window on no known output, a compositor that fails the copy or
    // offers no pixel format of 8 bits a channel, or a panel shown meanwhile.
    QImage capture(const ShareableWindow &window, QSize pixelSize) override;
    bool picturesShowOverlays() override { return true; }

    // How long a capture waits at most for the compositor's frame.
    static constexpr int frameWaitMs = 2000;

private:
    struct Output {
        quint32 name = 0;
        wl_output *proxy = nullptr;
        zxdg_output_v1 *placement = nullptr;
        // Where it is in the compositor's space, in its logical units.
        QPoint position;
        QSize size;
    };
    // The output and the region of it, in its logical units, that a capture asks for.
    struct Region {
        wl_output *output = nullptr;
        QRect area;
    };

    ScreencopyCapture(wl_display *display, const VisibleWindowFrames &frames, const PanelOnScreen &panel);
    // Places the outputs announced since the last call: a round trip on the default
    // queue. Under m_mutex.
    void refreshOutputs();
    void placeOutput(Output &output);
    // Under m_mutex.
    std::optional<Region> regionOf(const ShareableWindow &window) const;

    static void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version);
    static void withdraw(void *data, wl_registry *registry, uint32_t name);

    wl_display *m_display;
    const VisibleWindowFrames &m_frames;
    const PanelOnScreen &m_panel;
    // Guards the default queue and everything below: the registry, the globals and the
    // outputs, which only its events change.
    QMutex m_mutex;
    wl_registry *m_registry = nullptr;
    zwlr_screencopy_manager_v1 *m_manager = nullptr;
    wl_shm *m_shm = nullptr;
    zxdg_output_manager_v1 *m_outputManager = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
};

} // namespace lettergate

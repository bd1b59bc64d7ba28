#include "platform/wayland/ScreencopyCapture.h"

#include "platform/wayland/PanelOnScreen.h"
#include "platform/wayland/VisibleWindowFrames.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wayland/wlr-screencopy-unstable-v1-client-protocol.h"
#include "wayland/xdg-output-unstable-v1-client-protocol.h"

namespace lettergate {

namespace {

// Dispatches `queue` until `done` or the deadline; false on a timeout or a failed
// connection. Threads waiting on queues of the same connection take turns reading it.
bool dispatchUntil(wl_display *display, wl_event_queue *queue, const std::function<bool()> &done,
                   QDeadlineTimer deadline)
{
    while (!done()) {
        if (wl_display_prepare_read_queue(display, queue) != 0) {
            if (wl_display_dispatch_queue_pending(display, queue) < 0)
                return false;
            continue;
        }
        wl_display_flush(display);
        pollfd socket{wl_display_get_fd(display), POLLIN, 0};
        const int ready = poll(&socket, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_queue_pending(display, queue) < 0)
            return false;
    }
    return true;
}

// How QImage reads a shared-memory pixel format of 8 bits a channel: wl_shm formats
// name the channels of a little-endian 32-bit word, so XRGB is Qt's RGB32 and XBGR is
// the bytes R, G, B, X. Renderers differ in which they offer, one per frame.
std::optional<QImage::Format> imageFormatOf(uint32_t format)
{
    switch (format) {
    case WL_SHM_FORMAT_XRGB8888:
    case WL_SHM_FORMAT_ARGB8888:
        return QImage::Format_RGB32;
    case WL_SHM_FORMAT_XBGR8888:
    case WL_SHM_FORMAT_ABGR8888:
        return QImage::Format_RGBX8888;
    default:
        return std::nullopt;
    }
}

// What the compositor says of one frame being copied.
struct FrameState {
    std::optional<uint32_t> format;
    QSize size;
    uint32_t stride = 0;
    bool upsideDown = false;
    bool copied = false;
    bool refused = false;

    static void buffer(void *data, zwlr_screencopy_frame_v1 *, uint32_t format, uint32_t width, uint32_t height,
                       uint32_t stride)
    {
        auto *state = static_cast<FrameState *>(data);
        if (!imageFormatOf(format))
            return;
        state->format = format;
        state->size = QSize(int(width), int(height));
        state->stride = stride;
    }
    static void flags(void *data, zwlr_screencopy_frame_v1 *, uint32_t flags)
    {
        static_cast<FrameState *>(data)->upsideDown = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
    }
    static void ready(void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t)
    {
        static_cast<FrameState *>(data)->copied = true;
    }
    static void failed(void *data, zwlr_screencopy_frame_v1 *) { static_cast<FrameState *>(data)->refused = true; }
    static void damage(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void dmabuf(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {}
    static void bufferDone(void *, zwlr_screencopy_frame_v1 *) {}
};

const zwlr_screencopy_frame_v1_listener frameListener = {&FrameState::buffer,    &FrameState::flags,
                                                         &FrameState::ready,     &FrameState::failed,
                                                         &FrameState::damage,    &FrameState::dmabuf,
                                                         &FrameState::bufferDone};

// Shared memory the compositor copies the frame into, mapped here.
class ShmBuffer {
public:
    ShmBuffer(wl_shm *shm, const FrameState &frame)
    {
        m_bytes = size_t(frame.stride) * size_t(frame.size.height());
        const int fd = memfd_create("lettergate-window-picture", MFD_CLOEXEC);
        if (fd < 0)
            return;
        if (ftruncate(fd, off_t(m_bytes)) == 0) {
            void *mapped = mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (mapped != MAP_FAILED) {
                m_data = static_cast<uchar *>(mapped);
                wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int32_t(m_bytes));
                m_buffer = wl_shm_pool_create_buffer(pool, 0, frame.size.width(), frame.size.height(),
                                                     int32_t(frame.stride), *frame.format);
                wl_shm_pool_destroy(pool);
            }
        }
        close(fd);
    }
    ~ShmBuffer()
    {
        if (m_buffer)
            wl_buffer_destroy(m_buffer);
        if (m_data)
            munmap(m_data, m_bytes);
    }
    ShmBuffer(const ShmBuffer &) = delete;
    ShmBuffer &operator=(const ShmBuffer &) = delete;

    wl_buffer *buffer() const { return m_buffer; }
    // A copy of the pixels, the right way up. Every format is read as opaque: the
    // screen has no transparency, and the unused byte of XRGB is often zero.
    QImage picture(const FrameState &frame) const
    {
        const QImage mapped(m_data, frame.size.width(), frame.size.height(), int(frame.stride),
                            *imageFormatOf(*frame.format));
        QImage copy = frame.upsideDown ? mapped.mirrored(false, true) : mapped.copy();
        if (copy.format() != QImage::Format_RGB32)
            return copy.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < copy.height(); ++y) {
            auto *pixel = reinterpret_cast<QRgb *>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x)
                pixel[x] |= 0xff000000u;
        }
        return copy;
    }

private:
    size_t m_bytes = 0;
    uchar *m_data = nullptr;
    wl_buffer *m_buffer = nullptr;
};

// A proxy whose events go to `queue`: every request's objects are made through one.
template <typename Proxy>
Proxy *onQueue(Proxy *proxy, wl_event_queue *queue)
{
    auto *wrapper = static_cast<Proxy *>(wl_proxy_create_wrapper(proxy));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), queue);
    return wrapper;
}

void wrapperDone(void *wrapper)
{
    wl_proxy_wrapper_destroy(wrapper);
}

} // namespace

std::unique_ptr<ScreencopyCapture> ScreencopyCapture::connect(const VisibleWindowFrames &frames,
                                                              const PanelOnScreen &panel, QString &whyNot)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        whyNot = QStringLiteral("no Wayland compositor answers");
        return nullptr;
    }
    std::unique_ptr<ScreencopyCapture> capture(new ScreencopyCapture(display, frames, panel));
    const QMutexLocker lock(&capture->m_mutex);
    capture->refreshOutputs();
    if (!capture->m_manager || !capture->m_shm) {
        whyNot = QStringLiteral("the compositor offers no wlr screencopy, the only way to picture windows here");
        return nullptr;
    }
    return capture;
}

ScreencopyCapture::ScreencopyCapture(wl_display *display, const VisibleWindowFrames &frames, const PanelOnScreen &panel)
    : m_display(display)
    , m_frames(frames)
    , m_panel(panel)
{
    static const wl_registry_listener listener = {&ScreencopyCapture::announce, &ScreencopyCapture::withdraw};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
}

ScreencopyCapture::~ScreencopyCapture()
{
    for (const std::unique_ptr<Output> &output : m_outputs) {
        if (output->placement)
            zxdg_output_v1_destroy(output->placement);
        wl_output_destroy(output->proxy);
    }
    if (m_outputManager)
        zxdg_output_manager_v1_destroy(m_outputManager);
    if (m_manager)
        zwlr_screencopy_manager_v1_destroy(m_manager);
    if (m_shm)
        wl_shm_destroy(m_shm);
    wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

void ScreencopyCapture::announce(void *data, wl_registry *registry, uint32_t name, const char *interface,
                                 uint32_t version)
{
    auto *self = static_cast<ScreencopyCapture *>(data);
    const auto is = [interface](const wl_interface &known) { return std::strcmp(interface, known.name) == 0; };
    if (is(zwlr_screencopy_manager_v1_interface)) {
        self->m_manager = static_cast<zwlr_screencopy_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, std::min(version, 3u)));
    } else if (is(wl_shm_interface)) {
        self->m_shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (is(zxdg_output_manager_v1_interface)) {
        // Version 2 at most: it places outputs without waiting for wl_output's done.
        self->m_outputManager = static_cast<zxdg_output_manager_v1 *>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 2u)));
    } else if (is(wl_output_interface)) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->proxy = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        self->m_outputs.push_back(std::move(output));
    }
}

void ScreencopyCapture::withdraw(void *data, wl_registry *, uint32_t name)
{
    auto &outputs = static_cast<ScreencopyCapture *>(data)->m_outputs;
    std::erase_if(outputs, [name](const std::unique_ptr<Output> &output) {
        if (output->name != name)
            return false;
        if (output->placement)
            zxdg_output_v1_destroy(output->placement);
        wl_output_destroy(output->proxy);
        return true;
    });
}

void ScreencopyCapture::refreshOutputs()
{
    wl_display_roundtrip(m_display);
    if (!m_outputManager)
        return;
    bool placing = false;
    for (const std::unique_ptr<Output> &output : m_outputs) {
        if (!output->placement) {
            placeOutput(*output);
            placing = true;
        }
    }
    if (placing)
        wl_display_roundtrip(m_display);
}

void ScreencopyCapture::placeOutput(Output &output)
{
    static const zxdg_output_v1_listener listener = {
        [](void *data, zxdg_output_v1 *, int32_t x, int32_t y) {
            static_cast<Output *>(data)->position = QPoint(x, y);
        },
        [](void *data, zxdg_output_v1 *, int32_t width, int32_t height) {
            static_cast<Output *>(data)->size = QSize(width, height);
        },
        [](void *, zxdg_output_v1 *) {},
        [](void *, zxdg_output_v1 *, const char *) {},
        [](void *, zxdg_output_v1 *, const char *) {},
    };
    output.placement = zxdg_output_manager_v1_get_xdg_output(m_outputManager, output.proxy);
    zxdg_output_v1_add_listener(output.placement, &listener, &output);
}

ShareableContent ScreencopyCapture::shareableContent()
{
    {
        // Outputs come and go: they are placed anew for each round of captures.
        const QMutexLocker lock(&m_mutex);
        refreshOutputs();
    }
    return {std::nullopt, m_frames.current()};
}

std::optional<ScreencopyCapture::Region> ScreencopyCapture::regionOf(const ShareableWindow &window) const
{
    const QRect frame = window.frame.toAlignedRect();
    if (frame.isEmpty())
        return std::nullopt;
    // The output that holds the window's centre; without xdg-output, a single output
    // is at the origin, as the compositor clips the region to it anyway.
    for (const std::unique_ptr<Output> &output : m_outputs) {
        const QRect area(output->position, output->size);
        if (!m_outputManager && m_outputs.size() == 1)
            return Region{output->proxy, frame};
        if (area.contains(frame.center()))
            return Region{output->proxy, frame.intersected(area).translated(-output->position)};
    }
    return std::nullopt;
}

QImage ScreencopyCapture::capture(const ShareableWindow &window, QSize pixelSize)
{
    const PanelOnScreen::Moment asked = m_panel.now();
    if (!m_panel.hiddenThroughout(asked) || pixelSize.isEmpty())
        return {};
    wl_event_queue *queue = wl_display_create_queue(m_display);
    const auto forgetQueue = qScopeGuard([queue] { wl_event_queue_destroy(queue); });
    FrameState state;
    zwlr_screencopy_frame_v1 *frame = nullptr;
    wl_shm *shm = nullptr;
    wl_callback *described = nullptr;
    {
        const QMutexLocker lock(&m_mutex);
        const std::optional<Region> region = regionOf(window);
        if (!region)
            return {};
        auto *manager = onQueue(m_manager, queue);
        frame = zwlr_screencopy_manager_v1_capture_output_region(manager, 0, region->output, region->area.x(),
                                                                 region->area.y(), region->area.width(),
                                                                 region->area.height());
        wrapperDone(manager);
        shm = onQueue(m_shm, queue);
        // The buffer's description comes at once, before the round trip ends.
        auto *display = onQueue(m_display, queue);
        described = wl_display_sync(display);
        wrapperDone(display);
    }
    const auto forgetFrame = qScopeGuard([frame, shm] {
        zwlr_screencopy_frame_v1_destroy(frame);
        wrapperDone(shm);
    });
    zwlr_screencopy_frame_v1_add_listener(frame, &frameListener, &state);
    bool synced = false;
    static const wl_callback_listener syncListener = {[](void *data, wl_callback *callback, uint32_t) {
        *static_cast<bool *>(data) = true;
        wl_callback_destroy(callback);
    }};
    wl_callback_add_listener(described, &syncListener, &synced);
    const QDeadlineTimer deadline(frameWaitMs);
    const bool answered = dispatchUntil(
        m_display, queue, [&] { return synced || state.refused; }, deadline);
    if (!synced)
        wl_callback_destroy(described);
    if (!answered || state.refused || !state.format || state.size.isEmpty())
        return {};
    const ShmBuffer buffer(shm, state);
    if (!buffer.buffer())
        return {};
    zwlr_screencopy_frame_v1_copy(frame, buffer.buffer());
    if (!dispatchUntil(
            m_display, queue, [&] { return state.copied || state.refused; }, deadline)
        || state.refused)
        return {};
    // The panel may have shown while the compositor copied: the picture could hold it.
    if (!m_panel.hiddenThroughout(asked))
        return {};
    return buffer.picture(state).scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace lettergate

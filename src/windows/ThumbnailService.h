#pragma once

#include "platform/ScreenCapture.h"
#include "windows/WindowInfo.h"

#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QSizeF>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <optional>

namespace lettergate {

// Small pictures of windows, captured in the background and kept by window number, so
// the panel can show the last known picture the moment it opens. Everything here but
// the captures themselves runs on the GUI thread.
class ThumbnailService : public QObject {
    Q_OBJECT
public:
    using ImageHandler = std::function<void(quint32 windowId, const QImage &image)>;
    // By window number: the largest area, in pixels, that the panel draws the window's
    // picture in (its picture fits inside, keeping its shape).
    using DrawnSizes = QHash<quint32, QSize>;

    // Pictures of windows with no drawn size are requested at most this many pixels on
    // their longer side.
    static constexpr double longestSide = 720.0;

    // Captures through `capture`, which must outlive the service.
    explicit ThumbnailService(ScreenCapture &capture, QObject *parent = nullptr);
    ~ThumbnailService() override;

    // Whether the desktop lets the program capture windows now.
    bool captureAllowed() const { return m_capture.preflight(); }
    // Waits for every capture under way: the captures use the platform backend, which
    // goes away after the event loop ends.
    void waitForCaptures() { m_pool.waitForDone(); }

    // The pixel size a window with this frame (in points) is captured at: scaled down to
    // fit inside `drawnAt`, or without it so the longer side is at most 720; never
    // enlarged, at least 1 × 1.
    static QSize thumbnailSize(QSizeF frame, std::optional<QSize> drawnAt = std::nullopt);

    // Captures every window of `windows` that the system offers for capture, concurrently
    // on worker threads, in list order, each at the size `drawnSizes` gives it: a picture
    // larger than any card draws it only holds memory. Each picture is stored and handed
    // to onImage on the GUI thread as it arrives. `windows` is the complete current window
    // list: pictures of windows not in it are forgotten at once. The windows of `fresh`
    // have just been captured: they stay listed but are not captured again. Does nothing
    // without the screen-capture permission. The future finishes, on the GUI thread, once
    // every result has been handled. Cancelling it skips the captures not begun yet, so
    // the X server is free again within one capture; a picture already being taken still
    // goes to the cache, but onImage hears of nothing after the cancel.
    QFuture<void> prefetch(const QList<WindowInfo> &windows, ImageHandler onImage = {}, DrawnSizes drawnSizes = {},
                           const QSet<quint32> &fresh = {});

    // The cached pictures of those of `windowIds` that have one.
    QHash<quint32, QImage> thumbnails(const QList<quint32> &windowIds) const;

private:
    struct Run;

    void forgetWindowsOtherThan(const QList<WindowInfo> &windows);
    void startCaptures(const std::shared_ptr<Run> &run, const QList<ShareableWindow> &targets);
    void store(Run &run, quint32 windowId, const QImage &image);

    // Runs work on a worker thread and hands its result to handle on this object's
    // thread: always later through the event loop, never inside the caller.
    template <typename Work, typename Handle>
    void inBackground(Work work, Handle handle)
    {
        m_pool.start([this, work, handle] {
            QMetaObject::invokeMethod(
                this, [handle, result = work()] { handle(result); }, Qt::QueuedConnection);
        });
    }

    ScreenCapture &m_capture;
    QThreadPool m_pool;
    QHash<quint32, QImage> m_cache;
    // The windows of the newest prefetch's list: a capture that an older, overlapping
    // prefetch delivers late is dropped when its window has gone since.
    QSet<quint32> m_liveWindows;
};

} // namespace lettergate

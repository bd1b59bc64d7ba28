#include "windows/ThumbnailService.h"

#include "platform/CompactPicture.h"
#include "platform/Log.h"
#include "platform/ScreenCapture.h"

#include <QPromise>
#include <algorithm>

namespace lettergate {

// One prefetch: where its pictures go and how many are still to come.
struct ThumbnailService::Run {
    ScreenCapture *capture = nullptr;
    ImageHandler onImage;
    DrawnSizes drawnSizes;
    QPromise<void> done;
    qsizetype pending = 0;
};

namespace {

// The integer part of a scaled side, never below one pixel; a side a rounding error
// short of a whole pixel (230 / 1440 * 1440) is that pixel. Written so that a NaN or
// negative side from a broken reply gives one pixel instead of undefined behaviour.
int pixels(double side)
{
    constexpr double roundingError = 1e-6;
    return side >= 1.0 ? static_cast<int>(side + roundingError) : 1;
}

// The windows of `windows` that the system offers for capture, each once, in list order.
QList<ShareableWindow> captureTargets(const QList<WindowInfo> &windows, const QList<ShareableWindow> &offered)
{
    QHash<quint32, ShareableWindow> byNumber;
    for (const ShareableWindow &window : offered) {
        if (!byNumber.contains(window.number)) // the first listed wins
            byNumber.insert(window.number, window);
    }
    QList<ShareableWindow> targets;
    for (const WindowInfo &window : windows) {
        if (const auto found = byNumber.constFind(window.id); found != byNumber.constEnd()) {
            targets.append(*found);
            byNumber.erase(found);
        }
    }
    return targets;
}

std::optional<QSize> drawnSizeOf(const ThumbnailService::DrawnSizes &sizes, quint32 windowId)
{
    const auto found = sizes.constFind(windowId);
    return found == sizes.constEnd() ? std::nullopt : std::optional<QSize>(*found);
}

} // namespace

ThumbnailService::ThumbnailService(ScreenCapture &capture, QObject *parent)
    : QObject(parent)
    , m_capture(capture)
{
}

ThumbnailService::~ThumbnailService()
{
    // Workers hold the platform's capture interface; none may outlive the service.
    m_pool.waitForDone();
}

QSize ThumbnailService::thumbnailSize(QSizeF frame, std::optional<QSize> drawnAt)
{
    const double longest = std::max(frame.width(), frame.height());
    double scale = 1.0;
    if (drawnAt && frame.width() >= 1.0 && frame.height() >= 1.0)
        scale = std::min({double(drawnAt->width()) / frame.width(), double(drawnAt->height()) / frame.height(), 1.0});
    else if (!drawnAt && longest > 1.0)
        scale = std::min(longestSide / longest, 1.0);
    return QSize(pixels(frame.width() * scale), pixels(frame.height() * scale));
}

QFuture<void> ThumbnailService::prefetch(const QList<WindowInfo> &windows, ImageHandler onImage, DrawnSizes drawnSizes,
                                         const QSet<quint32> &fresh)
{
    forgetWindowsOtherThan(windows);
    QList<WindowInfo> toCapture = windows;
    toCapture.removeIf([&fresh](const WindowInfo &window) { return fresh.contains(window.id); });

    auto run = std::make_shared<Run>();
    run->capture = &m_capture;
    run->onImage = std::move(onImage);
    run->drawnSizes = std::move(drawnSizes);
    run->done.start();
    QFuture<void> finished = run->done.future();
    if (!run->capture->preflight() || toCapture.isEmpty()) {
        run->done.finish();
        return finished;
    }

    ScreenCapture *capture = run->capture;
    inBackground([capture] { return capture->shareableContent(); },
                 [this, run, toCapture](const ShareableContent &content) {
                     if (content.error) {
                         qCInfo(lcWindows).noquote()
                             << QStringLiteral("failed to get SCShareableContent:") + *content.error;
                         run->done.finish();
                         return;
                     }
                     if (run->done.isCanceled()) {
                         run->done.finish();
                         return;
                     }
                     startCaptures(run, captureTargets(toCapture, content.windows));
                 });
    return finished;
}

QHash<quint32, QImage> ThumbnailService::thumbnails(const QList<quint32> &windowIds) const
{
    QHash<quint32, QImage> found;
    for (quint32 id : windowIds) {
        if (const auto cached = m_cache.constFind(id); cached != m_cache.constEnd())
            found.insert(id, *cached);
    }
    return found;
}

void ThumbnailService::forgetWindowsOtherThan(const QList<WindowInfo> &windows)
{
    m_liveWindows.clear();
    for (const WindowInfo &window : windows)
        m_liveWindows.insert(window.id);
    m_cache.removeIf([this](const auto &entry) { return !m_liveWindows.contains(entry.key()); });
}

void ThumbnailService::startCaptures(const std::shared_ptr<Run> &run, const QList<ShareableWindow> &targets)
{
    run->pending = targets.size();
    if (targets.isEmpty()) {
        run->done.finish();
        return;
    }
    const QFuture<void> cancelled = run->done.future();
    for (const ShareableWindow &target : targets) {
        ScreenCapture *capture = run->capture;
        const QSize size = thumbnailSize(target.frame.size(), drawnSizeOf(run->drawnSizes, target.number));
        // A picture with the same pixels as the kept one comes back as the kept one, so
        // the panel recognises it by identity and reuses what it drew from it, instead
        // of comparing or drawing it again on the GUI thread. Pictures are kept compact:
        // every listed window has one, for as long as the program runs.
        inBackground(
            [capture, target, size, kept = m_cache.value(target.number), cancelled] {
                if (cancelled.isCanceled())
                    return QImage();
                const QImage fresh = compactPicture(capture->capture(target, size));
                return fresh == kept ? kept : fresh;
            },
            [this, run, windowId = target.number](const QImage &image) {
                store(*run, windowId, image);
                if (--run->pending == 0)
                    run->done.finish();
            });
    }
}

void ThumbnailService::store(Run &run, quint32 windowId, const QImage &image)
{
    // A failed capture keeps the older picture; a window that a newer prefetch no longer
    // lists has closed, and its late picture would never be shown or forgotten.
    if (image.isNull() || !m_liveWindows.contains(windowId))
        return;
    m_cache.insert(windowId, image);
    if (run.onImage && !run.done.isCanceled())
        run.onImage(windowId, image);
}

} // namespace lettergate

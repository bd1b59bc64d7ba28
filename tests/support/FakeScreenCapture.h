#pragma once

#include "platform/ScreenCapture.h"

#include <QColor>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QThread>
#include <atomic>

namespace lettergate {

// Scripted capturable windows. capture() may run on worker threads, so everything it
// touches is guarded.
class FakeScreenCapture final : public ScreenCapture {
public:
    bool preflight() override { return granted; }
    bool request() override { return granted; }
    ShareableContent shareableContent() override
    {
        QMutexLocker lock(&mutex);
        threads.insert(QThread::currentThread());
        if (contentError)
            return {contentError, {}};
        return {std::nullopt, windows};
    }
    QImage capture(const ShareableWindow &window, QSize pixelSize) override
    {
        {
            QMutexLocker lock(&mutex);
            threads.insert(QThread::currentThread());
            requestedSizes[window.number] = pixelSize;
            ++captureCount;
        }
        if (holding)
            gate.acquire();
        QMutexLocker lock(&mutex);
        if (failing.contains(window.number))
            return {};
        QImage picture(pixelSize, QImage::Format_RGB32);
        picture.fill(QColor::fromRgb(window.number % 256, 0, 0));
        return picture;
    }

    bool picturesShowOverlays() override { return false; }

    bool granted = true;
    std::optional<QString> contentError;
    QList<ShareableWindow> windows;
    QSet<quint32> failing;
    // While holding, a capture, once counted, waits for a permit of the gate: captures
    // stay in flight until the test releases them.
    std::atomic_bool holding = false;
    QSemaphore gate;

    QMutex mutex;
    QHash<quint32, QSize> requestedSizes;
    int captureCount = 0;
    QSet<QThread *> threads; // every thread that asked for content or a picture
};

} // namespace lettergate

#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

namespace lettergate {

struct ShareableWindow {
    quint32 number = 0;
    QRectF frame;
};

struct ShareableContent {
    std::optional<QString> error; // set when the capturable windows could not be listed
    QList<ShareableWindow> windows;
};

// Pictures of single windows. shareableContent and capture are safe to call from
// worker threads, concurrently.
class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    virtual bool preflight() = 0;
    // Asks the system for the permission; answers whether it is granted now.
    virtual bool request() = 0;
    virtual ShareableContent shareableContent() = 0;
    // A picture of the window scaled to pixelSize; a null image when it failed.
    virtual QImage capture(const ShareableWindow &window, QSize pixelSize) = 0;
    // Whether pictures are cut from what the screen shows, so that our own panel would
    // be in them while it is open: they are then taken only while it is closed.
    virtual bool picturesShowOverlays() = 0;
};

} // namespace lettergate

#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

namespace lettergate {

// One entry of the window server's list of on-screen windows. Every field is
// optional because a backend reports only what the server told it; deciding what
// an incomplete record means is the portable enumeration's job.
struct WindowRecord {
    std::optional<qint64> layer;   // 0 for ordinary application windows
    std::optional<quint32> number; // the server's window number (an XID on X11)
    std::optional<qint32> ownerPid;
    std::optional<QString> ownerName;
    std::optional<QString> title;
    std::optional<QRectF> bounds; // frame in global screen coordinates
};

class WindowServer {
public:
    virtual ~WindowServer() = default;
    // Front-most first; nothing when the server cannot be asked.
    virtual std::optional<QList<WindowRecord>> onScreenWindows() = 0;
};

} // namespace lettergate

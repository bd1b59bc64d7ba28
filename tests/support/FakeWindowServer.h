#pragma once

#include "platform/WindowServer.h"

namespace lettergate {

// Scripted on-screen windows, front-most first. A test builds the list directly or
// with addWindow; `unavailable` makes the server answer nothing.
class FakeWindowServer final : public WindowServer {
public:
    std::optional<QList<WindowRecord>> onScreenWindows() override
    {
        if (unavailable)
            return std::nullopt;
        return records;
    }

    // A complete ordinary window record.
    WindowRecord &addWindow(quint32 number, qint32 pid, const QString &ownerName, const QString &title,
                            const QRectF &bounds = QRectF(0, 0, 800, 600))
    {
        records.append(WindowRecord{0, number, pid, ownerName, title, bounds});
        return records.last();
    }

    QList<WindowRecord> records;
    bool unavailable = false;
};

} // namespace lettergate

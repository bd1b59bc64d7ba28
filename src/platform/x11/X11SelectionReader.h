#pragma once

#include "platform/ClipboardReadPlan.h"
#include "platform/Pasteboard.h"

#include <QObject>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace lettergate {

class X11Display;

using X11SelectionLimits = ClipboardReadLimits;

// Reads the clipboard (the CLIPBOARD selection) on a connection and a thread of its
// own, so that an owner that is slow, stalls mid-transfer or dies never holds the GUI
// thread. One read asks for the offered formats, then follows a ClipboardReadPlan;
// pictures are decoded on the reading thread. A
// read that sees the owner change (XFixes) starts over for the new owner; one that passes
// its deadline or its size limit ends with nothing and one log line. A request the read
// no longer wants keeps its window until the owner has answered it (see
// X11SelectionTransfer): a request sent just before a change of owner goes to the new one.
class X11SelectionReader final : public QObject {
    Q_OBJECT
public:
    using Limits = X11SelectionLimits;

    // Starts the reading thread over the connection, which it takes for itself.
    explicit X11SelectionReader(std::unique_ptr<X11Display> display, Limits limits = {}, QObject *parent = nullptr);
    ~X11SelectionReader() override;

    // Callable from the object's thread; contentRead follows on it. Requests made during
    // a read are answered together by one more read after it.
    void requestContent();

signals:
    void contentRead(const PasteboardContent &content);

private:
    class Session;

    // Runs on the object's thread: what the reading thread hands over.
    void deliver(const PasteboardContent &content, const QString &logLine);

    std::unique_ptr<Session> m_session;
    std::thread m_thread;
};

} // namespace lettergate

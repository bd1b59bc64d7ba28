#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

class QSocketNotifier;

namespace lettergate {

// Writes bytes into one pipe from the event loop, never waiting on it: the descriptor is
// made non-blocking and written whenever it has room. A reader that goes away ends the
// write (without the SIGPIPE that would end the process); one that stops reading is given
// up after a while, so a stalled peer holds nothing of ours for long.
class PipeWriter final : public QObject {
    Q_OBJECT
public:
    // How long a reader may take nothing before the write is given up.
    static constexpr std::chrono::milliseconds defaultStallLimit{5000};

    // Takes the descriptor, which it closes once done or destroyed.
    PipeWriter(int fd, QByteArray bytes, QObject *parent = nullptr,
               std::chrono::milliseconds stallLimit = defaultStallLimit);
    ~PipeWriter() override;
    PipeWriter(const PipeWriter &) = delete;
    PipeWriter &operator=(const PipeWriter &) = delete;

signals:
    // Emitted once, from the event loop, whether all was written or not.
    void finished();

private:
    void writeSome();
    void end();

    int m_fd;
    QByteArray m_bytes;
    qsizetype m_written = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // Restarted at each progress.
    QTimer m_stall;
};

} // namespace lettergate

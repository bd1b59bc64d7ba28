#pragma once

#include <QByteArray>
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace lettergate {

// Reads one pipe to its end from the event loop, never waiting on it: the descriptor is
// made non-blocking and read whenever it has something. It stops at a size limit; a
// writer that never writes or never closes is the owner's business (a deadline of its
// own).
class PipeReader final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        done,
        // The pipe failed before its end.
        failed,
        // It brought more than the limit; the rest is not taken.
        tooLarge,
    };
    Q_ENUM(Outcome)

    // Takes the descriptor, which it closes once done or destroyed.
    PipeReader(int fd, qint64 limitBytes, QObject *parent = nullptr);
    ~PipeReader() override;
    PipeReader(const PipeReader &) = delete;
    PipeReader &operator=(const PipeReader &) = delete;

    // What the pipe brought, once done.
    const QByteArray &data() const { return m_data; }

signals:
    // Emitted once, from the event loop.
    void finished(PipeReader::Outcome outcome);

private:
    void readAvailable();
    void end(Outcome outcome);

    int m_fd;
    qint64 m_limitBytes;
    QByteArray m_data;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lettergate

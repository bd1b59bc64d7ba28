#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QSocketNotifier;

namespace lettergate {

// The one pipe a command writes its standard output and standard error to, read on the
// GUI thread in large gulps. After each read the pipe is left alone for a pause, so a
// command that prints without end (`yes`) fills it and waits for us instead of waking
// us for every few kilobytes it writes; the pipe is made large, so that caps the output
// at about a hundred megabytes a second, far beyond what a command writes that someone
// reads. Every byte read goes to the sink, which keeps what it wants of it.
class CommandOutputPipe final : public QObject {
    Q_OBJECT
public:
    using Sink = std::function<void(QByteArrayView bytes)>;

    static constexpr std::chrono::milliseconds pauseAfterRead{10};

    explicit CommandOutputPipe(Sink sink, QObject *parent = nullptr);
    ~CommandOutputPipe() override;

    // Whether the pipe could be made; without it the command cannot be started.
    bool isOpen() const { return m_readEnd >= 0; }
    // What the child duplicates onto its standard output and error (close-on-exec, so
    // no other child inherits it).
    int writeEnd() const { return m_writeEnd; }
    // Once the child holds its own copy: from then on the pipe ends when the last
    // process writing to it does.
    void closeWriteEnd();
    // The command has ended: takes what it wrote before it did, then closes the pipe (a
    // process it left behind writes to a closed pipe from then on).
    void drainAndClose();

private:
    // Reads until the pipe is empty or `limit` bytes were taken; false at its end.
    bool readAvailable(qsizetype limit);
    void close();

    Sink m_sink;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_pause;
};

} // namespace lettergate

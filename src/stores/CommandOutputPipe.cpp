#include "stores/CommandOutputPipe.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lettergate {

namespace {

// As large as an unprivileged process may make it (the kernel's default limit); the
// default of 64 KiB stays when the system allows less.
constexpr int wantedPipeBytes = 1 << 20;
// Read at once; one read at the end of a command may take this many times more.
constexpr qsizetype readBufferBytes = qsizetype(256) << 10;
// What the last read takes at most: a process the command left behind may still be
// writing, and the read must end.
constexpr qsizetype drainLimitBytes = 8 * qsizetype(wantedPipeBytes);

} // namespace

CommandOutputPipe::CommandOutputPipe(Sink sink, QObject *parent)
    : QObject(parent)
    , m_sink(std::move(sink))
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    fcntl(m_readEnd, F_SETFL, O_NONBLOCK);
    fcntl(m_readEnd, F_SETPIPE_SZ, wantedPipeBytes);

    m_pause.setSingleShot(true);
    m_pause.setInterval(pauseAfterRead);
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(&m_pause, &QTimer::timeout, m_notifier, [this] { m_notifier->setEnabled(true); });
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        m_notifier->setEnabled(false);
        if (readAvailable(wantedPipeBytes))
            m_pause.start();
        else
            close();
    });
}

CommandOutputPipe::~CommandOutputPipe()
{
    closeWriteEnd();
    close();
}

void CommandOutputPipe::closeWriteEnd()
{
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
    m_writeEnd = -1;
}

void CommandOutputPipe::drainAndClose()
{
    closeWriteEnd();
    if (m_readEnd >= 0)
        readAvailable(drainLimitBytes);
    close();
}

bool CommandOutputPipe::readAvailable(qsizetype limit)
{
    // One for every pipe: they are all read on the GUI thread.
    static std::array<char, readBufferBytes> buffer;
    for (qsizetype taken = 0; taken < limit;) {
        const ssize_t got = ::read(m_readEnd, buffer.data(), buffer.size());
        if (got > 0) {
            m_sink(QByteArrayView(buffer.data(), got));
            taken += got;
        } else if (got == 0) {
            return false;
        } else if (errno != EINTR) {
            return errno == EAGAIN;
        }
    }
    return true;
}

void CommandOutputPipe::close()
{
    m_pause.stop();
    if (m_notifier) {
        // Perhaps from inside its own signal.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    m_readEnd = -1;
}

} // namespace lettergate

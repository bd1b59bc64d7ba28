#include "platform/wayland/PipeWriter.h"

#include "platform/Log.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace lettergate {

namespace {

// write() that answers EPIPE for a reader gone away instead of raising SIGPIPE, whose
// default ends the process. The signal is blocked on this thread around the call and a
// raised one taken back, so the process's disposition (inherited by the commands it runs)
// stays as it is.
ssize_t writeWithoutSigpipe(int fd, const char *bytes, size_t size)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    const ssize_t written = write(fd, bytes, size);
    const int error = errno;
    if (written < 0 && error == EPIPE) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return written;
}

} // namespace

PipeWriter::PipeWriter(int fd, QByteArray bytes, QObject *parent, std::chrono::milliseconds stallLimit)
    : QObject(parent)
    , m_fd(fd)
    , m_bytes(std::move(bytes))
    , m_notifier(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write))
{
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeWriter::writeSome);
    m_stall.setSingleShot(true);
    m_stall.setInterval(stallLimit);
    connect(&m_stall, &QTimer::timeout, this, [this, stallLimit] {
        qCInfo(lcWayland).noquote() << QStringLiteral(
                                           "clipboard write given up: the program pasting took nothing for %1 ms")
                                           .arg(stallLimit.count());
        end();
    });
    m_stall.start();
}

PipeWriter::~PipeWriter()
{
    m_notifier.reset();
    if (m_fd >= 0)
        close(m_fd);
}

void PipeWriter::writeSome()
{
    while (m_written < m_bytes.size()) {
        const ssize_t count = writeWithoutSigpipe(m_fd, m_bytes.constData() + m_written,
                                                  size_t(m_bytes.size() - m_written));
        if (count < 0) {
            if (errno == EINTR)
                continue;
            // EAGAIN: the pipe is full until the reader takes some. Anything else (the
            // reader has gone): nothing more to write.
            if (errno != EAGAIN)
                end();
            return;
        }
        m_written += count;
        m_stall.start();
    }
    end();
}

void PipeWriter::end()
{
    if (m_fd < 0)
        return;
    m_stall.stop();
    // Called from the notifier's own signal, or the timer's.
    m_notifier->setEnabled(false);
    m_notifier.release()->deleteLater();
    close(m_fd);
    m_fd = -1;
    emit finished();
}

} // namespace lettergate

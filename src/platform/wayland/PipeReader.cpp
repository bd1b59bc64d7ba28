#include "platform/wayland/PipeReader.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace lettergate {

namespace {

// What one wake-up reads at most, so that a fast writer shares the event loop.
constexpr qint64 bytesPerWakeUp = qint64(4) << 20;
constexpr qint64 chunkBytes = qint64(64) << 10;

} // namespace

PipeReader::PipeReader(int fd, qint64 limitBytes, QObject *parent)
    : QObject(parent)
    , m_fd(fd)
    , m_limitBytes(limitBytes)
    , m_notifier(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read))
{
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeReader::readAvailable);
}

PipeReader::~PipeReader()
{
    m_notifier.reset();
    if (m_fd >= 0)
        close(m_fd);
}

void PipeReader::readAvailable()
{
    for (qint64 readNow = 0; readNow < bytesPerWakeUp;) {
        const qsizetype before = m_data.size();
        m_data.resize(before + chunkBytes);
        const ssize_t count = read(m_fd, m_data.data() + before, size_t(chunkBytes));
        m_data.resize(before + std::max<qsizetype>(count, 0));
        if (count == 0) {
            end(Outcome::done);
            return;
        }
        if (count < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                end(Outcome::failed);
            return;
        }
        if (m_data.size() > m_limitBytes) {
            m_data.clear();
            end(Outcome::tooLarge);
            return;
        }
        readNow += count;
    }
}

void PipeReader::end(Outcome outcome)
{
    // Called from the notifier's own signal.
    m_notifier->setEnabled(false);
    m_notifier.release()->deleteLater();
    close(m_fd);
    m_fd = -1;
    m_data.squeeze();
    emit finished(outcome);
}

} // namespace lettergate

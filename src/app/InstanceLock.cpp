#include "app/InstanceLock.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lettergate {

InstanceLock::InstanceLock(const QString &folder)
    : m_folder(folder)
{
    const QString path = folder + QStringLiteral("/lettergate.lock");
    // The folder is private, so nothing but a link of the user's own could be there.
    m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_descriptor < 0)
        m_error = QStringLiteral("cannot open %1: %2").arg(path, qt_error_string(errno));
}

InstanceLock::~InstanceLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool InstanceLock::tryTake()
{
    if (m_descriptor < 0)
        return false;
    if (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            m_error = QStringLiteral("cannot lock %1/lettergate.lock: %2").arg(m_folder, qt_error_string(errno));
        return false;
    }
    // Who holds it, for the message of a start that cannot take it. The lock is what
    // counts: a number that cannot be written changes nothing else.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    [[maybe_unused]] const bool written = ::ftruncate(m_descriptor, 0) == 0
                                          && ::pwrite(m_descriptor, pid.constData(), size_t(pid.size()), 0)
                                                 == pid.size();
    return true;
}

qint64 InstanceLock::holder() const
{
    char text[32] = {};
    const ssize_t length = m_descriptor < 0 ? -1 : ::pread(m_descriptor, text, sizeof text - 1, 0);
    return length > 0 ? QByteArray(text, length).trimmed().toLongLong() : 0;
}

} // namespace lettergate

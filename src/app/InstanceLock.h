#pragma once

#include <QString>

namespace lettergate {

// What makes the running instance the only one for sure: an exclusive lock (flock) on
// lettergate.lock in the instance folder, held from before anything is loaded for as
// long as this object lives; the kernel lets it go when the process ends, however it
// ends. The programs Lettergate starts do not inherit it.
class InstanceLock {
public:
    // Opens (or makes) the lock file in the folder, without taking the lock yet.
    explicit InstanceLock(const QString &folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Takes the lock without waiting: false while another process holds it, or when the
    // lock cannot be had at all (error() says why).
    bool tryTake();
    // Why the lock cannot be had; empty while it can.
    const QString &error() const { return m_error; }
    // The process holding the lock, as it wrote itself in the file; 0 when unknown.
    qint64 holder() const;
    const QString &folder() const { return m_folder; }

private:
    QString m_folder;
    QString m_error;
    int m_descriptor = -1;
};

} // namespace lettergate

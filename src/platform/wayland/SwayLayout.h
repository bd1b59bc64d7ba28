#pragma once

#include "platform/wayland/SwayIpc.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>

namespace lettergate {

// Where sway's windows are, read from its layout tree off the GUI thread: a socket that
// answers slowly, not at all, or with megabytes costs the GUI thread nothing, and the
// window list uses the latest views read without waiting. One read is under way at a
// time; asks made during it are answered by one more read after it.
class SwayLayout final : public QObject {
    Q_OBJECT
public:
    explicit SwayLayout(QString socketPath);

    // Starts a read, or one more after the read under way.
    void refresh();
    // The views of the latest read; empty before the first, and after a read failed.
    const QList<SwayIpc::View> &views() const { return m_views; }

signals:
    // A read has ended and views() holds its result.
    void viewsRead();

private:
    void takeResult();

    const QString m_socketPath;
    // A thread of its own: a socket that keeps a read waiting holds none of the threads
    // that take window pictures. Ending, it waits for a read under way, which is bounded.
    QThreadPool m_reader;
    QFutureWatcher<std::optional<QList<SwayIpc::View>>> m_read;
    QList<SwayIpc::View> m_views;
    bool m_readAgain = false;
    bool m_failureLogged = false;
};

} // namespace lettergate

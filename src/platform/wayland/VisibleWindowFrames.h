#pragma once

#include "platform/ScreenCapture.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>

namespace lettergate {

// The windows the compositor shows now and where, for pictures taken from the output
// (which holds only what is visible): written on the GUI thread whenever the window list
// learns the windows' places, read from the threads that take pictures.
class VisibleWindowFrames {
public:
    void replace(QList<ShareableWindow> windows)
    {
        const QMutexLocker lock(&m_mutex);
        m_windows = std::move(windows);
    }

    QList<ShareableWindow> current() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_windows;
    }

private:
    mutable QMutex m_mutex;
    QList<ShareableWindow> m_windows;
};

} // namespace lettergate

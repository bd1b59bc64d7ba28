#pragma once

#include "stores/ClipboardHistory.h"

#include <QEventLoop>
#include <QTimer>

namespace lettergate {

// Checks the clipboard as the history's poll does, then serves the event loop until the
// read it asked for, and any read a change meanwhile caused, has come back, so that what
// follows sees the copy recorded. Answers false when the read did not come back in 10 s.
inline bool readClipboard(ClipboardHistory &history)
{
    history.checkPasteboard();
    if (!history.isReading())
        return true;
    QEventLoop loop;
    QObject::connect(&history, &ClipboardHistory::readFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return !history.isReading();
}

} // namespace lettergate

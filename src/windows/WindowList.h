#pragma once

#include "windows/WindowInfo.h"

#include <QList>
#include <optional>

namespace lettergate {

class Platform;

// The ordinary application windows on screen, front-most first: only layer 0, at least
// 60 × 60 points, and none of excludedPid's (callers pass their own process). Empty
// when the window server cannot be asked.
QList<WindowInfo> listWindows(Platform &platform, std::optional<qint32> excludedPid);

// Writes the windows of every other process to the log, one line each after a header.
void printAllWindows(Platform &platform);

} // namespace lettergate

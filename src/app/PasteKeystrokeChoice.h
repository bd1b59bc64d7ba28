#pragma once

#include "platform/PasteKeystroke.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace lettergate {

// Whether the application is a terminal emulator: its desktop entry's categories say
// so, or, for one known only by its window class, the class is a common terminal's.
bool isTerminalEmulator(const QString &bundleID, const QStringList &categories);

// The keystroke that makes the application paste: the user's choice for it, else
// Shift+Insert for a terminal emulator (Control+V there inserts the next character
// literally), else Control+V.
PasteKeystroke pasteKeystrokeFor(const QString &bundleID, std::optional<PasteKeystroke> chosen,
                                 const QStringList &categories);

} // namespace lettergate

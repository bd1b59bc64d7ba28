#pragma once

#include <QString>
#include <optional>

namespace lettergate {

// The keystroke that makes an application paste. Ordinary applications paste on
// Control+V; terminal emulators take Control+V as "insert the next character
// literally" and paste on Shift+Insert (every common one does) or Control+Shift+V.
enum class PasteKeystroke { controlV, controlShiftV, shiftInsert };

// The stored form of each keystroke, readable in the settings file.
QString pasteKeystrokeName(PasteKeystroke keystroke);
// Nothing for a text that names no keystroke.
std::optional<PasteKeystroke> pasteKeystrokeNamed(const QString &name);

} // namespace lettergate

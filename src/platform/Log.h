#pragma once

#include <QLoggingCategory>
#include <QString>
#include <functional>

namespace lettergate {

// Diagnostics go through Qt's logging, one category per subsystem, so QT_LOGGING_RULES
// turns them on and off ("lettergate.*.debug=true" shows the debug lines, which are off
// by default). One message handler writes every message, Qt's own included, as lines
// beginning "[Lettergate] ", warnings with a warning sign after the prefix; a message of
// several lines has the prefix on its first line only.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)
Q_DECLARE_LOGGING_CATEGORY(lcClipboard)
Q_DECLARE_LOGGING_CATEGORY(lcStores)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcWindows)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcX11)
Q_DECLARE_LOGGING_CATEGORY(lcWayland)

namespace Log {

// Makes the handler the program's: lines go to standard error and, when that is no
// terminal (an autostarted instance), to the system log as well.
void installHandler();

// Receives every complete line instead of standard error and the system log; an empty
// sink puts back the handler that was there before.
using Sink = std::function<void(const QString &line)>;
void setSink(Sink sink);

} // namespace Log

} // namespace lettergate

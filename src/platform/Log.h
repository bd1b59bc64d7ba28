#pragma once

#include <QString>
#include <functional>

// Diagnostics: one line per message, each beginning "[Lettergate] ", warnings with a
// warning sign after the prefix. Lines go to standard error unless a test captures them.
namespace Log {

inline constexpr QStringView prefix = u"[Lettergate] ";
inline constexpr QStringView warningSign = u"⚠️ ";

void info(const QString &message);
void warning(const QString &message);
// A line exactly as given, without the prefix: the continuation lines of a dump whose
// header line carries the prefix.
void plain(const QString &line);

// Receives every complete line instead of standard error; an empty sink restores it.
using Sink = std::function<void(const QString &line)>;
void setSink(Sink sink);

} // namespace Log

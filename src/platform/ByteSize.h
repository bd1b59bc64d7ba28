#pragma once

#include <QString>

namespace lettergate {

// A size as log lines and messages give it, in the largest binary unit it fills:
// "812 bytes", "64 KiB", "1.5 MiB", "4 GiB". Whole numbers stay whole; anything else
// gets one decimal, so a size just over a limit never reads as the limit itself.
namespace ByteSize {

QString text(qint64 bytes);

} // namespace ByteSize

} // namespace lettergate

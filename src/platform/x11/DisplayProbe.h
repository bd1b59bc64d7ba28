#pragma once

#include <QString>

namespace lettergate {

namespace DisplayProbe {

// Whether an X server answers on $DISPLAY. On failure, reason says why in words a
// user can act on.
bool isReachable(QString *reason);

} // namespace DisplayProbe

} // namespace lettergate

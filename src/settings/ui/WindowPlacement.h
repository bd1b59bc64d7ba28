#pragma once

#include <QList>
#include <QRect>
#include <optional>

namespace lettergate {

// Where the settings window opens: where it was last (the top-left of its frame and the
// size of its content), moved and shrunk onto the screen that showed most of it, so no
// part of it is out of reach after a monitor went away or the resolution changed. A
// window no screen showed any of, or one never placed, opens centred on the primary
// screen at `defaultSize`.
namespace WindowPlacement {

// `screens` are the screens' available areas, the primary one first.
QRect restored(const std::optional<QRect> &stored, QSize defaultSize, const QList<QRect> &screens);

} // namespace WindowPlacement

} // namespace lettergate

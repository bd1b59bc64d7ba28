#pragma once

#include <QIcon>
#include <QList>

namespace lettergate {

// The pictures of a _NET_WM_ICON property: repeated width, height, then width × height
// ARGB pixels. A malformed or truncated entry ends the list; what came before is kept.
QList<QImage> netWmIconImages(const QList<uint32_t> &data);

QIcon netWmIcon(const QList<uint32_t> &data);

} // namespace lettergate

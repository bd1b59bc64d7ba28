#pragma once

#include "switcher/AppEntry.h"

#include <QHash>
#include <QSize>

namespace lettergate {

// The largest area, in device pixels, in which the panel draws each window's picture
// when it shows these apps in a page of `pageSize` points: the app's card on the apps
// page for the window that card shows, and the window's card on its app's window page
// (an app with one window has none).
// Window pictures are kept at this size: a larger one holds memory no card shows, and
// is scaled down at every fresh paint.
QHash<quint32, QSize> cardPictureSizes(const QList<AppEntry> &apps, QSize pageSize, qreal devicePixelRatio);

} // namespace lettergate

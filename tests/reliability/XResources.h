#pragma once

#include <QMap>
#include <QString>
#include <xcb/xcb.h>

// What the X server holds for one process: the resources of each of its connections,
// counted by type ("WINDOW", "PIXMAP", "GC", "PICTURE", ...), through the X-Resource
// extension.
namespace XResources {

QMap<QString, quint32> countsOf(xcb_connection_t *connection, qint64 pid);

} // namespace XResources

#pragma once

#include <QHash>
#include <QIcon>

// The icons of the applications on the panel, asked of the platform once per process
// and kept until the list of apps changes: a look-up may read a desktop entry from disk
// or fetch a window's icon from the X server, and every rebuild of a page shows them all
// again.
class AppIconCache {
public:
    // The process's icon; null when it has none or no platform is installed.
    QIcon icon(qint32 pid);
    void clear() { m_icons.clear(); }

private:
    QHash<qint32, QIcon> m_icons;
};

#pragma once

#include "switcher/AppEntry.h"

#include <QHash>
#include <QIcon>

// The icons of the applications on the panel, asked of the platform once per process
// and kept for as long as that process stays on the panel's list of apps: a look-up may
// read a desktop entry from disk or fetch a window's icon from the X server, and every
// showing and every rebuild of a page shows them all again.
class AppIconCache {
public:
    // The process's icon; null when it has none or no platform is installed.
    QIcon icon(qint32 pid);
    // Forgets the icons of processes no longer listed, and of any whose id now belongs
    // to another application (the system reuses process ids).
    void keepListed(const QList<AppEntry> &apps);

private:
    QHash<qint32, QIcon> m_icons;
    // The application each listed process id stood for when last listed.
    QHash<qint32, QString> m_owners;
};

#pragma once

#include "switcher/AppEntry.h"

#include <QHash>
#include <QIcon>

namespace lettergate {

class Apps;

// The icons of the applications on the panel, looked up and rendered while the panel is
// closed, so that a showing only reads memory: a look-up may read a desktop entry from
// disk or fetch a window's icon from the X server, and a theme or file icon reads and
// decodes its file only when first painted. Each process's icon is kept for as long as
// that process stays listed as the same application. GUI thread only: theme icons are
// not thread-safe.
class AppIconCache {
public:
    explicit AppIconCache(Apps &apps);

    // The process's icon, rendered at the sizes a card draws it; null (the placeholder
    // symbol) when it has none or has not been prepared yet. Never asks the platform:
    // a process new since the last preparation waits for the one after the next hide
    // rather than hold up the showing it first appears in.
    QIcon icon(qint32 pid) const;

    // Forgets the icons of processes not among the windows' owners, or whose id now
    // belongs to another application (the system reuses process ids), then looks up and
    // renders every owner's icon not held. Slow: only while the panel is closed.
    void prepare(const QList<WindowInfo> &windows, qreal devicePixelRatio);
    // Looks up and renders the icon of one process not held, such as one that has just
    // come to the front, and keeps it if it has one; its application is checked at the
    // next listing.
    void prepare(qint32 pid, qreal devicePixelRatio);
    // Forgets as prepare does, without looking anything up: fit for a showing.
    void keepListed(const QList<AppEntry> &apps);

private:
    // The application each listed process stands for, by process id.
    using Owners = QHash<qint32, QString>;

    void keep(Owners owners);
    // Icons rendered for another pixel density are of no use: all are looked up again.
    void useDevicePixelRatio(qreal devicePixelRatio);
    QIcon lookUp(qint32 pid) const;

    Apps &m_apps;
    qreal m_devicePixelRatio = 1;
    QHash<qint32, QIcon> m_icons;
    // The application each process id stood for when last listed; none for a process
    // prepared before it was ever listed.
    Owners m_owners;
};

} // namespace lettergate

#include "panel/AppIconCache.h"

#include "panel/Card.h"
#include "platform/Apps.h"

namespace lettergate {

namespace {

QString ownerOf(const std::optional<QString> &bundleID, const QString &appName)
{
    return bundleID.value_or(appName);
}

// The icon as pixmaps at the sides a card draws it. Painting an icon made of pixmaps
// picks the nearest and scales it in memory, where the looked-up icon might first read
// and decode its file. A null result keeps the placeholder for an icon whose files do
// not render.
QIcon rendered(const QIcon &icon, qreal devicePixelRatio)
{
    QIcon pixmaps;
    if (icon.isNull())
        return pixmaps;
    for (const int side : {Card::leadingLogoSide, Card::largestBodyLogoSide})
        pixmaps.addPixmap(icon.pixmap(QSize(side, side), devicePixelRatio));
    return pixmaps;
}

} // namespace

AppIconCache::AppIconCache(Apps &apps)
    : m_apps(apps)
{
}

QIcon AppIconCache::icon(qint32 pid) const
{
    return m_icons.value(pid);
}

void AppIconCache::prepare(const QList<WindowInfo> &windows, qreal devicePixelRatio)
{
    useDevicePixelRatio(devicePixelRatio);
    Owners owners;
    for (const WindowInfo &window : windows)
        owners.insert(window.pid, ownerOf(window.bundleID, window.appName));
    keep(owners);
    // An absent icon is kept too: asking again would find nothing again.
    for (auto owner = owners.cbegin(); owner != owners.cend(); ++owner) {
        if (!m_icons.contains(owner.key()))
            m_icons.insert(owner.key(), lookUp(owner.key()));
    }
}

void AppIconCache::prepare(qint32 pid, qreal devicePixelRatio)
{
    useDevicePixelRatio(devicePixelRatio);
    if (m_icons.contains(pid))
        return;
    // A window that has just come to the front may not have set its icon yet: nothing
    // found now is asked for again at the next listing.
    if (const QIcon icon = lookUp(pid); !icon.isNull())
        m_icons.insert(pid, icon);
}

void AppIconCache::keepListed(const QList<AppEntry> &apps)
{
    // Every process of an app: its window page draws each window with its own
    // process's icon.
    Owners owners;
    for (const AppEntry &app : apps) {
        for (const WindowInfo &window : app.windows)
            owners.insert(window.pid, ownerOf(app.bundleID, app.appName));
    }
    keep(std::move(owners));
}

void AppIconCache::keep(Owners owners)
{
    m_icons.removeIf([&](const QHash<qint32, QIcon>::iterator entry) {
        const auto owner = owners.constFind(entry.key());
        const auto known = m_owners.constFind(entry.key());
        return owner == owners.constEnd() || (known != m_owners.constEnd() && *known != *owner);
    });
    m_owners = std::move(owners);
}

void AppIconCache::useDevicePixelRatio(qreal devicePixelRatio)
{
    if (devicePixelRatio == m_devicePixelRatio)
        return;
    m_devicePixelRatio = devicePixelRatio;
    m_icons.clear();
}

QIcon AppIconCache::lookUp(qint32 pid) const
{
    return rendered(m_apps.appIcon(pid), m_devicePixelRatio);
}

} // namespace lettergate

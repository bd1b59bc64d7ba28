#include "panel/AppIconCache.h"

#include "platform/Apps.h"
#include "platform/Platform.h"

namespace {
QString ownerOf(const AppEntry &app)
{
    return app.bundleID.value_or(app.appName);
}
} // namespace

QIcon AppIconCache::icon(qint32 pid)
{
    if (const auto found = m_icons.constFind(pid); found != m_icons.constEnd())
        return *found;
    if (!Platform::isInstalled())
        return {};
    const QIcon icon = Platform::current().apps().appIcon(pid);
    m_icons.insert(pid, icon);
    return icon;
}

void AppIconCache::keepListed(const QList<AppEntry> &apps)
{
    QHash<qint32, QString> owners;
    owners.reserve(apps.size());
    for (const AppEntry &app : apps)
        owners.insert(app.pid, ownerOf(app));
    m_icons.removeIf([&](const QHash<qint32, QIcon>::iterator entry) {
        const auto owner = owners.constFind(entry.key());
        return owner == owners.constEnd() || m_owners.value(entry.key()) != *owner;
    });
    m_owners = std::move(owners);
}

#include "panel/AppIconCache.h"

#include "platform/Apps.h"
#include "platform/Platform.h"

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

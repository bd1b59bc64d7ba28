#include "platform/wayland/WaylandAppCatalog.h"

namespace lettergate {

std::optional<QString> WaylandAppCatalog::bundleID(const QString &appId)
{
    if (appId.isEmpty())
        return std::nullopt;
    return m_entries.idFor(AppHints{appId, {}, appId, appId}).value_or(appId);
}

std::optional<QString> WaylandAppCatalog::name(const QString &appId)
{
    if (appId.isEmpty())
        return std::nullopt;
    const std::optional<QString> id = m_entries.idFor(AppHints{appId, {}, appId, appId});
    const QString name = id ? m_entries.name(*id) : QString();
    return name.isEmpty() ? appId : name;
}

QIcon WaylandAppCatalog::icon(const QString &bundleID) const
{
    const QIcon icon = m_entries.icon(bundleID);
    return icon.isNull() ? QIcon::fromTheme(bundleID) : icon;
}

} // namespace lettergate

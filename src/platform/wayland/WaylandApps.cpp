#include "platform/wayland/WaylandApps.h"

#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/WaylandAppCatalog.h"

namespace lettergate {

WaylandApps::WaylandApps(ForeignToplevels &toplevels, WaylandAppCatalog &catalog)
    : m_toplevels(toplevels)
    , m_catalog(catalog)
{
    connect(&toplevels, &ForeignToplevels::activeWindowReported, this, &Apps::activeWindowReported);
    connect(&toplevels, &ForeignToplevels::frontmostAppChanged, this, &Apps::frontmostAppChanged);
}

std::optional<QString> WaylandApps::appIdOf(qint32 app) const
{
    for (const Toplevel &toplevel : m_toplevels.frontMostFirst()) {
        if (toplevel.app == app)
            return toplevel.appId;
    }
    return std::nullopt;
}

std::optional<QString> WaylandApps::bundleIdentifier(qint32 app)
{
    const std::optional<QString> appId = appIdOf(app);
    return appId ? m_catalog.bundleID(*appId) : std::nullopt;
}

std::optional<qint32> WaylandApps::frontmostApp()
{
    return m_toplevels.activeApp();
}

std::optional<quint32> WaylandApps::activeWindow()
{
    return m_toplevels.activeWindow();
}

bool WaylandApps::isTerminated(qint32 app)
{
    return !m_toplevels.hasApp(app);
}

template <typename Predicate>
bool WaylandApps::activateMostRecent(Predicate accepts)
{
    for (const Toplevel &toplevel : m_toplevels.frontMostFirst()) {
        if (accepts(toplevel))
            return m_toplevels.activate(toplevel.number);
    }
    return false;
}

bool WaylandApps::activateApp(qint32 app)
{
    // Right after one of its windows was asked for, that window is the application's most
    // recent one: a second request would only repeat the first.
    if (m_toplevels.activationPendingFor(app))
        return true;
    return activateMostRecent([app](const Toplevel &toplevel) { return toplevel.app == app; });
}

QIcon WaylandApps::appIcon(qint32 app)
{
    const std::optional<QString> bundleID = bundleIdentifier(app);
    return bundleID ? m_catalog.icon(*bundleID) : QIcon();
}

QIcon WaylandApps::iconForBundle(const QString &bundleID)
{
    return m_catalog.icon(bundleID);
}

bool WaylandApps::openApplication(const QString &bundleID)
{
    return activateMostRecent([&](const Toplevel &toplevel) { return m_catalog.bundleID(toplevel.appId) == bundleID; })
           || m_catalog.desktopEntries().launch(bundleID);
}

QStringList WaylandApps::categories(const QString &bundleID)
{
    return m_catalog.desktopEntries().categories(bundleID);
}

bool WaylandApps::openUrl(const QUrl &url)
{
    return DesktopEntries::openUrl(url);
}

} // namespace lettergate

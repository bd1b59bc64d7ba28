#include "platform/x11/AppCatalog.h"

namespace lettergate {

namespace {

std::optional<QString> nonEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

AppIdentity AppCatalog::identify(const AppHints &hints)
{
    const std::optional<QString> windowClass = nonEmpty(hints.wmClassName);
    if (const std::optional<QString> id = m_entries.idFor(hints)) {
        const QString name = m_entries.name(*id);
        return {id, name.isEmpty() ? windowClass : name};
    }
    return {windowClass, windowClass};
}

void AppCatalog::rememberAll(const QList<ClientWindow> &windows)
{
    m_byPid.clear();
    m_stacking.clear();
    // The first window met of each process is its front-most one, which names it.
    for (const ClientWindow &window : windows) {
        if (!window.pid)
            continue;
        m_stacking.append({window.id, *window.pid});
        auto known = m_byPid.find(*window.pid);
        if (known == m_byPid.end())
            known = m_byPid.insert(*window.pid, {identify(window.hints), window.id, {}});
        known->windows.append(window.id);
    }
}

std::optional<AppCatalog::Known> AppCatalog::known(qint32 pid) const
{
    const auto it = m_byPid.constFind(pid);
    if (it == m_byPid.constEnd())
        return std::nullopt;
    return *it;
}

QList<AppCatalog::OwnedWindow> AppCatalog::windowsOf(const QString &bundleID) const
{
    QList<OwnedWindow> windows;
    for (const OwnedWindow &owned : m_stacking) {
        const auto known = m_byPid.constFind(owned.pid);
        if (known != m_byPid.constEnd() && known->identity.bundleID == bundleID)
            windows.append(owned);
    }
    return windows;
}

} // namespace lettergate

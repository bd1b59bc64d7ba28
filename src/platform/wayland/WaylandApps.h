#pragma once

#include "platform/Apps.h"

namespace lettergate {

class ForeignToplevels;
class WaylandAppCatalog;

// Applications as a Wayland compositor shows them: an app_id with windows. The "pid" of
// the interface is the application's number (see ForeignToplevels); the application in
// front is that of the window the compositor reports activated.
class WaylandApps final : public Apps {
public:
    WaylandApps(ForeignToplevels &toplevels, WaylandAppCatalog &catalog);

    std::optional<QString> bundleIdentifier(qint32 app) override;
    std::optional<qint32> frontmostApp() override;
    // True once the application has no window left.
    bool isTerminated(qint32 app) override;
    // Activates the application's most recently active window.
    bool activateApp(qint32 app) override;
    QIcon appIcon(qint32 app) override;
    QIcon iconForBundle(const QString &bundleID) override;
    bool openApplication(const QString &bundleID) override;
    QStringList categories(const QString &bundleID) override;
    bool openUrl(const QUrl &url) override;
    std::optional<quint32> activeWindow() override;

private:
    // The most recently active window whose application the predicate accepts.
    template <typename Predicate>
    bool activateMostRecent(Predicate accepts);
    std::optional<QString> appIdOf(qint32 app) const;

    ForeignToplevels &m_toplevels;
    WaylandAppCatalog &m_catalog;
};

} // namespace lettergate

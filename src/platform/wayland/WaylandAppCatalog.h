#pragma once

#include "platform/desktop/DesktopEntries.h"

#include <QIcon>
#include <QString>
#include <optional>

namespace lettergate {

// Names the applications behind Wayland windows from their app_id: the desktop entry
// that the app_id leads to (as a GTK application id, or a window class would on X11),
// else the app_id itself, so that an application without an entry still keeps its
// letter. A window without app_id names no application.
class WaylandAppCatalog {
public:
    DesktopEntries &desktopEntries() { return m_entries; }

    std::optional<QString> bundleID(const QString &appId);
    // The desktop entry's Name, else the app_id.
    std::optional<QString> name(const QString &appId);
    // The desktop entry's icon, else the icon theme's icon named after the identifier
    // (an app_id, for an application without an entry).
    QIcon icon(const QString &bundleID) const;

private:
    DesktopEntries m_entries;
};

} // namespace lettergate

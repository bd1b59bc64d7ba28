#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <QUrl>
#include <optional>
struct _GAppInfoMonitor;

namespace lettergate {

// What a window says about the application behind it, from which its desktop entry is
// found: on X11 its properties; on Wayland its app_id stands for all of them.
struct AppHints {
    QString gtkApplicationId; // _GTK_APPLICATION_ID
    QString kdeDesktopFile;   // _KDE_NET_WM_DESKTOP_FILE
    QString wmClassInstance;  // WM_CLASS, first part
    QString wmClassName;      // WM_CLASS, second part: the class
    friend bool operator==(const AppHints &, const AppHints &) = default;
};

// The installed applications as their desktop entries describe them, through GIO.
// Ids are desktop-file ids without the ".desktop" suffix ("debian-xterm"). Lookups are
// remembered until GIO reports that the installed applications changed.
class DesktopEntries {
public:
    DesktopEntries();
    ~DesktopEntries();

    DesktopEntries(const DesktopEntries &) = delete;
    DesktopEntries &operator=(const DesktopEntries &) = delete;

    // The entry of the application that shows windows with these hints: the GTK or KDE
    // application id, else an entry whose StartupWMClass is the window's class (or
    // instance), else an entry named after the class or instance.
    std::optional<QString> idFor(const AppHints &hints);

    bool contains(const QString &id) const;
    // The entry's Name; empty when there is no such entry.
    QString name(const QString &id);
    // The entry's icon from the icon theme or its file; null when it has none.
    QIcon icon(const QString &id) const;
    // The entry's Categories; empty when there is no such entry or it lists none.
    QStringList categories(const QString &id) const;
    // Starts the application; false when there is no such entry or it cannot start.
    bool launch(const QString &id) const;

    // Hands the URL to the handler the desktop has for its scheme.
    static bool openUrl(const QUrl &url);

private:
    std::optional<QString> resolve(const AppHints &hints);
    void forget();
    const QHash<QString, QString> &startupClassIndex();

    _GAppInfoMonitor *m_monitor = nullptr;
    unsigned long m_monitorConnection = 0;
    QHash<QString, std::optional<QString>> m_resolved;       // hints key → id
    QHash<QString, QString> m_names;                         // id → Name
    std::optional<QHash<QString, QString>> m_startupClasses; // StartupWMClass → id
};

} // namespace lettergate

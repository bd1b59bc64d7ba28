#include "platform/desktop/DesktopEntries.h"

#include "platform/OwnEnvironment.h"

#include <QFileInfo>
#include <QStandardPaths>

// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace lettergate {

namespace {

const QString suffix = QStringLiteral(".desktop");

QString withoutSuffix(QString id)
{
    if (id.endsWith(suffix))
        id.chop(suffix.size());
    return id;
}

// KDE may declare the entry by file name or by path.
QString declaredId(const QString &declared)
{
    return withoutSuffix(declared.section(u'/', -1));
}

// A GDesktopAppInfo for an id, released when it goes out of scope.
struct AppInfo {
    explicit AppInfo(const QString &id)
    {
        if (!id.isEmpty() && !id.contains(u'/'))
            info = g_desktop_app_info_new((id + suffix).toUtf8().constData());
    }
    ~AppInfo()
    {
        if (info)
            g_object_unref(info);
    }
    AppInfo(const AppInfo &) = delete;
    AppInfo &operator=(const AppInfo &) = delete;
    explicit operator bool() const { return info != nullptr; }
    GAppInfo *app() const { return G_APP_INFO(info); }

    GDesktopAppInfo *info = nullptr;
};

// How the programs we start are launched: without the variables meant for our own Qt.
struct ChildLaunchContext {
    ChildLaunchContext()
    {
        for (const QString &name : OwnEnvironment::names())
            g_app_launch_context_unsetenv(context, name.toUtf8().constData());
    }
    ~ChildLaunchContext() { g_object_unref(context); }
    ChildLaunchContext(const ChildLaunchContext &) = delete;
    ChildLaunchContext &operator=(const ChildLaunchContext &) = delete;

    GAppLaunchContext *context = g_app_launch_context_new();
};

// Reports a failure's message to nobody: the callers answer false and stay silent.
bool succeeded(gboolean ok, GError *error)
{
    if (error)
        g_error_free(error);
    return ok;
}

QIcon iconFromPixmapDirectories(const QString &name)
{
    for (const QString &base : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        for (const char *extension : {".png", ".svg", ".xpm"}) {
            const QString path = base + QStringLiteral("/pixmaps/") + name + QLatin1String(extension);
            if (QFileInfo::exists(path))
                return QIcon(path);
        }
    }
    return {};
}

QIcon qtIcon(GIcon *icon)
{
    if (!icon)
        return {};
    if (G_IS_FILE_ICON(icon)) {
        gchar *path = g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon)));
        const QString file = QString::fromUtf8(path);
        g_free(path);
        return QFileInfo::exists(file) ? QIcon(file) : QIcon();
    }
    if (G_IS_THEMED_ICON(icon)) {
        const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        for (int i = 0; names && names[i]; ++i) {
            const QString name = QString::fromUtf8(names[i]);
            if (QIcon::hasThemeIcon(name))
                return QIcon::fromTheme(name);
        }
        // Entries such as xterm's name a picture in the shared pixmaps directory.
        if (names && names[0])
            return iconFromPixmapDirectories(QString::fromUtf8(names[0]));
    }
    return {};
}

} // namespace

DesktopEntries::DesktopEntries()
    : m_monitor(g_app_info_monitor_get())
{
    // GIO watches the application directories and says when something was installed or
    // removed; it delivers that through the GLib main context that Qt's loop runs.
    m_monitorConnection = g_signal_connect_swapped(m_monitor, "changed",
                                                   G_CALLBACK(+[](DesktopEntries *self) { self->forget(); }), this);
}

DesktopEntries::~DesktopEntries()
{
    g_signal_handler_disconnect(m_monitor, m_monitorConnection);
    g_object_unref(m_monitor);
}

void DesktopEntries::forget()
{
    m_resolved.clear();
    m_names.clear();
    m_startupClasses.reset();
}

const QHash<QString, QString> &DesktopEntries::startupClassIndex()
{
    if (!m_startupClasses) {
        QHash<QString, QString> index;
        GList *all = g_app_info_get_all();
        for (GList *item = all; item; item = item->next) {
            auto *info = G_DESKTOP_APP_INFO(item->data);
            const char *startupClass = g_desktop_app_info_get_startup_wm_class(info);
            const char *id = g_app_info_get_id(G_APP_INFO(info));
            // The first entry in the search order wins, as it does for a desktop-file id.
            if (startupClass && id && !index.contains(QString::fromUtf8(startupClass)))
                index.insert(QString::fromUtf8(startupClass), withoutSuffix(QString::fromUtf8(id)));
        }
        g_list_free_full(all, g_object_unref);
        m_startupClasses = std::move(index);
    }
    return *m_startupClasses;
}

std::optional<QString> DesktopEntries::idFor(const AppHints &hints)
{
    const QString key = hints.gtkApplicationId + u'\n' + hints.kdeDesktopFile + u'\n' + hints.wmClassInstance + u'\n'
                        + hints.wmClassName;
    if (const auto known = m_resolved.constFind(key); known != m_resolved.constEnd())
        return *known;
    const std::optional<QString> id = resolve(hints);
    m_resolved.insert(key, id);
    return id;
}

std::optional<QString> DesktopEntries::resolve(const AppHints &hints)
{
    // What the application declares about itself is the most reliable.
    for (const QString &declared : {hints.gtkApplicationId, hints.kdeDesktopFile}) {
        const QString id = declaredId(declared);
        if (contains(id))
            return id;
    }
    const QHash<QString, QString> &startupClasses = startupClassIndex();
    for (const QString &windowClass : {hints.wmClassName, hints.wmClassInstance}) {
        if (const auto entry = startupClasses.constFind(windowClass); entry != startupClasses.constEnd())
            return *entry;
    }
    for (const QString &named : {hints.wmClassInstance, hints.wmClassName, hints.wmClassName.toLower()}) {
        if (contains(named))
            return named;
    }
    return std::nullopt;
}

bool DesktopEntries::contains(const QString &id) const
{
    return bool(AppInfo(id));
}

QString DesktopEntries::name(const QString &id)
{
    if (const auto known = m_names.constFind(id); known != m_names.constEnd())
        return *known;
    const AppInfo entry(id);
    const QString name = entry ? QString::fromUtf8(g_app_info_get_name(entry.app())) : QString();
    m_names.insert(id, name);
    return name;
}

QIcon DesktopEntries::icon(const QString &id) const
{
    const AppInfo entry(id);
    return entry ? qtIcon(g_app_info_get_icon(entry.app())) : QIcon();
}

QStringList DesktopEntries::categories(const QString &id) const
{
    const AppInfo entry(id);
    const char *listed = entry ? g_desktop_app_info_get_categories(entry.info) : nullptr;
    // A semicolon-separated list, usually with a trailing semicolon.
    return listed ? QString::fromUtf8(listed).split(u';', Qt::SkipEmptyParts) : QStringList();
}

bool DesktopEntries::launch(const QString &id) const
{
    const AppInfo entry(id);
    if (!entry)
        return false;
    const ChildLaunchContext context;
    GError *error = nullptr;
    const gboolean ok = g_app_info_launch(entry.app(), nullptr, context.context, &error);
    return succeeded(ok, error);
}

bool DesktopEntries::openUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    const ChildLaunchContext context;
    GError *error = nullptr;
    const gboolean ok = g_app_info_launch_default_for_uri(url.toEncoded().constData(), context.context, &error);
    return succeeded(ok, error);
}

} // namespace lettergate

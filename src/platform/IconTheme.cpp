#include "platform/IconTheme.h"

#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>

namespace lettergate {

namespace {

constexpr QStringView fallbackTheme = u"Adwaita";

void addSystemIconDirectories()
{
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = data + QStringLiteral("/icons");
        if (!paths.contains(icons) && QFileInfo::exists(icons))
            paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
}

bool themeInstalled(QStringView theme)
{
    const QStringList roots = QIcon::themeSearchPaths();
    return std::ranges::any_of(roots, [theme](const QString &root) {
        return QFileInfo::exists(root + u'/' + theme.toString() + QStringLiteral("/index.theme"));
    });
}

} // namespace

void IconTheme::select()
{
    static const bool selected = [] {
        addSystemIconDirectories();
        const QString current = QIcon::themeName();
        const bool desktopTheme = !current.isEmpty() && current != u"hicolor" && themeInstalled(current);
        if (themeInstalled(fallbackTheme)) {
            if (!desktopTheme)
                QIcon::setThemeName(fallbackTheme.toString());
            else if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == u"hicolor")
                QIcon::setFallbackThemeName(fallbackTheme.toString());
        }
        return true;
    }();
    Q_UNUSED(selected);
}

} // namespace lettergate

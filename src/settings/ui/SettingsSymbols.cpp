#include "settings/ui/SettingsSymbols.h"

#include <QFileInfo>
#include <QPainter>
#include <QStandardPaths>

#include <algorithm>
#include <array>

namespace {

struct Symbol {
    QStringView name;
    QStringView themeIcon;
};

// Freedesktop (Adwaita) icons of the same meaning.
constexpr std::array<Symbol, 14> symbolTable{{
    {u"gearshape", u"emblem-system-symbolic"},
    {u"keyboard", u"input-keyboard-symbolic"},
    {u"doc.on.clipboard", u"edit-paste-symbolic"},
    {u"link", u"insert-link-symbolic"},
    {u"terminal", u"utilities-terminal-symbolic"},
    {u"checkmark.circle.fill", u"emblem-ok-symbolic"},
    {u"tray", u"folder-symbolic"},
    {u"plus", u"list-add-symbolic"},
    {u"photo", u"image-x-generic-symbolic"},
    {u"text.alignleft", u"format-justify-left-symbolic"},
    {u"trash", u"user-trash-symbolic"},
    {u"globe", u"web-browser-symbolic"},
    {u"arrow.up.forward.app", u"send-to-symbolic"},
    {u"app.dashed", u"application-x-executable-symbolic"},
}};

constexpr QStringView fallbackTheme = u"Adwaita";

// Without a desktop platform theme (offscreen, a bare X server) Qt searches for icon
// themes only in its resources: add the XDG data directories' "icons".
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

// Once per process: the desktop's theme when it has one, Adwaita otherwise.
void selectTheme()
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

} // namespace

QIcon SettingsSymbols::icon(QStringView symbol)
{
    selectTheme();
    for (const Symbol &entry : symbolTable) {
        if (entry.name == symbol)
            return QIcon::fromTheme(entry.themeIcon.toString());
    }
    return {};
}

QPixmap SettingsSymbols::tinted(QStringView symbol, int side, const QColor &color, qreal devicePixelRatio)
{
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    QPixmap silhouette = icon(symbol).pixmap(QSize(pixels, pixels));
    if (silhouette.isNull()) {
        silhouette = QPixmap(pixels, pixels);
        silhouette.fill(Qt::transparent);
    }
    QPainter paint(&silhouette);
    paint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    paint.fillRect(silhouette.rect(), color);
    paint.end();
    silhouette.setDevicePixelRatio(devicePixelRatio);
    return silhouette;
}

QIcon SettingsSymbols::tintedIcon(QStringView symbol, int side, const QColor &color)
{
    QIcon result;
    for (const qreal ratio : {1.0, 2.0})
        result.addPixmap(tinted(symbol, side, color, ratio));
    return result;
}

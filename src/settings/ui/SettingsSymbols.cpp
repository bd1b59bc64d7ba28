#include "settings/ui/SettingsSymbols.h"

#include "platform/IconTheme.h"

#include <QPainter>

#include <array>

namespace lettergate {

namespace {

struct Symbol {
    QStringView name;
    QStringView themeIcon;
};

// Freedesktop (Adwaita) icons of the same meaning.
constexpr std::array<Symbol, 15> symbolTable{{
    {u"gearshape", u"emblem-system-symbolic"},
    {u"keyboard", u"input-keyboard-symbolic"},
    {u"doc.on.clipboard", u"edit-paste-symbolic"},
    {u"link", u"insert-link-symbolic"},
    {u"terminal", u"utilities-terminal-symbolic"},
    {u"checkmark.circle.fill", u"emblem-ok-symbolic"},
    {u"exclamationmark.triangle.fill", u"dialog-warning-symbolic"},
    {u"tray", u"folder-symbolic"},
    {u"plus", u"list-add-symbolic"},
    {u"photo", u"image-x-generic-symbolic"},
    {u"text.alignleft", u"format-justify-left-symbolic"},
    {u"trash", u"user-trash-symbolic"},
    {u"globe", u"web-browser-symbolic"},
    {u"arrow.up.forward.app", u"send-to-symbolic"},
    {u"app.dashed", u"application-x-executable-symbolic"},
}};

} // namespace

QIcon SettingsSymbols::icon(QStringView symbol)
{
    IconTheme::select();
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

} // namespace lettergate

#include "hotkeys/DesktopBindings.h"

#include <QStringList>

namespace lettergate {

namespace {

using DesktopBindings::Desktop;
using ModifierKey = HotkeyConfig::ModifierKey;

// The left key of each modifier, by its keysym name.
QString leftKey(ModifierKey key)
{
    switch (key) {
    case ModifierKey::Command:
        return QStringLiteral("Super_L");
    case ModifierKey::Option:
        return QStringLiteral("Alt_L");
    case ModifierKey::Control:
        return QStringLiteral("Control_L");
    case ModifierKey::Shift:
        return QStringLiteral("Shift_L");
    }
    return {};
}

// Hyprland's and river's names of the modifier the key sets while it is down.
QString hyprlandModifier(ModifierKey key)
{
    return key == ModifierKey::Control ? QStringLiteral("CTRL") : ModifierKeys::readableName(key).toUpper();
}

QString riverModifier(ModifierKey key)
{
    return key == ModifierKey::Control ? QStringLiteral("Control") : ModifierKeys::readableName(key);
}

} // namespace

QString DesktopBindings::name(Desktop desktop)
{
    switch (desktop) {
    case Desktop::Sway:
        return QStringLiteral("sway");
    case Desktop::Hyprland:
        return QStringLiteral("Hyprland");
    case Desktop::River:
        return QStringLiteral("river");
    case Desktop::Labwc:
        return QStringLiteral("labwc");
    case Desktop::Niri:
        return QStringLiteral("niri");
    case Desktop::Wayfire:
        return QStringLiteral("wayfire");
    }
    return {};
}

QString DesktopBindings::configFile(Desktop desktop)
{
    switch (desktop) {
    case Desktop::Sway:
        return QStringLiteral("~/.config/sway/config");
    case Desktop::Hyprland:
        return QStringLiteral("~/.config/hypr/hyprland.conf");
    case Desktop::River:
        return QStringLiteral("~/.config/river/init");
    case Desktop::Labwc:
        return QStringLiteral("~/.config/labwc/rc.xml, inside <keyboard>");
    case Desktop::Niri:
        return QStringLiteral("~/.config/niri/config.kdl, inside binds { }");
    case Desktop::Wayfire:
        return QStringLiteral("~/.config/wayfire.ini, section [command]");
    }
    return {};
}

std::optional<Desktop> DesktopBindings::named(const QString &currentDesktop)
{
    for (const QString &part : currentDesktop.split(u':', Qt::SkipEmptyParts)) {
        for (const Desktop desktop : all) {
            if (part.compare(name(desktop), Qt::CaseInsensitive) == 0)
                return desktop;
        }
    }
    return std::nullopt;
}

QString DesktopBindings::lines(Desktop desktop, std::optional<ModifierKey> tapped)
{
    if (!tapped) {
        switch (desktop) {
        case Desktop::Sway:
            return QStringLiteral("bindsym Ctrl+Alt+w exec lettergate toggle");
        case Desktop::Hyprland:
            return QStringLiteral("bind = CTRL ALT, W, exec, lettergate toggle");
        case Desktop::River:
            return QStringLiteral("riverctl map normal Control+Alt W spawn 'lettergate toggle'");
        case Desktop::Labwc:
            return QStringLiteral(
                "<keybind key=\"C-A-w\"><action name=\"Execute\" command=\"lettergate toggle\"/></keybind>");
        case Desktop::Niri:
            return QStringLiteral("Ctrl+Alt+W { spawn \"lettergate\" \"toggle\"; }");
        case Desktop::Wayfire:
            return QStringLiteral("binding_lettergate = <ctrl> <alt> KEY_W\ncommand_lettergate = lettergate toggle");
        }
        return {};
    }
    const QString key = leftKey(*tapped);
    const QString command = QStringLiteral("lettergate tap ") + ModifierKeys::commandLineName(*tapped);
    switch (desktop) {
    case Desktop::Sway:
        return QStringLiteral("bindsym --release %1 exec %2").arg(key, command);
    case Desktop::Hyprland:
        return QStringLiteral("bindr = %1, %2, exec, %3").arg(hyprlandModifier(*tapped), key, command);
    case Desktop::River:
        // river matches a key's release against the modifiers still down, its own among them.
        return QStringLiteral("riverctl map -release normal %1 %2 spawn '%3'")
            .arg(riverModifier(*tapped), key, command);
    case Desktop::Labwc:
        return QStringLiteral(
                   "<keybind key=\"%1\" onRelease=\"yes\"><action name=\"Execute\" command=\"%2\"/></keybind>")
            .arg(key, command);
    case Desktop::Niri:
        return {};
    case Desktop::Wayfire:
        // wayfire runs a binding of a modifier alone on its release, either key of it.
        return QStringLiteral("binding_lettergate_tap = <%1>\ncommand_lettergate_tap = %2")
            .arg(ModifierKeys::commandLineName(*tapped), command);
    }
    return {};
}

QString DesktopBindings::whyNot(Desktop desktop, std::optional<ModifierKey> tapped)
{
    if (!lines(desktop, tapped).isEmpty())
        return {};
    return QStringLiteral("%1 runs nothing when a key is released, so it cannot report taps: pick Key Combo "
                          "instead.")
        .arg(name(desktop));
}

} // namespace lettergate

#pragma once

#include "hotkeys/HotkeyConfig.h"

#include <QString>
#include <optional>

namespace lettergate {

// What to add to the configuration of a desktop that binds keys itself (a Wayland
// compositor lets no program take keys or hear the keyboard) so that it runs Lettergate's
// trigger: `lettergate toggle` on a combination, shown on Ctrl+Alt+W, or for a double tap
// `lettergate tap MODIFIER` on the modifier's release, which these desktops run only when
// no other key was pressed with it.
namespace DesktopBindings {

enum class Desktop { Sway, Hyprland, River, Labwc, Niri, Wayfire };
inline constexpr Desktop all[] = {Desktop::Sway,  Desktop::Hyprland, Desktop::River,
                                  Desktop::Labwc, Desktop::Niri,     Desktop::Wayfire};

// "sway", "Hyprland", …, as each is written.
QString name(Desktop desktop);
// Where the lines go: "~/.config/sway/config".
QString configFile(Desktop desktop);
// The desktop $XDG_CURRENT_DESKTOP names (a colon-separated list, any case), if one of these.
std::optional<Desktop> named(const QString &currentDesktop);

// The lines for a combination (no modifier) or a double tap of `tapped`; empty when the
// desktop cannot bind it.
QString lines(Desktop desktop, std::optional<HotkeyConfig::ModifierKey> tapped);
// Why `lines` is empty, in a sentence; empty when it is not.
QString whyNot(Desktop desktop, std::optional<HotkeyConfig::ModifierKey> tapped);

} // namespace DesktopBindings

} // namespace lettergate

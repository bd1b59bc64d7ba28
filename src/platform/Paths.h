#pragma once

#include <QString>

// Where Lettergate keeps its state. Both follow XDG_CONFIG_HOME and XDG_DATA_HOME, so
// tests relocate everything by setting those two variables.
namespace Paths {

// $XDG_DATA_HOME/Lettergate (default ~/.local/share/Lettergate): the data files and
// their picture folders. Created on demand with owner-only permissions.
QString dataDirectory();

// $XDG_CONFIG_HOME/Lettergate/Lettergate.ini: the settings.
QString settingsFile();

// Creates the directory (and its parents) if needed and restricts it to its owner.
bool ensurePrivateDirectory(const QString &path);

} // namespace Paths

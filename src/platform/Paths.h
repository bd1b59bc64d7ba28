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

// Creates the directory (and its parents) if needed and restricts it to its owner
// (0700), also when it already existed with looser permissions.
bool ensurePrivateDirectory(const QString &path);

// Takes every permission of the existing file away from its group and others, keeping
// the owner's as they are: for files written by code that follows the umask.
bool restrictFileToOwner(const QString &path);

} // namespace Paths

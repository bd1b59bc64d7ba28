#pragma once

#include <QString>

namespace lettergate {

// Where Lettergate keeps its state. They follow XDG_CONFIG_HOME, XDG_DATA_HOME and
// XDG_STATE_HOME, so tests relocate everything by setting those variables.
namespace Paths {

// $XDG_DATA_HOME/Lettergate (default ~/.local/share/Lettergate): the data files and
// their picture folders. Created on demand with owner-only permissions.
QString dataDirectory();

// $XDG_CONFIG_HOME/Lettergate/Lettergate.ini: the settings.
QString settingsFile();

// $XDG_STATE_HOME/Lettergate (default ~/.local/state/Lettergate): where the running
// instance keeps its socket and lock when the runtime directory cannot.
QString stateDirectory();

// Creates the directory (and its parents) if needed and restricts it to its owner
// (0700), also when it already existed readable by others. Refuses, creating nothing,
// a folder that isTrustedFolder refuses, or a new one whose parent another user
// controls.
bool ensurePrivateDirectory(const QString &path);

// Whether an existing folder may hold Lettergate's files: it must belong to this user
// and let nobody else write in it, since whoever can could plant links there or swap
// the files (a link to a folder counts as where it leads). A refused folder gets one
// log line, once per run; a missing folder, or a file in its place, passes (writes
// there fail, and are reported as such).
bool isTrustedFolder(const QString &path);

// Takes every permission of the existing file away from its group and others, keeping
// the owner's as they are: for files written by code that follows the umask.
bool restrictFileToOwner(const QString &path);

} // namespace Paths

} // namespace lettergate

#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

namespace lettergate {

// Environment variables set for our own Qt before it starts (which platform plugin to
// load, how the Wayland plugin makes surfaces). Qt reads some of them whenever a window
// is made, so they stay set for the whole run; the programs we start must not inherit
// them: a Qt 5 program told QT_QPA_PLATFORM=wayland fails where Qt 5's Wayland plugin is
// missing, and one using the bypass-window-manager hint gets a surface no compositor
// shows. A variable the user set themselves is theirs and reaches the programs as set.
namespace OwnEnvironment {

// Sets the variable for this process and remembers it as ours, unless the user has
// already given it a value (then theirs is kept). Call before threads start.
void setUnlessSet(const char *name, const QByteArray &value);

// The variables set by setUnlessSet: what the programs we start must do without.
QStringList names();

// This process's environment without our own variables, for the programs we start.
QProcessEnvironment forChildren();

} // namespace OwnEnvironment

} // namespace lettergate

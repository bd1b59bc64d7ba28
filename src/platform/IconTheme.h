#pragma once

namespace lettergate {

// The icon theme that our symbols come from. Without a desktop platform theme
// (offscreen, a bare X server) Qt searches for icon themes only in its own resources;
// this adds the XDG data directories' "icons" and picks Adwaita, installed with the
// program, when the desktop names no theme of its own (or as its fallback otherwise).
namespace IconTheme {

// Idempotent; call before the first QIcon::fromTheme. Needs the QGuiApplication.
void select();

} // namespace IconTheme

} // namespace lettergate

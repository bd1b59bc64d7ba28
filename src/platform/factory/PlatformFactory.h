#pragma once

#include "platform/Platform.h"

#include <memory>

namespace lettergate {

namespace PlatformFactory {

enum class Backend { wayland, x11, none };

// Which backend serves this session, and why, in one line for the log.
struct Choice {
    Backend backend = Backend::none;
    QString reason;
    // What the backend cannot do here that it could elsewhere, in plain words for
    // Settings; empty when nothing.
    QString limitation;
};

// Picks the backend before Qt starts: Wayland when $WAYLAND_DISPLAY answers and the
// compositor offers its window list to programs, unless the user told Qt to use another
// platform; else X11 when an X server answers (XWayland included); else none. Qt's
// platform plugin is set to match unless the user chose one. Nothing when the program
// cannot show its windows here; reason says why.
std::optional<Choice> choose(QString *reason);

// The backend chosen. Call after the QGuiApplication exists; logs the choice's reason.
std::unique_ptr<Platform> create(const Choice &choice);

} // namespace PlatformFactory

} // namespace lettergate

#pragma once

#include <QString>
#include <optional>

// What this program's own windows need to know of the desktop beyond what Qt says,
// and what the desktop grants the program (Settings lists it).
class OwnWindows {
public:
    virtual ~OwnWindows() = default;
    // Whether a compositing manager blends windows, so that translucency shows.
    virtual bool hasCompositor() = 0;
    // The name of the window manager that lets other programs list and raise windows;
    // nothing when none runs. An empty name: one runs but does not say its name.
    virtual std::optional<QString> windowManagerName() = 0;
    // Whether the display server keeps pictures of single windows.
    virtual bool hasComposite() = 0;
};

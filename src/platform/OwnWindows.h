#pragma once

#include <QString>
#include <optional>

class QWindow;

namespace lettergate {

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
    // What gives the program pictures of single windows, in a few words for Settings
    // ("Composite extension"); nothing when the desktop gives none.
    virtual std::optional<QString> windowPictureSource() = 0;
    // The kind of session the program serves ("X11", "Wayland"), for Settings.
    virtual QString sessionName() = 0;
    // What this session keeps from the program that a user would otherwise expect, in
    // plain words; nothing when it keeps nothing back.
    virtual std::optional<QString> sessionLimitation() = 0;

    // Makes `window` (our panel, created but not shown yet, frameless and bypassing the
    // window manager) an overlay: above every other window, outside any taskbar, taking
    // the keyboard while it shows. False when the desktop cannot have it so (the log
    // says why): the window must then be an ordinary one, which the desktop manages.
    virtual bool makeOverlay(QWindow &window) = 0;
    // Whether the desktop holds a window's activation back while our overlay has the
    // keyboard: a switch then hides the panel before it asks for the window.
    virtual bool overlayHoldsActivationBack() = 0;
};

} // namespace lettergate

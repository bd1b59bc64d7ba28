#pragma once

#include <QtGlobal>
#include <functional>

// What the window manager is told about this program's own windows, beyond what Qt
// can say.
class OwnWindows {
public:
    virtual ~OwnWindows() = default;
    // Keeps a shown floating panel on every desktop and out of taskbars and pagers.
    virtual void keepAsFloatingPanel(quintptr windowId) = 0;
    // Whether a compositing manager blends windows, so that translucency shows.
    virtual bool hasCompositor() = 0;
    // Runs then once the window manager has let go of a window this program hid, at once
    // when it holds none: a window shown again while it is being withdrawn may be lost.
    virtual void whenWithdrawn(quintptr windowId, std::function<void()> then) = 0;
};

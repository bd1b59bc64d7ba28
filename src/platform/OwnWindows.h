#pragma once

#include <QtGlobal>

// What the window manager is told about this program's own windows, beyond what Qt
// can say.
class OwnWindows {
public:
    virtual ~OwnWindows() = default;
    // Keeps a shown floating panel on every desktop and out of taskbars and pagers.
    virtual void keepAsFloatingPanel(quintptr windowId) = 0;
    // Whether a compositing manager blends windows, so that translucency shows.
    virtual bool hasCompositor() = 0;
};

#pragma once

// What this program's own windows need to know of the desktop beyond what Qt says.
class OwnWindows {
public:
    virtual ~OwnWindows() = default;
    // Whether a compositing manager blends windows, so that translucency shows.
    virtual bool hasCompositor() = 0;
};

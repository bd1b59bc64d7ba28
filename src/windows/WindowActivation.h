#pragma once

#include "windows/WindowInfo.h"

namespace lettergate {

class Platform;

// Brings exactly this window to the front: un-minimised when needed, raised, focused,
// made main, its application activated. The window is matched by its number alone.
// Answers whether the window was found and the sequence sent; every failure is logged,
// and nothing else is activated in its place.
bool activateWindow(Platform &platform, const WindowInfo &window);

} // namespace lettergate

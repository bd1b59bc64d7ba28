#pragma once

#include "stores/ClipboardHistory.h"
#include "stores/Command.h"
#include "stores/QuickLink.h"
#include "stores/Snippet.h"
#include "switcher/AppEntry.h"
#include "windows/WindowInfo.h"

#include <functional>

namespace lettergate {

// What the panel's clicks ask for; the overlay controller carries each one out. A
// callback left empty makes its clicks do nothing.
struct SwitcherActions {
    std::function<void(const AppEntry &)> selectApp;
    std::function<void(const WindowInfo &)> selectWindow;
    std::function<void(const ClipboardHistory::Item &)> pasteClip;
    std::function<void(const Snippet &)> pasteSnippet;
    std::function<void(const QuickLink &)> openLink;
    std::function<void(const Command &)> runCommand;
    std::function<void()> enterClipboard;
    std::function<void()> enterSnippets;
    std::function<void()> enterLinks;
    std::function<void()> enterCommands;
};

} // namespace lettergate

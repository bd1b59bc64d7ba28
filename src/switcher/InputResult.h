#pragma once

#include "stores/ClipboardHistory.h"
#include "stores/Command.h"
#include "stores/QuickLink.h"
#include "stores/Snippet.h"
#include "windows/WindowInfo.h"

#include <QString>
#include <variant>

namespace lettergate {

// The state machine's answer to one key: a decision for the controller to carry out,
// or news that the panel stays open, or a refusal (the controller beeps).
struct InputResult {
    // Bring this window to the front.
    struct Fire {
        WindowInfo window;
    };
    // Paste into the application that was in front before the panel opened.
    struct PasteClip {
        ClipboardHistory::Item item;
    };
    struct PasteSnippet {
        Snippet snippet;
    };
    struct OpenLink {
        QuickLink link;
    };
    struct RunCommand {
        Command command;
    };
    // Open, or bring forward, an application that has a stored letter but no window on
    // the panel.
    struct LaunchApp {
        QString bundleID;
        QString appName;
    };
    // A list key was accepted; the next key picks from that list.
    struct Awaiting {};
    // The panel moved to another page.
    struct Drilled {};
    // The keyboard highlight was shown or moved, or stayed at the edge it was moved
    // against.
    struct Highlighted {};
    // The key means nothing here.
    struct Rejected {};

    using Value = std::variant<Fire, PasteClip, PasteSnippet, OpenLink, RunCommand, LaunchApp, Awaiting, Drilled,
                               Highlighted, Rejected>;
    Value value;

    template <typename Case>
    bool is() const
    {
        return std::holds_alternative<Case>(value);
    }
    // The payload when the result is this case; null otherwise.
    template <typename Case>
    const Case *as() const
    {
        return std::get_if<Case>(&value);
    }
};

} // namespace lettergate

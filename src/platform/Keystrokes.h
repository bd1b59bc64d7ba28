#pragma once

#include "platform/PasteKeystroke.h"

namespace lettergate {

// Synthetic keystrokes delivered to the focused application.
class Keystrokes {
public:
    virtual ~Keystrokes() = default;
    // Types the paste keystroke, down and up, with any modifier the user still holds
    // released around it.
    virtual void postPaste(PasteKeystroke keystroke) = 0;
};

} // namespace lettergate

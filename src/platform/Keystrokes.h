#pragma once

// Synthetic keystrokes delivered to the focused application.
class Keystrokes {
public:
    virtual ~Keystrokes() = default;
    // Posts the platform's paste keystroke, down and up.
    virtual void postPaste() = 0;
};

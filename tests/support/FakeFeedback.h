#pragma once

#include "platform/Feedback.h"
#include "platform/Keystrokes.h"

class FakeFeedback final : public Feedback {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

class FakeKeystrokes final : public Keystrokes {
public:
    void postPaste() override { ++pastes; }
    int pastes = 0;
};

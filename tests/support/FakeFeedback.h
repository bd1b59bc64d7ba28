#pragma once

#include "platform/Feedback.h"
#include "platform/Keystrokes.h"
#include "platform/OwnWindows.h"

#include <QList>

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

class FakeOwnWindows final : public OwnWindows {
public:
    bool hasCompositor() override { return compositor; }

    bool compositor = false;
};

#pragma once

#include "platform/Feedback.h"
#include "platform/Keystrokes.h"
#include "platform/OwnWindows.h"

#include <QList>

namespace lettergate {

class FakeFeedback final : public Feedback {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

class FakeKeystrokes final : public Keystrokes {
public:
    void postPaste(PasteKeystroke keystroke) override { pastes.append(keystroke); }
    QList<PasteKeystroke> pastes;
};

class FakeOwnWindows final : public OwnWindows {
public:
    bool hasCompositor() override { return compositor; }
    std::optional<QString> windowManagerName() override { return windowManager; }
    std::optional<QString> windowPictureSource() override { return QStringLiteral("Composite extension"); }
    QString sessionName() override { return QStringLiteral("Fake"); }
    std::optional<QString> sessionLimitation() override { return std::nullopt; }
    bool makeOverlay(QWindow &) override { return overlays; }
    bool overlayHoldsActivationBack() override { return false; }

    bool compositor = false;
    std::optional<QString> windowManager = QStringLiteral("Fakebox");
    bool overlays = true;
};

} // namespace lettergate

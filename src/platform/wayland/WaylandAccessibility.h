#pragma once

#include "platform/Accessibility.h"

namespace lettergate {

class ForeignToplevels;

// Driving other applications' windows through their foreign-toplevel handles. The
// compositor asks for no permission: listing its windows to us is the grant. A window
// element is the window's number.
class WaylandAccessibility final : public Accessibility {
public:
    explicit WaylandAccessibility(ForeignToplevels &toplevels);

    bool isTrusted() override;
    // Nothing to ask for: logs why.
    void requestTrust() override;
    // Every window of the application, minimised ones included.
    WindowElementList windowElements(qint32 app) override;
    std::optional<quint32> windowNumber(WindowElement element) override;
    std::optional<bool> isMinimized(WindowElement element) override;
    void setMinimized(WindowElement element, bool minimized) override;
    // Activation raises the window too: nothing to do apart from it.
    void raise(WindowElement element) override;
    void focus(qint32 app, WindowElement element) override;
    void makeMain(WindowElement element) override;

private:
    ForeignToplevels &m_toplevels;
};

} // namespace lettergate

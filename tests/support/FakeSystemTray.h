#pragma once

#include "platform/SystemTray.h"

namespace lettergate {

// A tray that comes and goes when the test says; present from the start, as on most desktops.
class FakeSystemTray final : public SystemTray {
public:
    bool isPresent() const override { return present; }
    void setPresent(bool now)
    {
        if (present == now)
            return;
        present = now;
        emit presenceChanged(now);
    }

    bool present = true;
};

} // namespace lettergate

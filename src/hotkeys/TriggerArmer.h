#pragma once

namespace lettergate {

class HotkeyConfig;

// Whatever arms the trigger. The settings store re-arms through this whenever the
// user changes the trigger; the hotkey manager implements it.
class TriggerArmer {
public:
    virtual ~TriggerArmer() = default;
    virtual void apply(const HotkeyConfig &config) = 0;
};

} // namespace lettergate

#pragma once

namespace lettergate {

// Monotonic time since boot, in seconds. Tests substitute a clock they control.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double uptime() const = 0;
};

} // namespace lettergate

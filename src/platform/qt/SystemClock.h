#pragma once

#include "platform/Clock.h"

namespace lettergate {

// The steady clock, which on Linux counts from boot and never jumps.
class SystemClock final : public Clock {
public:
    double uptime() const override;
};

} // namespace lettergate

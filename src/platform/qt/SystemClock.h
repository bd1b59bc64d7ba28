#pragma once

#include "platform/Clock.h"

// The steady clock, which on Linux counts from boot and never jumps.
class SystemClock final : public Clock {
public:
    double uptime() const override;
};

#pragma once

#include "platform/Clock.h"

namespace lettergate {

// A clock that moves only when the test says so. Starts far from zero, as a real
// uptime does.
class FakeClock final : public Clock {
public:
    double uptime() const override { return m_now; }
    void advance(double seconds) { m_now += seconds; }
    void set(double seconds) { m_now = seconds; }

private:
    double m_now = 10000.0;
};

} // namespace lettergate

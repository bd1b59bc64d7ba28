#include "platform/qt/SystemClock.h"

#include <chrono>

namespace lettergate {

double SystemClock::uptime() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace lettergate

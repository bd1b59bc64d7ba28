#include "platform/qt/SystemClock.h"

#include <chrono>

double SystemClock::uptime() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

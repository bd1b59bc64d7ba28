#include "platform/DisplayLoss.h"

#include <utility>

namespace lettergate {

namespace {
std::function<void()> &lastWrites()
{
    static std::function<void()> registered;
    return registered;
}
} // namespace

void DisplayLoss::setLastWrites(std::function<void()> writes)
{
    lastWrites() = std::move(writes);
}

void DisplayLoss::runLastWrites()
{
    if (const std::function<void()> writes = std::exchange(lastWrites(), {}))
        writes();
}

} // namespace lettergate

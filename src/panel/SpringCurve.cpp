#include "panel/SpringCurve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lettergate {

namespace {
constexpr double restTolerance = 0.001;
// e^(−x)·(1 + x) falls below restTolerance from x ≈ 9.23 on.
constexpr double criticalSettlingPhase = 9.24;

double angularFrequency(double response)
{
    return 2 * std::numbers::pi / response;
}
// Damping beyond critical moves like critical damping here; a spring without damping
// would never rest.
double clampedDamping(double fraction)
{
    return std::clamp(fraction, 0.05, 1.0);
}
} // namespace

double SpringCurve::value(double seconds) const
{
    if (response <= 0 || seconds >= settlingSeconds())
        return 1;
    if (seconds <= 0)
        return 0;
    const double omega = angularFrequency(response);
    const double zeta = clampedDamping(dampingFraction);
    const double decay = std::exp(-zeta * omega * seconds);
    if (zeta == 1)
        return 1 - decay * (1 + omega * seconds);
    const double damped = omega * std::sqrt(1 - zeta * zeta);
    return 1 - decay * (std::cos(damped * seconds) + zeta * omega / damped * std::sin(damped * seconds));
}

double SpringCurve::settlingSeconds() const
{
    if (response <= 0)
        return 0;
    const double omega = angularFrequency(response);
    const double zeta = clampedDamping(dampingFraction);
    if (zeta == 1)
        return criticalSettlingPhase / omega;
    // The oscillation stays inside its decaying envelope e^(−ζωt) / √(1 − ζ²).
    return std::log(1 / (restTolerance * std::sqrt(1 - zeta * zeta))) / (zeta * omega);
}

} // namespace lettergate

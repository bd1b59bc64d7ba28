#pragma once

namespace lettergate {

// The motion of a damped spring released from 0 towards 1: how the panel's pages move
// when the view model changes page. `response` is the period of the undamped spring in
// seconds; `dampingFraction` 1 settles without overshoot, less overshoots a little.
struct SpringCurve {
    double response = 0.34;
    double dampingFraction = 0.82;

    // The position at `seconds` after the release; 1 from settlingSeconds() on.
    double value(double seconds) const;
    // When the spring has come within 0.1 % of its rest and stays there.
    double settlingSeconds() const;
};

} // namespace lettergate

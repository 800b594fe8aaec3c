#pragma once

#include <span>

namespace harkwell {

// Flattens a magnitude spectrum's overall colour while keeping its peaks: 34
// overlapping triangular bands, spaced as the ear's critical bands from about
// 26 Hz to 9.3 kHz, each take the root mean square of their magnitudes, and
// every bin is scaled by that level to the power `compression - 1`
// (interpolated between band centres); a band below a hundredth of the
// loudest band's level is raised as one at that level, so that the leakage
// around a lone partial is not blown up. A loud bass then no longer hides the
// partials of a quiet treble, and the partials of one note weigh alike.
// Bins above the last centre keep its scale.
void WhitenBands(std::span<double> magnitude, double binHz, double compression = 0.33);

}  // namespace harkwell

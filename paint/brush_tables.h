// The look-up tables of the soft brushes: the airbrush profiles and the lightness curve of
// "darken" and "lighten". Entries are 16.16 fixed point.
#pragma once

#include <array>
#include <cstdint>

namespace qm {

constexpr int32_t kProfileSize = 2048;
constexpr int32_t kAirProfileCount = 5;
constexpr int32_t kDefaultAirProfile = 3;

using TProfileTable = std::array<uint32_t, kProfileSize>;

// Profile `index` (clamped into 0 … 4) from 255.0 at the centre towards 0 at the rim, indexed by
// round(distance × 2047 / radius), x = index / 2047:
//   0: flat 255 up to index 1843, then a linear fall to 0 at 2047
//   1: 255 √(1 − x²)      2: 255 (2x³ − 3x² + 1)      3: 255 (1 − x)
//   4: 255 (1 − √(1 − (1 − x)²))
// The five tables are built once and shared.
const TProfileTable& airProfile(int32_t index);

// Entry i = (i / 2047)^exponent.
TProfileTable lightnessCurve(float exponent);

} // namespace qm

// Grow and shrink of a selection: grey-level dilation and erosion over an octagon.
//
// Coverage is 8-bit (0 = outside, 255 = fully selected); pixels beyond the source image count
// as 0, so a shrink also recedes from the image's edges. The octagon S(n) holds the offsets
// (dx, dy) with |dx| ≤ n and |dy| ≤ min(n, b + n − |dx|), b = ⌊(n + 1) / 2⌋: the 3 × 3 square
// for n = 1, the 5 × 5 square without its corners for n = 2.
#pragma once

#include "core/dib_core.h"

namespace qm {

inline constexpr int kMaxGrowShrink = 32;

// The half-height of the octagon's column at horizontal offset dx.
constexpr int octagonHalfHeight(int n, int dx)
{
    const int adx = dx < 0 ? -dx : dx;
    const int b = (n + 1) / 2;
    const int h = b + n - adx;
    return h < n ? h : n;
}

// Dilation: the result is the source grown by n on every side; result (x, y) stands for source
// (x − n, y − n). False for n outside 1..32 or an invalid source.
bool growChannel(const TChannel& source, int n, TChannel& result);
// Erosion: the result has the source's size.
bool shrinkChannel(const TChannel& source, int n, TChannel& result);

} // namespace qm

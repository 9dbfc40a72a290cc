// Source lookups shared by the filters that read away from the pixel they write: whole-pixel
// reads (outside the layer transparent), 16.16 positions, and the bilinear sample.
#pragma once

#include "core/block_vmtc.h"

#include <cmath>
#include <cstdint>

namespace qm {

// A real value in 16.16, truncated towards zero. Far-out values are held at ±2^46 so that
// sums of a few of them stay inside 64 bits; non-numbers count as 0.
inline int64_t toFixed(double v)
{
    constexpr double kLimit = 70368744177664.0; // 2^46
    if (!(v == v))
        return 0;
    const double scaled = v * 65536.0;
    if (scaled >= kLimit)
        return int64_t(kLimit);
    if (scaled <= -kLimit)
        return -int64_t(kLimit);
    return int64_t(scaled);
}

// The whole-pixel part of a 16.16 value, truncated towards zero.
inline int64_t wholeTowardsZero(int64_t fixed)
{
    return fixed / 65536;
}

// v mod size, made non-negative (size > 0).
inline int32_t wrapCoordinate(int64_t v, int32_t size)
{
    int64_t r = v % size;
    if (r < 0)
        r += size;
    return r == size ? 0 : int32_t(r);
}

// The pixel at (x, y), or transparent (0) outside the picture.
inline uint32_t pixelOrTransparent(const CBlockVMTC& image, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return 0;
    return image.GetPixel(int32_t(x), int32_t(y));
}

// The four neighbours of a 16.16 position weighted by the top 8 bits of its fractions,
// (255 − fy)(255 − fx), (255 − fy)·fx, fy·(255 − fx), fy·fx, each channel (Σ w·c) >> 16.
// With wrap the coordinates wrap around the picture; without it a neighbour outside gives
// an empty sample (0).
uint32_t sampleBilinear(const CBlockVMTC& image, int64_t px, int64_t py, bool wrap);
// The pixel at the truncated position, wrapped around the picture.
uint32_t sampleNearestWrapped(const CBlockVMTC& image, int64_t px, int64_t py);

} // namespace qm

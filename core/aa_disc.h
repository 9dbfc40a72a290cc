// Anti-aliased discs: the dab shapes of the brushes.
//
// Pixel formats:
//  - 8-bit discs paint a TChannel (one byte per pixel, 0 = empty, 255 = full).
//  - the colour disc paints a TMTC, 0xAARRGGBB (memory order B, G, R, A), not premultiplied;
//    its alpha byte is never touched.
//
// Geometry is float and every conversion to integer truncates towards zero, in the order
// written below, so that a replayed stroke gives the same bytes as the live one. A pixel is
// judged by its top-left corner (dx, dy) measured from the centre in sub-pixel units; a
// corner or sub-sample is inside when its squared distance is below R2.
//
// Pixel writers: the disc routines hand each covered pixel to a writer functor, so the stroke
// engine can plot through its masks and tones while the hot loop still inlines. Writers are
// only ever called for pixels inside the image the disc was given.
//   8-bit writer:  write(int32_t x, int32_t y, uint32_t alpha, uint32_t value)
//   32-bit writer: write(int32_t x, int32_t y, uint32_t colour, uint32_t alpha)
// alpha and value are always 0..255.
//
// Centres and radii beyond ±16,777,216 pixels (or NaN) draw nothing.
#pragma once

#include "core/dib_core.h"
#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qm {

// ---- default writers ----

// Blends the value into the channel with Blend8; alpha 255 therefore sets it.
struct TChannelBlendWriter {
    TChannel& image;
    void operator()(int32_t x, int32_t y, uint32_t alpha, uint32_t value) const
    {
        Blend8(image.row(y) + x, value, alpha);
    }
};

// Bounds-checked Blend32Half, the plain painting of the colour disc.
struct TBlendHalfWriter {
    TMTC& image;
    void operator()(int32_t x, int32_t y, uint32_t colour, uint32_t alpha) const
    {
        image.blendHalf(x, y, colour, alpha);
    }
};

namespace discDetail {

// The integer frame of one disc, in sub-pixel units of `unit` per pixel.
struct TDiscFrame {
    int32_t left = 0, top = 0, right = 0, bottom = 0; // pixel range, inclusive, clipped
    int64_t r2 = 0;                                   // Trunc(unit × r)²
    double inverseR2 = 0.0;                           // 1 / r2, for the falloff's quotient
    int64_t centreX = 0, centreY = 0;                 // Trunc(unit × cx), Trunc(unit × cy)
    int32_t unit = 1;
};

// False when nothing can be drawn: r ≤ 0, unusable coordinates, or no pixel of the range
// x = Trunc(cx − r) .. Trunc(cx + r), y likewise, inside the image.
bool discFrame(float radius, float cx, float cy, int32_t unit, const CDibCore& image,
               TDiscFrame& frame);

// Opacity clamped into 0..1 (NaN counts as 0): out-of-range values must not index the tables.
float clampOpacity(float opacity);

inline bool inside(const TDiscFrame& f, int64_t dx, int64_t dy)
{
    return dx * dx + dy * dy < f.r2;
}

// How many of the four corners (dx, dy), (dx + unit, dy), (dx, dy + unit), (dx + unit, dy + unit)
// lie inside.
inline int cornersInside(const TDiscFrame& f, int64_t dx, int64_t dy)
{
    const int64_t u = f.unit;
    return int(inside(f, dx, dy)) + int(inside(f, dx + u, dy)) + int(inside(f, dx, dy + u)) +
           int(inside(f, dx + u, dy + u));
}

// How many of the unit × unit sub-samples (dx + i, dy + j), i, j = 0 .. unit − 1, lie inside.
inline int32_t subSamplesInside(const TDiscFrame& f, int64_t dx, int64_t dy)
{
    int32_t count = 0;
    for (int32_t j = 0; j < f.unit; ++j) {
        const int64_t yy = (dy + j) * (dy + j);
        for (int32_t i = 0; i < f.unit; ++i)
            count += int32_t((dx + i) * (dx + i) + yy < f.r2);
    }
    return count;
}

// 255 − d² × 255 / R2, at least 0 (R2 > 0 whenever a frame exists with something inside).
// The pixels of row y (left … right of the frame) whose four corners all lie inside: one
// run, since the disc is convex. Found from a square root and then settled by the exact
// corner test at both ends, so it holds exactly the pixels the per-pixel test would pass.
// first > last when there are none.
inline void interiorRun(const TDiscFrame& f, int32_t y, int32_t& first, int32_t& last)
{
    const int64_t u = f.unit;
    const int64_t dy0 = u * y - f.centreY, dy1 = dy0 + u;
    const int64_t room = f.r2 - std::max(dy0 * dy0, dy1 * dy1);
    first = f.right + 1, last = f.right;
    if (room <= 0) return;
    // dx within ±m keeps dx² below room; the run's pixels need both corners there.
    const auto m = int64_t(std::sqrt(double(room)));
    const auto at = [&](int64_t x) { return cornersInside(f, u * x - f.centreX, dy0) == 4; };
    int64_t a = std::max<int64_t>(f.left, (f.centreX - m) / u);
    int64_t b = std::min<int64_t>(f.right, (f.centreX + m - u) / u);
    while (a <= b && !at(a))
        ++a;
    while (a > f.left && at(a - 1))
        --a;
    while (b >= a && !at(b))
        --b;
    while (b < f.right && at(b + 1))
        ++b;
    if (a > b) return;
    first = int32_t(a), last = int32_t(b);
}

inline int32_t falloff(const TDiscFrame& f, int64_t dx, int64_t dy)
{
    if (f.r2 <= 0) return 0;
    // The quotient n / r2 by a multiply with the reciprocal, then set exact: below 2^52 the
    // estimate is off by at most one either way. A 64-bit division per pixel was the disc's
    // largest cost.
    const int64_t n = (dx * dx + dy * dy) * 255;
    int64_t q;
    if (n < (int64_t(1) << 52)) {
        q = int64_t(double(n) * f.inverseR2);
        q -= int64_t(q * f.r2 > n);
        q += int64_t((q + 1) * f.r2 <= n);
    } else {
        q = n / f.r2; // only a disc far larger than any paper comes here
    }
    const int64_t v = 255 - q;
    return v < 0 ? 0 : int32_t(v);
}

} // namespace discDetail

// Anti-aliased disc on an 8-bit image, in fifths of a pixel.
//   W = Trunc(value × opacity), A = Trunc(opacity × 255).
//   Radius > 3: the four corners decide: none inside, nothing; all inside, normal mode writes
//   (alpha A, value), max mode writes (255, W) where the pixel is below W.
//   Partly covered: with anti-aliasing, or always for radius ≤ 3 (a small disc would
//   otherwise fall between the corners), count the 5 × 5 sub-samples inside; normal mode
//   writes (alpha A × count / 25, value), max mode writes (255, C) where the pixel is below
//   C = W × count / 25. (C follows the value, not the opacity alone, so that a rim pixel never
//   rises above the disc's own interior W; for value 255 both forms agree.)
//   Without anti-aliasing (radius > 3) partly covered pixels are treated as fully covered.
//   Pixels with no sub-sample inside are not written.
template <typename Writer8>
void aaDisc8(TChannel& image, uint8_t value, bool antiAlias, bool maxMode, float opacity,
             float radius, float cx, float cy, Writer8&& write)
{
    using namespace discDetail;
    TDiscFrame f;
    if (!discFrame(radius, cx, cy, 5, image, f)) return;
    opacity = clampOpacity(opacity);
    const uint32_t v = value;
    const uint32_t w = uint32_t(float(v) * opacity);
    const uint32_t a = uint32_t(opacity * 255.0f);
    const bool small = radius <= 3.0f;
    const bool subSample = antiAlias || small;

    for (int32_t y = f.top; y <= f.bottom; ++y) {
        const uint8_t* row = image.row(y);
        const int64_t dy = int64_t(5) * y - f.centreY;
        for (int32_t x = f.left; x <= f.right; ++x) {
            const int64_t dx = int64_t(5) * x - f.centreX;
            const int corners = small ? 1 : cornersInside(f, dx, dy);
            if (corners == 0) continue;
            if (corners == 4 || !subSample) {
                if (!maxMode)
                    write(x, y, a, v);
                else if (row[x] < w)
                    write(x, y, 255u, w);
                continue;
            }
            const int32_t count = subSamplesInside(f, dx, dy);
            if (count == 0) continue;
            if (!maxMode) {
                write(x, y, a * uint32_t(count) / 25, v);
            } else {
                const uint32_t c = w * uint32_t(count) / 25;
                if (row[x] < c) write(x, y, 255u, c);
            }
        }
    }
}

// The same with the default writer (Blend8 into the image).
void aaDisc8(TChannel& image, uint8_t value, bool antiAlias, bool maxMode, float opacity,
             float radius, float cx, float cy);

// The second 8-bit disc, always sub-sampled at the edge, written straight into the image.
//   W = Trunc(value × opacity); F = 255 − (dx² + dy²) × 255 / R2, at least 0, taken at the
//   pixel's corner (dx, dy) like the coverage tests.
//   Fully covered: set to H = W × F / 256 (W without falloff); max mode only where below H.
//   Partly covered: I = W × F × count / 6400 (W × count / 25 without falloff); normal mode
//   blends the value in with Blend8 at alpha I, max mode sets I where the pixel is below it.
//   As for aaDisc8, radius ≤ 3 treats every pixel as partly covered.
void directDisc8(TChannel& image, uint8_t value, bool radialFalloff, bool maxMode, float opacity,
                 float radius, float cx, float cy);

// Anti-aliased disc on a 32-bit image, in quarters of a pixel; the four corners are always
// tested. A = Trunc(opacity × 255); falloff F (as above, quarter units) only for radius ≥ 3.
//   Fully covered: alpha A (A × F >> 8 with falloff).
//   Partly covered: with anti-aliasing A × count / 16 over the 4 × 4 sub-samples
//   (A × F × count >> 12 with falloff); without it A (A × F >> 8 with falloff).
template <typename Writer32>
void aaDisc32(TMTC& image, uint32_t colour, bool antiAlias, bool radialFalloff, float opacity,
              float radius, float cx, float cy, Writer32&& write)
{
    using namespace discDetail;
    TDiscFrame f;
    if (!discFrame(radius, cx, cy, 4, image, f)) return;
    opacity = clampOpacity(opacity);
    const uint32_t a = uint32_t(opacity * 255.0f);
    const bool useFalloff = radialFalloff && radius >= 3.0f;

    for (int32_t y = f.top; y <= f.bottom; ++y) {
        const int64_t dy = int64_t(4) * y - f.centreY;
        int32_t first, last;
        interiorRun(f, y, first, last);
        for (int32_t x = f.left; x <= f.right; ++x) {
            if (x == first) {
                // Wholly covered: no corner or sub-sample tests.
                for (; x <= last; ++x) {
                    const int64_t dx = int64_t(4) * x - f.centreX;
                    write(x, y, colour, useFalloff ? (a * uint32_t(falloff(f, dx, dy))) >> 8 : a);
                }
                if (x > f.right) break;
            }
            const int64_t dx = int64_t(4) * x - f.centreX;
            const int corners = cornersInside(f, dx, dy);
            if (corners == 0) continue;
            const uint32_t fo = useFalloff ? uint32_t(falloff(f, dx, dy)) : 0u;
            if (corners == 4 || !antiAlias) {
                write(x, y, colour, useFalloff ? (a * fo) >> 8 : a);
                continue;
            }
            const uint32_t count = uint32_t(subSamplesInside(f, dx, dy));
            if (count == 0) continue;
            write(x, y, colour, useFalloff ? (a * fo * count) >> 12 : a * count / 16);
        }
    }
}

// The same painting through the bounds-checked Blend32Half.
void aaDisc32(TMTC& image, uint32_t colour, bool antiAlias, bool radialFalloff, float opacity,
              float radius, float cx, float cy);

} // namespace qm

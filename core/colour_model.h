// Colour model conversions between RGB and HSV, HLS and CMYK, in exact integer arithmetic.
//
// Formats:
//  - Every model value is 16.16 fixed point in an int32_t: 0xFF0000 is 255.0, 0x3C0000 is 60.0,
//    0x1680000 is 360.0. Hues are degrees; S, V, L and the inks run from 0 to 255.0.
//  - The HSV and CMYK routines take and give RGB as 0x00RRGGBB (memory order B, G, R); the top
//    byte of an input is ignored and the top byte of a result is 0.
//  - The HLS routines use the three low bytes of a 32-bit pixel in memory order: byte 0 is the
//    first (red-like) component, byte 2 the third. With our B, G, R, A pixels the HLS hue circle
//    therefore runs with red and blue exchanged; both directions use the same order, so a round
//    trip returns the same bytes (or one level below: the truncations lose a little).
//
// Recorded filters and palette files depend on these results to the bit: every truncation in
// colour_model.cpp is part of the format, not an accident to be tidied into rounding.
#pragma once

#include <cstdint>
#include <limits>

namespace qm {

struct THSV {
    int32_t H; // 0 <= H < 360.0
    int32_t S; // 0 .. 255.0
    int32_t V; // 0 .. 255.0
};

struct THLS {
    int32_t H; // degrees
    int32_t L; // 0 .. 255.0
    int32_t S; // 0 .. 255.0
};

// 16.16 division a ÷ b: the exact quotient × 65536 truncated towards zero (integer quotient
// shifted left by 16, joined with the high 16 bits of remainder × 2^32 ÷ b), with the sign of
// a × b. A quotient beyond the int32_t range, and any a ÷ 0 with a != 0, saturates to the
// largest value of that sign; 0 ÷ 0 is 0.
constexpr int32_t fixedDiv(int32_t a, int32_t b)
{
    const bool negative = (a < 0) != (b < 0);
    const uint64_t ua = a < 0 ? uint64_t(-int64_t(a)) : uint64_t(a);
    const uint64_t ub = b < 0 ? uint64_t(-int64_t(b)) : uint64_t(b);
    if (ub == 0) {
        if (ua == 0) return 0;
        return a < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    }
    const uint64_t quotient = ua / ub;
    const uint64_t remainder = ua % ub;
    const uint64_t magnitude = (quotient << 16) | (((remainder << 32) / ub) >> 16);
    if (negative)
        return magnitude >= (uint64_t(1) << 31) ? std::numeric_limits<int32_t>::min()
                                                : int32_t(-int64_t(magnitude));
    return magnitude > uint64_t(std::numeric_limits<int32_t>::max())
               ? std::numeric_limits<int32_t>::max()
               : int32_t(magnitude);
}

// The 16.16 product is FixedMul in core/pixel_math.h (64-bit product shifted right by 16).

// 0x00RRGGBB to HSV. Black gives H = S = 0; a grey gives H = S = 0 and V = its level.
THSV rgbToHSV(uint32_t rgb);

// HSV to 0x00RRGGBB. H may lie outside 0 .. 360.0 (it is wrapped); S and V outside
// 0 .. 255.0 are clamped into that range first.
uint32_t hsvToRGB(const THSV& hsv);

// The three low bytes of a pixel to HLS (byte 3 is ignored).
THLS pixelToHLS(uint32_t pixel);

// HLS to the three low bytes of a pixel; byte 3 of the result is 0, so the caller merges its
// own alpha. H may be any angle; L and S outside 0 .. 255.0 are clamped into that range first.
uint32_t hlsToPixel(const THLS& hls);

// Ink amounts C, M, Y, K (0 .. 255.0 each; values outside are clamped) to 0x00RRGGBB,
// each component rounded to the nearest integer.
uint32_t cmykToRGB(int32_t C, int32_t M, int32_t Y, int32_t K);

} // namespace qm

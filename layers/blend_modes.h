// The per-pixel functions of the 22 blend modes.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied; the alpha byte of the
// pixel being painted is never changed by a PaintFn or CompositeFn.
//
// Every mode is written once, as a pure function of (pixel, colour, alpha), and instantiated
// per mode in the row loops, so the compiler can inline and vectorise it. Notation per colour
// channel: d the pixel's value, s the source colour's value, a an alpha 0..255; "/" is integer
// division truncating towards zero.
#pragma once

#include "core/pixel_math.h"
#include "layers/blend_mode_table.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace qm {

namespace blend {

// x / 255 for 0 ≤ x ≤ 65025, without a division (exact over that range).
constexpr uint32_t div255(uint32_t x)
{
    return (x * 32897u) >> 23;
}

constexpr int32_t clamp255(int32_t x)
{
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}

constexpr uint32_t byteAt(uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

constexpr uint32_t packColour(uint32_t alphaFrom, uint32_t r, uint32_t g, uint32_t b)
{
    return (alphaFrom & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// Integer luma of components that may have left 0..255 on the way.
constexpr int32_t lumaOf(int32_t r, int32_t g, int32_t b)
{
    return (r * 19595 + g * 38469 + b * 7472) >> 16;
}

constexpr uint64_t isqrt(uint64_t n)
{
    uint64_t result = 0;
    uint64_t bit = uint64_t(1) << 62;
    while (bit > n)
        bit >>= 2;
    while (bit != 0) {
        if (n >= result + bit) {
            n -= result + bit;
            result = (result >> 1) + bit;
        } else {
            result >>= 1;
        }
        bit >>= 2;
    }
    return result;
}

// The soft-light curve D(d), from its 16.16 definition: b = d × 65536 / 255; for b ≤ 16384
// D' = (((16b − 786432) × b >> 16) + 262144) × b >> 16, otherwise D' = √(b × 65536);
// D = D' × 255 >> 16.
constexpr int32_t softLightCurve(int32_t d)
{
    const int32_t b = int32_t(int64_t(d) * 65536 / 255);
    int32_t dPrime;
    if (b <= 16384)
        dPrime = FixedMul(FixedMul(16 * b - 786432, b) + 262144, b);
    else
        dPrime = int32_t(isqrt(uint64_t(b) << 16));
    return int32_t((int64_t(dPrime) * 255) >> 16);
}

inline constexpr std::array<int16_t, 256> kSoftLightCurve = [] {
    std::array<int16_t, 256> t{};
    for (int32_t d = 0; d < 256; ++d)
        t[std::size_t(d)] = int16_t(softLightCurve(d));
    return t;
}();

// Lerp255(f, d, a) on each colour channel: PaintNormal of the blended colour f.
[[gnu::always_inline]] constexpr uint32_t lerpColour(uint32_t pixel, uint32_t f, uint32_t a)
{
    const uint32_t ka = a * 32897u, kd = 8388735u - ka;
    const uint32_t b = (byteAt(f, 0) * ka + byteAt(pixel, 0) * kd) >> 23;
    const uint32_t g = (byteAt(f, 8) * ka + byteAt(pixel, 8) * kd) >> 23;
    const uint32_t r = (byteAt(f, 16) * ka + byteAt(pixel, 16) * kd) >> 23;
    return packColour(pixel, r, g, b);
}

// ---- the separable modes: f(d, s) per channel ----

// The formula of each separable mode.
template <BlendMode M>
constexpr uint32_t channelFormula(uint32_t d, uint32_t s)
{
    const int32_t di = int32_t(d), si = int32_t(s);
    if constexpr (M == BlendMode::Screen) {
        return d + s - div255(d * s);
    } else if constexpr (M == BlendMode::Overlay || M == BlendMode::HardLight) {
        const bool upper = (M == BlendMode::Overlay) ? d >= 128 : s >= 128;
        return upper ? (65025u - 2 * (255 - d) * (255 - s)) / 255 : 2 * d * s / 255;
    } else if constexpr (M == BlendMode::SoftLight) {
        if (s < 128)
            return uint32_t((255 * di - (255 - 2 * si) * int32_t(div255(d * (255 - d)))) / 255);
        return uint32_t((255 * di + (kSoftLightCurve[d] - di) * (2 * si - 255)) / 255);
    } else if constexpr (M == BlendMode::Difference) {
        return d > s ? d - s : s - d;
    } else if constexpr (M == BlendMode::Exclusion) {
        return d + s - 2 * div255(d * s);
    } else if constexpr (M == BlendMode::Darken) {
        return d < s ? d : s;
    } else if constexpr (M == BlendMode::Lighten) {
        return d > s ? d : s;
    } else if constexpr (M == BlendMode::Burn) {
        if (s == 0)
            return d == 255 ? 255u : 0u;
        const uint32_t q = (255 - d) * 255 / s;
        return 255 - (q < 255 ? q : 255);
    } else if constexpr (M == BlendMode::Dodge) {
        if (s >= 255)
            return d > 0 ? 255u : 0u;
        const uint32_t q = d * 255 / (255 - s);
        return q < 255 ? q : 255;
    } else if constexpr (M == BlendMode::LinearLight) {
        return uint32_t(clamp255(di + 2 * si - 256));
    } else if constexpr (M == BlendMode::VividLight) {
        if (s >= 128) {
            if (s == 255)
                return 255;
            const uint32_t q = (d * 255 / (255 - s)) >> 1;
            return q < 255 ? q : 255;
        }
        if (s == 0)
            return 0;
        const uint32_t q = ((255 - d) * 255 / s) >> 1;
        return 255 - (q < 255 ? q : 255);
    } else if constexpr (M == BlendMode::PinLight) {
        const int32_t lo = 2 * si - 255;
        const int32_t hi = 2 * si;
        const int32_t m = di > lo ? di : lo;
        return uint32_t(m < hi ? m : hi);
    } else {
        static_assert(M == BlendMode::Screen, "not a separable mode");
        return d;
    }
}

// Modes whose formula divides by a channel value or looks up the soft-light curve are read
// from a 256 × 256 table of the formula's results instead: one load per channel.
template <BlendMode M>
inline constexpr bool kTabulatedMode = M == BlendMode::SoftLight || M == BlendMode::Burn ||
                                       M == BlendMode::Dodge || M == BlendMode::VividLight;

template <BlendMode M>
inline constexpr std::array<std::array<uint8_t, 256>, 256> kChannelTable = [] {
    std::array<std::array<uint8_t, 256>, 256> t{};
    for (uint32_t d = 0; d < 256; ++d)
        for (uint32_t s = 0; s < 256; ++s)
            t[d][s] = uint8_t(channelFormula<M>(d, s));
    return t;
}();

template <BlendMode M>
constexpr uint32_t channelBlend(uint32_t d, uint32_t s)
{
    if constexpr (kTabulatedMode<M>)
        return kChannelTable<M>[d][s];
    else
        return channelFormula<M>(d, s);
}

template <BlendMode M>
constexpr uint32_t separableBlend(uint32_t pixel, uint32_t source)
{
    return packColour(pixel, channelBlend<M>(byteAt(pixel, 16), byteAt(source, 16)),
                      channelBlend<M>(byteAt(pixel, 8), byteAt(source, 8)),
                      channelBlend<M>(byteAt(pixel, 0), byteAt(source, 0)));
}

// ---- the whole-colour modes ----

// n / d truncated towards zero, for |n| ≤ 65535 and 1 ≤ d ≤ 255, by a multiply with a
// reciprocal: (|n| × (⌊2³²/d⌋ + 1)) >> 32 is exact over that range (the error stays below
// 2⁻¹⁶ ≤ 1/d), and a hardware division is many times slower.
inline constexpr std::array<uint64_t, 256> kReciprocals = [] {
    std::array<uint64_t, 256> r{};
    for (uint64_t d = 1; d < 256; ++d)
        r[d] = (uint64_t(1) << 32) / d + 1;
    return r;
}();

constexpr int32_t divSmall(int32_t n, int32_t d)
{
    const int32_t sign = n >> 31; // 0 or −1, so no branch on the sign
    const auto magnitude = uint64_t(uint32_t((n ^ sign) - sign));
    const auto q = int32_t((magnitude * kReciprocals[std::size_t(d)]) >> 32);
    return (q ^ sign) - sign;
}

constexpr int32_t saturationOf(uint32_t c)
{
    const int32_t r = int32_t(byteAt(c, 16)), g = int32_t(byteAt(c, 8)), b = int32_t(byteAt(c, 0));
    const int32_t mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const int32_t mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    return mx - mn;
}

constexpr int32_t lumaOfPixel(uint32_t c)
{
    return int32_t(Luma(c));
}

// The colour C given saturation S and luma L; C's alpha byte is kept.
// Written without branches: all three ways of fitting the luma are worked out and the right
// one is picked, since which one applies changes from pixel to pixel and mispredicted
// branches would cost more than the arithmetic.
[[gnu::always_inline]] constexpr uint32_t SetSatLum(uint32_t colour, int32_t S, int32_t L)
{
    const int32_t c[3] = {int32_t(byteAt(colour, 16)), int32_t(byteAt(colour, 8)),
                          int32_t(byteAt(colour, 0))};
    const int32_t mx = std::max({c[0], c[1], c[2]});
    const int32_t mn = std::min({c[0], c[1], c[2]});
    const bool grey = S == 0 || mx == mn;
    // Every divisor below lies in 1..255 and every numerator within ±65025 (see divSmall);
    // where a divisor could be 0 the result is not the one picked.
    int32_t cp[3];
    for (int i = 0; i < 3; ++i)
        cp[i] = divSmall(S * (c[i] - mn), mx - mn);
    const int32_t M = lumaOf(cp[0], cp[1], cp[2]);
    const int32_t delta = L - M;
    const bool overflow = delta + mx >= 256;
    const bool darker = delta < 0;
    const int32_t r = std::max(1, lumaOf(mx - cp[0], mx - cp[1], mx - cp[2]));
    uint32_t out[3];
    for (int i = 0; i < 3; ++i) {
        const int32_t fromTop = 255 - divSmall((255 - L) * (mx - cp[i]), r);
        const int32_t scaled = divSmall(L * cp[i], M);
        const int32_t shifted = cp[i] + delta;
        const int32_t v = grey ? L : overflow ? fromTop : darker ? scaled : shifted;
        out[i] = uint32_t(clamp255(v));
    }
    return packColour(colour, out[0], out[1], out[2]);
}

template <BlendMode M>
constexpr uint32_t wholeColourBlend(uint32_t pixel, uint32_t source)
{
    if constexpr (M == BlendMode::Hue)
        return SetSatLum(source, saturationOf(pixel), lumaOfPixel(pixel));
    else if constexpr (M == BlendMode::Saturation)
        return SetSatLum(pixel, saturationOf(source), lumaOfPixel(pixel));
    else if constexpr (M == BlendMode::Colour)
        return SetSatLum(source, saturationOf(source), lumaOfPixel(pixel));
    else
        return SetSatLum(pixel, saturationOf(pixel), lumaOfPixel(source));
}

} // namespace blend

// PaintFn of a mode as a pure function: the new value of `pixel` painted with colour c at
// alpha a. Alpha 0 leaves the pixel as it is; the pixel's alpha byte is always kept.
template <BlendMode M>
[[gnu::always_inline]] constexpr uint32_t paintMode(uint32_t pixel, uint32_t c, uint32_t a)
{
    using namespace blend;
    if constexpr (M == BlendMode::Multiply) {
        // The colour faded towards white by a, then multiplied: d × (255 − a(255 − s)/255) / 255.
        const auto ch = [&](int shift) {
            return div255(byteAt(pixel, shift) * (255 - div255(a * (255 - byteAt(c, shift)))));
        };
        return packColour(pixel, ch(16), ch(8), ch(0));
    } else if constexpr (M == BlendMode::Add) {
        const auto ch = [&](int shift) {
            const uint32_t v = byteAt(pixel, shift) + div255(a * byteAt(c, shift));
            return v > 255 ? 255u : v;
        };
        return packColour(pixel, ch(16), ch(8), ch(0));
    } else if constexpr (M == BlendMode::Subtract) {
        const auto ch = [&](int shift) {
            const int32_t v = int32_t(byteAt(pixel, shift)) - int32_t(div255(a * byteAt(c, shift)));
            return uint32_t(v < 0 ? 0 : v);
        };
        return packColour(pixel, ch(16), ch(8), ch(0));
    } else if constexpr (M == BlendMode::Normal) {
        return lerpColour(pixel, c, a);
    } else if constexpr (M == BlendMode::SubtractNegative) {
        const auto ch = [&](int shift) {
            const uint32_t k = (a * 32897u * (255 - byteAt(c, shift))) >> 23;
            const int32_t v = int32_t(byteAt(pixel, shift)) - int32_t(k);
            return uint32_t(v < 0 ? 0 : v);
        };
        return packColour(pixel, ch(16), ch(8), ch(0));
    } else if constexpr (M == BlendMode::Hue || M == BlendMode::Saturation ||
                         M == BlendMode::Colour || M == BlendMode::Luminosity) {
        // Alpha 0 leaves the pixel as it is; skipping the costly blend keeps the same bytes.
        if (a == 0)
            return pixel;
        return lerpColour(pixel, wholeColourBlend<M>(pixel, c), a);
    } else {
        return lerpColour(pixel, separableBlend<M>(pixel, c), a);
    }
}

// CompositeFn: PaintFn at opacity × source alpha / 255.
template <BlendMode M>
[[gnu::always_inline]] constexpr uint32_t compositeMode(uint32_t pixel, uint32_t source,
                                                       uint32_t opacity)
{
    return paintMode<M>(pixel, source, blend::div255(opacity * (source >> 24)));
}

// Per-pixel entry points for callers that choose the mode at run time (brush dabs, tests).
// Hot loops use the row functions of composite_rows.h instead.
using PaintFn = void (*)(uint32_t* pixel, uint32_t colour, uint32_t alpha);
using CompositeFn = void (*)(uint32_t* pixel, uint32_t source, uint32_t opacity);

// nullptr for a mode number without a record.
PaintFn paintFnOf(uint32_t mode);
CompositeFn compositeFnOf(uint32_t mode);

// Calls fn.template operator()<M>() with the mode as a compile-time constant; false for a
// number without a record.
template <typename Fn>
bool withMode(uint32_t mode, Fn&& fn)
{
    switch (mode & 0x7F) {
#define QM_MODE_CASE(n)                                                                            \
    case n:                                                                                        \
        fn.template operator()<BlendMode(n)>();                                                    \
        return true;
        QM_MODE_CASE(0) QM_MODE_CASE(1) QM_MODE_CASE(2) QM_MODE_CASE(3) QM_MODE_CASE(4)
        QM_MODE_CASE(5) QM_MODE_CASE(6) QM_MODE_CASE(7) QM_MODE_CASE(8) QM_MODE_CASE(9)
        QM_MODE_CASE(10) QM_MODE_CASE(11) QM_MODE_CASE(12) QM_MODE_CASE(13) QM_MODE_CASE(14)
        QM_MODE_CASE(15) QM_MODE_CASE(16) QM_MODE_CASE(17) QM_MODE_CASE(18) QM_MODE_CASE(19)
        QM_MODE_CASE(20) QM_MODE_CASE(21)
#undef QM_MODE_CASE
    default:
        return false;
    }
}

} // namespace qm

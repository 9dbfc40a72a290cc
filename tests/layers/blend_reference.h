// The blend modes written plainly from their formulas, one channel at a time, with the
// look-up tables and real divisions: the yardstick the optimised kernels are held against.
#pragma once

#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace qm::reference {

inline int byteOf(uint32_t p, int i)
{
    return int((p >> (8 * i)) & 0xFF); // i = 0 blue, 1 green, 2 red
}

inline uint32_t withChannels(uint32_t alphaFrom, const int c[3])
{
    return (alphaFrom & 0xFF000000u) | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | uint32_t(c[0]);
}

inline int clamp(int x)
{
    return std::min(255, std::max(0, x));
}

// The 8-bit products, from their definitions rather than the production tables.
inline uint32_t mul255(uint32_t a, uint32_t b)
{
    return (a * b * 32897u) >> 23;
}

inline int mulTable(int i, int j)
{
    return i * j / 255;
}

inline int screenTable(int i, int j)
{
    return 255 - i * (255 - j) / 255;
}

inline int lerp255(int a, int b, int c)
{
    return int(
        (uint64_t(a) * uint64_t(c) * 32897 + uint64_t(b) * (8388735 - uint64_t(c) * 32897)) >> 23);
}

// The four basic painting functions: each colour byte d of p with colour byte c at alpha a,
// the alpha byte of p kept.
inline uint32_t paintBasic(int mode, uint32_t p, uint32_t c, uint32_t a)
{
    if (mode == 3 && a == 0) return p;
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int d = byteOf(p, i), s = byteOf(c, i);
        switch (mode) {
        case 0:
            out[i] = mulTable(d, screenTable(int(a), s));
            break; // multiply
        case 1:
            out[i] = std::min(255, d + mulTable(int(a), s));
            break; // add
        case 2:
            out[i] = std::max(0, d - mulTable(int(a), s));
            break; // subtract
        default:
            out[i] = a == 255 ? s : lerp255(s, d, int(a));
            break; // normal
        }
    }
    return withChannels(p, out);
}

// Soft light's D from its 16.16 steps; the square root found by stepping down from a float
// estimate, so it shares nothing with the production code.
inline int softD(int d)
{
    const int64_t b = int64_t(d) * 65536 / 255;
    int64_t dp;
    if (b <= 16384) {
        const int64_t t = (int64_t((16 * b - 786432) * b)) >> 16;
        dp = ((t + 262144) * b) >> 16;
    } else {
        const int64_t n = b * 65536;
        int64_t r = int64_t(std::sqrt(double(n))) + 2;
        while (r * r > n)
            --r;
        dp = r;
    }
    return int(dp * 255 >> 16);
}

inline int separable(int mode, int d, int s)
{
    switch (mode) {
    case 4:
        return d + s - mul255(uint32_t(d), uint32_t(s));
    case 5:
        return d >= 128 ? (65025 - 2 * (255 - d) * (255 - s)) / 255 : 2 * d * s / 255;
    case 6:
        return s >= 128 ? (65025 - 2 * (255 - d) * (255 - s)) / 255 : 2 * d * s / 255;
    case 7:
        if (s < 128)
            return (255 * d - (255 - 2 * s) * int(mul255(uint32_t(d), uint32_t(255 - d)))) / 255;
        return (255 * d + (softD(d) - d) * (2 * s - 255)) / 255;
    case 8:
        return std::abs(d - s);
    case 9:
        return d + s - 2 * int(mul255(uint32_t(d), uint32_t(s)));
    case 10:
        return std::min(d, s);
    case 11:
        return std::max(d, s);
    case 12:
        if (s == 0) return d == 255 ? 255 : 0;
        return 255 - std::min(255, (255 - d) * 255 / s);
    case 13:
        if (s >= 255) return d > 0 ? 255 : 0;
        return std::min(255, d * 255 / (255 - s));
    case 19:
        return clamp(d + 2 * s - 256);
    case 20:
        if (s >= 128) return s == 255 ? 255 : std::min(255, (d * 255 / (255 - s)) >> 1);
        return s == 0 ? 0 : 255 - std::min(255, ((255 - d) * 255 / s) >> 1);
    case 21:
        return std::min(std::max(d, 2 * s - 255), 2 * s);
    }
    return d;
}

inline int luma3(int r, int g, int b)
{
    return (r * 19595 + g * 38469 + b * 7472) >> 16;
}

inline int sat(uint32_t p)
{
    const int r = byteOf(p, 2), g = byteOf(p, 1), b = byteOf(p, 0);
    return std::max({r, g, b}) - std::min({r, g, b});
}

inline int lum(uint32_t p)
{
    return luma3(byteOf(p, 2), byteOf(p, 1), byteOf(p, 0));
}

inline uint32_t setSatLum(uint32_t colour, int S, int L)
{
    const int c[3] = {byteOf(colour, 0), byteOf(colour, 1), byteOf(colour, 2)}; // b, g, r
    const int mx = std::max({c[0], c[1], c[2]}), mn = std::min({c[0], c[1], c[2]});
    int out[3];
    if (S == 0 || mx == mn) {
        out[0] = out[1] = out[2] = clamp(L);
        return withChannels(colour, out);
    }
    int cp[3];
    for (int i = 0; i < 3; ++i)
        cp[i] = S * (c[i] - mn) / (mx - mn);
    const int M = luma3(cp[2], cp[1], cp[0]);
    const int delta = L - M;
    for (int i = 0; i < 3; ++i) {
        if (delta + mx >= 256) {
            const int r = std::max(1, luma3(mx - cp[2], mx - cp[1], mx - cp[0]));
            out[i] = 255 - (255 - L) * (mx - cp[i]) / r;
        } else if (delta < 0) {
            out[i] = L * cp[i] / M;
        } else {
            out[i] = cp[i] + delta;
        }
        out[i] = clamp(out[i]);
    }
    return withChannels(colour, out);
}

// PaintFn(mode) applied to pixel p with colour c at alpha a.
inline uint32_t paint(int mode, uint32_t p, uint32_t c, uint32_t a)
{
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 3:
        return paintBasic(mode, p, c, a);
    case 18: {
        int out[3];
        for (int i = 0; i < 3; ++i) {
            const int k = int((a * 32897u * uint32_t(255 - byteOf(c, i))) >> 23);
            out[i] = std::max(0, byteOf(p, i) - k);
        }
        return withChannels(p, out);
    }
    case 14:
        return paintBasic(3, p, setSatLum(c, sat(p), lum(p)), a);
    case 15:
        return paintBasic(3, p, setSatLum(p, sat(c), lum(p)), a);
    case 16:
        return paintBasic(3, p, setSatLum(c, sat(c), lum(p)), a);
    case 17:
        return paintBasic(3, p, setSatLum(p, sat(p), lum(c)), a);
    default: {
        int f[3];
        for (int i = 0; i < 3; ++i)
            f[i] = separable(mode, byteOf(p, i), byteOf(c, i));
        return paintBasic(3, p, withChannels(0, f), a);
    }
    }
}

inline uint32_t composite(int mode, uint32_t p, uint32_t s, uint32_t opacity)
{
    return paint(mode, p, s, opacity * (s >> 24) / 255);
}

} // namespace qm::reference

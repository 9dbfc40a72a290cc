// The 8-bit arithmetic and the basic pixel painting functions every pixel routine shares.
//
// Pixel formats:
//  - 8-bit channel pixel: one byte, 0 = empty, 255 = full.
//  - 32-bit pixel: little-endian word 0xAARRGGBB (memory order B, G, R, A), not premultiplied;
//    the top byte is coverage.
// All products of two 0..255 values divided by 255 use the exact forms below, never a division,
// so that replay reproduces every byte.
#pragma once

#include <array>
#include <cstdint>

namespace qm {

using ByteTable256 = std::array<std::array<uint8_t, 256>, 256>;

// (a * b * 32897) >> 23: a × b / 255 without a division.
constexpr uint32_t Mul255(uint32_t a, uint32_t b)
{
    return (a * b * 32897u) >> 23;
}

// b moved towards a by c/255.
constexpr uint32_t Lerp255(uint32_t a, uint32_t b, uint32_t c)
{
    return (a * c * 32897u + b * (8388735u - c * 32897u)) >> 23;
}

// Integer luma of an 0x..RRGGBB colour; the weights add up to 65536.
constexpr uint32_t Luma(uint32_t r, uint32_t g, uint32_t b)
{
    return (r * 19595u + g * 38469u + b * 7472u) >> 16;
}

constexpr uint32_t Luma(uint32_t pixel)
{
    return Luma((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// Squared distance of the colour bytes: ΔB² + ΔG² + ΔR².
constexpr uint32_t ColorDistance2(uint32_t a, uint32_t b)
{
    const int32_t db = int32_t(a & 0xFF) - int32_t(b & 0xFF);
    const int32_t dg = int32_t((a >> 8) & 0xFF) - int32_t((b >> 8) & 0xFF);
    const int32_t dr = int32_t((a >> 16) & 0xFF) - int32_t((b >> 16) & 0xFF);
    return uint32_t(db * db + dg * dg + dr * dr);
}

// 16.16 fixed-point multiply: the middle 32 bits of the 64-bit product.
constexpr int32_t FixedMul(int32_t a, int32_t b)
{
    return int32_t((int64_t(a) * int64_t(b)) >> 16);
}

// COLORREF 0xXXBBGGRR <-> pixel 0xXXRRGGBB: red and blue swap, the top byte stays.
// The same function converts both ways.
constexpr uint32_t ColorRefToPixel(uint32_t c)
{
    return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}

// 256 × 256 look-up tables, built at compile time.
//   MulTable[i][j]      = i × j / 255
//   ScreenTable[i][j]   = 255 − i × (255 − j) / 255
//   HalfDiffTable[a][d] = a × d × 2 / 255 for d = −128..127 stored at index d & 0xFF (truncated
//                         towards zero). Entries are used modulo 256 in byte arithmetic.
extern const ByteTable256 MulTable;
extern const ByteTable256 ScreenTable;
extern const ByteTable256 HalfDiffTable;

// ---- 8-bit pixel functions (pixel p, value v, alpha a) ----

// Moves *p half-difference-wise towards v; one look-up and one wrapping addition per byte.
inline void Blend8(uint8_t* p, uint32_t v, uint32_t a)
{
    if (a == 0)
        return;
    if (a == 255) {
        *p = uint8_t(v);
        return;
    }
    *p = uint8_t(*p + HalfDiffTable[a][((v >> 1) - (*p >> 1)) & 0xFF]);
}

inline void PaintLerp8(uint8_t* p, uint32_t v, uint32_t a)
{
    *p = uint8_t(Lerp255(v, *p, a));
}

inline void Set8(uint8_t* p, uint32_t v, uint32_t)
{
    *p = uint8_t(v);
}

inline void Max8(uint8_t* p, uint32_t v, uint32_t)
{
    if (*p < v)
        *p = uint8_t(v);
}

inline void Multiply8(uint8_t* p, uint32_t v, uint32_t)
{
    *p = (*p != 0 && v != 0) ? uint8_t(Mul255(v, *p)) : uint8_t(0);
}

// ---- 32-bit painting functions (pixel p, colour c, alpha a); the alpha byte of *p is kept ----

// Each colour byte becomes Lerp255(c, d, a).
inline void PaintNormal(uint32_t* p, uint32_t c, uint32_t a)
{
    if (a == 0)
        return;
    const uint32_t d = *p;
    if (a == 255) {
        *p = (d & 0xFF000000u) | (c & 0x00FFFFFFu);
        return;
    }
    const uint32_t b = Lerp255(c & 0xFF, d & 0xFF, a);
    const uint32_t g = Lerp255((c >> 8) & 0xFF, (d >> 8) & 0xFF, a);
    const uint32_t r = Lerp255((c >> 16) & 0xFF, (d >> 16) & 0xFF, a);
    *p = (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// The colour is faded towards white by a, then multiplied in.
inline void PaintMultiply(uint32_t* p, uint32_t c, uint32_t a)
{
    const uint32_t d = *p;
    const uint8_t* screen = ScreenTable[a].data();
    const uint32_t b = MulTable[d & 0xFF][screen[c & 0xFF]];
    const uint32_t g = MulTable[(d >> 8) & 0xFF][screen[(c >> 8) & 0xFF]];
    const uint32_t r = MulTable[(d >> 16) & 0xFF][screen[(c >> 16) & 0xFF]];
    *p = (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

// d + c × a / 255, saturated at 255.
inline void PaintAdd(uint32_t* p, uint32_t c, uint32_t a)
{
    const uint32_t d = *p;
    const uint8_t* mul = MulTable[a].data();
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t v = ((d >> shift) & 0xFF) + mul[(c >> shift) & 0xFF];
        out |= (v > 255 ? 255u : v) << shift;
    }
    *p = out;
}

// d − c × a / 255, floored at 0.
inline void PaintSubtract(uint32_t* p, uint32_t c, uint32_t a)
{
    const uint32_t d = *p;
    const uint8_t* mul = MulTable[a].data();
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t v = int32_t((d >> shift) & 0xFF) - int32_t(mul[(c >> shift) & 0xFF]);
        out |= uint32_t(v < 0 ? 0 : v) << shift;
    }
    *p = out;
}

// Like Blend8 on each colour byte; the cheaper blend used for previews.
inline void Blend32Half(uint32_t* p, uint32_t c, uint32_t a)
{
    if (a == 0)
        return;
    const uint32_t d = *p;
    if (a == 255) {
        *p = (d & 0xFF000000u) | (c & 0x00FFFFFFu);
        return;
    }
    const uint8_t* half = HalfDiffTable[a].data();
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t db = (d >> shift) & 0xFF;
        const uint32_t cb = (c >> shift) & 0xFF;
        out |= uint32_t(uint8_t(db + half[((cb >> 1) - (db >> 1)) & 0xFF])) << shift;
    }
    *p = out;
}

using PixelFn32 = void (*)(uint32_t* p, uint32_t c, uint32_t a);
using PixelFn8 = void (*)(uint8_t* p, uint32_t v, uint32_t a);

// ---- row forms of the hot blends; bit-identical to the per-pixel functions ----

// dst[i] painted with src[i] through PaintNormal at alpha a (alpha bytes of dst kept).
void paintNormalRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a);
// The scalar reference of paintNormalRow, kept for the equality test.
void paintNormalRowReference(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a);
// The two compiled variants paintNormalRow chooses between at run time.
void paintNormalRowPortable(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a);
void paintNormalRowAvx2(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a);
bool cpuHasAvx2();

} // namespace qm

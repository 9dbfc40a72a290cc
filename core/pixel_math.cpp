#include "core/pixel_math.h"

namespace qm {

namespace {

constexpr ByteTable256 makeMulTable()
{
    ByteTable256 t{};
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; ++j)
            t[i][j] = uint8_t(i * j / 255);
    return t;
}

constexpr ByteTable256 makeScreenTable()
{
    ByteTable256 t{};
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; ++j)
            t[i][j] = uint8_t(255 - i * (255 - j) / 255);
    return t;
}

constexpr ByteTable256 makeHalfDiffTable()
{
    ByteTable256 t{};
    for (int a = 0; a < 256; ++a)
        for (int d = -128; d < 128; ++d)
            t[a][d & 0xFF] = uint8_t((a * d * 2 / 255) & 0xFF); // division truncates towards zero
    return t;
}

} // namespace

// Built by the compiler: ready before any image exists, and never written afterwards.
alignas(64) constinit const ByteTable256 MulTable = makeMulTable();
alignas(64) constinit const ByteTable256 ScreenTable = makeScreenTable();
alignas(64) constinit const ByteTable256 HalfDiffTable = makeHalfDiffTable();

void paintNormalRowReference(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a)
{
    for (int32_t i = 0; i < count; ++i)
        PaintNormal(dst + i, src[i], a);
}

namespace {

// Same formula as PaintNormal, written so that the compiler vectorises it: every byte lane is
// Lerp255(c, d, a) = (c·a·32897 + d·(8388735 − a·32897)) >> 23 in 32-bit unsigned arithmetic.
inline __attribute__((always_inline)) void paintNormalRowBody(uint32_t* dst, const uint32_t* src,
                                                              int32_t count, uint32_t a)
{
    if (a == 0 || count <= 0)
        return;
    if (a == 255) {
        for (int32_t i = 0; i < count; ++i)
            dst[i] = (dst[i] & 0xFF000000u) | (src[i] & 0x00FFFFFFu);
        return;
    }
    const uint32_t ka = a * 32897u;
    const uint32_t kd = 8388735u - ka;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t c = src[i];
        const uint32_t d = dst[i];
        const uint32_t b = ((c & 0xFF) * ka + (d & 0xFF) * kd) >> 23;
        const uint32_t g = (((c >> 8) & 0xFF) * ka + ((d >> 8) & 0xFF) * kd) >> 23;
        const uint32_t r = (((c >> 16) & 0xFF) * ka + ((d >> 16) & 0xFF) * kd) >> 23;
        dst[i] = (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
}

} // namespace

void paintNormalRowPortable(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a)
{
    paintNormalRowBody(dst, src, count, a);
}

__attribute__((target("avx2"))) void paintNormalRowAvx2(uint32_t* dst, const uint32_t* src,
                                                        int32_t count, uint32_t a)
{
    paintNormalRowBody(dst, src, count, a);
}

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void paintNormalRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t a)
{
    if (cpuHasAvx2())
        paintNormalRowAvx2(dst, src, count, a);
    else
        paintNormalRowPortable(dst, src, count, a);
}

} // namespace qm

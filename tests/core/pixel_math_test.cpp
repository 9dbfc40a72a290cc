#include "core/pixel_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

using namespace qm;

TEST(PixelMath, Mul255ExactValues)
{
    EXPECT_EQ(Mul255(255, 255), 255u);
    EXPECT_EQ(Mul255(128, 255), 128u);
    EXPECT_EQ(Mul255(1, 1), 0u);
    EXPECT_EQ(Mul255(0, 255), 0u);
    // Agrees with round-free a*b/255 over the whole domain except where the 32897 form rounds.
    for (uint32_t a = 0; a < 256; ++a)
        EXPECT_EQ(Mul255(a, 255), a);
}

TEST(PixelMath, Lerp255EndsAndMiddle)
{
    for (uint32_t a = 0; a < 256; a += 17)
        for (uint32_t b = 0; b < 256; b += 15) {
            EXPECT_EQ(Lerp255(a, b, 255), a);
            EXPECT_EQ(Lerp255(a, b, 0), b);
        }
    EXPECT_EQ(Lerp255(255, 0, 128), 128u);
    EXPECT_EQ(Lerp255(0, 255, 128), 127u); // 255·(8388735 − 128·32897) >> 23
}

TEST(PixelMath, TablesMatchTheirDefinitions)
{
    EXPECT_EQ(MulTable[255][255], 255);
    EXPECT_EQ(MulTable[128][255], 128);
    EXPECT_EQ(MulTable[100][200], 100 * 200 / 255);
    EXPECT_EQ(ScreenTable[0][7], 255);
    EXPECT_EQ(ScreenTable[255][7], 7);
    EXPECT_EQ(ScreenTable[100][50], 255 - 100 * 205 / 255);
    // Signed entries, truncated towards zero, stored modulo 256.
    EXPECT_EQ(HalfDiffTable[100][10], 100 * 10 * 2 / 255);
    EXPECT_EQ(int8_t(HalfDiffTable[100][256 - 10]), -(100 * 10 * 2 / 255));
    EXPECT_EQ(HalfDiffTable[0][200], 0);
}

TEST(PixelMath, LumaAndDistance)
{
    EXPECT_EQ(Luma(0x00FFFFFFu), 255u);
    EXPECT_EQ(Luma(0), 0u);
    EXPECT_EQ(Luma(0x00FF0000u), (255u * 19595) >> 16);
    EXPECT_EQ(Luma(10, 20, 30), (10u * 19595 + 20u * 38469 + 30u * 7472) >> 16);
    EXPECT_EQ(ColorDistance2(0xFF010203u, 0x00040506u), 27u);
    EXPECT_EQ(FixedMul(0x20000, 0x30000), 0x60000);
    EXPECT_EQ(FixedMul(-0x10000, 0x8000), -0x8000);
}

TEST(PixelMath, ColorRefToPixelSwapsRedAndBlue)
{
    EXPECT_EQ(ColorRefToPixel(0x00123456u), 0x00563412u);
    EXPECT_EQ(ColorRefToPixel(0xAB123456u), 0xAB563412u);
    for (uint32_t c : {0u, 0x00123456u, 0xFFFFFFFFu, 0x80FF0001u})
        EXPECT_EQ(ColorRefToPixel(ColorRefToPixel(c)), c);
}

TEST(PixelMath, Blend8MovesTowardsTheValue)
{
    uint8_t p = 10;
    Blend8(&p, 200, 0);
    EXPECT_EQ(p, 10);
    Blend8(&p, 200, 255);
    EXPECT_EQ(p, 200);
    p = 0;
    Blend8(&p, 255, 254);
    EXPECT_EQ(p, 253); // 0 + 254·127·2/255, through a wrapping byte add
    p = 255;
    Blend8(&p, 0, 128);
    EXPECT_EQ(p, uint8_t(255 + int8_t(HalfDiffTable[128][(0 - 127) & 0xFF])));
    // Never leaves the span between old value and target.
    for (int from = 0; from < 256; from += 5)
        for (int to = 0; to < 256; to += 7)
            for (int a = 1; a < 255; a += 13) {
                uint8_t q = uint8_t(from);
                Blend8(&q, uint32_t(to), uint32_t(a));
                EXPECT_GE(q, std::min(from, to));
                EXPECT_LE(q, std::max(from, to));
            }
}

TEST(PixelMath, EightBitSetMaxMultiply)
{
    uint8_t p = 100;
    Max8(&p, 50, 0);
    EXPECT_EQ(p, 100);
    Max8(&p, 150, 0);
    EXPECT_EQ(p, 150);
    Multiply8(&p, 0, 0);
    EXPECT_EQ(p, 0);
    p = 255;
    Multiply8(&p, 128, 0);
    EXPECT_EQ(p, 128);
    PaintLerp8(&p, 0, 255);
    EXPECT_EQ(p, 0);
}

TEST(PixelMath, PaintNormalKeepsAlpha)
{
    uint32_t p = 0x7F102030u;
    PaintNormal(&p, 0xFFAABBCCu, 255);
    EXPECT_EQ(p, 0x7FAABBCCu);
    PaintNormal(&p, 0x00000000u, 0);
    EXPECT_EQ(p, 0x7FAABBCCu);
    p = 0x12000000u;
    PaintNormal(&p, 0x00FFFFFFu, 128);
    EXPECT_EQ(p, 0x12808080u);
}

TEST(PixelMath, PaintMultiply)
{
    for (uint32_t px : {0xFF123456u, 0x00FFFFFFu, 0x80000000u}) {
        uint32_t p = px;
        PaintMultiply(&p, 0x00FFFFFFu, 255); // white
        EXPECT_EQ(p, px);
        PaintMultiply(&p, 0x00000000u, 0); // alpha 0
        EXPECT_EQ(p, px);
        PaintMultiply(&p, 0x00000000u, 255); // black
        EXPECT_EQ(p, px & 0xFF000000u);
    }
    uint32_t p = 0xFF808080u;
    PaintMultiply(&p, 0x00000000u, 128);
    const uint32_t faded = ScreenTable[128][0];
    const uint32_t expect = MulTable[128][faded];
    EXPECT_EQ(p, 0xFF000000u | expect << 16 | expect << 8 | expect);
}

TEST(PixelMath, PaintAddAndSubtractSaturate)
{
    uint32_t p = 0x01F00010u;
    PaintAdd(&p, 0x00202020u, 255);
    EXPECT_EQ(p, 0x01FF2030u);
    p = 0x01F00010u;
    PaintSubtract(&p, 0x00202020u, 255);
    EXPECT_EQ(p, 0x01D00000u);
    p = 0x01808080u;
    PaintAdd(&p, 0x00FFFFFFu, 0);
    EXPECT_EQ(p, 0x01808080u);
}

TEST(PixelMath, Blend32HalfMatchesBlend8PerByte)
{
    for (uint32_t a : {0u, 1u, 77u, 128u, 254u, 255u}) {
        uint32_t p = 0x55103080u;
        const uint32_t c = 0x00F0C020u;
        Blend32Half(&p, c, a);
        uint8_t b0 = 0x80, b1 = 0x30, b2 = 0x10;
        Blend8(&b0, 0x20, a);
        Blend8(&b1, 0xC0, a);
        Blend8(&b2, 0xF0, a);
        EXPECT_EQ(p, 0x55000000u | uint32_t(b2) << 16 | uint32_t(b1) << 8 | b0) << a;
    }
}

namespace {

// PaintNormal written out from its rule, one pixel at a time: alpha 0 keeps the pixel, 255
// takes the colour bytes, anything else moves each colour byte d towards c by
// (c·a·32897 + d·(8388735 − a·32897)) >> 23. The alpha byte of the pixel always stays.
uint32_t paintNormalByHand(uint32_t d, uint32_t c, uint32_t a)
{
    if (a == 0) return d;
    if (a == 255) return (d & 0xFF000000u) | (c & 0x00FFFFFFu);
    uint32_t out = d & 0xFF000000u;
    for (int shift : {0, 8, 16}) {
        const uint64_t cb = (c >> shift) & 0xFF, db = (d >> shift) & 0xFF;
        out |= uint32_t((cb * a * 32897 + db * (8388735 - uint64_t(a) * 32897)) >> 23) << shift;
    }
    return out;
}

} // namespace

// Each compiled variant and the dispatcher against the rule above, at every length from one
// pixel to a few vectors past 128, with sentinel pixels on both sides that must survive.
TEST(PixelMath, PaintNormalRowVariantsMatchTheRuleAtEveryLengthAndStayInside)
{
    constexpr size_t kGuard = 16;
    constexpr uint32_t kSentinel = 0xDEADBEEFu;
    std::vector<uint32_t> src(130), base(130);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (auto& v : src)
        v = next();
    for (auto& v : base)
        v = next();
    using RowFn = void (*)(uint32_t*, const uint32_t*, int32_t, uint32_t);
    std::vector<std::pair<const char*, RowFn>> variants = {{"portable", &paintNormalRowPortable},
                                                           {"dispatched", &paintNormalRow}};
    if (cpuHasAvx2()) variants.push_back({"avx2", &paintNormalRowAvx2});
    for (uint32_t alpha : {0u, 1u, 100u, 128u, 254u, 255u})
        for (int32_t n = 1; n <= 130; ++n)
            for (const auto& [name, fn] : variants) {
                std::vector<uint32_t> row(kGuard + size_t(n) + kGuard, kSentinel);
                std::copy_n(base.begin(), n, row.begin() + kGuard);
                fn(row.data() + kGuard, src.data(), n, alpha);
                for (size_t i = 0; i < row.size(); ++i) {
                    const bool inside = i >= kGuard && i < kGuard + size_t(n);
                    const uint32_t want =
                        inside ? paintNormalByHand(base[i - kGuard], src[i - kGuard], alpha)
                               : kSentinel;
                    ASSERT_EQ(row[i], want) << name << " alpha " << alpha << " length " << n
                                            << " at " << int64_t(i) - int64_t(kGuard);
                }
            }
}

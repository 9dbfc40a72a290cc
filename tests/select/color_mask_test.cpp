// The colour range against the rule worked pixel by pixel: the weight in double arithmetic
// as written, the alpha boost by plain division, the mask looked up pixel by pixel.
#include "select/color_mask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace qm;

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

struct Reference {
    std::vector<uint8_t> bytes; // row by row
    TColorMaskResult counts;
};

uint32_t referenceWeight(uint32_t d2, uint32_t b2)
{
    if (b2 == 0) return d2 == 0 ? 255 : 0;
    const double x = 1.5 - double(d2) / double(b2);
    return x <= 0.0 ? 0 : x >= 0.5 ? 255 : uint32_t(512.0 * x);
}

Reference referenceBuild(const CBlockVMTC& source, const std::vector<TColorPick>& picks,
                         const CMaskData* mask, TPoint maskOffset)
{
    Reference ref;
    ref.bytes.assign(size_t(source.width()) * size_t(source.height()), 0);
    for (int32_t y = 0; y < source.height(); ++y)
        for (int32_t x = 0; x < source.width(); ++x) {
            const uint32_t p = source.GetPixel(x, y);
            const uint32_t g = p >> 24;
            if (g <= 1) continue;
            if (mask && mask->IsValid() &&
                mask->WeightAt(x + maskOffset.x, y + maskOffset.y, 255) == 0)
                continue;
            int32_t d = 0;
            for (const TColorPick& pick : picks) {
                int32_t d2 = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int32_t delta =
                        int32_t((pick.colour >> shift) & 0xFF) - int32_t((p >> shift) & 0xFF);
                    d2 += delta * delta;
                }
                uint32_t v = referenceWeight(uint32_t(d2), 2u * pick.range * pick.range);
                if (v > 0 && v < 255 && g < 255) v = std::min(255u, v + v * (255 - g) / 255);
                d = pick.add ? std::min(d + int32_t(v), 255) : std::max(d - int32_t(v), 0);
            }
            ref.bytes[size_t(y) * size_t(source.width()) + size_t(x)] = uint8_t(d);
            ref.counts.above1 += d > 1;
            ref.counts.below2 += d < 2;
            ref.counts.full += d == 255;
        }
    return ref;
}

void expectSame(const CBlockVMTC& source, const std::vector<TColorPick>& picks,
                const CMaskData* mask, TPoint maskOffset)
{
    TChannel channel;
    const TColorMaskResult got = CColorMask::build(source, picks, mask, maskOffset, channel);
    const Reference ref = referenceBuild(source, picks, mask, maskOffset);
    ASSERT_EQ(channel.width(), source.width());
    ASSERT_EQ(channel.height(), source.height());
    for (int32_t y = 0; y < source.height(); ++y)
        for (int32_t x = 0; x < source.width(); ++x)
            ASSERT_EQ(channel.row(y)[x], ref.bytes[size_t(y) * size_t(source.width()) + size_t(x)])
                << "at " << x << ", " << y;
    EXPECT_EQ(got.above1, ref.counts.above1);
    EXPECT_EQ(got.below2, ref.counts.below2);
    EXPECT_EQ(got.full, ref.counts.full);
}

// A picture of w × h in 32 × 32 blocks: some blocks stay one colour (no storage), the others
// hold colours scattered around the pick colours (so that every kind of distance occurs) and
// random ones, with alphas 0, 1, 2, partial and 255.
CBlockVMTC randomPicture(int32_t w, int32_t h, uint32_t seed, const std::vector<uint32_t>& near)
{
    CBlockVMTC picture(w, h);
    uint32_t state = seed;
    picture.FillAll(0xC0000000u | (nextRandom(state) & 0xFFFFFF));
    const uint32_t alphas[] = {0, 1, 2, 128, 254, 255, 255, 255};
    for (int32_t by = 0; by < (h + 31) / 32; ++by)
        for (int32_t bx = 0; bx < (w + 31) / 32; ++bx) {
            if (nextRandom(state) % 4 == 0) continue; // stays uniform
            for (int32_t y = by * 32; y < std::min(h, by * 32 + 32); ++y)
                for (int32_t x = bx * 32; x < std::min(w, bx * 32 + 32); ++x) {
                    uint32_t colour = nextRandom(state) & 0xFFFFFF;
                    if (nextRandom(state) % 3 != 0) {
                        // Within a few levels of a pick in each channel.
                        colour = near[nextRandom(state) % near.size()] & 0xFFFFFF;
                        for (int shift = 0; shift < 24; shift += 8) {
                            const int32_t c = int32_t((colour >> shift) & 0xFF) +
                                              int32_t(nextRandom(state) % 97) - 48;
                            colour = (colour & ~(0xFFu << shift)) |
                                     (uint32_t(std::clamp(c, 0, 255)) << shift);
                        }
                    }
                    const uint32_t alpha = alphas[nextRandom(state) % 8];
                    picture.SetPixel(x, y, (alpha << 24) | colour);
                }
        }
    return picture;
}

} // namespace

TEST(ColorMaskBuild, MatchesTheRuleOnRandomPictures)
{
    const std::vector<std::vector<TColorPick>> pickSets = {
        {{0xFF102030u, true, 0}},
        {{0xFF102030u, true, 1}},
        {{0xFF807060u, true, 32}},
        {{0xFF807060u, true, 255}},
        {{0xFF807060u, true, 32}, {0xFF857060u, false, 12}, {0xFF204080u, true, 1}},
        {{0xFF807060u, false, 32}, {0xFFFFFFFFu, true, 255}, {0xFF000000u, false, 40}},
        {}};
    const std::vector<uint32_t> near = {0x102030u, 0x807060u, 0x857060u, 0x204080u};
    uint32_t seed = 1;
    for (const auto& picks : pickSets)
        for (const TPoint size : {TPoint{1, 1}, TPoint{37, 5}, TPoint{96, 70}}) {
            SCOPED_TRACE(::testing::Message()
                         << picks.size() << " picks, " << size.x << " x " << size.y);
            const CBlockVMTC picture = randomPicture(size.x, size.y, seed++, near);
            expectSame(picture, picks, nullptr, {0, 0});
        }
}

TEST(ColorMaskBuild, OnlyUnderTheCurrentMask)
{
    const std::vector<TColorPick> picks = {{0xFF807060u, true, 48}, {0xFF887060u, false, 8}};
    const CBlockVMTC picture = randomPicture(150, 90, 7, {0x807060u, 0x887060u});
    CollectingMessageSink messages;
    // A mask smaller than the picture, with blank, full and patchy blocks.
    CMaskData mask;
    ASSERT_TRUE(mask.createMask(130, 100, messages));
    mask.coverage->Fill(TBox{0, 0, 64, 64}, 255);
    uint32_t state = 9;
    for (int32_t y = 64; y < 100; ++y)
        for (int32_t x = 0; x < 130; ++x)
            mask.coverage->SetPixel(x, y,
                                    uint8_t(nextRandom(state) % 3 == 0 ? 0 : nextRandom(state)));
    // Offsets that take picture positions to mask positions, the mask overlapping each side.
    for (const TPoint offset : {TPoint{0, 0}, TPoint{-40, -25}, TPoint{35, 20}, TPoint{-200, 0}}) {
        SCOPED_TRACE(::testing::Message() << "offset " << offset.x << ", " << offset.y);
        expectSame(picture, picks, &mask, offset);
    }
    // An empty mask does not clip.
    CMaskData empty;
    expectSame(picture, picks, &empty, {0, 0});
}

TEST(ColorMaskBuild, EveryDistanceAgainstEveryRangeBoundary)
{
    // Pixels b, g, r around a pick at 0: all distances up to 3 · 63², and those of the edges
    // D = B2 and D = 1.5 · B2 of the ranges below; half of them partly transparent.
    CBlockVMTC picture(64 * 8, 64 * 8);
    for (int32_t y = 0; y < picture.height(); ++y)
        for (int32_t x = 0; x < picture.width(); ++x) {
            const uint32_t b = uint32_t(x % 64), g = uint32_t(y % 64);
            const uint32_t r = uint32_t((x / 64) + 8 * (y / 64));
            const uint32_t alpha = (x + y) % 2 ? 255u : 100u;
            picture.SetPixel(x, y, (alpha << 24) | (r << 16) | (g << 8) | b);
        }
    for (const int range : {0, 1, 2, 7, 20, 32, 45, 63}) {
        SCOPED_TRACE(::testing::Message() << "range " << range);
        expectSame(picture, {{0xFF000000u, true, uint8_t(range)}}, nullptr, {0, 0});
    }
}

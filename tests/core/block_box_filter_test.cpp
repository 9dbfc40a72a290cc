// The tiled box filter must give the bytes of the per-sample filter of image_scale.h, which
// reads each sample through GetPixel and serves here as the reference.
#include "core/block_box_filter.h"
#include "core/block_vch.h"
#include "core/block_vmtc.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state ^ (state >> 15);
}

// Every block is, at random, allocated with random pixels (also past the picture's edge),
// allocated but holding one value, or left without storage under a random Fill.
template <typename Image>
void randomBlocks(Image& image, uint32_t seed)
{
    using Pixel = decltype(image.GetPixel(0, 0));
    for (TBlockInfo& block : image.blocks()) {
        const uint32_t kind = nextRandom(seed) % 3;
        const auto value = Pixel(nextRandom(seed));
        if (kind == 0) {
            block.fill = value;
            continue;
        }
        ASSERT_TRUE(image.AllocBlock(block));
        for (int32_t y = 0; y < image.blockHeight(); ++y) {
            Pixel* row = image.blockRow(block, y);
            for (int32_t x = 0; x < image.blockWidth(); ++x)
                row[x] = kind == 1 ? value : Pixel(nextRandom(seed));
        }
    }
    image.blocksEdited();
}

// What DownscaleTo must produce: the reference filter over GetPixel, colour bytes replaced.
TMTC referenceDownscale(const CBlockVMTC& source, TBox box, const TMTC& before, TBox part)
{
    TMTC expected(before.width(), before.height());
    for (int32_t y = 0; y < before.height(); ++y)
        for (int32_t x = 0; x < before.width(); ++x)
            expected.setPixel(x, y, before.pixel(x, y));
    clipBoxToSize(box, source.width(), source.height());
    boxFilterDownscale<3>(
        box, source.width(), source.height(), expected.width(), expected.height(), part,
        [&](int32_t x, int32_t y) { return source.GetPixel(x, y); },
        [&](int32_t x, int32_t y, uint32_t means) {
            uint32_t& out = expected.row(y)[x];
            out = (out & 0xFF000000u) | means;
        });
    return expected;
}

TMTC randomFlat(int32_t w, int32_t h, uint32_t seed)
{
    TMTC image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.setPixel(x, y, nextRandom(seed));
    return image;
}

void expectSamePixels(const TMTC& actual, const TMTC& expected, const char* what)
{
    for (int32_t y = 0; y < expected.height(); ++y)
        for (int32_t x = 0; x < expected.width(); ++x)
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << what << " at " << x << ", " << y;
}

} // namespace

TEST(TiledBoxFilter, MatchesThePerSampleFilterForWholeImagesAndBoxes)
{
    struct Case {
        int32_t width, height;
        TBox box;
        int32_t destWidth, destHeight;
    };
    const Case cases[] = {
        {100, 75, {0, 0, 100, 75}, 10, 7},   // ratio with remainders both ways
        {100, 75, {0, 0, 100, 75}, 100, 75}, // one to one: two samples each, clamped at the edge
        {64, 64, {0, 0, 64, 64}, 130, 97},   // larger than the source: a sample or two each
        {257, 129, {0, 0, 257, 129}, 1, 1},  // one pixel for the whole image
        {257, 129, {0, 0, 257, 129}, 3, 128},
        {300, 200, {37, 21, 150, 111}, 17, 13}, // a box inside the image
        {300, 200, {-40, 150, 400, 90}, 23, 9}, // a box reaching past the image, clipped
        {33, 1000, {0, 0, 33, 1000}, 2, 31},    // tall: many rows per block row
        {1, 1, {0, 0, 1, 1}, 4, 3},
    };
    uint32_t seed = 1;
    for (const Case& c : cases) {
        CBlockVMTC image(c.width, c.height);
        randomBlocks(image, seed++);
        const TMTC before = randomFlat(c.destWidth, c.destHeight, seed++);
        TMTC dest = randomFlat(c.destWidth, c.destHeight, seed - 1);
        const int64_t memory = image.MemoryUsed();
        ASSERT_TRUE(image.DownscaleTo(dest, c.box));
        expectSamePixels(dest, referenceDownscale(image, c.box, before, before.bounds()), "whole");
        EXPECT_EQ(image.MemoryUsed(), memory); // reading allocates nothing
    }
}

// Only the destination pixels inside `part` change, each exactly as in the whole run.
TEST(TiledBoxFilter, PartsAreComputedAloneAndTheRestIsLeftAlone)
{
    CBlockVMTC image(411, 290);
    randomBlocks(image, 77);
    const TBox box{5, 3, 400, 280};
    const TMTC before = randomFlat(57, 41, 78);
    for (const TBox part : {TBox{0, 0, 57, 41}, TBox{10, 7, 20, 9}, TBox{56, 40, 1, 1},
                            TBox{-5, 30, 12, 30}, TBox{50, -3, 30, 5}}) {
        TMTC dest = randomFlat(57, 41, 78);
        ASSERT_TRUE(image.DownscaleTo(dest, box, part));
        expectSamePixels(dest, referenceDownscale(image, box, before, part), "part");
    }
    TMTC dest = randomFlat(57, 41, 78);
    ASSERT_TRUE(image.DownscaleTo(dest, box, TBox{60, 0, 5, 5})); // nothing of it is inside
    expectSamePixels(dest, before, "outside");
}

// A white layer of 4200 × 4200 into one pixel takes 4201² samples, and 4201² × 255 passes
// 2^32: the 32-bit lane sums wrap, and the regrouped sums must wrap to the same value.
TEST(TiledBoxFilter, WrappingSumsAgreeWithThePerSampleFilter)
{
    CBlockVMTC image(4200, 4200);
    ASSERT_TRUE(image.FillAll(0x00FFFFFFu));
    uint32_t seed = 3;
    for (int32_t y = 4000; y < 4100; ++y)
        for (int32_t x = 1000; x < 1070; ++x)
            image.SetPixel(x, y, nextRandom(seed));
    for (const int32_t width : {1, 2}) {
        const TMTC before = randomFlat(width, 1, 4);
        TMTC dest = randomFlat(width, 1, 4);
        ASSERT_TRUE(image.DownscaleTo(dest));
        expectSamePixels(dest, referenceDownscale(image, image.bounds(), before, before.bounds()),
                         "wrapped");
    }
}

TEST(TiledBoxFilter, EightBitBlocksMatchThePerSampleFilter)
{
    for (const TBox size : {TBox{0, 0, 200, 150}, TBox{0, 0, 65, 300}}) {
        CBlockVCH image(size.width, size.height);
        randomBlocks(image, uint32_t(size.width));
        for (const int32_t to : {1, 7, 64, 201}) {
            TChannel dest(to, to / 2 + 1), expected(to, to / 2 + 1);
            ASSERT_TRUE(image.DownscaleTo(dest));
            boxFilterDownscale<1>(
                size, size.width, size.height, to, to / 2 + 1, TBox{0, 0, to, to / 2 + 1},
                [&](int32_t x, int32_t y) { return uint32_t(image.GetPixel(x, y)); },
                [&](int32_t x, int32_t y, uint32_t mean) { expected.row(y)[x] = uint8_t(mean); });
            for (int32_t y = 0; y < dest.height(); ++y)
                for (int32_t x = 0; x < to; ++x)
                    ASSERT_EQ(dest.row(y)[x], expected.row(y)[x]) << to << ": " << x << ", " << y;
        }
    }
}

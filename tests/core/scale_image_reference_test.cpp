// The area-average scaler against a brute-force reading of its formula: destination pixel
// (i, j) is the mean of the source rectangle from (sourceBox.x × 65536 + i × ScaleX, ...) of
// ScaleX × ScaleY, each source pixel weighted by the part of it covered (both axes in 16.16),
// a rectangle axis lying inside one pixel counting that pixel whole; each byte is the
// truncated mean. Here every pixel is summed on its own in 128 bits, with no shortcut.
#include "core/scale_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace qm;

namespace {

using Weights = std::vector<std::pair<int32_t, uint64_t>>; // source pixel, covered length

Weights axisWeights(int64_t a, int64_t b, int32_t size)
{
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, int64_t(size) << 16);
    if ((a >> 16) == ((b - 1) >> 16))
        return {{int32_t(a >> 16), 65536}};
    Weights w;
    for (int64_t p = a >> 16; p <= (b - 1) >> 16; ++p)
        w.emplace_back(int32_t(p), uint64_t(std::min(b, (p + 1) << 16) - std::max(a, p << 16)));
    return w;
}

// The expected destination box, row by row, from pixelAt(x, y) of a width × height source.
std::vector<uint32_t> bruteForce(const std::function<uint32_t(int32_t, int32_t)>& pixelAt,
                                 int32_t width, int32_t height, TBox from, TBox to, int channels)
{
    const int64_t scaleX = (int64_t(from.width) << 16) / to.width;
    const int64_t scaleY = (int64_t(from.height) << 16) / to.height;
    std::vector<uint32_t> out;
    for (int32_t j = 0; j < to.height; ++j) {
        const int64_t y0 = (int64_t(from.y) << 16) + j * scaleY;
        const Weights rows = axisWeights(y0, y0 + scaleY, height);
        for (int32_t i = 0; i < to.width; ++i) {
            const int64_t x0 = (int64_t(from.x) << 16) + i * scaleX;
            const Weights columns = axisWeights(x0, x0 + scaleX, width);
            unsigned __int128 sum[4] = {}, rowsTotal = 0, columnsTotal = 0;
            for (const auto& [y, wy] : rows) {
                rowsTotal += wy;
                for (const auto& [x, wx] : columns) {
                    const uint32_t p = pixelAt(x, y);
                    for (int c = 0; c < channels; ++c)
                        sum[c] += (unsigned __int128)((p >> (8 * c)) & 0xFF) * wx * wy;
                }
            }
            for (const auto& column : columns)
                columnsTotal += column.second;
            uint32_t pixel = 0;
            for (int c = 0; c < channels; ++c)
                pixel |= uint32_t(sum[c] / (rowsTotal * columnsTotal)) << (8 * c);
            out.push_back(pixel);
        }
    }
    return out;
}

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state ^ (state >> 13);
}

// Random pixels in most blocks, some blocks uniform without storage.
void paintLayer(CBlockVMTC& image, uint32_t seed)
{
    for (TBlockInfo& block : image.blocks()) {
        if (nextRandom(seed) % 4 == 0) {
            block.fill = nextRandom(seed);
            continue;
        }
        ASSERT_TRUE(image.AllocBlock(block));
        for (int32_t y = 0; y < CBlockVMTC::kBlock; ++y)
            for (int32_t x = 0; x < CBlockVMTC::kBlock; ++x)
                image.blockRow(block, y)[x] = nextRandom(seed);
    }
    image.blocksEdited();
}

struct Case {
    int32_t sourceWidth, sourceHeight;
    TBox from;
    int32_t destWidth, destHeight;
    TBox to;
};

// Enlargements by whole and broken factors (rows inside one source row, some repeating the
// one before, next to rows across two), halving (power-of-two areas), odd reductions, and
// boxes inside both images.
const Case kCases[] = {
    {64, 48, {0, 0, 64, 48}, 128, 96, {0, 0, 128, 96}},
    {50, 40, {0, 0, 50, 40}, 150, 120, {0, 0, 150, 120}},
    {30, 20, {0, 0, 30, 20}, 40, 27, {0, 0, 40, 27}},
    {33, 35, {0, 0, 33, 35}, 47, 71, {0, 0, 47, 71}},
    {64, 48, {0, 0, 64, 48}, 32, 24, {0, 0, 32, 24}},
    {70, 50, {0, 0, 70, 50}, 23, 17, {0, 0, 23, 17}},
    {41, 37, {3, 5, 30, 20}, 50, 40, {2, 1, 45, 31}},
    {90, 70, {10, 20, 77, 33}, 40, 40, {3, 4, 19, 35}},
};

} // namespace

TEST(ScaleReference, FlatImagesMatchTheFormulaPixelByPixel)
{
    uint32_t seed = 17;
    for (const Case& c : kCases) {
        TMTC source(c.sourceWidth, c.sourceHeight), dest(c.destWidth, c.destHeight);
        for (int32_t y = 0; y < c.sourceHeight; ++y)
            for (int32_t x = 0; x < c.sourceWidth; ++x)
                source.setPixel(x, y, nextRandom(seed));
        ASSERT_TRUE(CScaleImageTMTC(source, dest).Scale(c.from, c.to));
        const auto expected = bruteForce([&](int32_t x, int32_t y) { return source.pixel(x, y); },
                                         c.sourceWidth, c.sourceHeight, c.from, c.to, 4);
        for (int32_t j = 0; j < c.to.height; ++j)
            for (int32_t i = 0; i < c.to.width; ++i)
                ASSERT_EQ(dest.pixel(c.to.x + i, c.to.y + j), expected[size_t(j * c.to.width + i)])
                    << c.sourceWidth << " → " << c.to.width << " at " << i << ", " << j;
    }
}

TEST(ScaleReference, LayersMatchTheFormulaAndLeaveTheRestAlone)
{
    uint32_t seed = 23;
    for (const Case& c : kCases) {
        CBlockVMTC source(c.sourceWidth, c.sourceHeight), dest(c.destWidth, c.destHeight);
        paintLayer(source, seed++);
        ASSERT_TRUE(CScaleLayerImage(source, dest).Scale(c.from, c.to));
        const auto expected =
            bruteForce([&](int32_t x, int32_t y) { return source.GetPixel(x, y); }, c.sourceWidth,
                       c.sourceHeight, c.from, c.to, 4);
        for (int32_t y = 0; y < c.destHeight; ++y)
            for (int32_t x = 0; x < c.destWidth; ++x) {
                const bool inside = x >= c.to.x && x < c.to.x + c.to.width && y >= c.to.y &&
                                    y < c.to.y + c.to.height;
                ASSERT_EQ(dest.GetPixel(x, y),
                          inside ? expected[size_t((y - c.to.y) * c.to.width + x - c.to.x)]
                                 : CBlockVMTC::kDefaultFill)
                    << c.sourceWidth << " → " << c.to.width << " at " << x << ", " << y;
            }
    }
}

// Areas of some 16.8 million pixels and more no longer fit 64-bit sums (255 × area passes
// 2^64); just below and just above that, the means must still be exact.
TEST(ScaleReference, WideAreasOnBothSidesOfTheSixtyFourBitLimit)
{
    for (const int32_t side : {4000, 4200}) {
        CBlockVMTC source(side, side), dest(2, 1);
        ASSERT_TRUE(source.FillAll(0xFFFFFFFFu));
        uint32_t seed = uint32_t(side);
        for (int32_t y = 100; y < 400; ++y)
            for (int32_t x = 1900; x < 2300; ++x)
                source.SetPixel(x, y, nextRandom(seed));
        const TBox from{0, 0, side, side}, to{0, 0, 1, 1};
        ASSERT_TRUE(CScaleLayerImage(source, dest).Scale(from, to));
        const auto expected = bruteForce(
            [&](int32_t x, int32_t y) { return source.GetPixel(x, y); }, side, side, from, to, 4);
        EXPECT_EQ(dest.GetPixel(0, 0), expected[0]) << side;
        EXPECT_NE(expected[0], 0xFFFFFFFFu) << side; // the random patch counts
    }
}

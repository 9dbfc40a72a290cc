#include "layers/layer_geometry_rows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

// Random pixels right of x = 40, a uniform opaque colour left of it.
CBlockVMTC randomImage(int32_t w, int32_t h, uint32_t seed)
{
    CBlockVMTC image(w, h);
    image.SetColor(image.bounds(), 0x00336699u);
    image.SetAlpha(image.bounds(), 0xFF);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 40; x < w; ++x)
            image.SetPixel(x, y, nextRandom(seed));
    return image;
}

std::vector<uint32_t> pixelsOf(const CBlockVMTC& image)
{
    std::vector<uint32_t> p;
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x)
            p.push_back(image.GetPixel(x, y));
    return p;
}

} // namespace

TEST(LayerGeometryRows, SupersampleGivesTheBytesOfThePlainDownscale)
{
    struct Case {
        int32_t w, h, dw, dh;
    };
    for (Case c : {Case{70, 45, 33, 20}, Case{70, 45, 31, 19}, Case{100, 70, 130, 91},
                   Case{64, 64, 32, 32}, Case{1, 1, 3, 2}, Case{97, 33, 1, 1}}) {
        const CBlockVMTC source = randomImage(c.w, c.h, uint32_t(c.w * c.dw));
        CBlockVMTC fast(c.dw, c.dh), plain(c.dw, c.dh);
        ASSERT_TRUE(supersampleInto(source, fast));
        ASSERT_TRUE(source.DownscaleTo(plain));
        EXPECT_EQ(pixelsOf(fast), pixelsOf(plain)) << c.w << "x" << c.h << " -> " << c.dw;
    }
    // A destination that already holds something is written everywhere.
    const CBlockVMTC source = randomImage(70, 45, 5);
    CBlockVMTC fast(33, 20), plain(33, 20);
    fast.SetPixel(3, 3, 0x12345678u);
    ASSERT_TRUE(supersampleInto(source, fast));
    ASSERT_TRUE(source.DownscaleTo(plain));
    EXPECT_EQ(pixelsOf(fast), pixelsOf(plain));
}

TEST(LayerGeometryRows, RowWritesAndBoxFillsTouchOnlyTheirPixels)
{
    for (int32_t count = 1; count <= 100; count += 3) {
        CBlockVMTC image(80, 3);
        std::vector<uint32_t> row(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            row[size_t(i)] = 0xFF000000u | uint32_t(i);
        // Starting left of the picture: the pixels before x = 0 are skipped, not shifted.
        ASSERT_TRUE(writeImageRow(image, -2, 1, count, row.data()));
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 80; ++x) {
                const bool written = y == 1 && x < count - 2;
                ASSERT_EQ(image.GetPixel(x, y), written ? row[size_t(x + 2)] : 0x00FFFFFFu)
                    << count << ": " << x << "," << y;
            }
    }
    CBlockVMTC image(96, 64);
    ASSERT_TRUE(fillImageBox(image, TBox{16, 0, 80, 64}, 0xFF010203u));
    image.Optimize();
    // Blocks 1 and 2 of each row were covered whole and never allocated; block 0 was.
    EXPECT_EQ(image.MemoryUsed(), 2 * 4096);
    EXPECT_EQ(image.GetPixel(15, 10), 0x00FFFFFFu);
    EXPECT_EQ(image.GetPixel(16, 10), 0xFF010203u);
    EXPECT_EQ(image.GetPixel(95, 63), 0xFF010203u);
}

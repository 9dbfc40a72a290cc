#include "core/aa_line.h"

#include "core/image_ops.h"

#include "core/pixel_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace qm;
using namespace qm::test;

namespace {

// Black and half transparent, so painting shows in the green byte and the alpha byte can be
// checked for being kept.
Grid drawn(int32_t w, int32_t h, bool antiAlias, float x0, float y0, float x1, float y1)
{
    TMTC img(w, h);
    fillAll(img, 0x80000000u);
    aaLine(img, 0x00FFFFFFu, antiAlias, x0, y0, x1, y1);
    Grid g(static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            EXPECT_EQ(img.row(y)[x] >> 24, 0x80u);
            g[size_t(y)].push_back(int((img.row(y)[x] >> 8) & 0xFF));
        }
    return g;
}

} // namespace

TEST(AaLine, ShallowLineSplitsEachStepBetweenTwoPixels)
{
    const Grid expected = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},        {0, 255, 143, 31, 0, 0, 0, 0, 0, 0},
        {0, 0, 112, 224, 175, 63, 0, 0, 0, 0}, {0, 0, 0, 0, 80, 192, 207, 95, 0, 0},
        {0, 0, 0, 0, 0, 0, 48, 160, 239, 0},   {0, 0, 0, 0, 0, 0, 0, 0, 16, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(drawn(10, 7, true, 1.0f, 1.0f, 8.0f, 4.5f), expected);
    // Walked from its start point: reversed, the minor coordinate starts at the other end.
    const Grid back = drawn(10, 7, true, 8.0f, 4.5f, 1.0f, 1.0f);
    EXPECT_EQ(text(back[4]), "0 0 0 0 0 48 160 239 127 0");
    EXPECT_EQ(text(back[1]), "0 143 31 0 0 0 0 0 0 0");
    // Without anti-aliasing: one full pixel per step, from x = 1 to 8.
    int painted = 0;
    for (const auto& row : drawn(10, 7, false, 1.0f, 1.0f, 8.0f, 4.5f))
        for (int v : row)
            painted += v == 255 ? 1 : (v == 0 ? 0 : 100);
    EXPECT_EQ(painted, 8);
}

TEST(AaLine, SteepLineAndEndsOutsideThePicture)
{
    const Grid g = drawn(7, 9, true, 2.0f, 1.0f, 4.5f, 7.0f);
    EXPECT_EQ(text(g[1]), "0 0 255 0 0 0 0");
    EXPECT_EQ(text(g[2]), "0 0 164 91 0 0 0");
    EXPECT_EQ(text(g[7]), "0 0 0 0 219 36 0");
    EXPECT_EQ(g[8], std::vector<int>(7, 0));
    // Ends far outside still draw the part inside; unusable ends draw nothing.
    EXPECT_EQ(drawn(8, 8, true, -1e7f, 3.0f, 1e7f, 3.0f)[3], std::vector<int>(8, 255));
    EXPECT_EQ(drawn(8, 8, true, NAN, 0.0f, 5.0f, 5.0f), Grid(8, std::vector<int>(8, 0)));
    EXPECT_EQ(drawn(8, 8, true, 0.0f, 1e30f, 5.0f, 5.0f), Grid(8, std::vector<int>(8, 0)));
}

TEST(AaLine, FadedLineScalesBothAlphas)
{
    TMTC img(6, 3), aa(6, 3);
    aaLineFaded(img, 0x0000FF00u, false, 0.0f, 1.0f, 4.0f, 1.0f, 0.0f, 1.0f);
    aaLineFaded(aa, 0x0000FF00u, true, 0.0f, 1.25f, 4.0f, 1.25f, 1.0f, 0.5f);
    const uint32_t expected[] = {0, 63, 127, 191, 255, 0};
    const uint32_t top[] = {191, 167, 143, 119, 95, 0};
    const uint32_t below[] = {64, 56, 48, 40, 32, 0};
    for (int32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(img.row(1)[x], expected[x] << 8) << x;
        EXPECT_EQ(aa.row(1)[x], top[x] << 8) << x;
        EXPECT_EQ(aa.row(2)[x], below[x] << 8) << x;
    }
}

TEST(LineWith, InterpolatesPositionsAndValues)
{
    TChannel c(8, 8);
    std::vector<int> values;
    EXPECT_TRUE(lineWith(c, {0, 0}, {6, 3}, 0u, 10, 70, [&](uint8_t* p, uint32_t, int32_t v) {
        *p = 1;
        values.push_back(v);
    }));
    EXPECT_EQ(text(values), "10 20 30 40 50 60 70");
    const int ys[] = {0, 0, 1, 1, 2, 2, 3}; // h × 3 / 6, truncated
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(c.row(ys[x])[x], 1) << x;

    // Only points inside are visited; a single point works; a line wholly outside is false.
    TMTC img(4, 4);
    int count = 0;
    auto countFn = [&](uint32_t*, uint32_t, int32_t) { ++count; };
    EXPECT_TRUE(lineWith(img, {-1000000, 1}, {1000000, 1}, 0u, 0, 0, countFn));
    EXPECT_TRUE(lineWith(img, {2, 2}, {2, 2}, 0u, 5, 9, countFn));
    EXPECT_EQ(count, 5);
    EXPECT_FALSE(lineWith(img, {-5, -5}, {-1, -9}, 0u, 0, 0, countFn));
}

TEST(OutlineWith, VisitsEveryOutlinePixelExactlyOnce)
{
    TChannel c(8, 8);
    auto xorFn = [](uint8_t* p, uint32_t, int32_t) { *p ^= 0xFF; };
    EXPECT_TRUE(outlineWith(c, {1, 1, 5, 4}, 0u, 0, xorFn));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const bool edge =
                x >= 1 && x <= 5 && y >= 1 && y <= 4 && (x == 1 || x == 5 || y == 1 || y == 4);
            EXPECT_EQ(c.row(y)[x], edge ? 0xFF : 0) << x << "," << y;
        }
    TChannel line(4, 4);
    EXPECT_TRUE(outlineWith(line, {0, 2, 3, 1}, 0u, 0, xorFn));
    EXPECT_EQ(line.row(2)[0] + line.row(2)[1] + line.row(2)[2], 3 * 0xFF);
    EXPECT_FALSE(outlineWith(line, {0, 0, 0, 3}, 0u, 0, xorFn));
}

TEST(FrameRect, SolidOutlineClippedToTheImage)
{
    TMTC img(6, 6);
    EXPECT_TRUE(FrameRect(img, {1, 1, 4, 3}, 0xFF112233u));
    int framed = 0;
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            framed += img.row(y)[x] == 0xFF112233u;
    EXPECT_EQ(framed, 10);
    EXPECT_EQ(img.row(2)[2], 0u);

    TMTC clipped(4, 4);
    EXPECT_TRUE(FrameRect(clipped, {-2, 1, 10, 2}, 7u)); // sides outside, rows inside
    EXPECT_EQ(clipped.row(2)[3], 7u);
    EXPECT_FALSE(FrameRect(clipped, {-1, -1, 6, 6}, 9u)); // whole outline outside
    EXPECT_FALSE(FrameRect(clipped, {0, 0, 0, 4}, 9u));
}

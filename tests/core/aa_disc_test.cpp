#include "core/aa_disc.h"

#include "core/image_ops.h"

#include "core/pixel_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace qm;
using namespace qm::test;

namespace {

} // namespace

// Expected values are worked out independently from the fifths rule; the rim is not
// symmetric because each pixel is judged by its top-left corner.
TEST(AaDisc8, RadiusFiveWithAndWithoutAntiAlias)
{
    TChannel aa(13, 13), hard(13, 13);
    aaDisc8(aa, 200, true, false, 1.0f, 5.0f, 6.0f, 6.0f);
    aaDisc8(hard, 200, false, false, 1.0f, 5.0f, 6.0f, 6.0f);
    const Grid g = grid(aa);
    EXPECT_EQ(text(g[1]), "0 0 0 31 120 160 160 135 47 0 0 0 0");
    EXPECT_EQ(text(g[2]), "0 0 80 191 200 200 200 200 200 111 0 0 0");
    EXPECT_EQ(text(g[6]), "0 160 200 200 200 200 200 200 200 200 200 0 0");
    EXPECT_EQ(text(g[10]), "0 0 0 63 160 200 200 175 87 0 0 0 0");
    EXPECT_EQ(g[11], std::vector<int>(13, 0));
    // Without anti-aliasing the same pixels are touched, all at the full value.
    Grid full = g;
    for (auto& row : full)
        for (int& v : row)
            v = v ? 200 : 0;
    EXPECT_EQ(grid(hard), full);
}

TEST(AaDisc8, SmallRadiusIsAlwaysSubSampled)
{
    const Grid expected = {{0, 0, 0, 0, 0},
                           {0, 80, 160, 80, 0},
                           {0, 160, 200, 160, 0},
                           {0, 80, 160, 80, 0},
                           {0, 0, 0, 0, 0}};
    for (bool antiAlias : {true, false}) {
        TChannel c(5, 5);
        aaDisc8(c, 200, antiAlias, false, 1.0f, 1.5f, 2.5f, 2.5f);
        EXPECT_EQ(grid(c), expected) << "antiAlias " << antiAlias;
    }
    // A disc far smaller than a pixel, between the corners, still leaves its mark.
    TChannel tiny(5, 5);
    aaDisc8(tiny, 255, false, false, 1.0f, 0.4f, 2.5f, 2.5f);
    Grid dot(5, std::vector<int>(5, 0));
    dot[2][2] = 90;
    EXPECT_EQ(grid(tiny), dot);
}

TEST(AaDisc8, MaxModeOnlyRaisesAndTheRimStaysBelowTheInterior)
{
    TChannel c(13, 13);
    fillAll(c, 0);
    c.row(6)[7] = 150;
    aaDisc8(c, 200, true, true, 0.5f, 5.0f, 6.0f, 6.0f);
    EXPECT_EQ(c.row(6)[6], 100); // W = Trunc(200 × 0.5)
    EXPECT_EQ(c.row(6)[7], 150);
    EXPECT_EQ(c.row(1)[5], 80); // W × 20 / 25
    EXPECT_EQ(c.row(10)[8], 44);
    c.row(6)[7] = 0;
    for (const auto& row : grid(c))
        for (int v : row)
            EXPECT_LE(v, 100);
}

TEST(AaDisc8, WriterSeesOnlyPixelsInsideTheImage)
{
    std::vector<std::vector<uint32_t>> calls;
    TChannel c(3, 3);
    aaDisc8(c, 200, true, false, 1.0f, 1.5f, 0.5f, 0.5f,
            [&](int32_t x, int32_t y, uint32_t a, uint32_t v) {
                calls.push_back({uint32_t(x), uint32_t(y), a, v});
            });
    // Sub-sample counts 25, 20, 20, 10; the pixels left and above are outside.
    const std::vector<std::vector<uint32_t>> expected = {
        {0, 0, 255, 200}, {1, 0, 204, 200}, {0, 1, 204, 200}, {1, 1, 102, 200}};
    EXPECT_EQ(calls, expected);
}

TEST(AaDisc8, UnusableInputDrawsNothing)
{
    TChannel c(8, 8);
    for (float r : {0.0f, -2.0f, NAN, INFINITY})
        aaDisc8(c, 255, true, false, 1.0f, r, 4.0f, 4.0f);
    aaDisc8(c, 255, true, false, 1.0f, 3.0f, 1e30f, 4.0f);
    directDisc8(c, 255, true, false, 1.0f, 3.0f, -50.0f, -50.0f);
    EXPECT_EQ(grid(c), Grid(8, std::vector<int>(8, 0)));
    // Opacity outside 0..1 is clamped rather than indexing past the tables.
    aaDisc8(c, 200, true, false, 7.0f, 1.5f, 2.5f, 2.5f);
    EXPECT_EQ(c.row(2)[2], 200);
}

TEST(DirectDisc8, FalloffPlainAndMaxValues)
{
    TChannel fall(13, 13), plain(13, 13), raised(13, 13);
    directDisc8(fall, 200, true, false, 1.0f, 5.0f, 6.0f, 6.0f);
    directDisc8(plain, 200, false, false, 1.0f, 5.0f, 6.0f, 6.0f);
    fillAll(raised, 100);
    directDisc8(raised, 200, true, true, 1.0f, 5.0f, 6.0f, 6.0f);
    EXPECT_EQ(text(grid(fall)[6]), "0 0 71 128 167 191 199 191 167 128 55 0 0");
    EXPECT_EQ(grid(fall)[2][4], 39);
    EXPECT_EQ(text(grid(plain)[1]), "0 0 0 25 94 125 125 106 37 0 0 0 0");
    EXPECT_EQ(grid(plain)[9][9], 119);
    EXPECT_EQ(text(grid(raised)[6]), "100 100 100 128 167 191 199 191 167 128 100 100 100");
    EXPECT_EQ(grid(raised)[2][4], 100); // 39 would be lower
}

TEST(AaDisc32, AntiAliasedFalloffAndTheRadiusThreeRule)
{
    TMTC plain(13, 13), fall(13, 13);
    fillAll(plain, 0x80000000u);
    aaDisc32(plain, 0x00FFFFFFu, true, false, 1.0f, 5.0f, 6.0f, 6.0f);
    aaDisc32(fall, 0x00FFFFFFu, true, true, 1.0f, 5.0f, 6.0f, 6.0f);
    EXPECT_EQ(text(grid(plain)[1]), "0 0 0 30 158 190 190 174 62 0 0 0 0");
    EXPECT_EQ(text(grid(plain)[9]), "0 0 142 255 255 255 255 255 255 206 0 0 0");
    EXPECT_EQ(plain.row(6)[6], 0x80FFFFFFu); // alpha byte untouched
    EXPECT_EQ(text(grid(fall)[6]), "0 0 90 162 213 243 253 243 213 162 90 0 0");
    EXPECT_EQ(grid(fall)[8][10], 24);

    // Below radius 3 the falloff request is ignored.
    TMTC small(7, 7), smallFall(7, 7);
    aaDisc32(small, 0x00FFFFFFu, true, false, 1.0f, 2.0f, 3.5f, 3.5f);
    aaDisc32(smallFall, 0x00FFFFFFu, true, true, 1.0f, 2.0f, 3.5f, 3.5f);
    EXPECT_EQ(grid(smallFall), grid(small));
    EXPECT_EQ(text(grid(small)[2]), "0 14 238 255 255 62 0");
}

// The falloff's quotient comes from a reciprocal: it must be the plain integer division's, at
// every distance of small and large discs and at the exact multiples where an estimate slips.
TEST(AaDiscFalloff, EqualsThePlainDivisionEverywhere)
{
    std::mt19937_64 rng(11);
    for (const int64_t r : {int64_t(1), int64_t(3), int64_t(40), int64_t(200), int64_t(4097),
                            int64_t(1) << 20, int64_t(1) << 24}) {
        discDetail::TDiscFrame f;
        f.r2 = r * r;
        f.inverseR2 = 1.0 / double(f.r2);
        const auto plain = [&](int64_t dx, int64_t dy) {
            const int64_t v = 255 - (dx * dx + dy * dy) * 255 / f.r2;
            return v < 0 ? 0 : int32_t(v);
        };
        for (int k = 0; k < 20000; ++k) {
            const int64_t span = 2 * r + 8;
            const int64_t dx = int64_t(rng() % uint64_t(span)) - span / 2;
            const int64_t dy = int64_t(rng() % uint64_t(span)) - span / 2;
            ASSERT_EQ(discDetail::falloff(f, dx, dy), plain(dx, dy))
                << "r " << r << " at " << dx << "," << dy;
        }
        // Distances whose squared length times 255 is a multiple of r², and one short of it.
        for (int64_t dx = 0; dx <= r; dx += std::max<int64_t>(1, r / 64)) {
            ASSERT_EQ(discDetail::falloff(f, dx, 0), plain(dx, 0)) << "r " << r << " dx " << dx;
            ASSERT_EQ(discDetail::falloff(f, r, 0), 0);
        }
    }
}

// The wholly covered run of each row is exactly the pixels whose four corners pass the test.
TEST(AaDiscInterior, TheRunHoldsExactlyThePixelsWithFourCornersInside)
{
    std::mt19937 rng(3);
    TMTC image(300, 200);
    for (int k = 0; k < 400; ++k) {
        const float radius = std::uniform_real_distribution<float>(0.3f, 120.0f)(rng);
        const float cx = std::uniform_real_distribution<float>(-50.0f, 350.0f)(rng);
        const float cy = std::uniform_real_distribution<float>(-50.0f, 250.0f)(rng);
        discDetail::TDiscFrame f;
        if (!discDetail::discFrame(radius, cx, cy, 4, image, f))
            continue;
        for (int32_t y = f.top; y <= f.bottom; ++y) {
            int32_t first, last;
            discDetail::interiorRun(f, y, first, last);
            for (int32_t x = f.left; x <= f.right; ++x) {
                const bool whole =
                    discDetail::cornersInside(f, 4 * int64_t(x) - f.centreX,
                                              4 * int64_t(y) - f.centreY) == 4;
                ASSERT_EQ(whole, x >= first && x <= last)
                    << "r " << radius << " at " << cx << "," << cy << " pixel " << x << "," << y;
            }
        }
    }
}

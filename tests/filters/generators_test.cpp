#include "filters/cloud_rock.h"
#include "filters/floor.h"
#include "filters/lighting.h"
#include "filters/tile_pattern.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace qm;
using namespace qm::test;

namespace {

// The generator's sequence, written out: byte draws are the top 8 bits of each new state.
struct TLcg {
    uint32_t state;
    uint32_t nextByte()
    {
        state = state * 134775813u + 1u;
        return uint32_t((uint64_t(256) * state) >> 32);
    }
};

uint32_t rgb(uint32_t p) { return p & 0x00FFFFFFu; }

} // namespace

// ---- tile ----

TEST(TilePattern, WidthZeroLeavesTheLayerAndABadColourCountIsRefused)
{
    auto layer = randomLayer(9, 7, 3);
    const CBlockVMTC source(*layer->image());
    TTileParams p;
    p.width = 0;
    EXPECT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    expectSameImage(*layer->image(), source);
    p.width = 4;
    p.colourCount = 4;
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, p));
    expectSameImage(*layer->image(), source);
}

TEST(TilePattern, SquaresAlternateFromTheWorkRectangleCorner)
{
    auto layer = flatLayer(12, 9, 0xFF102030u);
    const CBlockVMTC source(*layer->image());
    // The mask starts at (2, 1): tiles are counted from there, not from the layer's corner.
    auto mask = makeMask(12, 9, 0, 0, [](int32_t x, int32_t y) { return x >= 2 && y >= 1 ? 255 : 0; });
    TTileParams p;
    p.width = 3;
    p.colourCount = 3;
    p.colours = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, p));
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const uint32_t got = layer->image()->GetPixel(x, y);
            if (x < 2 || y < 1)
                EXPECT_EQ(got, 0xFF102030u);
            else
                EXPECT_EQ(got, p.colours[size_t(((y - 1) / 3 + (x - 2) / 3) % 3)]) << x << "," << y;
        }
}

TEST(TilePattern, OpacityLimitsTheCoverageAndProtectAlphaKeepsAlpha)
{
    auto layer = flatLayer(4, 4, 0x40000000u);
    layer->protectAlpha = 1;
    const CBlockVMTC source(*layer->image());
    TTileParams p;
    p.width = 8;
    p.colours = {0x80FFFFFFu, 0xFF000000u, 0};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    // Colour moved 128/255 of the way to white; alpha untouched.
    const uint32_t v = refBlend(255, 0, 128);
    EXPECT_EQ(layer->image()->GetPixel(1, 1), 0x40000000u | v << 16 | v << 8 | v);
}

TEST(TilePattern, TrianglesShareNoColourAcrossAnEdge)
{
    TTileParams p;
    p.width = 16; // row height ⌊16·√3/2⌋ = 13
    p.triangles = true;
    // Inside the first upward triangle of row 0 (apex at x = 8): colour 0, full coverage.
    EXPECT_EQ(tileCoverage(p, 7, 9)[0], 255u);
    // Left of its top: the downward triangle before it.
    EXPECT_EQ(tileCoverage(p, 0, 0)[1], 255u);
    // Row 1, under the base of that triangle: a downward triangle of the other colour.
    EXPECT_EQ(tileCoverage(p, 7, 15)[1], 255u);
    // Three colours: the up triangle, its right neighbour and the one below all differ.
    p.colourCount = 3;
    const auto first = tileCoverage(p, 7, 9), right = tileCoverage(p, 16, 2),
               below = tileCoverage(p, 7, 15);
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_FALSE(first[c] == 255 && right[c] == 255) << c;
        EXPECT_FALSE(first[c] == 255 && below[c] == 255) << c;
    }
    // An edge pixel is split between two colours (anti-aliased), never more than a whole.
    const auto edge = tileCoverage(p, 4, 6);
    EXPECT_GT(edge[0], 0u);
    EXPECT_LT(edge[0], 255u);
    EXPECT_LE(edge[0] + edge[1] + edge[2], 255u);
    EXPECT_GE(edge[0] + edge[1] + edge[2], 250u);
}

// ---- cloud and rock ----

TEST(CloudPattern, WithoutContrastOnlyTheFinestOctaveRemains)
{
    // 20×20: the grid octaves draw 1 + 1 + 1 + 2·2 + 6·6 = 43 bytes, then 400 for the pixels.
    const uint32_t seed = 12345;
    const TCloudPattern pattern = cloudOctaves(20, 20, 0, 10, seed);
    TLcg lcg{seed};
    for (int i = 0; i < 43; ++i)
        lcg.nextByte();
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const int32_t v = int32_t(lcg.nextByte());
            // 128 + ⌊255·0.125⌋·(v − 128)/255, truncated towards zero.
            ASSERT_EQ(pattern.at(x, y), uint8_t(128 + 31 * (v - 128) / 255)) << x << "," << y;
        }
}

TEST(CloudPattern, RowWiseOctavesMatchThePixelByPixelForm)
{
    const int32_t sizes[][2] = {{1, 1}, {7, 3}, {64, 65}, {130, 97}, {301, 20}};
    for (const auto& size : sizes)
        for (int32_t contrast : {0, 10, 55, 100, -30, 2000000000}) {
            const TCloudPattern fast = cloudOctaves(size[0], size[1], contrast, 10, 4242);
            const TCloudPattern plain = cloudOctavesReference(size[0], size[1], contrast, 10, 4242);
            ASSERT_EQ(fast.values, plain.values) << size[0] << "x" << size[1] << " " << contrast;
        }
}

TEST(CloudPattern, TheWrappedBlurKeepsFlatAreasAndSpreadsAcrossTheEdges)
{
    TCloudPattern flat{5, 4, std::vector<uint8_t>(20, 77)};
    blurPatternWrapped(flat, 1.5);
    for (uint8_t v : flat.values)
        EXPECT_EQ(v, 77);
    // A single bright pixel in the corner spreads to the opposite edges as to its neighbours.
    TCloudPattern spot{16, 16, std::vector<uint8_t>(256, 0)};
    spot.values[0] = 255;
    blurPatternWrapped(spot, 1.5);
    EXPECT_EQ(spot.at(15, 0), spot.at(1, 0));
    EXPECT_EQ(spot.at(0, 15), spot.at(0, 1));
    EXPECT_EQ(spot.at(15, 15), spot.at(1, 1));
    // The centre value from the Gaussian of radius 1.5 over the taps with weight ≥ 1 %.
    double total = 0, centre = 0;
    for (int d = -8; d <= 7; ++d) {
        const double k = std::exp(-double(d * d) / (2 * 1.5 * 1.5));
        total += k;
        if (d == 0)
            centre = k;
    }
    const double expected = 255.0 * (centre / total) * (centre / total);
    EXPECT_NEAR(spot.at(0, 0), expected, 2.0);
}

TEST(CloudPattern, RockWeightsAreRidgesAround128)
{
    EXPECT_EQ(rockWeight(128, 50), 0);   // on the ridge
    EXPECT_EQ(rockWeight(140, 50), 122); // 12·255/25
    EXPECT_EQ(rockWeight(116, 50), 122);
    EXPECT_EQ(rockWeight(153, 50), 255); // 25 is not inside the half-width 25
    EXPECT_EQ(rockWeight(0, 1), 255);    // half-width 0: no ridge at all
    EXPECT_EQ(rockWeight(128, 1), 255);
}

TEST(CloudFilter, SameSeedSamePixelsAndThePatternRepeatsAtItsSize)
{
    auto a = randomLayer(40, 30, 5), b = randomLayer(40, 30, 9);
    const CBlockVMTC sa(*a->image()), sb(*b->image());
    TCloudParams p;
    p.width = 20;
    p.height = 15;
    p.seed = 777;
    p.background = 0x00204060u;
    p.foreground = 0x00F0E0D0u;
    ASSERT_TRUE(applyFilter(sa, *a, nullptr, nullptr, p));
    ASSERT_TRUE(applyFilter(sb, *b, nullptr, nullptr, p));
    // The old pixels do not matter: both layers come out the same and opaque.
    expectSameImage(*a->image(), *b->image());
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const uint32_t v = a->image()->GetPixel(x, y);
            EXPECT_EQ(v >> 24, 255u);
            EXPECT_EQ(a->image()->GetPixel(x + 20, y + 15), v);
        }
    p.seed = 778;
    ASSERT_TRUE(applyFilter(sa, *b, nullptr, nullptr, p));
    int differing = 0;
    for (int32_t x = 0; x < 40; ++x)
        differing += a->image()->GetPixel(x, 3) != b->image()->GetPixel(x, 3);
    EXPECT_GT(differing, 10);
}

TEST(CloudFilter, ColoursMixByThePatternAndProtectAlphaKeepsAlpha)
{
    auto layer = randomLayer(24, 24, 11);
    layer->protectAlpha = 1;
    const CBlockVMTC source(*layer->image());
    auto mask = makeMask(24, 24, 0, 0, [](int32_t x, int32_t) { return x < 12 ? 255 : 0; });
    TRockParams p;
    p.width = p.height = 24;
    p.seed = 99;
    p.background = 0x000000FFu; // blue
    p.foreground = 0x00FF0000u; // red
    ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, p));
    // Recompute the pattern the documented way and check the blend of every pixel.
    TCloudPattern pattern = cloudOctaves(24, 24, 50, 100, 99);
    blurPatternWrapped(pattern, 1.5);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const uint32_t old = source.GetPixel(x, y), got = layer->image()->GetPixel(x, y);
            if (x >= 12) {
                EXPECT_EQ(got, old);
                continue;
            }
            const uint32_t g = rockWeight(pattern.at(x, y), 50);
            EXPECT_EQ(got, (old & 0xFF000000u) | refBlend(255, 0, g) << 16 | refBlend(0, 255, g));
        }
}

// ---- lighting ----

TEST(LightingFilter, AmbientAloneKeepsOrBlackensTheColours)
{
    auto layer = randomLayer(10, 8, 21);
    const CBlockVMTC source(*layer->image());
    TLightingParams p;
    p.brightness = 100;
    p.ambientColour = 0x00FFFFFFu;
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(layer->image()->GetPixel(x, y), 0xFF000000u | rgb(source.GetPixel(x, y)));
    p.brightness = 0;
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(layer->image()->GetPixel(x, y), 0xFF000000u);
}

TEST(LightingFilter, APointLightFallsOffAsTheSquaredCosine)
{
    auto layer = flatLayer(8, 8, 0xFF000000u);
    const CBlockVMTC source(*layer->image());
    TLightingParams p;
    p.brightness = 100;
    p.ambientColour = 0x00FFFFFFu;
    TLightRecord light = defaultLight(0);
    light.strength = 10;   // intensities (c/2 + 128)/10: red 25.4, green 25.2, blue 24.4
    light.height = 0;
    light.x = 0.25f;       // at (2, 4)
    light.y = 0.5f;
    light.range = 100;     // reach 8
    p.lights = {light};
    ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
    EXPECT_EQ(layer->image()->GetPixel(2, 4), 0xFF191918u); // 25, 25, 24: the full intensity
    // Four pixels away: cos²(π/4) = 1/2 → 12.7, 12.6, 12.2.
    EXPECT_EQ(layer->image()->GetPixel(6, 4), 0xFF0C0C0Cu);
    // Two pixels away: cos²(π/8) ≈ 0.8536 → 21.68, 21.51, 20.83.
    EXPECT_EQ(layer->image()->GetPixel(2, 6), 0xFF151514u);
}

TEST(LightingFilter, ConeLightsNeedASpreadAndShineDownTheirAxis)
{
    auto layer = flatLayer(8, 8, 0xFF000000u);
    const CBlockVMTC source(*layer->image());
    TLightingParams p;
    p.brightness = 100;
    p.ambientColour = 0x00FFFFFFu;
    for (uint8_t kind : {uint8_t(1), uint8_t(2)}) {
        TLightRecord light = defaultLight(kind);
        light.spread = 0;
        p.lights = {light};
        ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
        expectSameImage(*layer->image(), source);
        // Straight down from height 4 at (4, 4) with reach 16: under it c = −1, x = 0, and
        // g = cos(π/2·4/16) ≈ 0.92388 for both kinds → 23.47, 23.28, 22.54.
        light.spread = 30;
        light.strength = 10;
        light.elevation = float(std::numbers::pi / 2);
        light.azimuth = 0;
        light.height = 50;
        light.range = 200;
        p.lights = {light};
        ASSERT_TRUE(applyFilter(source, *layer, nullptr, nullptr, p));
        EXPECT_EQ(layer->image()->GetPixel(4, 4), 0xFF171716u) << int(kind);
        // The cone (cos > 0.7) does not reach a corner: 4·√2 sideways at height 4.
        EXPECT_EQ(layer->image()->GetPixel(0, 0), 0xFF000000u) << int(kind);
    }
}

TEST(LightingFilter, RowWiseFormMatchesThePlainOneByteForByte)
{
    auto layer = randomLayer(61, 37, 8);
    const CBlockVMTC source(*layer->image());
    auto mask = makeMask(50, 30, 5, 3, [](int32_t x, int32_t y) { return (x * 7 + y * 3) % 256; });
    TLightingParams p;
    p.brightness = 40;
    p.ambientColour = 0x00C08040u;
    std::mt19937 random(4);
    for (int i = 0; i < 20; ++i) { // 20 lights: the last four are ignored by both
        TLightRecord l = defaultLight(uint8_t(i % 3));
        l.strength = int32_t(random() % 500);
        l.colour = random() & 0xFFFFFFu;
        l.range = int32_t(random() % 300);
        l.x = float(random() % 1000) / 800.0f - 0.1f;
        l.y = float(random() % 1000) / 800.0f - 0.1f;
        l.height = int32_t(random() % 60);
        l.azimuth = float(random() % 628) / 100.0f;
        l.elevation = float(int32_t(random() % 314) - 157) / 100.0f;
        l.spread = int32_t(random() % 60);
        p.lights.push_back(l);
    }
    for (bool protect : {false, true}) {
        layer = randomLayer(61, 37, 8);
        auto plain = randomLayer(61, 37, 8);
        layer->protectAlpha = plain->protectAlpha = protect ? 1 : 0;
        p.lights.resize(20, defaultLight(1));
        ASSERT_TRUE(applyFilter(source, *layer, mask.get(), nullptr, p));
        ASSERT_TRUE(applyLightingReference(source, *plain, mask.get(), nullptr, p));
        expectSameImage(*layer->image(), *plain->image());
        p.lights.resize(16);
        auto sixteen = randomLayer(61, 37, 8);
        sixteen->protectAlpha = layer->protectAlpha;
        ASSERT_TRUE(applyFilter(source, *sixteen, mask.get(), nullptr, p));
        expectSameImage(*layer->image(), *sixteen->image());
    }
}

// ---- floor ----

namespace {

TMTC solidPicture(uint32_t colour)
{
    TMTC picture(4, 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            picture.setPixel(x, y, colour);
    return picture;
}

} // namespace

TEST(FloorFilter, APlaneWithoutItsPictureIsRefused)
{
    auto layer = randomLayer(16, 12, 2);
    const CBlockVMTC source(*layer->image());
    TFloorParams p;
    p.floorFromFile = true;
    EXPECT_FALSE(applyFilter(source, *layer, nullptr, nullptr, p));
    expectSameImage(*layer->image(), source);
    const TMTC picture = solidPicture(0xFF00FF00u);
    EXPECT_TRUE(applyFloor(source, *layer, nullptr, nullptr, p, nullptr, &picture));
    p.ceilingFromFile = true;
    EXPECT_FALSE(applyFloor(source, *layer, nullptr, nullptr, p, nullptr, &picture));
}

TEST(FloorFilter, FloorBelowCeilingAboveFarColourAtTheHorizon)
{
    auto layer = flatLayer(40, 30, 0xFF808080u);
    const CBlockVMTC source(*layer->image());
    TFloorParams p;
    p.ceilingFromFile = p.floorFromFile = true;
    p.farColour = 0x00000000u;
    p.farDistance = 100; // far = 200·near: close points keep their picture's colour
    p.toHorizon = true;
    const TMTC ceiling = solidPicture(0xFFFF0000u), floor = solidPicture(0xFF0000FFu);
    ASSERT_TRUE(applyFloor(source, *layer, nullptr, nullptr, p, &ceiling, &floor));
    const uint32_t top = layer->image()->GetPixel(20, 0), bottom = layer->image()->GetPixel(20, 29);
    EXPECT_EQ(top >> 24, 255u);
    EXPECT_GE((top >> 16) & 0xFF, 250u);
    EXPECT_EQ(top & 0xFF, 0u);
    EXPECT_GE(bottom & 0xFF, 250u);
    EXPECT_EQ((bottom >> 16) & 0xFF, 0u);
    // Along the middle the rays run far away: much nearer the far colour.
    EXPECT_LT(layer->image()->GetPixel(20, 15) & 0xFF, 200u);
    // Without drawing to the horizon the band beyond the far distance stays empty: near is
    // ⌊70/4⌋ = 17, far ⌊17 + 199·17·0.1^1.5⌋ = 123, the middle rays run 500 and more.
    p.toHorizon = false;
    p.farDistance = 10;
    ASSERT_TRUE(applyFloor(source, *layer, nullptr, nullptr, p, &ceiling, &floor));
    EXPECT_EQ(layer->image()->GetPixel(20, 15) >> 24, 0u);
    EXPECT_EQ(layer->image()->GetPixel(20, 29) >> 24, 255u);
}

TEST(FloorFilter, OneColourEverywhereGivesThatColour)
{
    auto layer = randomLayer(23, 17, 6);
    const CBlockVMTC source(*layer->image());
    TFloorParams p;
    p.ceilingFromFile = p.floorFromFile = true;
    p.farColour = 0x00336699u;
    p.toHorizon = true;
    p.pitch = 0.3f;
    p.heading = -1.1f;
    const TMTC picture = solidPicture(0xFF336699u);
    ASSERT_TRUE(applyFloor(source, *layer, nullptr, nullptr, p, &picture, &picture));
    for (int32_t y = 0; y < 17; ++y)
        for (int32_t x = 0; x < 23; ++x)
            EXPECT_EQ(layer->image()->GetPixel(x, y), 0xFF336699u) << x << "," << y;
}

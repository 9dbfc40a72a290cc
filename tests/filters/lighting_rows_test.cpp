// The row kernels of the lighting filter against its plain per-pixel form: every light kind,
// lights off the layer, degenerate records, masks, protected alpha, clipped work rectangles
// and every row length up to a few lane groups, in the portable and the AVX2 variant.
#include "filters/lighting.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace qm;
using namespace qm::test;

namespace {

// The same lighting through the plain form and each row kernel, from one source onto equal
// layers; the results must agree in every byte, including pixels the filter must not touch.
void expectRowsMatchPlain(int32_t w, int32_t h, uint32_t seed, const CMaskData* mask,
                          const TRect* clip, const TLightingParams& p, bool protect)
{
    auto layer = randomLayer(w, h, seed);
    const CBlockVMTC source(*layer->image());
    auto run = [&](auto&& apply) {
        auto target = randomLayer(w, h, seed + 1);
        target->protectAlpha = protect ? 1 : 0;
        EXPECT_TRUE(apply(*target));
        return target;
    };
    const auto plain = run([&](CLayerData& l) { return applyLightingReference(source, l, mask, clip, p); });
    const auto portable = run([&](CLayerData& l) { return applyLightingRows(source, l, mask, clip, p, false); });
    expectSameImage(*portable->image(), *plain->image());
    if (lightingRowsHaveAvx2()) {
        const auto avx2 = run([&](CLayerData& l) { return applyLightingRows(source, l, mask, clip, p, true); });
        expectSameImage(*avx2->image(), *plain->image());
    }
}

// Lights of every kind scattered in and around the layer, with records a dialog would not
// produce as well: height 0, range 0, spreads of 0, 100 and beyond, elevations of either sign.
TLightingParams scatteredLights(uint32_t seed, size_t count)
{
    std::mt19937 random(seed);
    TLightingParams p;
    p.brightness = int32_t(random() % 201) - 100;
    p.ambientColour = random() & 0xFFFFFFu;
    const int32_t spreads[] = {0, 1, 10, 30, 55, 99, 100, 140};
    const int32_t heights[] = {0, 0, 3, 20, 50, 120};
    for (size_t i = 0; i < count; ++i) {
        TLightRecord l = defaultLight(uint8_t(random() % 3));
        l.strength = int32_t(random() % 500);
        l.colour = random() & 0xFFFFFFu;
        l.range = int32_t(random() % 8 == 0 ? 0 : random() % 300);
        l.x = float(random() % 2000) / 1000.0f - 0.5f;
        l.y = float(random() % 2000) / 1000.0f - 0.5f;
        l.height = heights[random() % 6];
        l.azimuth = float(random() % 1257) / 100.0f - 6.28f;
        l.elevation = float(int32_t(random() % 314) - 157) / 100.0f;
        l.spread = spreads[random() % 8];
        p.lights.push_back(l);
    }
    return p;
}

} // namespace

TEST(LightingRows, ScatteredLightsMatchThePlainFormAtEveryRowLength)
{
    // Widths 1 … 13 end a row at every place in a lane group; the tall layers make
    // max(W, H) the height.
    for (int32_t w = 1; w <= 13; ++w) {
        const int32_t h = 3 + w % 5 * 4;
        const TLightingParams p = scatteredLights(uint32_t(100 + w), 16);
        for (bool protect : {false, true})
            expectRowsMatchPlain(w, h, uint32_t(w), nullptr, nullptr, p, protect);
    }
}

TEST(LightingRows, PartialMaskAndClippedWorkRectangleMatchThePlainForm)
{
    // The mask starts at an odd column and is partly off the layer; its weights run through
    // 0 … 255, so some pixels are skipped, some blended part way.
    auto mask = makeMask(40, 30, 3, -4, [](int32_t x, int32_t y) { return (x * 37 + y * 11) % 256; });
    const TRect clip{5, 2, 38, 21};
    for (uint32_t seed : {7u, 8u, 9u}) {
        const TLightingParams p = scatteredLights(seed, 20); // the last four are ignored
        for (bool protect : {false, true}) {
            expectRowsMatchPlain(41, 23, seed, mask.get(), nullptr, p, protect);
            expectRowsMatchPlain(41, 23, seed, mask.get(), &clip, p, protect);
            expectRowsMatchPlain(41, 23, seed, nullptr, &clip, p, protect);
        }
    }
}

TEST(LightingRows, LightsStraightAboveAPixelAndOnTheLayerMatchThePlainForm)
{
    // Positions on whole pixels make d = 0 at height 0 (full weight for a point light even
    // with no reach, nothing for a cone light) and put cone rims exactly through rows and
    // columns.
    for (int32_t range : {50, 0}) {
        TLightingParams p;
        p.brightness = 50;
        for (uint8_t kind : {uint8_t(0), uint8_t(1), uint8_t(2)})
            for (int32_t height : {0, 25}) {
                TLightRecord l = defaultLight(kind);
                l.x = 0.25f;
                l.y = 0.5f;
                l.height = height;
                l.spread = 30;
                l.range = range;
                l.elevation = float(std::numbers::pi / 2);
                p.lights.push_back(l);
            }
        expectRowsMatchPlain(16, 16, 3, nullptr, nullptr, p, false);
    }
}

TEST(LightingRows, ConeEdgesOnALargerLayerMatchThePlainForm)
{
    // Wide cones at many tilts: their rims cross thousands of pixels, where the quick test
    // for pixels surely outside the cone must leave the decision to the exact one.
    std::mt19937 random(11);
    for (int round = 0; round < 4; ++round) {
        TLightingParams p;
        p.brightness = 30;
        for (int i = 0; i < 16; ++i) {
            TLightRecord l = defaultLight(uint8_t(1 + i % 2));
            l.x = float(random() % 1000) / 1000.0f;
            l.y = float(random() % 1000) / 1000.0f;
            l.height = int32_t(5 + random() % 60);
            l.spread = int32_t(1 + random() % 100);
            l.range = 300;
            l.strength = 100;
            l.azimuth = float(random() % 628) / 100.0f;
            l.elevation = float(random() % 157) / 100.0f;
            p.lights.push_back(l);
        }
        expectRowsMatchPlain(173, 121, uint32_t(round), nullptr, nullptr, p, false);
    }
}

TEST(LightingRows, ARecordWithoutFiniteNumbersIsRefusedByEveryForm)
{
    auto layer = randomLayer(5, 5, 2);
    const CBlockVMTC source(*layer->image());
    TLightingParams p;
    TLightRecord l = defaultLight(2);
    l.elevation = std::nanf("");
    p.lights = {l};
    EXPECT_FALSE(applyLightingRows(source, *layer, nullptr, nullptr, p, false));
    EXPECT_FALSE(applyLightingRows(source, *layer, nullptr, nullptr, p, true));
    EXPECT_FALSE(applyLightingReference(source, *layer, nullptr, nullptr, p));
    expectSameImage(*layer->image(), source);
}

#include "layers/blend_mode_table.h"
#include "layers/composite.h"
#include "layers/display_refresh.h"
#include "layers/layer_merge.h"

#include "blend_reference.h"
#include "core/image_ops.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

std::unique_ptr<CLayerData> makeLayer(int32_t w, int32_t h, BlendMode mode, uint8_t opacity = 255)
{
    auto layer = CLayerData::make(0, 1234);
    EXPECT_TRUE(layer->CreateImage(w, h, uint8_t(mode)));
    layer->opacity = opacity;
    return layer;
}

// A picture of varied opaque colours.
TMTC makePicture(int32_t w, int32_t h)
{
    TMTC picture(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            picture.row(y)[x] = 0xFF000000u | uint32_t((x * 37 + y * 11) & 255) << 16 |
                                uint32_t((x * 5 + y * 3) & 255) << 8 | uint32_t((x ^ y) | 1);
    return picture;
}

// Paints a mix: a gradient block, a uniform half-transparent block, a transparent rest.
void paintMix(CBlockVMTC& image)
{
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 40; ++x)
            image.SetPixel(x, y, uint32_t((x * 6 + y) & 255) << 24 | uint32_t(x * 9) << 16 |
                                     uint32_t(y * 7) << 8 | uint32_t(x + y));
    image.MaskedSet(TBox{64, 32, 32, 32}, 0xFFFFFFFFu, 0x80336699u);
}

} // namespace

TEST(Composite, EveryModeMatchesThePerPixelCompositeThroughBlocksAndFills)
{
    for (int mode = 0; mode < kBlendModeCount; ++mode) {
        auto layer = makeLayer(100, 70, BlendMode(mode), 200);
        paintMix(*layer->image());
        TMTC picture = makePicture(90, 60);
        const TMTC before = [&] {
            TMTC copy(90, 60);
            copyRect(copy, {0, 0}, picture, picture.bounds());
            return copy;
        }();
        // Layer box (5, 3)-(95, 63) drawn at (0, 0).
        ASSERT_TRUE(CompositeLayer(*layer, picture, TBox{5, 3, 90, 60}, {0, 0}, TPattern::Stored));
        for (int32_t y = 0; y < 60; ++y)
            for (int32_t x = 0; x < 90; ++x) {
                const uint32_t source = layer->image()->GetPixel(x + 5, y + 3);
                const uint32_t want =
                    (source >> 24) == 0 ? before.pixel(x, y)
                                        : reference::composite(mode, before.pixel(x, y), source, 200);
                ASSERT_EQ(picture.pixel(x, y), want) << "mode " << mode << " at " << x << "," << y;
            }
    }
}

TEST(Composite, OpacityZeroAndTransparentLayersChangeNothing)
{
    auto layer = makeLayer(64, 64, BlendMode::Normal, 0);
    paintMix(*layer->image());
    TMTC picture = makePicture(64, 64);
    const uint32_t corner = picture.pixel(0, 0);
    CompositeLayer(*layer, picture, picture.bounds(), {0, 0}, TPattern::Stored);
    EXPECT_EQ(picture.pixel(0, 0), corner);

    // A huge layer that was never painted: no block memory and nothing to visit.
    auto huge = makeLayer(10000, 10000, BlendMode::Multiply);
    EXPECT_EQ(huge->image()->MemoryUsed(), 0);
    EXPECT_EQ(huge->image()->contentRegion().count(), 0);
    CompositeLayer(*huge, picture, picture.bounds(), {0, 0}, TPattern::Fresh);
    EXPECT_EQ(picture.pixel(0, 0), corner);
}

TEST(Composite, BlendOptionDrawsThroughTheGenerator)
{
    auto layer = makeLayer(32, 32, BlendMode::Normal);
    layer->image()->FillAll(0xFF000000u);
    layer->image()->SetPixel(0, 0, 0xFF000000u); // one allocated block, opaque black
    layer->blendNoise = 1;

    // Amount 255: every number of the generator (0..254) is below the threshold.
    TMTC all = makePicture(32, 32);
    CompositeLayer(*layer, all, all.bounds(), {0, 0}, TPattern::Stored);
    EXPECT_EQ(all.pixel(7, 7), 0xFF000000u);

    // Amount 0: nothing is drawn.
    layer->blendAmount = 0;
    TMTC none = makePicture(32, 32);
    const uint32_t before = none.pixel(7, 7);
    CompositeLayer(*layer, none, none.bounds(), {0, 0}, TPattern::Stored);
    EXPECT_EQ(none.pixel(7, 7), before);

    // About half: the stored pattern repeats exactly, pixel for pixel.
    layer->blendAmount = 128;
    TMTC a = makePicture(32, 32), b = makePicture(32, 32);
    CompositeLayer(*layer, a, a.bounds(), {0, 0}, TPattern::Stored);
    CompositeLayer(*layer, b, b.bounds(), {0, 0}, TPattern::Stored);
    int drawn = 0;
    CLayerRandom random = layer->random;
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y));
            const bool expectDrawn = random.Next() < Mul255(128, 255);
            EXPECT_EQ(a.pixel(x, y) == 0xFF000000u, expectDrawn) << x << "," << y;
            drawn += expectDrawn;
        }
    EXPECT_GT(drawn, 300);
    EXPECT_LT(drawn, 700);

    // A fresh pattern is seeded from the clock.
    FakeClock clock(99);
    TMTC c = makePicture(32, 32);
    CompositeLayer(*layer, c, c.bounds(), {0, 0}, TPattern::Fresh, clock);
    CLayerRandom fresh;
    fresh.Initialise(99, 0, 255);
    EXPECT_EQ(c.pixel(0, 0) == 0xFF000000u, fresh.Next() < 128u);
}

TEST(Composite, LegacyEngineIgnoresAlphaForMultiplyAndDrawsOthersAsNormal)
{
    TMTC picture = makePicture(32, 32);
    const uint32_t before = picture.pixel(3, 3);

    // The white neutral colour of a multiply layer changes nothing even at alpha 0...
    auto multiply = makeLayer(32, 32, BlendMode::Multiply);
    multiply->image()->SetPixel(0, 0, 0x00FFFFFFu);
    ASSERT_TRUE(CompositeLayerLegacy(*multiply, picture, picture.bounds(), {0, 0}));
    EXPECT_EQ(picture.pixel(3, 3), before);
    // ...but a colour at alpha 0 is multiplied in at the layer's opacity.
    multiply->image()->SetPixel(3, 3, 0x00000000u);
    CompositeLayerLegacy(*multiply, picture, picture.bounds(), {0, 0});
    EXPECT_EQ(picture.pixel(3, 3), 0xFF000000u);

    auto screen = makeLayer(32, 32, BlendMode::Screen);
    screen->image()->SetPixel(5, 5, 0xFF102030u);
    TMTC viaLegacy = makePicture(32, 32);
    CompositeLayerLegacy(*screen, viaLegacy, viaLegacy.bounds(), {0, 0});
    EXPECT_EQ(viaLegacy.pixel(5, 5), 0xFF102030u);
    const TMTC working(32, 32);
    EXPECT_FALSE(CompositeStrokeLayerLegacy(viaLegacy, working, {0, 0}, *screen,
                                            viaLegacy.bounds()));
}

TEST(Composite, CompositeIntoKeepsTheTargetAlphaAndSkipsTransparentBlocks)
{
    auto source = makeLayer(64, 64, BlendMode::Screen, 180);
    paintMix(*source->image());
    CBlockVMTC target(64, 64);
    target.FillAll(0x40808080u);
    ASSERT_TRUE(CompositeInto(target, *source, source->image()->bounds(), {0, 0}));
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            const uint32_t s = source->image()->GetPixel(x, y);
            const uint32_t want = reference::composite(4, 0x40808080u, s, 180);
            ASSERT_EQ(target.GetPixel(x, y), want) << x << "," << y;
            ASSERT_EQ(target.GetPixel(x, y) >> 24, 0x40u);
        }
    // The transparent quarter was skipped: still one uniform block.
    EXPECT_FALSE(target.GetBlock(0, 1)->allocated);
}

TEST(Composite, LegacyMergeDownMakesTouchedPartsOpaque)
{
    auto upper = makeLayer(64, 32, BlendMode::Normal);
    upper->image()->SetPixel(1, 1, 0xFF0000FFu);
    CBlockVMTC lower(64, 32);
    lower.FillAll(0x10FFFFFFu);
    ASSERT_TRUE(LegacyMergeDown(*upper, lower));
    EXPECT_EQ(lower.GetPixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(lower.GetPixel(2, 2), 0xFFFFFFFFu); // touched block: opaque
    EXPECT_EQ(lower.GetPixel(40, 2), 0x10FFFFFFu); // transparent upper block: untouched
}

TEST(Composite, DisplayRefreshLaysVisibleLayersOverThePaper)
{
    CLayerMngr layers;
    layers.SetPaperSize(64, 64);
    ASSERT_EQ(layers.AddLayer(64, 64, true, 255, uint8_t(BlendMode::Normal), false), 0);
    ASSERT_EQ(layers.AddLayer(64, 64, true, 255, uint8_t(BlendMode::Multiply), false), 1);
    ASSERT_EQ(layers.AddLayer(64, 64, false, 255, uint8_t(BlendMode::Normal), false), 2);
    layers.Get(0)->image()->SetPixel(10, 10, 0xFF808080u);
    layers.Get(1)->image()->SetPixel(10, 10, 0xFF00FF00u);
    layers.Get(2)->image()->SetPixel(10, 10, 0xFF0000FFu); // hidden

    TTC display(64, 64);
    refreshDisplayBox(layers, display, TBox{8, 8, 4, 4}, 0xFFFFFFFFu, TLayerEngine::LayerAlpha);
    EXPECT_EQ(display.pixel(10, 10) & 0x00FFFFFFu, 0x00008000u);
    EXPECT_EQ(display.pixel(9, 9) & 0x00FFFFFFu, 0x00FFFFFFu);
    EXPECT_EQ(display.pixel(20, 20), 0u); // outside the box: untouched

    // During a stroke the current layer is drawn from its working copy.
    TMTC working(64, 64);
    working.row(10)[10] = 0xFFFF0000u;
    refreshDisplayBox(layers, display, TBox{8, 8, 4, 4}, 0xFFFFFFFFu, TLayerEngine::LayerAlpha,
                      {1, &working});
    EXPECT_EQ(display.pixel(10, 10) & 0x00FFFFFFu, 0x00800000u);
}

TEST(LayerMerge, KindZeroNormalAtHalfOpacityKeepsTheTargetsIdentity)
{
    CLayerMngr layers;
    layers.SetPaperSize(64, 64);
    layers.AddLayer(64, 64, true, 255, uint8_t(BlendMode::Normal), false);
    layers.AddLayer(64, 64, true, 128, uint8_t(BlendMode::Normal), false);
    layers.Get(0)->name = "below";
    const int32_t id = layers.Get(0)->id;
    layers.Get(1)->image()->SetPixel(3, 3, 0xFF123456u);

    std::unique_ptr<CLayerData> old;
    ASSERT_TRUE(MergeLayers(layers, 0, 1, 0, &old));
    ASSERT_NE(old, nullptr);
    const CLayerData& merged = *layers.Get(0);
    EXPECT_EQ(merged.id, id);
    EXPECT_EQ(merged.name, "below");
    EXPECT_EQ(merged.mode, uint8_t(BlendMode::Normal));
    EXPECT_EQ(merged.opacity, 255);
    EXPECT_EQ(merged.image()->GetPixel(3, 3), 0x80123456u);
    EXPECT_EQ(merged.image()->GetPixel(4, 4) >> 24, 0u);
    EXPECT_EQ(layers.Count(), 2); // the source stays for the caller
}

TEST(LayerMerge, TargetOpacityIsTakenIntoEveryPixelAndTheUnionIsCovered)
{
    CLayerMngr layers;
    layers.SetPaperSize(64, 64);
    layers.AddLayer(64, 64, true, 128, uint8_t(BlendMode::Normal), false);
    layers.AddLayer(64, 64, true, 255, uint8_t(BlendMode::Normal), false);
    CLayerData& target = *layers.Get(0);
    target.image()->FillAll(0xFF0000FFu);
    // The source image is larger and sticks out to the left and top of the paper.
    CLayerData& source = *layers.Get(1);
    auto bigger = std::make_unique<CBlockVMTC>(80, 70);
    bigger->SetPixel(0, 0, 0xFF00FF00u);
    source.SwapImage(std::move(bigger));
    source.offsetX = 16;
    source.offsetY = 6;

    ASSERT_TRUE(MergeLayers(layers, 0, 1, 0));
    const CLayerData& merged = *layers.Get(0);
    EXPECT_EQ(merged.imageWidth(), 80);
    EXPECT_EQ(merged.imageHeight(), 70);
    EXPECT_EQ(merged.offsetX, 16);
    EXPECT_EQ(merged.offsetY, 6);
    EXPECT_EQ(merged.image()->GetPixel(0, 0), 0xFF00FF00u);
    // Target pixels keep their look at opacity 255: alpha 255 × 128 / 255.
    EXPECT_EQ(merged.image()->GetPixel(16 + 10, 6 + 10), 0x800000FFu);
}

TEST(LayerMerge, UnknownKindOrFailedResizeChangesNothing)
{
    CollectingMessageSink sink;
    CLayerMngr layers(&sink);
    layers.SetPaperSize(16, 16);
    layers.AddLayer(16, 16, true, 255, 3, false);
    layers.AddLayer(16, 16, true, 255, 3, false);
    const CLayerData* before = layers.Get(0);
    EXPECT_FALSE(MergeLayers(layers, 0, 1, 5));
    EXPECT_FALSE(MergeLayers(layers, 0, 7, 0));
    EXPECT_EQ(layers.Get(0), before);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(LayerMerge, KindOneIntoSubtractInvertsTheResult)
{
    CLayerMngr layers;
    layers.SetPaperSize(32, 32);
    layers.AddLayer(32, 32, true, 255, uint8_t(BlendMode::Subtract), false);
    layers.AddLayer(32, 32, true, 255, uint8_t(BlendMode::Subtract), false);
    layers.Get(1)->image()->SetPixel(1, 1, 0xFF102030u);
    ASSERT_TRUE(MergeLayers(layers, 0, 1, 1));
    // Additive union of the source over black, then the colours inverted.
    EXPECT_EQ(layers.Get(0)->image()->GetPixel(1, 1), 0xFFEFDFCFu);
}

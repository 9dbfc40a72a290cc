#include "select/mask_geometry.h"

#include "layers/blend_mode_table.h"
#include "select/layer_from_mask.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

// A mask of w × h at the offset with random coverage in its right part and nothing on the
// left, so that turns meet uniform and allocated blocks.
std::unique_ptr<CMaskData> randomMask(int32_t w, int32_t h, int32_t ox, int32_t oy)
{
    auto mask = std::make_unique<CMaskData>();
    EXPECT_TRUE(mask->createMask(w, h, stderrMessageSink()));
    mask->name = "sel";
    mask->offsetX = ox;
    mask->offsetY = oy;
    uint32_t seed = 11;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 70; x < w; ++x)
            mask->coverage->SetPixel(x, y, uint8_t(nextRandom(seed) >> 24));
    return mask;
}

std::vector<uint8_t> coverageOf(const CMaskData& mask)
{
    std::vector<uint8_t> c;
    for (int32_t y = 0; y < mask.height(); ++y)
        for (int32_t x = 0; x < mask.width(); ++x)
            c.push_back(mask.coverage->GetPixel(x, y));
    return c;
}

// The coverage at every position of the old paper (and a margin) is found at the position
// that position moves to.
template <typename Move>
void expectFollowsThePaper(const CMaskData& old, const CMaskData& moved, Move&& move)
{
    for (int32_t y = -20; y < 120; ++y)
        for (int32_t x = -20; x < 120; ++x) {
            const TPoint p = move(x, y);
            ASSERT_EQ(moved.ValueAt(p.x, p.y), old.ValueAt(x, y)) << x << "," << y;
        }
}

} // namespace

TEST(MaskGeometry, QuarterTurnsFollowThePaperAndFourGiveTheMaskBack)
{
    // A 100 × 80 paper; the mask sticks out of it on the left and the top.
    const TPaperSize paper{100, 80};
    auto mask = randomMask(150, 61, 9, -15);
    auto cw = rotateMask90(*mask, paper, true);
    auto ccw = rotateMask90(*mask, paper, false);
    ASSERT_TRUE(cw && ccw);
    EXPECT_EQ(cw->width(), 61);
    EXPECT_EQ(cw->height(), 150);
    EXPECT_EQ(cw->name, "sel");
    EXPECT_EQ(cw->serial, mask->serial);
    // Paper point (x, y) of the 100 × 80 paper goes to (79 − y, x) clockwise and to
    // (y, 99 − x) counter-clockwise.
    expectFollowsThePaper(*mask, *cw, [](int32_t x, int32_t y) { return TPoint{79 - y, x}; });
    expectFollowsThePaper(*mask, *ccw, [](int32_t x, int32_t y) { return TPoint{y, 99 - x}; });

    std::unique_ptr<CMaskData> turned = std::move(cw);
    TPaperSize now{80, 100};
    for (int turn = 1; turn < 4; ++turn) {
        turned = rotateMask90(*turned, now, true);
        ASSERT_TRUE(turned);
        now = {now.height, now.width};
    }
    EXPECT_EQ(turned->offsetX, mask->offsetX);
    EXPECT_EQ(turned->offsetY, mask->offsetY);
    EXPECT_EQ(coverageOf(*turned), coverageOf(*mask));
    auto back = rotateMask90(*ccw, {80, 100}, true);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->offsetX, mask->offsetX);
    EXPECT_EQ(coverageOf(*back), coverageOf(*mask));
}

TEST(MaskGeometry, FlipsAndHalfTurnFollowThePaper)
{
    const TPaperSize paper{100, 80};
    auto mask = randomMask(150, 61, 9, -15);
    auto lr = flipMask(*mask, paper, TMaskFlip::LeftRight);
    auto tb = flipMask(*mask, paper, TMaskFlip::TopBottom);
    auto half = flipMask(*mask, paper, TMaskFlip::HalfTurn);
    ASSERT_TRUE(lr && tb && half);
    expectFollowsThePaper(*mask, *lr, [](int32_t x, int32_t y) { return TPoint{99 - x, y}; });
    expectFollowsThePaper(*mask, *tb, [](int32_t x, int32_t y) { return TPoint{x, 79 - y}; });
    expectFollowsThePaper(*mask, *half, [](int32_t x, int32_t y) { return TPoint{99 - x, 79 - y}; });
}

TEST(MaskGeometry, RescaleAveragesCoverageAndScalesTheOffset)
{
    auto mask = std::make_unique<CMaskData>();
    ASSERT_TRUE(mask->createMask(4, 2, stderrMessageSink()));
    mask->coverage->Fill(TBox{0, 0, 2, 2}, 200);
    mask->coverage->Fill(TBox{2, 0, 1, 2}, 100);
    mask->coverage->Fill(TBox{3, 0, 1, 2}, 51);
    mask->offsetX = -2;
    mask->offsetY = -1;
    // Paper 8 × 4 → 4 × 2: offset Floor(−1 + 0.5) = −1 and Floor(−0.5 + 0.5) = 0.
    auto half = rescaleMask(*mask, {8, 4}, {4, 2});
    ASSERT_TRUE(half);
    ASSERT_EQ(half->width(), 2);
    ASSERT_EQ(half->height(), 1);
    EXPECT_EQ(half->offsetX, -1);
    EXPECT_EQ(half->offsetY, 0);
    EXPECT_EQ(half->coverage->GetPixel(0, 0), 200);
    EXPECT_EQ(half->coverage->GetPixel(1, 0), 75); // (100 + 51) / 2 = 75.5, truncated
    EXPECT_EQ(half->serial, mask->serial);
    EXPECT_FALSE(rescaleMask(*mask, {0, 4}, {4, 2}));

    CMaskData empty;
    empty.name = "none";
    auto still = rotateMask90(empty, {10, 10}, true);
    ASSERT_TRUE(still);
    EXPECT_FALSE(still->IsValid());
    EXPECT_EQ(still->name, "none");
}

TEST(LayerFromMask, KeepsTheLayersIdAndMultipliesItsAlpha)
{
    auto layer = CLayerData::make(2, 1);
    ASSERT_TRUE(layer->CreateImage(40, 30, uint8_t(BlendMode::Normal)));
    layer->image()->FillAll(0xFF112233u);
    auto mask = std::make_unique<CMaskData>();
    ASSERT_TRUE(mask->createMask(10, 10, stderrMessageSink()));
    mask->coverage->FillAll(128);
    mask->offsetX = -5; // the mask covers paper [5, 15) × [0, 10)
    auto cut = LayerFromMask(*layer, *mask);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->id, layer->id);
    EXPECT_EQ(cut->index, 2);
    EXPECT_EQ(cut->image()->GetPixel(5, 0), 0x80112233u); // 255 · 128 / 255
    EXPECT_EQ(cut->image()->GetPixel(4, 0) >> 24, 0u);
    EXPECT_EQ(cut->image()->GetPixel(15, 9) >> 24, 0u);
    EXPECT_EQ(layer->image()->GetPixel(4, 0), 0xFF112233u);
}

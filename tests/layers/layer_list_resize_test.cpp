#include "layers/layer_list_resize.h"

#include "layers/blend_mode_table.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;

namespace {

constexpr uint8_t kNormal = uint8_t(BlendMode::Normal);
constexpr uint8_t kAdd = uint8_t(BlendMode::Add);

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

// A 50 × 40 paper with a paper-sized Normal layer and a larger Add layer at an offset, both
// painted with random pixels here and there.
struct Stack {
    CLayerMngr layers;
    Stack()
    {
        layers.SetPaperSize(50, 40);
        layers.setNameCounter(6);
        layers.AddLayer(50, 40, true, 255, kNormal);
        layers.AddLayer(60, 50, false, 90, kAdd);
        CLayerData& upper = *layers.Get(1);
        upper.offsetX = 5;
        upper.offsetY = 4;
        upper.paperWidth = 50;
        upper.paperHeight = 40;
        upper.blendNoise = 1;
        upper.protectAlpha = 1;
        layers.Get(0)->name = "base";
        upper.name = "glow";
        uint32_t seed = 3;
        for (int32_t i = 0; i < 2; ++i) {
            CBlockVMTC& image = *layers.Get(i)->image();
            for (int32_t y = 0; y < image.height(); y += 1 + i)
                for (int32_t x = i; x < image.width(); x += 2)
                    image.SetPixel(x, y, nextRandom(seed));
        }
        layers.SetCurrent(1);
    }
};

// Where old paper position (px, py) is found in a layer of the new list.
uint32_t oldAtPaper(const CLayerData& old, int32_t px, int32_t py, bool& inside)
{
    const int32_t x = px + old.offsetX, y = py + old.offsetY;
    inside = x >= 0 && y >= 0 && x < old.imageWidth() && y < old.imageHeight();
    return inside ? old.image()->GetPixel(x, y) : 0;
}

void expectListLike(const CLayerMngr& made, const CLayerMngr& old, TPaperSize paper)
{
    ASSERT_EQ(made.Count(), old.Count());
    EXPECT_EQ(made.paperWidth(), paper.width);
    EXPECT_EQ(made.paperHeight(), paper.height);
    EXPECT_EQ(made.nameCounter(), old.nameCounter());
    EXPECT_EQ(made.current(), old.current());
    for (int32_t i = 0; i < made.Count(); ++i) {
        EXPECT_EQ(made.Get(i)->index, i);
        EXPECT_EQ(made.Get(i)->name, old.Get(i)->name);
        EXPECT_EQ(made.Get(i)->mode, old.Get(i)->mode);
        EXPECT_EQ(made.Get(i)->paperWidth, paper.width);
    }
}

} // namespace

TEST(MakeResizeLayer, CopiesEveryPixelToItsShiftedPlace)
{
    Stack s;
    const TPoint shift{-7, 3};
    const TPaperSize paper{45, 48};
    auto made = makeResizeLayer(s.layers, shift, paper);
    ASSERT_TRUE(made);
    expectListLike(*made, s.layers, paper);
    for (int32_t i = 0; i < 2; ++i) {
        const CLayerData& old = *s.layers.Get(i);
        const CLayerData& layer = *made->Get(i);
        EXPECT_EQ(layer.visible, old.visible);
        EXPECT_EQ(layer.opacity, old.opacity);
        EXPECT_EQ(layer.offsetX, 0);
        ASSERT_EQ(layer.imageWidth(), 45);
        ASSERT_EQ(layer.imageHeight(), 48);
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 45; ++x) {
                bool inside = false;
                const uint32_t expected = oldAtPaper(old, x + shift.x, y + shift.y, inside);
                ASSERT_EQ(layer.image()->GetPixel(x, y),
                          inside ? expected : neutralColour(old.mode))
                    << i << ": " << x << "," << y;
            }
    }
}

TEST(MakeResizeLayerEx, KeepsEveryPixelOfEveryImage)
{
    Stack s;
    const TPoint shift{12, -9}; // the canvas shrinks on the left and grows at the top
    const TPaperSize paper{30, 60};
    for (bool all : {true, false}) {
        auto made = makeResizeLayerEx(s.layers, shift, paper, all);
        ASSERT_TRUE(made);
        expectListLike(*made, s.layers, paper);
        for (int32_t i = 0; i < 2; ++i) {
            const CLayerData& old = *s.layers.Get(i);
            const CLayerData& layer = *made->Get(i);
            // The union of the old image [−ox − dx, w − ox − dx) and the new paper [0, 30).
            const int32_t left = std::min(0, -old.offsetX - shift.x);
            const int32_t top = std::min(0, -old.offsetY - shift.y);
            const int32_t right = std::max(30, old.imageWidth() - old.offsetX - shift.x);
            const int32_t bottom = std::max(60, old.imageHeight() - old.offsetY - shift.y);
            ASSERT_EQ(layer.imageWidth(), right - left);
            ASSERT_EQ(layer.imageHeight(), bottom - top);
            EXPECT_EQ(layer.offsetX, -left);
            EXPECT_EQ(layer.offsetY, -top);
            EXPECT_TRUE(const_cast<CLayerData&>(layer).OffsetInRange(false));
            for (int32_t y = 0; y < old.imageHeight(); ++y)
                for (int32_t x = 0; x < old.imageWidth(); ++x) {
                    const int32_t nx = x - old.offsetX - shift.x + layer.offsetX;
                    const int32_t ny = y - old.offsetY - shift.y + layer.offsetY;
                    ASSERT_EQ(layer.image()->GetPixel(nx, ny), old.image()->GetPixel(x, y));
                }
            EXPECT_EQ(layer.blendNoise, all ? old.blendNoise : 0);
            EXPECT_EQ(layer.opacity, all ? old.opacity : 255);
        }
    }
}

TEST(MakeZoomLayer, SizesAndOffsetsFollowTheRatios)
{
    Stack s;
    s.layers.Get(1)->image()->FillAll(0xFF204060u);
    s.layers.Get(1)->opacity = 77;
    const TPaperSize paper{20, 14}; // fx = 0.4, fy = 0.35
    for (TZoomKind kind : {TZoomKind::NeutralOnly, TZoomKind::Supersample, TZoomKind::AreaAverage}) {
        auto made = makeZoomLayer(s.layers, paper, kind);
        ASSERT_TRUE(made);
        expectListLike(*made, s.layers, paper);
        // 50 × 40 → Floor(20.5) × Floor(14.5); 60 × 50 at (5, 4) → 24 × Floor(18.0) = 18 at
        // (Floor(2.5) = 2, Floor(1.9) = 1).
        const CLayerData& base = *made->Get(0);
        const CLayerData& upper = *made->Get(1);
        EXPECT_EQ(base.imageWidth(), 20);
        EXPECT_EQ(base.imageHeight(), 14);
        EXPECT_EQ(upper.imageWidth(), 24);
        EXPECT_EQ(upper.imageHeight(), 18);
        EXPECT_EQ(upper.offsetX, 2);
        EXPECT_EQ(upper.offsetY, 1);
        const uint32_t expected = kind == TZoomKind::NeutralOnly ? neutralColour(kAdd) : 0xFF204060u;
        for (int32_t y = 0; y < 18; ++y)
            for (int32_t x = 0; x < 24; ++x)
                ASSERT_EQ(upper.image()->GetPixel(x, y), expected);
        EXPECT_EQ(upper.opacity, kind == TZoomKind::NeutralOnly ? 255 : 77);
    }
    EXPECT_FALSE(makeZoomLayer(s.layers, paper, TZoomKind(3)));
    EXPECT_FALSE(makeZoomLayer(s.layers, {0, 14}, TZoomKind::AreaAverage));
}

TEST(MakeZoomLayer, AreaAverageHalvesTwoColourHalves)
{
    CLayerMngr layers;
    layers.SetPaperSize(4, 2);
    layers.AddLayer(4, 2, true, 255, kNormal);
    CBlockVMTC& image = *layers.Get(0)->image();
    image.SetColor(TBox{0, 0, 2, 2}, 0x00C80A14u);
    image.SetAlpha(TBox{0, 0, 2, 2}, 0xFF);
    image.SetColor(TBox{2, 0, 2, 2}, 0x00326496u);
    image.SetAlpha(TBox{2, 0, 2, 2}, 0x80);
    auto area = makeZoomLayer(layers, {2, 1}, TZoomKind::AreaAverage);
    auto super = makeZoomLayer(layers, {2, 1}, TZoomKind::Supersample);
    ASSERT_TRUE(area && super);
    for (const auto* made : {area.get(), super.get()}) {
        EXPECT_EQ(made->Get(0)->image()->GetPixel(0, 0), 0xFFC80A14u);
        EXPECT_EQ(made->Get(0)->image()->GetPixel(1, 0), 0x80326496u);
    }
}

TEST(MakeResizeLayer, RefusesSizesWithoutChangingTheList)
{
    Stack s;
    EXPECT_FALSE(makeResizeLayer(s.layers, {0, 0}, {0, 10}));
    EXPECT_FALSE(makeResizeLayerEx(s.layers, {1 << 30, 0}, {10, 10}, true));
    EXPECT_EQ(s.layers.Count(), 2);
    EXPECT_EQ(s.layers.Get(1)->imageWidth(), 60);
}

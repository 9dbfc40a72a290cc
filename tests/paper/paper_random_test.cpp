// Random edits with every brush kind, undos and redos: after each step the display must equal
// a fresh composite of the layers, so no refresh ever leaves stale pixels behind.
#include "paper_fixture.h"

#include <random>

namespace qm::test {

TEST(PaperRandom, DisplayAlwaysEqualsAFreshComposite)
{
    PaperFixture f(90, 70);
    f.paper->layers->AddLayer(90, 70, true, 200, 3);
    f.paper->layers->AddLayer(90, 70, true, 255, 4); // a second mode over the first
    std::mt19937 rng(1234);
    auto uniform = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };

    for (int step = 0; step < 160; ++step) {
        const int action = pick(10);
        int32_t layer;
        TRect rect;
        if (action < 6) {
            const int kind = pick(kBrushKindCount);
            f.stroke.resetToDefaults(kind);
            f.stroke.setKind(kind);
            f.stroke.setWidth(uniform(1.0f, 14.0f));
            f.stroke.setColor(rng() & 0xFFFFFF);
            f.paper->setCurrentLayer(f.flow, pick(f.paper->layerCount()));
            f.paper->layer(f.paper->currentLayerIndex())->protectAlpha = uint8_t(pick(4) == 0);
            const int points = 2 + pick(8);
            float x = uniform(-10, 100), y = uniform(-10, 80);
            f.paper->beginStroke(f.flow, f.stroke, true, x, y, uniform(0, 1));
            for (int i = 0; i < points; ++i) {
                x += uniform(-15, 15), y += uniform(-15, 15);
                f.paper->continueStroke(f.flow, f.stroke, true, nullptr, x, y, uniform(0, 1));
            }
            f.paper->endStroke(f.flow, f.stroke, true, rect, nullptr);
        } else if (action < 8) {
            f.paper->undo(f.flow, layer, rect);
        } else if (action < 9) {
            f.paper->redo(f.flow, layer, rect);
        } else if (pick(2) == 0) {
            f.paper->setPaperColor(rng() & 0xFFFFFF, true);
        } else {
            f.paper->execLayerCommand(f.flow, pick(f.paper->layerCount()), true, 7 + pick(4));
        }
        ASSERT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()))
            << "after step " << step << " (action " << action << ")";
    }
    // The walk really painted: the picture is far from one flat colour.
    int differing = 0;
    for (int32_t y = 0; y < 70; ++y)
        for (int32_t x = 0; x < 90; ++x)
            differing += f.paper->displayImage.pixel(x, y) != f.paper->displayImage.pixel(0, 0);
    EXPECT_GT(differing, 1000);
}

} // namespace qm::test

// The working copy of the painted layer is completed block by block as strokes reach it, and a
// replay to the end composites the display once: neither may change a pixel.
#include "paper_fixture.h"

#include <random>

namespace qm::test {

namespace {

struct TStrokePlan {
    int kind = 0;
    float width = 1.0f;
    uint32_t colour = 0;
    std::vector<TPointF> points;
};

// Strokes of every kind and width, some starting off the paper or crossing many blocks, so
// that pick-up and tips read near block edges and at the clamped paper edge.
std::vector<TStrokePlan> randomStrokes(std::mt19937& rng, int count, float w, float h)
{
    auto uniform = [&](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    std::vector<TStrokePlan> plans;
    for (int s = 0; s < count; ++s) {
        TStrokePlan plan;
        plan.kind = int(rng() % uint32_t(kBrushKindCount));
        plan.width = uniform(1.0f, 30.0f);
        plan.colour = rng() & 0xFFFFFF;
        float x = uniform(-20, w + 20), y = uniform(-20, h + 20);
        const int points = 2 + int(rng() % 12);
        for (int i = 0; i < points; ++i) {
            plan.points.push_back({x, y});
            x += uniform(-40, 40), y += uniform(-40, 40);
        }
        plans.push_back(plan);
    }
    return plans;
}

void paint(PaperFixture& f, int32_t layer, const TStrokePlan& plan)
{
    f.paper->setCurrentLayer(f.flow, layer);
    f.stroke.resetToDefaults(plan.kind);
    f.stroke.setKind(plan.kind);
    f.stroke.setWidth(plan.width);
    f.stroke.setColor(plan.colour);
    const size_t n = plan.points.size();
    for (size_t i = 0; i < n; ++i) {
        const float pressure = 0.3f + 0.7f * float(i) / float(n - 1);
        if (i == 0)
            f.paper->beginStroke(f.flow, f.stroke, true, plan.points[i].x, plan.points[i].y,
                                 pressure);
        else
            f.paper->continueStroke(f.flow, f.stroke, true, nullptr, plan.points[i].x,
                                    plan.points[i].y, pressure);
    }
    TRect rect;
    f.paper->endStroke(f.flow, f.stroke, true, rect, nullptr);
}

} // namespace

TEST(FlowImage, StrokesOnALayerAreTheSameWhetherOrNotOtherLayersArePaintedInBetween)
{
    constexpr int32_t kW = 230, kH = 170; // 8 × 6 blocks, the last ones partial
    PaperFixture mixed(kW, kH), alone(kW, kH);
    for (PaperFixture* f : {&mixed, &alone}) {
        f->paper->layers->AddLayer(kW, kH, true, 255, 3);
        f->paper->layers->AddLayer(kW, kH, true, 180, 0);
    }
    std::mt19937 rng(77);
    const std::vector<TStrokePlan> ours = randomStrokes(rng, 60, float(kW), float(kH));
    const std::vector<TStrokePlan> others = randomStrokes(rng, 60, float(kW), float(kH));
    // The other layers get content first, so a block copied from the wrong layer shows.
    for (int32_t layer : {0, 2})
        paint(mixed, layer,
              {0, 25.0f, 0x33AA55u, {{0, 0}, {float(kW), float(kH)}, {0, float(kH)}}});
    for (size_t s = 0; s < ours.size(); ++s) {
        paint(mixed, s % 2 ? 0 : 2, others[s]);
        paint(mixed, 1, ours[s]);
        // The reference completes its working copy before every stroke.
        ASSERT_TRUE(alone.flow.take(*alone.paper->layer(1), 1, kW, kH));
        paint(alone, 1, ours[s]);
        ASSERT_TRUE(sameImage(flatLayer(*mixed.paper->layer(1)), flatLayer(*alone.paper->layer(1))))
            << "after stroke " << s << " (kind " << ours[s].kind << ")";
    }
    EXPECT_TRUE(sameImage(mixed.paper->displayImage, mixed.freshComposite()));
}

TEST(FlowImage, AReplayToTheEndShowsWhatTheLiveStrokesShowed)
{
    RecordedPaper live;
    ASSERT_TRUE(live.paper->initPaper("flow", live.flow, 150, 110));
    live.paper->createLayer(live.flow, 1, 150, 110, true, 200, 4, true);
    std::mt19937 rng(5);
    const std::vector<TStrokePlan> plans = randomStrokes(rng, 30, 150, 110);
    for (size_t s = 0; s < plans.size(); ++s) {
        const TStrokePlan& plan = plans[s];
        live.paper->setCurrentLayer(live.flow, int32_t(s % 2));
        live.stroke.resetToDefaults(plan.kind);
        live.stroke.setKind(plan.kind);
        live.stroke.setWidth(plan.width);
        live.stroke.setColor(plan.colour);
        live.paper->beginStroke(live.flow, live.stroke, true, plan.points[0].x, plan.points[0].y,
                                0.8f);
        for (size_t i = 1; i < plan.points.size(); ++i)
            live.paper->continueStroke(live.flow, live.stroke, true, nullptr, plan.points[i].x,
                                       plan.points[i].y, 0.8f);
        TRect rect;
        live.paper->endStroke(live.flow, live.stroke, true, rect, nullptr);
    }

    RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    EXPECT_TRUE(sameImage(replay.paper->displayImage, live.paper->displayImage));
    EXPECT_TRUE(sameImage(replay.paper->displayImage, replay.freshComposite()));
}

} // namespace qm::test

// Brush dabs per second on a 2048 × 2048 layer, with the stroke walk deciding where they fall,
// beside libmypaint's default brush (mypaint_bench.cpp) at the same radius and dab spacing;
// and the time from one stroke point to the composited rectangle on a paper of 20 layers.
//
// The pen sweeps across the layer in points about 4 pixels apart at full pressure, as the
// yardstick's does. For "pen" each segment's rectangle is also composed (colour laid over the
// layer through the coverage), as every shown segment is; otherwise a pen dab would only be
// the coverage it paints.
#include "paint/brush.h"
#include "paper/paper.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace qm {

namespace {

constexpr int32_t kSide = 2048;
constexpr float kStep = 4.1231f;

struct TBenchLayer {
    TBenchLayer() : layer(kSide, kSide)
    {
        layer.FillAll(0xFF808080u);
        work.Resize(kSide, kSide);
        coverage.Resize(kSide, kSide);
        layer.ExportTo(work, {0, 0}, false, 255, layer.bounds());
        canvas.work = &work;
        canvas.coverage = &coverage;
        canvas.layer = &layer;
    }
    CBlockVMTC layer;
    TMTC work;
    TChannel coverage;
    TBrushCanvas canvas;
};

void BM_BrushDabs(benchmark::State& state)
{
    const int32_t kind = int32_t(state.range(0));
    const float radius = float(state.range(1));
    static TBenchLayer target; // one 2048² layer for all runs: its set-up is not the subject
    TStroke stroke;
    stroke.resetToDefaults(kind);
    stroke.setKind(kind);
    stroke.setIfSize(false);
    stroke.setIfTransparency(false);
    stroke.setWidth(radius);
    stroke.setColor(0x2040C0);
    stroke.opacity = 1.0f;
    const TStrokeSource source = target.canvas.source(0, 0, 0x00FFFFFFu);
    int64_t dabs = 0;
    float y = radius + 2.0f;
    for (auto _ : state) {
        // One pass across the layer, then on to the next row (wrapping to the top).
        stroke.startStroke(source, radius, y, 1.0f);
        prepareBrush(target.canvas, stroke);
        TWalkTrace trace;
        for (float x = radius; x < float(kSide) - radius; x += kStep) {
            stroke.addPoint(x, y, 1.0f);
            stroke.walkSegment(0.0f, 0.0f, trace, [&](const TDab& dab) {
                target.canvas.stepAxis = trace.stepAxis;
                paintDab(target.canvas, stroke, dab);
            });
            if (kind == int32_t(TBrushKind::pen))
                composeStroke(target.canvas, stroke, toBox(stroke.segmentRect()));
        }
        dabs += stroke.dabCount;
        y += 2.0f * radius;
        if (y > float(kSide) - radius)
            y = radius + 2.0f;
    }
    state.counters["dabs_per_s"] = benchmark::Counter(double(dabs), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(dabs);
}
BENCHMARK(BM_BrushDabs)
    ->ArgNames({"kind", "radius"})
    ->Args({0, 10})
    ->Args({0, 50})
    ->Args({5, 10})
    ->Args({5, 50})
    ->Args({1, 10})
    ->Args({1, 50})
    ->Unit(benchmark::kMillisecond);

class BenchWindow : public TDrawWindow {};

// One stroke point on a 2048² paper of 20 visible layers: the dabs, the compose step and the
// recomposited rectangle of the display.
void BM_ContinueStrokeTwentyLayers(benchmark::State& state)
{
    BenchWindow window;
    TStroke stroke;
    TPaperServices services;
    services.liveStroke = &stroke;
    TPaper paper(window, services);
    TFlowImage flow(&paper);
    paper.initPaper("bench", flow, kSide, kSide);
    for (int i = 1; i < 20; ++i) {
        const int32_t at = paper.layers->AddLayer(kSide, kSide, true, 200, uint8_t(3 + i % 5));
        // Some content in every layer, so that no part of the rectangle is skipped.
        paper.layer(at)->image()->FillAll(0x80000000u | uint32_t(i * 0x0B0D07));
    }
    paper.setCurrentLayer(flow, 10);
    stroke.resetToDefaults(0);
    stroke.setKind(0);
    stroke.setWidth(float(state.range(0)));
    paper.beginStroke(flow, stroke, true, 100.0f, 100.0f, 1.0f);
    float x = 100.0f, y = 100.0f;
    for (auto _ : state) {
        x += kStep;
        if (x > float(kSide) - 100.0f) {
            x = 100.0f;
            y += 60.0f;
        }
        paper.continueStroke(flow, stroke, true, nullptr, x, y, 1.0f);
    }
    TRect rect;
    paper.endStroke(flow, stroke, true, rect, nullptr);
}
BENCHMARK(BM_ContinueStrokeTwentyLayers)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

} // namespace qm

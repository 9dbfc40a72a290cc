// Repainting a 1024 × 768 window from a 4000 × 3000 paper, in megapixels of window per second.
// At 100 % this runs after every tablet event for the dirty rectangle, so it must stay a copy.
#include "core/view_render.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace qm;

namespace {

constexpr int32_t kWindowWidth = 1024;
constexpr int32_t kWindowHeight = 768;

const TMTC& paper()
{
    static const TMTC image = [] {
        TMTC made(4000, 3000);
        uint32_t seed = 12345;
        for (int32_t y = 0; y < made.height(); ++y)
            for (int32_t x = 0; x < made.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                made.row(y)[x] = seed | 0xFF000000u;
            }
        return made;
    }();
    return image;
}

void renderView(benchmark::State& state, bool smooth, float zoom, float angleDegrees)
{
    std::vector<uint32_t> pixels(size_t(kWindowWidth) * kWindowHeight);
    const TViewTarget target{pixels.data(), kWindowWidth, kWindowHeight, kWindowWidth};
    const TBox box{0, 0, kWindowWidth, kWindowHeight};
    const float angle = angleDegrees * 3.14159265f / 180.0f;
    const TMTC& source = paper();
    // The window's centre on the paper's centre, window pixels on paper pixels at 100 %.
    const TPointF centre{2000.0f, 1500.0f};
    for (auto _ : state) {
        if (smooth)
            RenderRotatedView(target, source, 0xFFC0C0C0u, zoom, angle, box, centre);
        else
            RenderPlainView(target, source, 0xFFC0C0C0u, zoom, angle, box, centre);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWindowWidth) * kWindowHeight / 1e6 * double(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_ViewPlain(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, false, zoom, angleDegrees);
}

void BM_ViewSmooth(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, true, zoom, angleDegrees);
}

BENCHMARK_CAPTURE(BM_ViewPlain, zoom1, 1.0f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlain, zoom2, 2.0f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlain, zoom3, 3.0f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlain, zoomHalf, 0.5f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewSmooth, zoomHalf, 0.5f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlain, turned30, 1.0f, 30.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewSmooth, turned30, 1.0f, 30.0f)->Unit(benchmark::kMillisecond);

} // namespace

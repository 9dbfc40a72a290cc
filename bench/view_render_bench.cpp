// Repainting a 1920 × 1080 window from a 4000 × 3000 paper, in megapixels of window per second.
// At 100 % this runs after every tablet event for the dirty rectangle, so it must stay a copy.
#include "core/view_kernels.h"
#include "core/view_render.h"
#include "core/view_render_reference.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace qm;

namespace {

constexpr int32_t kWindowWidth = 1920;
constexpr int32_t kWindowHeight = 1080;
constexpr uint32_t kBackground = 0xFFC0C0C0u;

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

enum class TView { plain, smooth, plainPortable, smoothPortable, plainReference, smoothReference };

const TViewPyramid& pyramid()
{
    static const TViewPyramid built = [] {
        TViewPyramid p;
        p.rebuild(paper());
        return p;
    }();
    return built;
}

void renderView(benchmark::State& state, TView view, float zoom, float angleDegrees)
{
    std::vector<uint32_t> pixels(size_t(kWindowWidth) * kWindowHeight);
    const TViewTarget target{pixels.data(), kWindowWidth, kWindowHeight, kWindowWidth};
    const TBox box{0, 0, kWindowWidth, kWindowHeight};
    const float angle = angleDegrees * 3.14159265f / 180.0f;
    const TMTC& source = paper();
    pyramid();
    // The window's centre on the paper's centre, window pixels on paper pixels at 100 %.
    const TPointF centre{2000.0f, 1500.0f};
    for (auto _ : state) {
        switch (view) {
        case TView::plain:
            RenderPlainView(target, source, kBackground, zoom, angle, box, centre);
            break;
        case TView::smooth:
            RenderRotatedView(target, source, pyramid(), kBackground, zoom, angle, box, centre);
            break;
        case TView::plainPortable:
            view::renderPlain(view::TKernels::portable, target, source, kBackground, zoom, angle,
                              box, centre);
            break;
        case TView::smoothPortable:
            view::renderSmooth(view::TKernels::portable, target, source, &pyramid(), kBackground,
                               zoom, angle, box, centre);
            break;
        case TView::plainReference:
            RenderPlainViewReference(target, source, kBackground, zoom, angle, box, centre);
            break;
        case TView::smoothReference:
            RenderRotatedViewReference(target, source, kBackground, zoom, angle, box, centre);
            break;
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWindowWidth) * kWindowHeight / 1e6 * double(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_ViewPlain(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::plain, zoom, angleDegrees);
}

void BM_ViewSmooth(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::smooth, zoom, angleDegrees);
}

void BM_ViewPlainPortable(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::plainPortable, zoom, angleDegrees);
}

void BM_ViewSmoothPortable(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::smoothPortable, zoom, angleDegrees);
}

// The loops the plain view replaced.
void BM_ViewPlainReference(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::plainReference, zoom, angleDegrees);
}

// The one-pixel-at-a-time area average the smooth view replaced.
void BM_ViewSmoothReference(benchmark::State& state, float zoom, float angleDegrees)
{
    renderView(state, TView::smoothReference, zoom, angleDegrees);
}

// The window brings the pyramid up to date after every dab (a 64 × 64 box) …
void BM_ViewPyramidUpdateDab(benchmark::State& state)
{
    TViewPyramid p;
    p.rebuild(paper());
    int32_t x = 0;
    for (auto _ : state) {
        p.update(paper(), TBox{1000 + x, 1200, 64, 64});
        x = (x + 37) % 512;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ViewPyramidUpdateDab)->Unit(benchmark::kMicrosecond);

// … and builds it whole once per paper loaded.
void BM_ViewPyramidRebuild(benchmark::State& state)
{
    TViewPyramid p;
    for (auto _ : state) {
        p.rebuild(paper());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ViewPyramidRebuild)->Unit(benchmark::kMillisecond);

#define VIEW_CASES(BM)                                                                             \
    BENCHMARK_CAPTURE(BM, zoom1, 1.0f, 0.0f)->Unit(benchmark::kMillisecond);                       \
    BENCHMARK_CAPTURE(BM, zoom2, 2.0f, 0.0f)->Unit(benchmark::kMillisecond);                       \
    BENCHMARK_CAPTURE(BM, zoom3, 3.0f, 0.0f)->Unit(benchmark::kMillisecond);                       \
    BENCHMARK_CAPTURE(BM, zoom1_7, 1.7f, 0.0f)->Unit(benchmark::kMillisecond);                     \
    BENCHMARK_CAPTURE(BM, zoom0_5, 0.5f, 0.0f)->Unit(benchmark::kMillisecond);                     \
    BENCHMARK_CAPTURE(BM, zoom0_3, 0.3f, 0.0f)->Unit(benchmark::kMillisecond);                     \
    BENCHMARK_CAPTURE(BM, zoom0_125, 0.125f, 0.0f)->Unit(benchmark::kMillisecond);                 \
    BENCHMARK_CAPTURE(BM, zoom0_07, 0.07f, 0.0f)->Unit(benchmark::kMillisecond);                   \
    BENCHMARK_CAPTURE(BM, turned30_zoom1, 1.0f, 30.0f)->Unit(benchmark::kMillisecond);             \
    BENCHMARK_CAPTURE(BM, turned30_zoom0_5, 0.5f, 30.0f)->Unit(benchmark::kMillisecond);           \
    BENCHMARK_CAPTURE(BM, turned30_zoom0_2, 0.2f, 30.0f)->Unit(benchmark::kMillisecond)

VIEW_CASES(BM_ViewPlain);
VIEW_CASES(BM_ViewSmooth);
VIEW_CASES(BM_ViewPlainPortable);
VIEW_CASES(BM_ViewSmoothPortable);
BENCHMARK_CAPTURE(BM_ViewPlainReference, zoom1_7, 1.7f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlainReference, zoom0_5, 0.5f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlainReference, turned30_zoom1, 1.0f, 30.0f)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewPlainReference, turned30_zoom0_5, 0.5f, 30.0f)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewSmoothReference, zoom1_7, 1.7f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewSmoothReference, zoom0_5, 0.5f, 0.0f)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ViewSmoothReference, turned30_zoom1, 1.0f, 30.0f)
    ->Unit(benchmark::kMillisecond);

} // namespace

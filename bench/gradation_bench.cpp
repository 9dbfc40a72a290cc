// ColorAtPixel of a four-stop gradation, per type, in pixels per second.
#include "tone/gradation.h"

#include <benchmark/benchmark.h>

using namespace qm;

namespace {

void BM_ColorAtPixel(benchmark::State& state)
{
    CColorSlotGroup stops;
    stops.append(0x000000, 0x4000);
    stops.append(0x0000FF, 0x8000);
    stops.append(0x00FFFF, 0x4000, true, 128);
    stops.append(0xFFFFFF, 0);
    stops.Normalize();
    CGradation g;
    g.setStops(&stops);
    g.SetOptions(int(state.range(0)), 1, 3, 1);
    g.SetLine({100 << 16, 80 << 16}, {400 << 16, 260 << 16});
    uint32_t sum = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x)
                sum += g.ColorAtPixel(x * 7, y * 5);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["pixels/s"] =
        benchmark::Counter(64.0 * 64.0 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(kGradTypeNames[state.range(0)]);
}
BENCHMARK(BM_ColorAtPixel)->Arg(0)->Arg(1)->Arg(2);

} // namespace

// Screentone lookups: what painting pays per pixel for the tone option.
#include "tone/tone_mngr.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace qm;

namespace {

constexpr int32_t kSide = 512;

void reportLookups(benchmark::State& state)
{
    state.counters["lookups/s"] = benchmark::Counter(
        double(kSide) * kSide * double(state.iterations()), benchmark::Counter::kIsRate);
}

const CToneMngr& toneAt45()
{
    static const std::unique_ptr<CToneMngr> mngr = [] {
        auto m = std::make_unique<CToneMngr>(false);
        SToneAttr attr; // 55 lines at 300 dpi
        attr.angle = 45.0f;
        attr.percent = 30.0f;
        m->Select(m->AddTone(attr, true));
        return m;
    }();
    return *mngr;
}

// One Weight call per pixel, as the stroke's pixel plotting does.
void BM_ToneWeight45(benchmark::State& state)
{
    const CToneMngr& mngr = toneAt45();
    uint32_t sum = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                sum += mngr.Weight(x, y, 200);
        benchmark::DoNotOptimize(sum);
    }
    reportLookups(state);
}
BENCHMARK(BM_ToneWeight45)->Unit(benchmark::kMillisecond);

// The row form the area fillers use.
void BM_ToneWeightRow45(benchmark::State& state)
{
    const CToneMngr& mngr = toneAt45();
    std::vector<uint8_t> row(kSide);
    for (auto _ : state) {
        for (int32_t y = 0; y < kSide; ++y) {
            std::fill(row.begin(), row.end(), uint8_t(200));
            mngr.WeightRow(0, y, row.data(), kSide);
            benchmark::DoNotOptimize(row.data());
        }
    }
    reportLookups(state);
}
BENCHMARK(BM_ToneWeightRow45)->Unit(benchmark::kMillisecond);

// A bitmap pattern for comparison: a plain wrapped tile read.
void BM_PatternWeight(benchmark::State& state)
{
    CToneMngr mngr; // the built-in dot grid is selected
    uint32_t sum = 0;
    for (auto _ : state) {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                sum += mngr.Weight(x, y, 200);
        benchmark::DoNotOptimize(sum);
    }
    reportLookups(state);
}
BENCHMARK(BM_PatternWeight)->Unit(benchmark::kMillisecond);

} // namespace

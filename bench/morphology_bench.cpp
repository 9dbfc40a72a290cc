// Growing a 4096 × 4096 selection by n: the cost per pixel should rise about linearly with n.
#include "select/morphology.h"

#include <benchmark/benchmark.h>

#include <cstdint>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

// Soft-edged blobs over an empty background, the kind of mask a selection usually is; or,
// for the worst case, partial coverage everywhere and never 255, so no window stops early.
const TChannel& sampleMask(bool worstCase)
{
    static const auto make = [](bool worst) {
        TChannel m(kSide, kSide);
        uint32_t state = 3;
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) {
                state = state * 1664525u + 1013904223u;
                const bool blob = ((x / 300) + (y / 200)) % 3 == 0;
                m.row(y)[x] = worst  ? uint8_t(1 + (state >> 24) % 254)
                              : blob ? uint8_t(128 + (state >> 25))
                                     : uint8_t((state >> 24) < 3 ? 255 : 0);
            }
        return m;
    };
    static const TChannel typical = make(false), worst = make(true);
    return worstCase ? worst : typical;
}

void BM_Grow(benchmark::State& state)
{
    const int n = int(state.range(0));
    const TChannel& mask = sampleMask(state.range(1) != 0);
    TChannel result;
    for (auto _ : state) {
        growChannel(mask, n, result);
        benchmark::DoNotOptimize(result.bits());
    }
    const double pixels = double(kSide) * kSide * double(state.iterations());
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
    state.counters["ns/pix"] =
        benchmark::Counter(pixels / 1e9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Arguments: n, and 1 for the worst-case mask.
BENCHMARK(BM_Grow)->ArgsProduct({{1, 8, 32}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

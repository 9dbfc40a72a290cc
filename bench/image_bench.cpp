// Throughput of the basic image operations on a 4096 × 4096 picture, in megapixels per second.
#include "core/block_vmtc.h"
#include "core/image_ops.h"

#include <benchmark/benchmark.h>

using namespace qm;

namespace {
constexpr int32_t kSide = 4096;

void reportPixels(benchmark::State& state)
{
    state.counters["MP/s"] = benchmark::Counter(double(kSide) * kSide / 1e6 * state.iterations(),
                                                benchmark::Counter::kIsRate);
}

void BM_FillTMTC(benchmark::State& state)
{
    TMTC image(kSide, kSide);
    uint32_t v = 0;
    for (auto _ : state) {
        fillAll(image, v++);
        benchmark::DoNotOptimize(image.bits());
    }
    reportPixels(state);
}
BENCHMARK(BM_FillTMTC)->Unit(benchmark::kMillisecond);

void BM_CopyTMTC(benchmark::State& state)
{
    TMTC source(kSide, kSide), dest(kSide, kSide);
    fillAll(source, 0xFF336699u);
    for (auto _ : state) {
        copyRect(dest, {0, 0}, source, source.bounds());
        benchmark::DoNotOptimize(dest.bits());
    }
    reportPixels(state);
}
BENCHMARK(BM_CopyTMTC)->Unit(benchmark::kMillisecond);

void BM_PaintNormalRows(benchmark::State& state)
{
    TMTC source(kSide, kSide), dest(kSide, kSide);
    fillAll(source, 0xFF336699u);
    fillAll(dest, 0xFFCCBBAAu);
    for (auto _ : state) {
        blendRect(dest, {0, 0}, source, source.bounds(), 100);
        benchmark::DoNotOptimize(dest.bits());
    }
    reportPixels(state);
}
BENCHMARK(BM_PaintNormalRows)->Unit(benchmark::kMillisecond);

void BM_PaintNormalRowsReference(benchmark::State& state)
{
    TMTC source(kSide, kSide), dest(kSide, kSide);
    fillAll(source, 0xFF336699u);
    fillAll(dest, 0xFFCCBBAAu);
    for (auto _ : state) {
        for (int32_t y = 0; y < kSide; ++y)
            paintNormalRowReference(dest.row(y), source.row(y), kSide, 100);
        benchmark::DoNotOptimize(dest.bits());
    }
    reportPixels(state);
}
BENCHMARK(BM_PaintNormalRowsReference)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A layer as it usually is: most blocks uniform, some painted.
void fillLayer(CBlockVMTC& layer)
{
    layer.FillAll(0x00FFFFFFu);
    for (int32_t y = 0; y < kSide; y += 3)
        for (int32_t x = (y * 7) % 64; x < kSide; x += 64)
            layer.SetPixel(x, y, 0xFF000000u | uint32_t(x ^ y));
}

void BM_BlockExportTo(benchmark::State& state)
{
    CBlockVMTC layer(kSide, kSide);
    fillLayer(layer);
    TMTC flat(kSide, kSide);
    const auto alpha = uint32_t(state.range(0));
    for (auto _ : state) {
        layer.ExportTo(flat, {0, 0}, false, alpha, layer.bounds());
        benchmark::DoNotOptimize(flat.bits());
    }
    reportPixels(state);
}
BENCHMARK(BM_BlockExportTo)->Arg(255)->Arg(128)->Unit(benchmark::kMillisecond);

void BM_BlockFillAllUniform(benchmark::State& state)
{
    CBlockVMTC layer(kSide, kSide);
    uint32_t v = 0;
    for (auto _ : state) {
        layer.FillAll(0xFF000000u | v++);
        benchmark::DoNotOptimize(layer.blocks().data());
    }
    reportPixels(state);
}
BENCHMARK(BM_BlockFillAllUniform)->Unit(benchmark::kMillisecond);

} // namespace

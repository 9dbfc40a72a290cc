// The pattern generators on a 4096 × 4096 opaque layer, one core: the cloud and rock at the
// full layer size (pattern built once and laid over the layer), lighting with 16 lights of
// all three kinds (and its portable row kernel and plain per-pixel form, to read off the gains
// of the AVX2 kernel and of the row-wise form), the tile in both shapes and the floor from its
// own layer. The lighting filter runs on the calling thread alone; its benchmarks say so.
#include "filters/cloud_rock.h"
#include "filters/floor.h"
#include "filters/lighting.h"
#include "filters/tile_pattern.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

struct TGeneratorLayer {
    std::unique_ptr<CLayerData> layer = std::make_unique<CLayerData>();
    std::unique_ptr<CBlockVMTC> source;
};

TGeneratorLayer& generatorLayer()
{
    static TGeneratorLayer bench = [] {
        TGeneratorLayer b;
        b.layer->CreateImage(kSide, kSide, 0);
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                b.layer->image()->SetPixel(x, y, 0xFF000000u | uint32_t(x & 0xFF) << 16 |
                                                     uint32_t(y & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF));
        b.source = std::make_unique<CBlockVMTC>(*b.layer->image());
        return b;
    }();
    return bench;
}

template <typename Apply>
void runGenerator(benchmark::State& state, Apply&& apply)
{
    TGeneratorLayer& b = generatorLayer();
    for (auto _ : state) {
        const bool ok = apply(*b.source, *b.layer);
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}

TLightingParams sixteenLights()
{
    TLightingParams p;
    p.brightness = 60;
    for (int i = 0; i < 16; ++i) {
        TLightRecord l = defaultLight(uint8_t(i % 3));
        l.x = float(i % 4) / 4.0f + 0.125f;
        l.y = float(i / 4) / 4.0f + 0.125f;
        l.spread = 30;
        l.elevation = 1.2f;
        p.lights.push_back(l);
    }
    return p;
}

void BM_Cloud(benchmark::State& state)
{
    const TCloudParams p{10, kSide, kSide, 1234u, 0x00FFFFFFu, 0x00204080u};
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
}
void BM_Rock(benchmark::State& state)
{
    const TRockParams p{50, 50, kSide, kSide, 1234u, 0x00FFFFFFu, 0x00204080u};
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
}
// The lighting filter starts no threads: the figure is one core's.
void markOneThread(benchmark::State& state)
{
    state.SetLabel("one thread");
    state.counters["threads"] = 1;
}
void BM_Lighting16(benchmark::State& state)
{
    const TLightingParams p = sixteenLights();
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
    markOneThread(state);
}
void BM_Lighting16Portable(benchmark::State& state)
{
    const TLightingParams p = sixteenLights();
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) {
        return applyLightingRows(s, l, nullptr, nullptr, p, false);
    });
    markOneThread(state);
}
void BM_Lighting16Reference(benchmark::State& state)
{
    const TLightingParams p = sixteenLights();
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) {
        return applyLightingReference(s, l, nullptr, nullptr, p);
    });
    markOneThread(state);
}
void BM_TileSquares(benchmark::State& state)
{
    TTileParams p;
    p.width = 64;
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
}
void BM_TileTriangles(benchmark::State& state)
{
    TTileParams p;
    p.width = 64;
    p.triangles = true;
    p.colourCount = 3;
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
}
void BM_Floor(benchmark::State& state)
{
    TFloorParams p;
    p.pitch = 0.2f;
    p.toHorizon = true;
    runGenerator(state, [&](const CBlockVMTC& s, CLayerData& l) { return applyFilter(s, l, nullptr, nullptr, p); });
}

} // namespace

BENCHMARK(BM_Cloud)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lighting16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lighting16Portable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lighting16Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TileSquares)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TileTriangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);

// Saving and loading a paper of 10 layers of 4096 × 4096 with drawing-like content, beside
// encoding the flattened picture as PNG with libpng at its default level. Counters: MB/s of
// layer pixels and the file sizes, so the ratio can be read off one run.
#include "bench_paper.h"
#include "paperfile/paper_file.h"
#include "files/png_codec.h"
#include "layers/display_refresh.h"
#include "paper/paper.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace qm {

namespace {

constexpr int32_t kSide = 4096;
constexpr int kLayers = 10;

// Each layer: a few soft-edged painted areas with smooth gradients over an
// otherwise empty (transparent) layer, the way drawn layers look.
void paintLayer(CLayerData& layer, std::mt19937& rng)
{
    TMTC area(1024, 1024);
    for (int blob = 0; blob < 4; ++blob) {
        const uint32_t base = rng() & 0xFFFFFF;
        for (int32_t y = 0; y < area.height(); ++y) {
            uint32_t* row = area.row(y);
            for (int32_t x = 0; x < area.width(); ++x) {
                const float dx = float(x - 512) / 512.0f, dy = float(y - 512) / 512.0f;
                const float d = std::sqrt(dx * dx + dy * dy);
                const uint32_t alpha = d >= 1.0f ? 0 : uint32_t(255.0f * (1.0f - d * d));
                const uint32_t shade = uint32_t(x / 8 + y / 16) & 0xFF;
                row[x] = alpha << 24 | ((base + shade * 0x010101u) & 0xFFFFFF);
            }
        }
        const TPoint at{int32_t(rng() % (kSide - 1024)), int32_t(rng() % (kSide - 1024))};
        layer.image()->ImportFrom(area, at, 255, area.bounds());
    }
    layer.image()->Optimize();
}

BenchPaper& benchPaper()
{
    static BenchPaper* made = [] {
        auto* p = new BenchPaper(false);
        p->paper->initPaper("bench", p->flow, kSide, kSide);
        std::mt19937 rng(7);
        for (int i = 1; i < kLayers; ++i)
            p->paper->createLayer(p->flow, i, kSide, kSide, true, 255, 3, false);
        for (int i = 0; i < kLayers; ++i)
            paintLayer(*p->paper->layer(i), rng);
        p->paper->refreshAll(p->flow, 0, false);
        return p;
    }();
    return *made;
}

const double kLayerBytes = double(kSide) * kSide * 4 * kLayers;

void BM_SavePaperFile(benchmark::State& state)
{
    BenchPaper& p = benchPaper();
    size_t size = 0;
    for (auto _ : state) {
        ByteWriter out;
        encodePaperFile(*p.paper, paperFileOption::layers | paperFileOption::masks, out);
        size = out.size();
        benchmark::DoNotOptimize(out.data().data());
    }
    state.counters["layer_MB_per_s"] =
        benchmark::Counter(kLayerBytes / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = double(size) / 1e6;
}
BENCHMARK(BM_SavePaperFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LoadPaperFile(benchmark::State& state)
{
    BenchPaper& p = benchPaper();
    ByteWriter out;
    encodePaperFile(*p.paper, paperFileOption::layers | paperFileOption::masks, out);
    for (auto _ : state) {
        BenchPaper loaded(false);
        loadPaperBytes(out.data(), *loaded.paper, loaded.flow);
        benchmark::DoNotOptimize(loaded.paper->layerCount());
    }
    state.counters["layer_MB_per_s"] =
        benchmark::Counter(kLayerBytes / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}
// Wall-clock time: a large layer is unpacked by two threads.
BENCHMARK(BM_LoadPaperFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The yardstick: the flattened picture (4096², one layer's worth of pixels) as PNG.
void BM_FlattenedPng(benchmark::State& state)
{
    BenchPaper& p = benchPaper();
    TMTC flat(kSide, kSide);
    for (int32_t y = 0; y < kSide; ++y)
        std::copy_n(p.paper->displayImage.row(y), kSide, flat.row(y));
    size_t size = 0;
    for (auto _ : state)
        size = encodePng(flat).size();
    state.counters["picture_MB_per_s"] = benchmark::Counter(
        double(kSide) * kSide * 4 / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = double(size) / 1e6;
}
BENCHMARK(BM_FlattenedPng)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

} // namespace qm

// The geometric layer operations on realistic sizes, beside one full composite of the same
// paper, so that each can be read against "one full composite × the layer count".
//
// The single-layer operations use a 4096 × 4096 layer of random pixels (every block
// allocated); the stack is 20 layers of a 4000 × 3000 paper, each painted in a 1500 × 1500
// patch of random pixels at its own place, the rest transparent.
#include "layers/composite.h"
#include "layers/display_refresh.h"
#include "layers/layer_geometry.h"
#include "layers/layer_list_resize.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;
constexpr int32_t kPaperW = 4000, kPaperH = 3000, kStackLayers = 20, kPatch = 1500;

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

void paintPatch(CBlockVMTC& image, TBox box, uint32_t seed)
{
    std::vector<uint32_t> row(size_t(box.width));
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        for (auto& p : row)
            p = nextRandom(seed);
        for (int32_t x = 0; x < box.width; ++x)
            image.SetPixel(box.x + x, y, row[size_t(x)]);
    }
}

const CLayerData& bigLayer()
{
    static const std::unique_ptr<CLayerData> layer = [] {
        auto l = CLayerData::make(0, 1);
        l->CreateImage(kSide, kSide, 3);
        paintPatch(*l->image(), TBox{0, 0, kSide, kSide}, 7);
        return l;
    }();
    return *layer;
}

const CLayerMngr& stack()
{
    static const std::unique_ptr<CLayerMngr> layers = [] {
        auto m = std::make_unique<CLayerMngr>();
        m->SetPaperSize(kPaperW, kPaperH);
        const uint8_t modes[] = {3, 0, 3, 4, 3, 5, 3, 0, 3, 7, 3, 3, 14, 3, 0, 3, 4, 3, 3, 3};
        for (int32_t i = 0; i < kStackLayers; ++i) {
            const int32_t index = m->AddLayer(kPaperW, kPaperH, true, 230, modes[i]);
            const int32_t x = (i * 131) % (kPaperW - kPatch), y = (i * 97) % (kPaperH - kPatch);
            paintPatch(*m->Get(index)->image(), TBox{x, y, kPatch, kPatch}, uint32_t(i + 1));
        }
        return m;
    }();
    return *layers;
}

void BM_RotateLayer30(benchmark::State& state)
{
    const CLayerData& layer = bigLayer();
    for (auto _ : state) {
        auto rotated = RotateLayer(layer, {kSide, kSide}, 30.0);
        benchmark::DoNotOptimize(rotated.get());
    }
}
BENCHMARK(BM_RotateLayer30)->Unit(benchmark::kMillisecond);

void BM_RotateLayer90(benchmark::State& state)
{
    const CLayerData& layer = bigLayer();
    for (auto _ : state) {
        auto turned = RotateLayer90(layer, {kSide, kSide}, true);
        benchmark::DoNotOptimize(turned.get());
    }
}
BENCHMARK(BM_RotateLayer90)->Unit(benchmark::kMillisecond);

// Argument: the new size in percent.
void BM_ScaleLayer(benchmark::State& state)
{
    const CLayerData& layer = bigLayer();
    const auto side = int32_t(int64_t(kSide) * state.range(0) / 100);
    for (auto _ : state) {
        auto scaled = ScaleLayer(layer, {side, side}, side, side);
        benchmark::DoNotOptimize(scaled.get());
    }
}
BENCHMARK(BM_ScaleLayer)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

// A canvas grown by 200 pixels each way about the centre, keeping every image whole.
void BM_ResizeLayerEx20Layers(benchmark::State& state)
{
    const CLayerMngr& layers = stack();
    for (auto _ : state) {
        auto made = makeResizeLayerEx(layers, {-100, -100}, {kPaperW + 200, kPaperH + 200}, true);
        benchmark::DoNotOptimize(made.get());
    }
}
BENCHMARK(BM_ResizeLayerEx20Layers)->Unit(benchmark::kMillisecond);

void BM_ZoomLayer20LayersHalf(benchmark::State& state)
{
    const CLayerMngr& layers = stack();
    const auto kind = TZoomKind(state.range(0));
    for (auto _ : state) {
        auto made = makeZoomLayer(layers, {kPaperW / 2, kPaperH / 2}, kind);
        benchmark::DoNotOptimize(made.get());
    }
}
BENCHMARK(BM_ZoomLayer20LayersHalf)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The yardstick: the whole 4000 × 3000 display recomposited from the 20 layers.
void BM_FullComposite20Layers(benchmark::State& state)
{
    const CLayerMngr& layers = stack();
    TTC display(kPaperW, kPaperH);
    for (auto _ : state) {
        refreshDisplayBox(layers, display, TBox{0, 0, kPaperW, kPaperH}, 0xFFFFFFFFu,
                          TLayerEngine::LayerAlpha);
        benchmark::DoNotOptimize(display.bits());
    }
}
BENCHMARK(BM_FullComposite20Layers)->Unit(benchmark::kMillisecond);

// What each rebuilt layer of a new list pays for its thumbnail (box filter of the paper).
void BM_UpdateThumbnailOfStackLayer(benchmark::State& state)
{
    auto layer = CLayerData::make(0, 1);
    layer->CloneFrom(*stack().Get(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(layer->UpdateThumbnail());
}
BENCHMARK(BM_UpdateThumbnailOfStackLayer)->Unit(benchmark::kMillisecond);

// The same yardstick for one 4096 × 4096 layer of random pixels.
void BM_FullCompositeBigLayer(benchmark::State& state)
{
    const CLayerData& layer = bigLayer();
    TMTC picture(kSide, kSide);
    for (auto _ : state) {
        CompositeLayer(layer, picture, picture.bounds(), {0, 0}, TPattern::Stored);
        benchmark::DoNotOptimize(picture.bits());
    }
}
BENCHMARK(BM_FullCompositeBigLayer)->Unit(benchmark::kMillisecond);

} // namespace

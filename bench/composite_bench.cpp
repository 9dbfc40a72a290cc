// Compositing one 4096 × 4096 layer onto an opaque picture, mode by mode, in megapixels per
// second, beside pixman on the same pixels (premultiplied copies made outside the timing).
//
// The layer's pixels are 30 % opaque, 40 % transparent and 30 % partly transparent, mixed
// pixel by pixel, so no block is uniform and every pixel is really composited.
#include "core/block_vmtc.h"
#include "layers/composite_rows.h"

#include <benchmark/benchmark.h>

#ifdef QUILLMERE_HAVE_PIXMAN
#include <pixman.h>
#endif

#include <chrono>
#include <map>
#include <vector>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state;
}

// The layer's pixels, row-major.
const std::vector<uint32_t>& layerPixels()
{
    static const std::vector<uint32_t> pixels = [] {
        std::vector<uint32_t> p(size_t(kSide) * kSide);
        uint32_t state = 7;
        for (auto& v : p) {
            const uint32_t colour = nextRandom(state) & 0x00FFFFFFu;
            const uint32_t pick = nextRandom(state) % 10;
            const uint32_t alpha = pick < 3 ? 255u : pick < 7 ? 0u : 1u + nextRandom(state) % 254;
            v = alpha << 24 | colour;
        }
        return p;
    }();
    return pixels;
}

std::vector<uint32_t> opaquePicture()
{
    std::vector<uint32_t> p(size_t(kSide) * kSide);
    uint32_t state = 99;
    for (auto& v : p)
        v = 0xFF000000u | (nextRandom(state) & 0x00FFFFFFu);
    return p;
}

void setRate(benchmark::State& state)
{
    state.counters["Mpix/s"] = benchmark::Counter(double(kSide) * kSide / 1e6 *
                                                      double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

void BM_CompositeRows(benchmark::State& state)
{
    const auto mode = uint32_t(state.range(0));
    const CompositeRowFn row = compositeRowOf(mode);
    const auto& layer = layerPixels();
    std::vector<uint32_t> picture = opaquePicture();
    for (auto _ : state) {
        for (int32_t y = 0; y < kSide; ++y)
            row(picture.data() + size_t(y) * kSide, layer.data() + size_t(y) * kSide, kSide, 200);
        benchmark::DoNotOptimize(picture.data());
    }
    state.SetLabel(modeName(mode));
    setRate(state);
}
// Every mode.
BENCHMARK(BM_CompositeRows)->DenseRange(0, kBlendModeCount - 1)->Unit(benchmark::kMillisecond);

#ifdef QUILLMERE_HAVE_PIXMAN
uint32_t premultiply(uint32_t p)
{
    const uint32_t a = p >> 24;
    const auto ch = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255; };
    return a << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}

// pixman images over premultiplied copies of the layer and the picture.
struct PixmanPair {
    std::vector<uint32_t> layer, picture;
    pixman_image_t* source = nullptr;
    pixman_image_t* dest = nullptr;

    PixmanPair() : layer(layerPixels()), picture(opaquePicture())
    {
        for (auto& v : layer)
            v = premultiply(v);
        source = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, layer.data(), kSide * 4);
        dest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, picture.data(), kSide * 4);
    }
    ~PixmanPair()
    {
        pixman_image_unref(source);
        pixman_image_unref(dest);
    }
    void composite(pixman_op_t op)
    {
        pixman_image_composite32(op, source, nullptr, dest, 0, 0, 0, 0, 0, 0, kSide, kSide);
    }
};

void BM_Pixman(benchmark::State& state)
{
    PixmanPair images;
    for (auto _ : state) {
        images.composite(pixman_op_t(state.range(0)));
        benchmark::DoNotOptimize(images.picture.data());
    }
    setRate(state);
}

// pixman's rate for an operator, measured once per run over a few passes.
double pixmanRate(pixman_op_t op)
{
    static std::map<int, double> rates;
    if (auto it = rates.find(op); it != rates.end())
        return it->second;
    PixmanPair images;
    images.composite(op); // warm-up
    constexpr int kPasses = 3;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPasses; ++i)
        images.composite(op);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rates[op] = double(kSide) * kSide * kPasses / 1e6 / seconds;
}

// Every operator one of our modes is set against (scripts/bench-report.sh pairs them).
BENCHMARK(BM_Pixman)
    ->Arg(PIXMAN_OP_OVER)->Arg(PIXMAN_OP_ADD)->Arg(PIXMAN_OP_MULTIPLY)->Arg(PIXMAN_OP_SCREEN)
    ->Arg(PIXMAN_OP_OVERLAY)->Arg(PIXMAN_OP_DARKEN)->Arg(PIXMAN_OP_LIGHTEN)
    ->Arg(PIXMAN_OP_COLOR_DODGE)->Arg(PIXMAN_OP_COLOR_BURN)->Arg(PIXMAN_OP_HARD_LIGHT)
    ->Arg(PIXMAN_OP_SOFT_LIGHT)->Arg(PIXMAN_OP_DIFFERENCE)->Arg(PIXMAN_OP_EXCLUSION)
    ->Arg(PIXMAN_OP_HSL_HUE)->Arg(PIXMAN_OP_HSL_SATURATION)->Arg(PIXMAN_OP_HSL_COLOR)
    ->Arg(PIXMAN_OP_HSL_LUMINOSITY)
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace

#include "layers/composite.h"
#include "layers/display_refresh.h"

namespace {

// The same layer as a tiled layer image, through the whole compositor (content region, block
// parts, row kernels).
void BM_CompositeLayer(benchmark::State& state)
{
    const auto mode = uint32_t(state.range(0));
    auto layer = CLayerData::make(0, 1);
    layer->CreateImage(kSide, kSide, uint8_t(mode));
    layer->opacity = 200;
    TMTC flat(kSide, kSide);
    std::copy(layerPixels().begin(), layerPixels().end(), flat.row(0));
    layer->image()->ImportFrom(flat, {0, 0}, 255, flat.bounds());
    TMTC picture(kSide, kSide);
    const std::vector<uint32_t> opaque = opaquePicture();
    std::copy(opaque.begin(), opaque.end(), picture.row(0));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CompositeLayer(*layer, picture, picture.bounds(), {0, 0}, TPattern::Stored);
        benchmark::DoNotOptimize(picture.bits());
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetLabel(modeName(mode));
    setRate(state);
#ifdef QUILLMERE_HAVE_PIXMAN
    // Our rate over pixman's for the same operator on the same pixels.
    const std::map<uint32_t, pixman_op_t> pixmanOps = {
        {3, PIXMAN_OP_OVER},    {0, PIXMAN_OP_MULTIPLY},   {4, PIXMAN_OP_SCREEN},
        {5, PIXMAN_OP_OVERLAY}, {7, PIXMAN_OP_SOFT_LIGHT}, {14, PIXMAN_OP_HSL_HUE}};
    if (auto it = pixmanOps.find(mode); it != pixmanOps.end() && seconds > 0)
        state.counters["x_pixman"] =
            double(kSide) * kSide * double(state.iterations()) / 1e6 / seconds /
            pixmanRate(it->second);
#endif
}
BENCHMARK(BM_CompositeLayer)->Arg(3)->Arg(0)->Arg(4)->Arg(5)->Arg(7)->Arg(14)
    ->Unit(benchmark::kMillisecond);

// The refresh that follows each stroke point: a box recomposited through 20 painted layers;
// 108 × 108 is what a radius-50 segment of 4 pixels dirties (its width, margins and length).
void BM_RefreshDirtyBox20Layers(benchmark::State& state)
{
    const auto side = int32_t(state.range(0));
    constexpr int32_t kPaper = 2048;
    CLayerMngr layers;
    layers.SetPaperSize(kPaper, kPaper);
    const uint8_t modes[] = {3, 0, 3, 4, 3, 5, 3, 0, 3, 7, 3, 3, 14, 3, 0, 3, 4, 3, 3, 3};
    uint32_t seed = 5;
    for (uint8_t mode : modes) {
        const int32_t index = layers.AddLayer(kPaper, kPaper, true, 230, mode, false);
        CBlockVMTC& image = *layers.Get(index)->image();
        for (int32_t y = 900; y < 1100; ++y)
            for (int32_t x = 900; x < 1100; ++x)
                image.SetPixel(x, y, nextRandom(seed));
    }
    TTC display(kPaper, kPaper);
    for (auto _ : state) {
        refreshDisplayBox(layers, display, TBox{1000 - side / 2, 1000 - side / 2, side, side},
                          0xFFFFFFFFu,
                          TLayerEngine::LayerAlpha);
        benchmark::DoNotOptimize(display.bits());
    }
}
BENCHMARK(BM_RefreshDirtyBox20Layers)->Arg(64)->Arg(108)->Unit(benchmark::kMicrosecond);

} // namespace

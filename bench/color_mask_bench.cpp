// Selecting by colour range on a 4096 × 4096 layer: one pick, several add and remove picks,
// and the same inside a current mask that covers part of the layer.
#include "select/color_mask.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

// A grainy photograph-like layer: smooth colour gradients and soft blobs, a grain of a few
// levels, and a band of partly transparent pixels so that the alpha rule is exercised.
const CBlockVMTC& photographLayer()
{
    static const CBlockVMTC layer = [] {
        TMTC flat(kSide, kSide);
        uint32_t state = 11;
        for (int32_t y = 0; y < kSide; ++y) {
            uint32_t* row = flat.row(y);
            for (int32_t x = 0; x < kSide; ++x) {
                state = state * 1664525u + 1013904223u;
                const int grain = int(state >> 29) - 4;
                const double blob = std::sin(x / 300.0) * std::cos(y / 410.0);
                auto clampByte = [](double v) { return uint32_t(std::clamp(v, 0.0, 255.0)); };
                const uint32_t r = clampByte(120 + 60 * blob + x / 64.0 + grain);
                const uint32_t g = clampByte(110 + 40 * blob - y / 80.0 + grain);
                const uint32_t b = clampByte(90 + 50 * std::sin(y / 500.0) + grain);
                const uint32_t a = y < 3500 ? 255u : uint32_t(255 - (y - 3500) * 255 / 596);
                row[x] = (a << 24) | (r << 16) | (g << 8) | b;
            }
        }
        CBlockVMTC image(kSide, kSide);
        image.ImportFrom(flat, {0, 0}, 255, flat.bounds());
        image.Optimize();
        return image;
    }();
    return layer;
}

// A soft disc over the middle of the layer.
const CMaskData& currentMask()
{
    static const std::unique_ptr<CMaskData> mask = [] {
        auto m = std::make_unique<CMaskData>();
        CollectingMessageSink messages;
        m->createMask(kSide, kSide, messages);
        std::vector<uint8_t> row(static_cast<size_t>(kSide));
        for (int32_t y = 0; y < kSide; ++y) {
            for (int32_t x = 0; x < kSide; ++x) {
                const double r = std::hypot(x - kSide / 2.0, y - kSide / 2.0);
                row[size_t(x)] = uint8_t(std::clamp((1500.0 - r) * 4.0, 0.0, 255.0));
            }
            m->coverage->WriteRow(0, y, kSide, row.data());
        }
        m->coverage->Optimize();
        return m;
    }();
    return *mask;
}

std::vector<TColorPick> picksFor(int64_t kind)
{
    if (kind == 0) return {{0xFFA07050u, true, 32}};
    return {{0xFFA07050u, true, 32},
            {0xFF785A6Eu, true, 48},
            {0xFF906850u, false, 12},
            {0xFFB46E46u, true, 255}};
}

// Arguments: 0 for one pick, 1 for four; 1 to clip by the current mask.
void BM_ColorRange(benchmark::State& state)
{
    const CBlockVMTC& layer = photographLayer();
    const std::vector<TColorPick> picks = picksFor(state.range(0));
    const CMaskData* mask = state.range(1) ? &currentMask() : nullptr;
    TChannel channel;
    TColorMaskResult result;
    for (auto _ : state) {
        result = CColorMask::build(layer, picks, mask, {0, 0}, channel);
        benchmark::DoNotOptimize(channel.bits());
    }
    state.counters["above1"] = double(result.above1);
    state.counters["ns/pix"] =
        benchmark::Counter(double(kSide) * kSide * double(state.iterations()) / 1e9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ColorRange)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

// The transforming filters on a 4096 × 4096 layer with content: the Gaussian blur at σ = 5,
// the 3 × 3 box blur, levels and hue/saturation/lightness, each over the whole layer from its
// source copy. OpenCV's Gaussian and box blurs of the same picture are the yardstick.
#include "filters/blur_filters.h"
#include "filters/gauss_blur.h"
#include "filters/table_filters.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>

#ifdef QUILLMERE_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

// Smooth colour gradients with grain, opaque apart from a transparent band and a soft edge,
// so that both allocated and uniform blocks occur.
uint32_t contentPixel(int32_t x, int32_t y, uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    const uint32_t grain = state >> 29;
    const uint32_t r = uint32_t(128 + 100 * std::sin(x * 0.003)) + grain;
    const uint32_t g = uint32_t(128 + 100 * std::cos(y * 0.002)) + grain;
    const uint32_t b = uint32_t((x + y) >> 5) & 0xFF;
    uint32_t a = 255;
    if (y > 3000 && y < 3400)
        a = 0;
    else if (x > 3800)
        a = uint32_t(std::max(0, 255 - (x - 3800)));
    return a << 24 | (r & 0xFF) << 16 | (g & 0xFF) << 8 | b;
}

struct TBenchLayer {
    std::unique_ptr<CLayerData> layer = std::make_unique<CLayerData>();
    std::unique_ptr<CBlockVMTC> source;
};

TBenchLayer& benchLayer()
{
    static TBenchLayer bench = [] {
        TBenchLayer b;
        b.layer->CreateImage(kSide, kSide, 0);
        uint32_t state = 7;
        std::vector<uint32_t> row(kSide);
        for (int32_t y = 0; y < kSide; ++y) {
            for (int32_t x = 0; x < kSide; ++x)
                row[size_t(x)] = contentPixel(x, y, state);
            for (int32_t x = 0; x < kSide; ++x)
                if (y <= 3000 || y >= 3400)
                    b.layer->image()->SetPixel(x, y, row[size_t(x)]);
        }
        b.source = std::make_unique<CBlockVMTC>(*b.layer->image());
        return b;
    }();
    return bench;
}

template <typename Params>
void runFilter(benchmark::State& state, const Params& params)
{
    TBenchLayer& b = benchLayer();
    for (auto _ : state) {
        const bool ok = applyFilter(*b.source, *b.layer, nullptr, nullptr, params);
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}

void BM_FilterGaussianSigma5(benchmark::State& state) { runFilter(state, TGaussianBlurParams{5.0f}); }
void BM_FilterBoxBlur3x3(benchmark::State& state) { runFilter(state, TBlurParams{}); }
void BM_FilterBoxBlur5x5(benchmark::State& state) { runFilter(state, TStrongBlurParams{}); }
void BM_FilterLevels(benchmark::State& state)
{
    runFilter(state, TLevelsParams{230, 20, 240, 110, 10});
}
void BM_FilterHueSaturation(benchmark::State& state)
{
    runFilter(state, THueSaturationParams{40, 20, -10});
}

BENCHMARK(BM_FilterGaussianSigma5)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FilterBoxBlur3x3)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterBoxBlur5x5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterLevels)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterHueSaturation)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef QUILLMERE_HAVE_OPENCV
const cv::Mat& benchMat()
{
    static const cv::Mat mat = [] {
        cv::Mat m(kSide, kSide, CV_8UC4);
        uint32_t state = 7;
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x)
                m.at<uint32_t>(y, x) = contentPixel(x, y, state);
        return m;
    }();
    return mat;
}

void BM_OpenCVGaussianSigma5(benchmark::State& state)
{
    cv::Mat out;
    for (auto _ : state) {
        cv::GaussianBlur(benchMat(), out, cv::Size(0, 0), 5.0);
        benchmark::DoNotOptimize(out.data);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}
void BM_OpenCVBoxBlur3x3(benchmark::State& state)
{
    cv::Mat out;
    for (auto _ : state) {
        cv::blur(benchMat(), out, cv::Size(3, 3));
        benchmark::DoNotOptimize(out.data);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kSide) * kSide);
}
BENCHMARK(BM_OpenCVGaussianSigma5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenCVBoxBlur3x3)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

} // namespace

// Seed fills on 4096 × 4096 pictures: the paint bucket (alpha-aware fill and the anti-alias
// pass) from the centre of a large region, with OpenCV's flood fill of the same picture as the
// yardstick, and the magic wand on a photograph-like picture.
#include "select/seed_fill.h"

#include "core/block_vmtc.h"
#include "core/dib_core.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef QUILLMERE_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;

// White paper with a line drawing: a thick ring around the centre, and inside it scattered
// short strokes and dots of dark line work. The region around the centre is most of the ring.
const TMTC& lineDrawing()
{
    static const TMTC picture = [] {
        TMTC flat(kSide, kSide);
        const double c = kSide / 2.0;
        uint32_t state = 5;
        for (int32_t y = 0; y < kSide; ++y) {
            uint32_t* row = flat.row(y);
            for (int32_t x = 0; x < kSide; ++x) {
                const double r = std::hypot(x - c, y - c);
                row[x] = r > 1900 && r < 1904 ? 0xFF202020u : 0xFFFFFFFFu;
            }
        }
        for (int i = 0; i < 3000; ++i) { // strokes 40 px long, in random directions
            state = state * 1664525u + 1013904223u;
            const int32_t x0 = 400 + int32_t(state % 3296);
            state = state * 1664525u + 1013904223u;
            const int32_t y0 = 400 + int32_t(state % 3296);
            state = state * 1664525u + 1013904223u;
            const double angle = (state >> 8) * (6.283185 / 16777216.0);
            for (int t = 0; t < 40; ++t) {
                const int32_t x = x0 + int32_t(t * std::cos(angle));
                const int32_t y = y0 + int32_t(t * std::sin(angle));
                if (std::hypot(x - c, y - c) < 1800 && std::hypot(x - c, y - c) > 20)
                    flat.row(y)[x] = 0xFF303030u;
            }
        }
        return flat;
    }();
    return picture;
}

// A photograph-like picture: smooth colour gradients, a few soft blobs and grain.
const TMTC& photograph()
{
    static const TMTC picture = [] {
        TMTC flat(kSide, kSide);
        uint32_t state = 9;
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
                row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        }
        return flat;
    }();
    return picture;
}

// The picture as a layer: blocks that are a single colour keep no storage.
CBlockVMTC layerFrom(const TMTC& flat)
{
    CBlockVMTC layer(flat.width(), flat.height());
    layer.ImportFrom(flat, {0, 0}, 255, flat.bounds());
    layer.Optimize();
    return layer;
}

int64_t countFilled(const TChannel& channel)
{
    int64_t n = 0;
    for (int32_t y = 0; y < channel.height(); ++y) {
        const uint8_t* row = channel.row(y);
        for (int32_t x = 0; x < channel.width(); ++x)
            n += row[x] != 0;
    }
    return n;
}

void reportFilled(benchmark::State& state, int64_t filled)
{
    state.counters["filled"] = double(filled);
    state.counters["Mpix/s"] =
        benchmark::Counter(double(filled) * double(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

void BM_PaintBucketWithAntiAlias(benchmark::State& state)
{
    static const CBlockVMTC layer = layerFrom(lineDrawing());
    int64_t filled = 0;
    for (auto _ : state) {
        CSeedFillWithAlpha fill(layer);
        fill.SetAntiAlias(true);
        fill.Fill({kSide / 2, kSide / 2}, 20);
        benchmark::DoNotOptimize(fill.channel().bits());
        state.PauseTiming();
        filled = countFilled(fill.channel());
        state.ResumeTiming();
    }
    reportFilled(state, filled);
}
BENCHMARK(BM_PaintBucketWithAntiAlias)->Unit(benchmark::kMillisecond);

void BM_MagicWand(benchmark::State& state)
{
    static const CBlockVMTC layer = layerFrom(photograph());
    int64_t filled = 0;
    for (auto _ : state) {
        CSeedFill fill(layer);
        fill.Fill({1500, 2200}, 20);
        fill.SolidifyInterior();
        benchmark::DoNotOptimize(fill.channel().bits());
        state.PauseTiming();
        filled = countFilled(fill.channel());
        state.ResumeTiming();
    }
    reportFilled(state, filled);
}
BENCHMARK(BM_MagicWand)->Unit(benchmark::kMillisecond);

#ifdef QUILLMERE_HAVE_OPENCV
// OpenCV fills a mask of the same picture (as 8-bit BGR, the pixel kind its flood fill takes)
// from the same seed with a per-channel range of the same limit, 4-connected.
void BM_OpenCvFloodFill(benchmark::State& state)
{
    const TMTC& flat = lineDrawing();
    cv::Mat bgra(kSide, kSide, CV_8UC4);
    for (int32_t y = 0; y < kSide; ++y)
        std::memcpy(bgra.ptr(y), flat.row(y), size_t(kSide) * 4);
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    cv::Mat mask(kSide + 2, kSide + 2, CV_8UC1);
    int64_t filled = 0;
    for (auto _ : state) {
        mask.setTo(0);
        filled = cv::floodFill(bgr, mask, cv::Point(kSide / 2, kSide / 2), cv::Scalar(), nullptr,
                               cv::Scalar(20, 20, 20), cv::Scalar(20, 20, 20),
                               4 | cv::FLOODFILL_FIXED_RANGE | cv::FLOODFILL_MASK_ONLY |
                                   (255 << 8));
        benchmark::DoNotOptimize(mask.data);
    }
    reportFilled(state, filled);
}
BENCHMARK(BM_OpenCvFloodFill)->Unit(benchmark::kMillisecond);
#endif

} // namespace

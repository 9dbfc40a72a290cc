// The marching ants of a 4096 × 4096 selection with a busy outline: extracting the four edge
// lists once per selection change (alone, and with the mask first drawn into a channel of the
// paper's size), and one animation step (drawing every visible point into a 1920 × 1080 window
// surface) at 25 %, 100 % and 400 %, straight and in a view rotated by 30°.
#include "select/ant_points.h"
#include "select/mask_mngr.h"

#include "core/image_ops.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

using namespace qm;

namespace {

constexpr int32_t kSide = 4096;
constexpr int32_t kWindowWidth = 1920, kWindowHeight = 1080;

// Smooth value noise: random values on a grid of `cell` pixels, smoothly interpolated.
class ValueNoise {
  public:
    ValueNoise(int32_t cell, uint32_t seed) : cell_(cell), across_(kSide / cell + 2)
    {
        values_.resize(size_t(across_) * size_t(across_));
        for (float& v : values_) {
            seed = seed * 1664525u + 1013904223u;
            v = float(seed >> 8) / 16777216.0f;
        }
    }
    float at(int32_t x, int32_t y) const
    {
        const int32_t gx = x / cell_, gy = y / cell_;
        const float fx = smooth(float(x % cell_) / float(cell_));
        const float fy = smooth(float(y % cell_) / float(cell_));
        const auto v = [&](int32_t i, int32_t j) { return values_[size_t(j * across_ + i)]; };
        const float top = v(gx, gy) + (v(gx + 1, gy) - v(gx, gy)) * fx;
        const float bottom = v(gx, gy + 1) + (v(gx + 1, gy + 1) - v(gx, gy + 1)) * fx;
        return top + (bottom - top) * fy;
    }

  private:
    static float smooth(float t) { return t * t * (3.0f - 2.0f * t); }
    int32_t cell_, across_;
    std::vector<float> values_;
};

// What a colour range or a magic wand leaves on a photograph: soft-edged blobs of many sizes
// with ragged edges, holes inside them and specks around them. On a clean picture the grain
// only roughens the edges; on a grainy one it breaks them into wide bands of specks (the worst
// case, with several times the points).
const TChannel& busySelection(bool grainy)
{
    static const auto make = [](float grainAmount) {
        TChannel m(kSide, kSide);
        const ValueNoise large(256, 1), middle(64, 2), small(16, 3);
        uint32_t state = 7;
        for (int32_t y = 0; y < kSide; ++y) {
            uint8_t* row = m.row(y);
            for (int32_t x = 0; x < kSide; ++x) {
                state = state * 1664525u + 1013904223u;
                const float grain = (float(state >> 8) / 16777216.0f - 0.5f) * grainAmount;
                const float f =
                    0.5f * large.at(x, y) + 0.3f * middle.at(x, y) + 0.2f * small.at(x, y) + grain;
                row[x] = uint8_t(std::clamp((f - 0.5f) * 4000.0f, 0.0f, 255.0f));
            }
        }
        return m;
    };
    static const TChannel clean = make(0.01f), noisy = make(0.08f);
    return grainy ? noisy : clean;
}

int64_t pointCount(const CAntPoints& ants)
{
    return int64_t(ants.left.size()) + ants.right.size() + ants.top.size() + ants.bottom.size();
}

// The drawing window's transform, centred on the paper: zoom, optionally rotated about the
// paper's centre, as the paper computes it.
struct TWindowView {
    float scale;
    float sine, cosine;
    bool rotated;

    TPointF operator()(float x, float y) const
    {
        const float cx = float(kSide / 2), cy = float(kSide / 2);
        if (!rotated)
            return {(x - cx) * scale + float(kWindowWidth / 2),
                    (y - cy) * scale + float(kWindowHeight / 2)};
        const float dx = x - cx, dy = y - cy;
        const float rx = cosine * dx + sine * dy;
        const float ry = cosine * dy - sine * dx;
        return {rx * scale + float(kWindowWidth / 2), ry * scale + float(kWindowHeight / 2)};
    }
    TAntsView antsView() const
    {
        return {int32_t(scale * 65536.0f), int32_t(sine * 65536.0f), int32_t(cosine * 65536.0f)};
    }
};

// Points that land in the window, counted the slow way once for the report.
int64_t visiblePoints(const CAntPoints& ants, const TWindowView& view)
{
    int64_t n = 0;
    for (const CPointList* list : {&ants.left, &ants.top, &ants.right, &ants.bottom})
        for (int32_t i = 0; i < list->size(); ++i) {
            const TPoint p = list->at(i);
            const TPointF v = view(float(p.x), float(p.y));
            const int32_t x = int32_t(v.x + 0.01f), y = int32_t(v.y + 0.01f);
            n += x >= 0 && y >= 0 && x < kWindowWidth && y < kWindowHeight;
        }
    return n;
}

// Argument: 1 for the grainy picture's selection.
void BM_AntsExtract(benchmark::State& state)
{
    const TChannel& mask = busySelection(state.range(0) != 0);
    CAntPoints ants;
    for (auto _ : state) {
        ants.extract(mask);
        benchmark::DoNotOptimize(ants.left.size());
    }
    state.counters["points"] = double(pointCount(ants));
}
BENCHMARK(BM_AntsExtract)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What a selection change costs in all: the mask drawn into a channel of the paper's size,
// then extracted.
void BM_ShowAnts(benchmark::State& state)
{
    CollectingMessageSink messages;
    CMaskMngr masks(kSide, kSide, &messages);
    std::unique_ptr<CMaskData> replaced;
    masks.ApplyChannel(0, busySelection(state.range(0) != 0), MaskCombine::Replace, {0, 0},
                       replaced);
    for (auto _ : state) {
        masks.ShowAnts(0);
        benchmark::DoNotOptimize(masks.ants().left.size());
    }
}
BENCHMARK(BM_ShowAnts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arguments: zoom in percent, rotation in degrees, 1 for the grainy picture's selection.
void BM_AntsStep(benchmark::State& state)
{
    const bool grainy = state.range(2) != 0;
    const float degrees = float(state.range(1));
    const float radians = degrees * 3.14159265358979f / 180.0f;
    const TWindowView view{float(state.range(0)) / 100.0f, std::sin(radians), std::cos(radians),
                           degrees != 0.0f};
    CAntPoints ants; // an outline of its own, so that stepping does not touch the shared one
    ants.extract(busySelection(grainy));
    TMTC surface(kWindowWidth, kWindowHeight);
    fillAll(surface, 0xFF808080u);
    const TBox clip{0, 0, kWindowWidth, kWindowHeight};
    for (auto _ : state) {
        ants.step();
        drawAnts(ants, surface, clip, view.antsView(), view);
        benchmark::DoNotOptimize(surface.bits());
    }
    state.counters["points"] = double(pointCount(ants));
    state.counters["visible"] = double(visiblePoints(ants, view));
}
BENCHMARK(BM_AntsStep)
    ->ArgsProduct({{25, 100, 400}, {0, 30}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

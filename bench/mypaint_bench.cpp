// libmypaint's default brush as the yardstick for dab painting: dabs per second at a given
// radius and dab spacing (both in pixels), one thread, on a 2048 × 2048 surface.
//
// The pen sweeps across the surface in motion events of about 4 pixels, one pass per
// iteration, and each event is its own atomic block, as an interactive program would send it.
// The library queues dabs in draw_dab and renders them in end_atomic, so both are timed.
#include <benchmark/benchmark.h>

#ifdef QUILLMERE_HAVE_MYPAINT
#include <mypaint-brush.h>
#include <mypaint-fixed-tiled-surface.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr int kSide = 2048;
// Pixels the pen moves per motion event. Not a simple multiple of any spacing: when a dab
// lands on an event's end point the library's float rounding can step time backwards, and it
// prints a warning each time. With this step that is down to a stray line or two per run.
constexpr float kStep = 4.1231f;
constexpr double kEventTime = 0.004; // seconds per motion event: about 1000 px/s
constexpr int kRowSteps = 6;         // motion events between one pass and the next

// draw_dab has no user data, so the counter is file-wide; the benchmark runs on one thread.
std::uint64_t dabCount = 0;
MyPaintSurfaceDrawDabFunction libraryDrawDab = nullptr;

int countingDrawDab(MyPaintSurface* self, float x, float y, float radius, float r, float g,
                    float b, float opaque, float hardness, float eraser, float aspectRatio,
                    float angle, float lockAlpha, float colorize)
{
    ++dabCount;
    return libraryDrawDab(self, x, y, radius, r, g, b, opaque, hardness, eraser, aspectRatio,
                          angle, lockAlpha, colorize);
}

struct BrushUnref {
    void operator()(MyPaintBrush* brush) const { mypaint_brush_unref(brush); }
};
struct SurfaceUnref {
    void operator()(MyPaintFixedTiledSurface* surface) const
    {
        mypaint_surface_unref(mypaint_fixed_tiled_surface_interface(surface));
    }
};

std::unique_ptr<MyPaintBrush, BrushUnref> defaultBrush(float radius, float spacing)
{
    std::unique_ptr<MyPaintBrush, BrushUnref> brush(mypaint_brush_new());
    mypaint_brush_from_defaults(brush.get());
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_RADIUS_LOGARITHMIC,
                                 std::log(radius));
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_DABS_PER_ACTUAL_RADIUS,
                                 radius / spacing);
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_DABS_PER_BASIC_RADIUS, 0.0f);
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_DABS_PER_SECOND, 0.0f);
    // The random settings already default to 0 in 1.6; pinned so that another version's
    // defaults cannot make the dab count vary between runs.
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_RADIUS_BY_RANDOM, 0.0f);
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_OFFSET_BY_RANDOM, 0.0f);
    mypaint_brush_set_base_value(brush.get(), MYPAINT_BRUSH_SETTING_TRACKING_NOISE, 0.0f);
    return brush;
}

// Writes every tile once so that page faults on the 32 MB canvas stay out of the timing.
void touchEveryTile(MyPaintTiledSurface* tiled)
{
    for (int ty = 0; ty < kSide / MYPAINT_TILE_SIZE; ++ty)
        for (int tx = 0; tx < kSide / MYPAINT_TILE_SIZE; ++tx) {
            MyPaintTileRequest request;
            mypaint_tile_request_init(&request, 0, tx, ty, FALSE);
            mypaint_tiled_surface_tile_request_start(tiled, &request);
            std::memset(request.buffer, 0,
                        sizeof(guint16) * 4 * MYPAINT_TILE_SIZE * MYPAINT_TILE_SIZE);
            mypaint_tiled_surface_tile_request_end(tiled, &request);
        }
}

// The pen zigzags down and up the surface: a horizontal pass, then a short step to the next
// row, bouncing off the margins, so the stroke never jumps.
struct Pen {
    float x, y, margin;
    float dirX = 1.0f, dirY = 1.0f;
};

void moveTo(MyPaintBrush* brush, MyPaintSurface* surface, float x, float y)
{
    mypaint_surface_begin_atomic(surface);
    mypaint_brush_stroke_to(brush, surface, x, y, 1.0f, 0.0f, 0.0f, kEventTime);
    MyPaintRectangle changed;
    mypaint_surface_end_atomic(surface, &changed);
}

void sweep(MyPaintBrush* brush, MyPaintSurface* surface, Pen& pen)
{
    // Whole steps only: a sliver of a step at the margin would be a needlessly odd event.
    const int steps = int((kSide - 2 * pen.margin) / kStep);
    for (int i = 0; i < steps; ++i) {
        pen.x += kStep * pen.dirX;
        moveTo(brush, surface, pen.x, pen.y);
    }
    pen.dirX = -pen.dirX;
    const float nextY = pen.y + kRowSteps * kStep * pen.dirY;
    if (nextY > kSide - pen.margin || nextY < pen.margin)
        pen.dirY = -pen.dirY;
    for (int i = 0; i < kRowSteps; ++i) {
        pen.y += kStep * pen.dirY;
        moveTo(brush, surface, pen.x, pen.y);
    }
}

void BM_MyPaintDefaultBrush(benchmark::State& state)
{
    const auto radius = float(state.range(0));
    const auto spacing = float(state.range(1));
    auto brush = defaultBrush(radius, spacing);

    std::unique_ptr<MyPaintFixedTiledSurface, SurfaceUnref> canvas(
        mypaint_fixed_tiled_surface_new(kSide, kSide));
    MyPaintSurface* surface = mypaint_fixed_tiled_surface_interface(canvas.get());
    auto* tiled = reinterpret_cast<MyPaintTiledSurface*>(surface);
    tiled->threadsafe_tile_requests = FALSE; // keeps end_atomic's OpenMP loop on one thread
    touchEveryTile(tiled);

    libraryDrawDab = surface->draw_dab;
    surface->draw_dab = countingDrawDab;

    // The first stroke_to only resets the brush state; one untimed pass after it settles the
    // brush and warms the caches.
    Pen pen{.x = radius + kStep, .y = radius + kStep, .margin = radius + kStep};
    moveTo(brush.get(), surface, pen.x, pen.y);
    sweep(brush.get(), surface, pen);

    dabCount = 0;
    for (auto _ : state)
        sweep(brush.get(), surface, pen);

    const auto dabs = double(dabCount);
    state.counters["dabs_per_s"] = benchmark::Counter(dabs, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(std::int64_t(dabCount));
}

} // namespace

BENCHMARK(BM_MyPaintDefaultBrush)
    ->Args({10, 2})
    ->Args({50, 9})
    ->Args({10, 4})
    ->Args({50, 15})
    ->Unit(benchmark::kMillisecond);

#endif

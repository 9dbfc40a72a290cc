// The plain (nearest-neighbour) view, row loops for every zoom. Pixel format: 32-bit 0xAARRGGBB,
// copied as whole words. Same bytes as RenderPlainViewReference for every geometry.
#include "core/pixel_math.h"
#include "core/view_geometry.h"
#include "core/view_kernels.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace qm::view {

namespace {

// Unrotated, the source column of a window column is the same on every row: it is worked out
// once per box. The columns that show the source form one run, [lead, end).
struct TColumns {
    int32_t lead = 0;
    int32_t end = 0;
    std::vector<int32_t> index; // source column of box column i, for i in [lead, end)
};

TColumns straightColumns(const TRowWalk& w, int32_t count, int32_t sourceWidth)
{
    TColumns c;
    c.index.resize(size_t(count));
    c.lead = count;
    int64_t x = w.x;
    for (int32_t i = 0; i < count; ++i, x += w.dx) {
        const int64_t sx = x >> 32;
        if (uint64_t(sx) < uint64_t(sourceWidth)) {
            c.lead = std::min(c.lead, i);
            c.end = i + 1;
            c.index[size_t(i)] = int32_t(sx);
        }
    }
    if (c.lead >= c.end) c.lead = c.end = 0;
    return c;
}

void gatherPortable(uint32_t* out, const uint32_t* line, const int32_t* index, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        out[i] = line[index[i]];
}

// A plain loop over the column table: AVX2 gathers measured slower than it on our machines.
void renderStraight(const TViewTarget& display, const TMTC& source, uint32_t background,
                    const TViewGeometry& g, const TBox& clip)
{
    const TRowWalk first = rowStart(g, clip.x, clip.y);
    const int32_t count = clip.width;
    const bool copy = first.dx == kOne * kOne; // 100 %: runs of source rows
    const TColumns columns = copy ? TColumns{} : straightColumns(first, count, source.width());
    int64_t copyFrom = 0;
    int32_t lead = columns.lead, end = columns.end;
    if (copy) {
        copyFrom = first.x >> 32;
        lead = int32_t(std::clamp<int64_t>(-copyFrom, 0, count));
        end = int32_t(std::clamp<int64_t>(int64_t(source.width()) - copyFrom, lead, count));
    }
    int64_t lastRow = -1;
    const uint32_t* lastOut = nullptr;
    for (int32_t y = clip.y; y < clip.y + clip.height; ++y) {
        uint32_t* out = targetRow(display, y) + clip.x;
        const int64_t sy = rowStart(g, clip.x, y).y >> 32;
        if (sy < 0 || sy >= source.height()) {
            std::fill_n(out, count, background);
            continue;
        }
        // Enlarged, several window rows show one source row: the first one is copied.
        if (sy == lastRow) {
            std::memcpy(out, lastOut, size_t(count) * sizeof(uint32_t));
            continue;
        }
        const uint32_t* line = source.row(int32_t(sy));
        std::fill_n(out, lead, background);
        if (copy)
            std::memcpy(out + lead, line + (copyFrom + lead), size_t(end - lead) * 4);
        else
            gatherPortable(out + lead, line, columns.index.data() + lead, end - lead);
        std::fill_n(out + end, count - end, background);
        lastRow = sy;
        lastOut = out;
    }
}

// Turned: each pixel on its own. `base` is row 0, rows `stride` pixels apart.
struct TTurnedSource {
    const uint32_t* base;
    ptrdiff_t stride;
    int32_t width;
    int32_t height;
};

// Every pixel of the run lies on the source.
void turnedInsidePortable(uint32_t* out, int32_t count, TRowWalk w, const TTurnedSource& s)
{
    for (int32_t i = 0; i < count; ++i, w.x += w.dx, w.y += w.dy)
        out[i] = s.base[(w.y >> 32) * s.stride + (w.x >> 32)];
}

// Eight addresses at a time from the 32.32 walk in 64-bit lanes, whose high halves are the
// source pixel; the loads themselves are plain ones (gathers are slower on the processors we
// measured).
__attribute__((target("avx2"))) void turnedInsideAvx2(uint32_t* out, int32_t count, TRowWalk w,
                                                      const TTurnedSource& s)
{
    int32_t i = 0;
    if (count >= 8) {
        // Pixels 0, 1, 4, 5 in one register and 2, 3, 6, 7 in the other, so that picking the
        // high halves of both puts the eight in order.
        __m256i ax = walkLanes(w.x, w.dx, 0, 1, 4, 5), bx = walkLanes(w.x, w.dx, 2, 3, 6, 7);
        __m256i ay = walkLanes(w.y, w.dy, 0, 1, 4, 5), by = walkLanes(w.y, w.dy, 2, 3, 6, 7);
        const __m256i stepX = _mm256_set1_epi64x(8 * w.dx);
        const __m256i stepY = _mm256_set1_epi64x(8 * w.dy);
        const __m256i stride = _mm256_set1_epi32(int32_t(s.stride));
        alignas(32) int32_t at[8];
        for (; i + 8 <= count; i += 8) {
            const __m256i sx = _mm256_castps_si256(_mm256_shuffle_ps(
                _mm256_castsi256_ps(ax), _mm256_castsi256_ps(bx), _MM_SHUFFLE(3, 1, 3, 1)));
            const __m256i sy = _mm256_castps_si256(_mm256_shuffle_ps(
                _mm256_castsi256_ps(ay), _mm256_castsi256_ps(by), _MM_SHUFFLE(3, 1, 3, 1)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(at),
                               _mm256_add_epi32(_mm256_mullo_epi32(sy, stride), sx));
            for (int k = 0; k < 8; ++k)
                out[i + k] = s.base[at[k]];
            ax = _mm256_add_epi64(ax, stepX);
            bx = _mm256_add_epi64(bx, stepX);
            ay = _mm256_add_epi64(ay, stepY);
            by = _mm256_add_epi64(by, stepY);
        }
        w.x += int64_t(i) * w.dx;
        w.y += int64_t(i) * w.dy;
    }
    turnedInsidePortable(out + i, count - i, w, s);
}

// The pixels over the source are one run; the rest of the row is background.
void turnedRow(TKernels kernels, uint32_t* out, int32_t count, TRowWalk w, const TTurnedSource& s,
               uint32_t background)
{
    const TRun run = overlap(runWithin(w.x, w.dx, 32, 0, s.width - 1, count),
                             runWithin(w.y, w.dy, 32, 0, s.height - 1, count));
    std::fill_n(out, run.first, background);
    w.x += int64_t(run.first) * w.dx;
    w.y += int64_t(run.first) * w.dy;
    if (kernels == TKernels::avx2)
        turnedInsideAvx2(out + run.first, run.end - run.first, w, s);
    else
        turnedInsidePortable(out + run.first, run.end - run.first, w, s);
    std::fill_n(out + run.end, count - run.end, background);
}

// Any picture whose rows are not evenly spaced: through the row table.
void turnedRowByRows(uint32_t* out, int32_t count, TRowWalk w, const TMTC& source,
                     uint32_t background)
{
    for (int32_t i = 0; i < count; ++i, w.x += w.dx, w.y += w.dy) {
        const int64_t sx = w.x >> 32;
        const int64_t sy = w.y >> 32;
        out[i] = uint64_t(sx) < uint64_t(source.width()) && uint64_t(sy) < uint64_t(source.height())
                     ? source.row(int32_t(sy))[sx]
                     : background;
    }
}

// Turned, consecutive pixels of a row lie on different source rows. Zoomed out, one window row
// crosses so many that the next row finds them gone from the caches: walking the window in tiles
// keeps the rows and pages a tile crosses at hand until its last row is done. At 100 % and
// above whole rows measured faster (each row reuses most of the lines of the one before).
constexpr int32_t kTileWidth = 256;
constexpr int32_t kTileHeight = 64;

void renderTurned(TKernels kernels, const TViewTarget& display, const TMTC& source,
                  uint32_t background, const TViewGeometry& g, const TBox& clip)
{
    TTurnedSource s{source.row(0), 0, source.width(), source.height()};
    const bool even = uniformRowStride(source, s.stride);
    const bool tiled = g.step > kOne;
    const int32_t tileWidth = tiled ? kTileWidth : clip.width;
    const int32_t tileHeight = tiled ? kTileHeight : clip.height;
    for (int32_t top = clip.y; top < clip.y + clip.height; top += tileHeight) {
        const int32_t bottom = std::min(top + tileHeight, clip.y + clip.height);
        for (int32_t x = clip.x; x < clip.x + clip.width; x += tileWidth) {
            const int32_t count = std::min(tileWidth, clip.x + clip.width - x);
            for (int32_t y = top; y < bottom; ++y) {
                uint32_t* out = targetRow(display, y) + x;
                const TRowWalk w = rowStart(g, x, y);
                if (even)
                    turnedRow(kernels, out, count, w, s, background);
                else
                    turnedRowByRows(out, count, w, source, background);
            }
        }
    }
}

} // namespace

TKernels bestKernels()
{
    return cpuHasAvx2() ? TKernels::avx2 : TKernels::portable;
}

void renderPlain(TKernels kernels, const TViewTarget& display, const TMTC& source,
                 uint32_t background, float zoom, float angle, const TBox& box, TPointF centre)
{
    TBox clip;
    TViewGeometry g;
    if (!startView(display, source, background, zoom, angle, box, centre, clip, g)) return;
    // Without a turn (or with a half turn) cos is exactly ±1 and each row reads one source row.
    if (g.sin == 0)
        renderStraight(display, source, background, g, clip);
    else
        renderTurned(kernels, display, source, background, g, clip);
}

} // namespace qm::view

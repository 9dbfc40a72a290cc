// The window's views one pixel at a time: the yardstick of the fast renderers. Pixel format on
// both sides: 32-bit 0xAARRGGBB (memory order B, G, R, A), not premultiplied; every byte is
// copied or averaged alike.
#include "core/view_render_reference.h"

#include "core/scale_image.h"
#include "core/view_geometry.h"

#include <algorithm>
#include <cstring>

namespace qm {

using view::kOne;
using view::rowStart;
using view::startView;
using view::targetRow;
using view::TRowWalk;
using view::TViewGeometry;

namespace {

// Unrotated (or turned by a half turn): the whole window row reads one source row.
void plainRowStraight(uint32_t* out, int32_t count, const TRowWalk& w, const TMTC& source,
                      uint32_t background)
{
    const int64_t sy = w.y >> 32;
    if (sy < 0 || sy >= source.height()) {
        std::fill_n(out, count, background);
        return;
    }
    const uint32_t* line = source.row(int32_t(sy));
    const int64_t sourceWidth = source.width();
    if (w.dx == kOne * kOne) {
        // 100 %: a run of the source row, with background where the row ends. This is what
        // the window repaints after every tablet event.
        const int64_t first = w.x >> 32;
        const int64_t lead = std::clamp<int64_t>(-first, 0, count);
        const int64_t end = std::clamp<int64_t>(sourceWidth - first, lead, count);
        std::fill_n(out, lead, background);
        if (end > lead)
            std::memcpy(out + lead, line + (first + lead), size_t(end - lead) * sizeof(uint32_t));
        std::fill_n(out + end, count - end, background);
        return;
    }
    int64_t x = w.x;
    for (int32_t i = 0; i < count; ++i, x += w.dx) {
        const int64_t sx = x >> 32;
        out[i] = uint64_t(sx) < uint64_t(sourceWidth) ? line[sx] : background;
    }
}

void plainRowTurned(uint32_t* out, int32_t count, TRowWalk w, const TMTC& source,
                    uint32_t background)
{
    const uint64_t sourceWidth = uint64_t(source.width());
    const uint64_t sourceHeight = uint64_t(source.height());
    for (int32_t i = 0; i < count; ++i, w.x += w.dx, w.y += w.dy) {
        const int64_t sx = w.x >> 32;
        const int64_t sy = w.y >> 32;
        out[i] = uint64_t(sx) < sourceWidth && uint64_t(sy) < sourceHeight
                     ? source.row(int32_t(sy))[sx]
                     : background;
    }
}

// One axis of a square that lies wholly inside the source, weighted as the area sampler weighs
// it: a partial first pixel, whole pixels, a partial last pixel, all in 16.16; an axis inside
// one pixel takes that pixel at full weight and counts one pixel long.
constexpr int32_t kMaxInlineSpan = 5; // squares up to 4 pixels wide (zoom above 1/4)
struct TAxis {
    int64_t first = 0;
    int32_t count = 0;
    uint32_t weight[kMaxInlineSpan] = {};
    uint64_t extent = 0;
};

// False when the square leaves the source or is too wide: the sampler takes those.
bool insideAxis(int64_t start, int64_t step, int64_t size, TAxis& axis)
{
    const int64_t end = start + step;
    if (start < 0 || end > size * kOne) return false;
    axis.first = start >> 16;
    const int64_t last = (end - 1) >> 16;
    axis.count = int32_t(last - axis.first + 1);
    if (axis.count > kMaxInlineSpan) return false;
    if (axis.count == 1) {
        axis.weight[0] = uint32_t(kOne);
        axis.extent = uint64_t(kOne);
        return true;
    }
    axis.weight[0] = uint32_t(kOne - (start & 0xFFFF));
    for (int32_t k = 1; k < axis.count - 1; ++k)
        axis.weight[k] = uint32_t(kOne);
    axis.weight[axis.count - 1] = uint32_t(end - (last << 16));
    axis.extent = uint64_t(step);
    return true;
}

// The sampler's exact integer mean, for a square wholly inside the source: the same weighted
// sums and the same truncated quotient, without its per-row virtual calls. A channel's sum is
// at most 255 × the area, below 2^46.
uint32_t averageInside(const TMTC& source, const TAxis& columns, const TAxis& rows)
{
    uint64_t sum[4] = {};
    for (int32_t j = 0; j < rows.count; ++j) {
        const uint8_t* p =
            reinterpret_cast<const uint8_t*>(source.row(int32_t(rows.first + j)) + columns.first);
        for (int32_t i = 0; i < columns.count; ++i, p += 4) {
            const uint64_t w = uint64_t(columns.weight[i]) * rows.weight[j];
            for (int c = 0; c < 4; ++c)
                sum[c] += p[c] * w;
        }
    }
    const uint64_t area = columns.extent * rows.extent;
    uint32_t mean = 0;
    for (int c = 0; c < 4; ++c)
        mean |= uint32_t(sum[c] / area) << (8 * c);
    return mean;
}

} // namespace

void RenderRotatedViewReference(const TViewTarget& display, const TMTC& source, uint32_t background,
                                float zoom, float angle, const TBox& box, TPointF centre)
{
    TBox clip;
    TViewGeometry g;
    if (!startView(display, source, background, zoom, angle, box, centre, clip, g)) return;
    TMTC unused(1, 1); // the sampler wants a destination; sampling never touches it
    CScaleImageTMTC sampler(source, unused);
    const int64_t half = g.step / 2;
    const int64_t sourceWidth = source.width();
    const int64_t sourceHeight = source.height();
    TAxis columns, rows;
    for (int32_t y = clip.y; y < clip.y + clip.height; ++y) {
        uint32_t* out = targetRow(display, y) + clip.x;
        TRowWalk w = rowStart(g, clip.x, y);
        for (int32_t i = 0; i < clip.width; ++i, w.x += w.dx, w.y += w.dy) {
            const int64_t x0 = (w.x >> 16) - half;
            const int64_t y0 = (w.y >> 16) - half;
            if (insideAxis(x0, g.step, sourceWidth, columns) &&
                insideAxis(y0, g.step, sourceHeight, rows)) {
                // A square inside one source pixel is exactly that pixel (the sampler's rule):
                // every pixel of an aligned enlargement.
                if (columns.count == 1 && rows.count == 1)
                    out[i] = source.row(int32_t(rows.first))[columns.first];
                else
                    out[i] = averageInside(source, columns, rows);
                continue;
            }
            if (!sampler.SampleArea(reinterpret_cast<uint8_t*>(out + i), x0, y0, x0 + g.step,
                                    y0 + g.step))
                out[i] = background;
        }
    }
}

void RenderPlainViewReference(const TViewTarget& display, const TMTC& source, uint32_t background,
                              float zoom, float angle, const TBox& box, TPointF centre)
{
    TBox clip;
    TViewGeometry g;
    if (!startView(display, source, background, zoom, angle, box, centre, clip, g)) return;
    for (int32_t y = clip.y; y < clip.y + clip.height; ++y) {
        uint32_t* out = targetRow(display, y) + clip.x;
        const TRowWalk w = rowStart(g, clip.x, y);
        if (g.sin == 0)
            plainRowStraight(out, clip.width, w, source, background);
        else
            plainRowTurned(out, clip.width, w, source, background);
    }
}

} // namespace qm

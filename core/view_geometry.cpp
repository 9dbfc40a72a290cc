// The geometry shared by the window's renderers. Pixel format: 0xAARRGGBB, not premultiplied.
#include "core/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace qm::view {

namespace {

// Limits that keep every 32.32 sum below 2^63: |u| < 2^36, step ≤ 2^24, so |a| < 2^44 and
// a × cos < 2^60; a centre of 2^24 paper pixels adds 2^56. Nothing beyond them shows a paper.
constexpr int32_t kMaxTargetSide = 1 << 20;
constexpr int64_t kMaxStep = int64_t(1) << 24;
constexpr double kMaxCentre = double(int64_t(1) << 24);

bool hasPixels(const TMTC& image)
{
    return image.IsValid() && image.width() > 0 && image.height() > 0;
}

// The box clipped to the target, in 64 bits so that no box can overflow; false when the target
// cannot be written or nothing is left.
bool clipToTarget(const TViewTarget& display, const TBox& box, TBox& clipped)
{
    if (!display.pixels || display.width < 1 || display.height < 1 ||
        display.width > kMaxTargetSide || display.height > kMaxTargetSide ||
        display.stride < display.width)
        return false;
    const int64_t left = std::max<int64_t>(box.x, 0);
    const int64_t top = std::max<int64_t>(box.y, 0);
    const int64_t right = std::min<int64_t>(int64_t(box.x) + box.width, display.width);
    const int64_t bottom = std::min<int64_t>(int64_t(box.y) + box.height, display.height);
    if (left >= right || top >= bottom) return false;
    clipped = {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
    return true;
}

bool makeGeometry(const TViewTarget& display, float zoom, float angle, TPointF centre,
                  TViewGeometry& g)
{
    if (!(zoom > 0.0f) || !std::isfinite(zoom) || !std::isfinite(angle) ||
        !std::isfinite(centre.x) || !std::isfinite(centre.y))
        return false;
    const double step = std::min(65536.0 / double(zoom), double(kMaxStep));
    g.step = std::max<int64_t>(int64_t(step), 1);
    // Rounded rather than truncated: sin(π/2) in float lands just below 1 and would otherwise
    // make a quarter turn shrink the picture by 1/65536.
    g.cos = std::llround(std::cos(double(angle)) * 65536.0);
    g.sin = std::llround(std::sin(double(angle)) * 65536.0);
    g.centreX = int64_t(std::clamp(double(centre.x), -kMaxCentre, kMaxCentre) * 65536.0);
    g.centreY = int64_t(std::clamp(double(centre.y), -kMaxCentre, kMaxCentre) * 65536.0);
    g.width = display.width;
    g.height = display.height;
    return true;
}

} // namespace

void fillBox(const TViewTarget& display, const TBox& box, uint32_t colour)
{
    for (int32_t y = box.y; y < box.y + box.height; ++y)
        std::fill_n(targetRow(display, y) + box.x, box.width, colour);
}

// u, v are the pixel centre's offset from the window's centre; a, b the same in paper pixels;
// the rotation keeps the full 32.32 products and sums them before shifting, so one shift per
// coordinate yields the 16.16 square centre.
TRowWalk rowStart(const TViewGeometry& g, int32_t x, int32_t y)
{
    const int64_t u = int64_t(x) * kOne + kHalf - int64_t(g.width) * kHalf;
    const int64_t v = int64_t(y) * kOne + kHalf - int64_t(g.height) * kHalf;
    const int64_t a = (u * g.step) >> 16;
    const int64_t b = (v * g.step) >> 16;
    TRowWalk w;
    w.x = a * g.cos - b * g.sin + g.centreX * kOne;
    w.y = a * g.sin + b * g.cos + g.centreY * kOne;
    // One pixel to the right adds exactly step to a (u grows by 65536).
    w.dx = g.step * g.cos;
    w.dy = g.step * g.sin;
    return w;
}

bool startView(const TViewTarget& display, const TMTC& source, uint32_t background, float zoom,
               float angle, const TBox& box, TPointF centre, TBox& clip, TViewGeometry& g)
{
    if (!clipToTarget(display, box, clip)) return false;
    if (!makeGeometry(display, zoom, angle, centre, g) || !hasPixels(source)) {
        fillBox(display, clip, background);
        return false;
    }
    return true;
}

TRun runWithin(int64_t start, int64_t delta, int shift, int64_t lo, int64_t hi, int32_t count)
{
    auto at = [&](int32_t i) { return (start + int64_t(i) * delta) >> shift; };
    // The first i in [0, count) for which `later` holds, given it holds from there on.
    auto bisect = [&](auto later) {
        int32_t low = 0, high = count;
        while (low < high) {
            const int32_t mid = low + (high - low) / 2;
            if (later(at(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    TRun run;
    if (delta >= 0) {
        run.first = bisect([&](int64_t v) { return v >= lo; });
        run.end = bisect([&](int64_t v) { return v > hi; });
    } else {
        run.first = bisect([&](int64_t v) { return v <= hi; });
        run.end = bisect([&](int64_t v) { return v < lo; });
    }
    return run.first < run.end ? run : TRun{};
}

bool uniformRowStride(const TMTC& image, ptrdiff_t& stride)
{
    const int32_t* rows = image.rowOffsets();
    if (!rows || image.height() < 1) return false;
    const int64_t step = image.height() > 1 ? int64_t(rows[1]) - rows[0] : 0;
    if (step % 4 != 0) return false;
    for (int32_t y = 2; y < image.height(); ++y)
        if (int64_t(rows[y]) - rows[y - 1] != step) return false;
    stride = ptrdiff_t(step / 4);
    return true;
}

} // namespace qm::view

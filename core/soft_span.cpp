// Soft spans on 8-bit channels (0 = empty, 255 = full); see soft_span.h.
#include "core/soft_span.h"

namespace qm {

namespace {

using namespace spanDetail;

void put(uint8_t& pixel, int32_t v, bool maxMode)
{
    if (v < 0) return;
    if (!maxMode || v > pixel) pixel = uint8_t(v);
}

} // namespace

namespace spanDetail {

bool planSpan(float start, float end, uint8_t value, float opacity, int32_t size, TSpanPlan& plan)
{
    if (start > end) std::swap(start, end);
    if (!std::isfinite(start) || !std::isfinite(end) || std::fabs(start) > kCoordinateLimit ||
        std::fabs(end) > kCoordinateLimit || size <= 0)
        return false;
    plan.first = std::max(int32_t(start - 1.0f), 0);
    plan.last = std::min(int32_t(end + 1.0f), size - 1);
    if (plan.first > plan.last) return false;
    plan.centre = int64_t((start + end) / 2.0f * 64.0f);
    plan.half = int64_t((end - start) / 2.0f * 64.0f);
    if (!(opacity > 0.0f))
        opacity = 0.0f;
    else if (opacity > 1.0f)
        opacity = 1.0f;
    plan.full = uint32_t(float(value) * opacity);
    return true;
}

} // namespace spanDetail

void softSpanH(TChannel& image, int32_t y, float start, float end, uint8_t value, bool maxMode,
               float opacity)
{
    TSpanPlan plan;
    if (!image.IsValid() || y < 0 || y >= image.height() ||
        !planSpan(start, end, value, opacity, image.width(), plan))
        return;
    uint8_t* row = image.row(y);
    for (int32_t x = plan.first; x <= plan.last; ++x)
        put(row[x], spanValue(plan, x), maxMode);
}

void softSpanV(TChannel& image, int32_t x, float start, float end, uint8_t value, bool maxMode,
               float opacity)
{
    TSpanPlan plan;
    if (!image.IsValid() || x < 0 || x >= image.width() ||
        !planSpan(start, end, value, opacity, image.height(), plan))
        return;
    for (int32_t y = plan.first; y <= plan.last; ++y)
        put(image.row(y)[x], spanValue(plan, y), maxMode);
}

} // namespace qm

// The span disc (declared in brush.h).
#include "core/soft_span.h"

#include <algorithm>
#include <cmath>

namespace qm {

template <typename Writer, typename RunWriter>
void spanDisc(int32_t width, int32_t height, float cx, float cy, float radius, uint8_t value,
              float opacity, bool vertical, Writer&& write, RunWriter&& writeRun)
{
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(radius) || radius <= 0.0f)
        return;
    // Rows run across the span direction: y for horizontal spans, x for vertical ones.
    const float along = vertical ? cy : cx;
    const float across = vertical ? cx : cy;
    const int32_t lines = vertical ? width : height;
    const int32_t length = vertical ? height : width;
    auto span = [&](int32_t line, float start, float end, float weight) {
        if (line < 0 || line >= lines)
            return;
        softSpanRuns(
            length, start, end, value, opacity * weight,
            [&](int32_t p, uint32_t v) {
                if (vertical)
                    write(line, p, v);
                else
                    write(p, line, v);
            },
            [&](int32_t first, int32_t last, uint32_t v) {
                if (vertical)
                    writeRun(line, first, line, last, v);
                else
                    writeRun(first, line, last, line, v);
            });
    };
    if (radius < 0.5f) {
        span(int32_t(std::floor(across)), along - 0.5f, along + 0.5f, 0.5f);
        return;
    }
    const float low = across - radius, high = across + radius;
    const int32_t first = std::max(int32_t(std::floor(low)), 0);
    const int32_t last = std::min(int32_t(std::floor(high)), lines - 1);
    const float r2 = radius * radius;
    for (int32_t line = first; line <= last; ++line) {
        const float top = std::max(float(line), low);
        const float bottom = std::min(float(line + 1), high);
        const float part = bottom - top;
        if (part <= 0.0f)
            continue;
        const float d = (top + bottom) / 2.0f - across;
        const float half = std::sqrt(std::max(r2 - d * d, 0.0f));
        span(line, along - half, along + half, std::min(part, 1.0f));
    }
}

} // namespace qm

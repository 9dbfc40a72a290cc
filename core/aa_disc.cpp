// Anti-aliased discs; 8-bit channel and 0xAARRGGBB pixels (see aa_disc.h).
#include "core/aa_disc.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace discDetail {

namespace {

// Beyond this the sub-pixel products could overflow; no real dab comes near it.
constexpr float kCoordinateLimit = 16777216.0f;

bool usable(float v)
{
    return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit;
}

} // namespace

bool discFrame(float radius, float cx, float cy, int32_t unit, const CDibCore& image,
               TDiscFrame& frame)
{
    if (!(radius > 0.0f) || !usable(radius) || !usable(cx) || !usable(cy) || !image.IsValid())
        return false;
    const int32_t left = int32_t(cx - radius);
    const int32_t right = int32_t(cx + radius);
    const int32_t top = int32_t(cy - radius);
    const int32_t bottom = int32_t(cy + radius);
    frame.left = std::max(left, 0);
    frame.right = std::min(right, image.width() - 1);
    frame.top = std::max(top, 0);
    frame.bottom = std::min(bottom, image.height() - 1);
    if (frame.left > frame.right || frame.top > frame.bottom) return false;
    const int64_t r = int64_t(float(unit) * radius);
    frame.r2 = r * r;
    frame.inverseR2 = frame.r2 > 0 ? 1.0 / double(frame.r2) : 0.0;
    frame.centreX = int64_t(float(unit) * cx);
    frame.centreY = int64_t(float(unit) * cy);
    frame.unit = unit;
    return true;
}

float clampOpacity(float opacity)
{
    if (!(opacity > 0.0f)) return 0.0f;
    return opacity > 1.0f ? 1.0f : opacity;
}

} // namespace discDetail

void aaDisc8(TChannel& image, uint8_t value, bool antiAlias, bool maxMode, float opacity,
             float radius, float cx, float cy)
{
    aaDisc8(image, value, antiAlias, maxMode, opacity, radius, cx, cy, TChannelBlendWriter{image});
}

void directDisc8(TChannel& image, uint8_t value, bool radialFalloff, bool maxMode, float opacity,
                 float radius, float cx, float cy)
{
    using namespace discDetail;
    TDiscFrame f;
    if (!discFrame(radius, cx, cy, 5, image, f)) return;
    opacity = clampOpacity(opacity);
    const uint32_t w = uint32_t(float(value) * opacity);
    const bool small = radius <= 3.0f;

    for (int32_t y = f.top; y <= f.bottom; ++y) {
        uint8_t* row = image.row(y);
        const int64_t dy = int64_t(5) * y - f.centreY;
        for (int32_t x = f.left; x <= f.right; ++x) {
            const int64_t dx = int64_t(5) * x - f.centreX;
            const int corners = small ? 1 : cornersInside(f, dx, dy);
            if (corners == 0) continue;
            const uint32_t fo = radialFalloff ? uint32_t(falloff(f, dx, dy)) : 0u;
            uint8_t& p = row[x];
            if (corners == 4) {
                const uint32_t h = radialFalloff ? w * fo / 256 : w;
                if (!maxMode || p < h) p = uint8_t(h);
                continue;
            }
            const uint32_t count = uint32_t(subSamplesInside(f, dx, dy));
            if (count == 0) continue;
            const uint32_t i = radialFalloff ? w * fo * count / 6400 : w * count / 25;
            if (!maxMode)
                Blend8(&p, value, i);
            else if (p < i)
                p = uint8_t(i);
        }
    }
}

void aaDisc32(TMTC& image, uint32_t colour, bool antiAlias, bool radialFalloff, float opacity,
              float radius, float cx, float cy)
{
    aaDisc32(image, colour, antiAlias, radialFalloff, opacity, radius, cx, cy,
             TBlendHalfWriter{image});
}

} // namespace qm

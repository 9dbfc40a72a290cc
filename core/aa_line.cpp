// Anti-aliased lines and solid frames on 0xAARRGGBB images (alpha bytes kept by the lines).
#include "core/aa_line.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

constexpr float kCoordinateLimit = 16777216.0f;

bool usable(float v)
{
    return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit;
}

float clamp01(float v)
{
    if (!(v > 0.0f)) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

// Walks the line; alphaAt(step, lastStep, alpha) may scale each alpha before painting.
template <typename AlphaAt>
void walkLine(TMTC& image, uint32_t colour, bool antiAlias, float x0, float y0, float x1, float y1,
              AlphaAt&& alphaAt)
{
    if (!image.IsValid() || !usable(x0) || !usable(y0) || !usable(x1) || !usable(y1)) return;
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const float majorExtent = std::fabs(xMajor ? dx : dy);
    const float minorDelta = xMajor ? dy : dx;
    const int64_t majorStart = int64_t(xMajor ? x0 : y0);
    const int64_t majorEnd = int64_t(xMajor ? x1 : y1);
    const int64_t dir = majorEnd >= majorStart ? 1 : -1;
    const int64_t lastStep = (majorEnd - majorStart) * dir;
    const int64_t minorStart = int64_t((xMajor ? y0 : x0) * 65536.0f);
    const int64_t step = int64_t(minorDelta / (majorExtent + 1.0f) * 65536.0f);

    // Only the steps whose major coordinate is inside the image can paint anything.
    const int64_t size = xMajor ? image.width() : image.height();
    const int64_t first = std::max<int64_t>(0, dir > 0 ? -majorStart : majorStart - (size - 1));
    const int64_t last = std::min<int64_t>(lastStep, dir > 0 ? size - 1 - majorStart : majorStart);

    for (int64_t i = first; i <= last; ++i) {
        const int32_t major = int32_t(majorStart + dir * i);
        const int64_t minor = minorStart + step * i;
        const int64_t minorPixel = minor >> 16;
        if (minorPixel < -1 || minorPixel > (int64_t(1) << 24))
            continue; // neither pixel of this step can be inside
        const int32_t m = int32_t(minorPixel);
        const auto paint = [&](int32_t minorAt, uint32_t alpha) {
            if (xMajor)
                image.paintNormal(major, minorAt, colour, alpha);
            else
                image.paintNormal(minorAt, major, colour, alpha);
        };
        if (!antiAlias) {
            paint(m, alphaAt(i, lastStep, 255u));
            continue;
        }
        const uint32_t f = uint32_t((minor >> 8) & 255);
        paint(m, alphaAt(i, lastStep, 255u - f));
        paint(m + 1, alphaAt(i, lastStep, f));
    }
}

} // namespace

void aaLine(TMTC& image, uint32_t colour, bool antiAlias, float x0, float y0, float x1, float y1)
{
    walkLine(image, colour, antiAlias, x0, y0, x1, y1,
             [](int64_t, int64_t, uint32_t alpha) { return alpha; });
}

void aaLineFaded(TMTC& image, uint32_t colour, bool antiAlias, float x0, float y0, float x1,
                 float y1, float opacity0, float opacity1)
{
    walkLine(image, colour, antiAlias, x0, y0, x1, y1,
             [=](int64_t step, int64_t lastStep, uint32_t alpha) {
                 const float t = lastStep > 0 ? float(step) / float(lastStep) : 0.0f;
                 const float o = clamp01(opacity0 + (opacity1 - opacity0) * t);
                 return uint32_t(float(alpha) * o);
             });
}

bool FrameRect(TMTC& image, TBox box, uint32_t colour)
{
    if (box.isEmpty() || !image.IsValid()) return false;
    const int64_t right = int64_t(box.x) + box.width - 1;
    const int64_t bottom = int64_t(box.y) + box.height - 1;
    TBox clipped = box;
    if (!clipBoxToSize(clipped, image.width(), image.height())) return false;
    const int32_t x0 = clipped.x;
    const int32_t x1 = clipped.x + clipped.width; // exclusive
    bool any = false;
    // Top and bottom edges as whole rows.
    for (int64_t y : {int64_t(box.y), bottom}) {
        if (y >= clipped.y && y < clipped.y + clipped.height) {
            uint32_t* row = image.row(int32_t(y));
            std::fill(row + x0, row + x1, colour);
            any = true;
        }
    }
    // Left and right edges between them.
    for (int32_t y = clipped.y; y < clipped.y + clipped.height; ++y) {
        if (y == box.y || y == bottom) continue;
        uint32_t* row = image.row(y);
        if (box.x >= x0 && box.x < x1) {
            row[box.x] = colour;
            any = true;
        }
        if (right >= x0 && right < x1) {
            row[right] = colour;
            any = true;
        }
    }
    return any;
}

} // namespace qm

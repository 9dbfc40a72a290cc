// Downscaling and rotate-and-scale on 0xAARRGGBB images; see image_scale.h.
#include "core/image_scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// Source extent × 1024 / destination extent: the 22.10 step (the exact integer quotient
// equals the truncated floating-point factor × 1024).
__extension__ typedef __int128 Wide;

int64_t step1024(int32_t sourceSize, int32_t destSize)
{
    return int64_t(sourceSize) * 1024 / destSize;
}

} // namespace

bool downscaleBox(TMTC& dest, const TMTC& source)
{
    return downscaleBox(dest, source, source.bounds());
}

bool downscaleBox(TMTC& dest, const TMTC& source, TBox box)
{
    if (!dest.IsValid() || !source.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        !clipBoxToSize(box, source.width(), source.height()))
        return false;
    const int32_t dw = dest.width();
    const int32_t dh = dest.height();
    const int64_t stepX = step1024(box.width, dw);
    const int64_t stepY = step1024(box.height, dh);
    const int32_t samplesX = box.width / dw + 1;
    const int32_t samplesY = box.height / dh + 1;
    const uint32_t samples = uint32_t(samplesX) * uint32_t(samplesY);
    const int32_t lastX = source.width() - 1;
    const int32_t lastY = source.height() - 1;

    // The clamped source columns of every destination column, computed once.
    std::vector<int32_t> columns(size_t(dw) * size_t(samplesX));
    for (int32_t x = 0; x < dw; ++x) {
        const int64_t sx = box.x + ((stepX * x) >> 10);
        for (int32_t i = 0; i < samplesX; ++i)
            columns[size_t(x) * samplesX + i] = int32_t(std::clamp<int64_t>(sx + i, 0, lastX));
    }
    std::vector<const uint32_t*> rows(static_cast<size_t>(samplesY));
    for (int32_t y = 0; y < dh; ++y) {
        const int64_t sy = box.y + ((stepY * y) >> 10);
        for (int32_t j = 0; j < samplesY; ++j)
            rows[size_t(j)] = source.row(int32_t(std::clamp<int64_t>(sy + j, 0, lastY)));
        uint32_t* out = dest.row(y);
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t* cols = &columns[size_t(x) * samplesX];
            uint32_t b = 0, g = 0, r = 0;
            for (const uint32_t* src : rows)
                for (int32_t i = 0; i < samplesX; ++i) {
                    const uint32_t p = src[cols[i]];
                    b += p & 0xFF;
                    g += (p >> 8) & 0xFF;
                    r += (p >> 16) & 0xFF;
                }
            // Alpha 255 painting: the colour bytes are replaced, the alpha byte stays.
            out[x] = (out[x] & 0xFF000000u) | ((r / samples) << 16) | ((g / samples) << 8) |
                     (b / samples);
        }
    }
    return true;
}

bool downscaleSupersample(TMTC& dest, const TMTC& source)
{
    if (!dest.IsValid() || !source.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        source.width() <= 0 || source.height() <= 0)
        return false;
    const int32_t dw = dest.width();
    const int32_t dh = dest.height();
    const int64_t stepX = step1024(source.width(), dw);
    const int64_t stepY = step1024(source.height(), dh);
    const int64_t quarterX = stepX / 4;
    const int64_t quarterY = stepY / 4;
    const int64_t lastX = source.width() - 1;
    const int64_t lastY = source.height() - 1;

    // Sample positions never pass the last pixel (step × (size − 1) + 3/4 step < size × 1024);
    // the clamp only guards the arithmetic.
    std::vector<int32_t> columns(size_t(dw) * 4);
    for (int32_t x = 0; x < dw; ++x)
        for (int32_t i = 0; i < 4; ++i)
            columns[size_t(x) * 4 + i] = int32_t(std::min((stepX * x + quarterX * i) >> 10, lastX));
    const uint32_t* rows[4];
    for (int32_t y = 0; y < dh; ++y) {
        for (int32_t j = 0; j < 4; ++j)
            rows[j] = source.row(int32_t(std::min((stepY * y + quarterY * j) >> 10, lastY)));
        uint32_t* out = dest.row(y);
        for (int32_t x = 0; x < dw; ++x) {
            const int32_t* cols = &columns[size_t(x) * 4];
            uint32_t sum[4] = {0, 0, 0, 0};
            for (const uint32_t* src : rows)
                for (int32_t i = 0; i < 4; ++i) {
                    const uint32_t p = src[cols[i]];
                    sum[0] += p & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += (p >> 16) & 0xFF;
                    sum[3] += p >> 24;
                }
            out[x] = (sum[3] / 16) << 24 | (sum[2] / 16) << 16 | (sum[1] / 16) << 8 | sum[0] / 16;
        }
    }
    return true;
}

bool rotateScale(TMTC& dest, const TMTC& source, double angle, double scale, uint32_t background)
{
    if (!dest.IsValid() || !source.IsValid() || !(scale > 0.0) || !std::isfinite(scale) ||
        !std::isfinite(angle))
        return false;
    const double cf = std::cos(angle) / scale * 65536.0;
    const double sf = std::sin(angle) / scale * 65536.0;
    // Beyond this one destination pixel steps past any image anyway; the products below are
    // 128-bit so that no image size can overflow them.
    constexpr double kLimit = 1099511627776.0; // 2^40
    const int64_t c = int64_t(std::clamp(cf, -kLimit, kLimit));
    const int64_t s = int64_t(std::clamp(sf, -kLimit, kLimit));
    const int64_t sw = source.width();
    const int64_t sh = source.height();
    const int64_t dw = dest.width();
    const int64_t dh = dest.height();

    for (int32_t y = 0; y < dh; ++y) {
        const int64_t v = int64_t(y) * 65536 + 32768 - dh * 32768;
        const int64_t u0 = 32768 - dw * 32768;
        // u grows by 65536 per pixel, so each position grows by exactly c and −s.
        Wide sx = ((Wide(c) * u0 + Wide(s) * v) >> 16) + sw * 32768;
        Wide sy = ((Wide(c) * v - Wide(s) * u0) >> 16) + sh * 32768;
        uint32_t* out = dest.row(y);
        for (int32_t x = 0; x < dw; ++x, sx += c, sy -= s) {
            const Wide px = sx >> 16;
            const Wide py = sy >> 16;
            out[x] = (px >= 0 && py >= 0 && px < sw && py < sh)
                         ? source.row(int32_t(py))[int32_t(px)]
                         : background;
        }
    }
    return true;
}

} // namespace qm

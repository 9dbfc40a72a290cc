// Downscaling and rotate-and-scale on 0xAARRGGBB images; see image_scale.h.
#include "core/image_scale.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// 128-bit positions: no image size can overflow the rotate-and-scale products.
__extension__ typedef __int128 Wide;

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
    // Alpha 255 painting: the colour bytes are replaced, the alpha byte stays.
    boxFilterDownscale<3>(
        box, source.width(), source.height(), dest.width(), dest.height(), dest.bounds(),
        [&](int32_t x, int32_t y) { return source.row(y)[x]; },
        [&](int32_t x, int32_t y, uint32_t means) {
            uint32_t& out = dest.row(y)[x];
            out = (out & 0xFF000000u) | means;
        });
    return true;
}

TBox downscaledPart(const TRect& changed, int32_t sourceWidth, int32_t sourceHeight,
                    int32_t destWidth, int32_t destHeight)
{
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return {};
    const int64_t left = int64_t(changed.left) * destWidth / sourceWidth - 1;
    const int64_t top = int64_t(changed.top) * destHeight / sourceHeight - 1;
    const int64_t right = int64_t(changed.right) * destWidth / sourceWidth + 2;
    const int64_t bottom = int64_t(changed.bottom) * destHeight / sourceHeight + 2;
    TBox part{int32_t(std::max<int64_t>(left, 0)), int32_t(std::max<int64_t>(top, 0)), 0, 0};
    part.width = int32_t(std::min<int64_t>(right, destWidth) - part.x);
    part.height = int32_t(std::min<int64_t>(bottom, destHeight) - part.y);
    return part.width > 0 && part.height > 0 ? part : TBox{};
}

bool downscaleBoxChanged(TMTC& dest, const TMTC& source, const TRect& changed)
{
    if (!dest.IsValid() || !source.IsValid() || dest.width() <= 0 || dest.height() <= 0)
        return false;
    const TBox part =
        downscaledPart(changed, source.width(), source.height(), dest.width(), dest.height());
    boxFilterDownscale<3>(
        source.bounds(), source.width(), source.height(), dest.width(), dest.height(), part,
        [&](int32_t x, int32_t y) { return source.row(y)[x]; },
        [&](int32_t x, int32_t y, uint32_t means) {
            uint32_t& out = dest.row(y)[x];
            out = (out & 0xFF000000u) | means;
        });
    return true;
}

bool downscaleSupersample(TMTC& dest, const TMTC& source)
{
    if (!dest.IsValid() || !source.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        source.width() <= 0 || source.height() <= 0)
        return false;
    supersampleDownscale(
        source.width(), source.height(), dest.width(), dest.height(),
        [&](int32_t x, int32_t y) { return source.row(y)[x]; },
        [&](int32_t x, int32_t y, uint32_t mean) { dest.row(y)[x] = mean; });
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

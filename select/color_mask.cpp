#include "select/color_mask.h"

#include "core/image_ops.h"

#include <algorithm>

namespace qm {

uint32_t CColorMask::weight(uint32_t distance2, uint32_t b2)
{
    if (b2 == 0)
        return distance2 == 0 ? 255u : 0u;
    const double x = 1.5 - double(distance2) / double(b2);
    if (x <= 0.0)
        return 0;
    if (x >= 0.5)
        return 255;
    return uint32_t(512.0 * x);
}

uint8_t CColorMask::coverageOf(uint32_t pixel, const std::vector<TColorPick>& picks)
{
    const uint32_t g = pixel >> 24;
    int32_t d = 0;
    for (const TColorPick& pick : picks) {
        const uint32_t b2 = 2u * uint32_t(pick.range) * pick.range;
        uint32_t v = weight(ColorDistance2(pick.colour, pixel), b2);
        // A partly transparent pixel counts as nearer.
        if (v > 0 && v < 255 && g < 255)
            v = std::min(255u, v + v * (255 - g) / 255);
        d = pick.add ? std::min<int32_t>(d + int32_t(v), 255) : std::max<int32_t>(d - int32_t(v), 0);
    }
    return uint8_t(d);
}

TColorMaskResult CColorMask::build(const CBlockVMTC& source, const std::vector<TColorPick>& picks,
                                   const CMaskData* current, TPoint maskOffset, TChannel& channel)
{
    TColorMaskResult result;
    if (!source.IsValid() || !channel.Resize(source.width(), source.height()))
        return result;
    fillAll(channel, 0);
    const bool clipped = current && current->IsValid();
    for (int32_t y = 0; y < source.height(); ++y) {
        uint8_t* out = channel.row(y);
        for (int32_t x = 0; x < source.width(); ++x) {
            const uint32_t pixel = source.GetPixel(x, y);
            if ((pixel >> 24) <= 1)
                continue;
            if (clipped && current->WeightAt(x + maskOffset.x, y + maskOffset.y, 255) == 0)
                continue;
            const uint8_t d = coverageOf(pixel, picks);
            out[x] = d;
            result.above1 += d > 1;
            result.below2 += d < 2;
            result.full += d == 255;
        }
    }
    return result;
}

} // namespace qm

// How the pattern generators lay a colour onto a layer pixel at a weight w (0 … 255).
//
// Pixel format: 0xAARRGGBB, not premultiplied. With protect-alpha only the colour moves
// towards the new one; otherwise the colour is painted over the pixel source-over, so that a
// pattern on a transparent layer comes out with the pattern's own coverage.
#pragma once

#include "core/pixel_math.h"

#include <cstdint>

namespace qm {

// Colour c (top byte ignored) over pixel p at weight w.
inline uint32_t paintOver(uint32_t p, uint32_t c, uint32_t w, bool keepAlpha)
{
    const auto lerp = [](uint32_t c, uint32_t p, uint32_t w) {
        return Lerp255(c & 0xFF, p & 0xFF, w) | Lerp255((c >> 8) & 0xFF, (p >> 8) & 0xFF, w) << 8 |
               Lerp255((c >> 16) & 0xFF, (p >> 16) & 0xFF, w) << 16;
    };
    if (w == 0)
        return p;
    if (keepAlpha)
        return (p & 0xFF000000u) | lerp(c, p, w);
    if (w == 255)
        return 0xFF000000u | (c & 0x00FFFFFFu);
    const uint32_t alpha = p >> 24;
    if (alpha == 255)
        return 0xFF000000u | lerp(c, p, w);
    // The new alpha covers the old by w; the colour moves by this stroke's share of it.
    const uint32_t newAlpha = alpha + MulTable[w][255 - alpha];
    return newAlpha << 24 | lerp(c, p, w * 255 / newAlpha);
}

} // namespace qm

// Downscaling and rotate-and-scale resampling of 32-bit images.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. Sources and
// destinations may be TMTC or TTC (the display picture); rows are addressed through the row
// table, so the storage order does not matter.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <algorithm>
#include <cstdint>

namespace qm {

// The box filter itself, shared by flat and tiled images of either depth.
//   step = size × 1024 / destination size (22.10, truncated); count = size / destination size
//   + 1. Destination pixel (x, y) averages the countX × countY source pixels from
//   (box.x + (stepX × x) >> 10, box.y + (stepY × y) >> 10), coordinates clamped into the
//   source; each of the low `Lanes` bytes is the truncated mean.
// pixelAt(x, y) returns a source pixel; store(x, y, means) receives the packed means. Only the
// destination pixels inside `part` are computed (each exactly as in the whole run).
template <int Lanes, typename PixelAt, typename Store>
void boxFilterDownscale(TBox box, int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth,
                        int32_t destHeight, TBox part, PixelAt&& pixelAt, Store&& store)
{
    if (!clipBoxToSize(part, destWidth, destHeight))
        return;
    const int64_t stepX = (int64_t(box.width) << 10) / destWidth;
    const int64_t stepY = (int64_t(box.height) << 10) / destHeight;
    const int32_t countX = box.width / destWidth + 1;
    const int32_t countY = box.height / destHeight + 1;
    const uint32_t samples = uint32_t(countX) * uint32_t(countY);
    for (int32_t y = part.y; y < part.y + part.height; ++y) {
        const int64_t sy = box.y + ((stepY * y) >> 10);
        for (int32_t x = part.x; x < part.x + part.width; ++x) {
            const int64_t sx = box.x + ((stepX * x) >> 10);
            uint32_t sum[Lanes] = {};
            for (int32_t j = 0; j < countY; ++j) {
                const auto py = int32_t(std::clamp<int64_t>(sy + j, 0, sourceHeight - 1));
                for (int32_t i = 0; i < countX; ++i) {
                    const uint32_t p =
                        pixelAt(int32_t(std::clamp<int64_t>(sx + i, 0, sourceWidth - 1)), py);
                    for (int k = 0; k < Lanes; ++k)
                        sum[k] += (p >> (8 * k)) & 0xFF;
                }
            }
            uint32_t means = 0;
            for (int k = 0; k < Lanes; ++k)
                means |= (sum[k] / samples) << (8 * k);
            store(x, y, means);
        }
    }
}

// 4 × 4 supersampling, shared by flat and tiled images: destination pixel (x, y) averages the
// samples ((stepX × x + quarterX × i) >> 10, (stepY × y + quarterY × j) >> 10), i, j = 0..3,
// step = size × 1024 / destination size, quarter = step / 4; all four bytes are truncated
// means. Sample positions never pass the last pixel; the clamp only guards the arithmetic.
template <typename PixelAt, typename Store>
void supersampleDownscale(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth,
                          int32_t destHeight, PixelAt&& pixelAt, Store&& store)
{
    const int64_t stepX = int64_t(sourceWidth) * 1024 / destWidth;
    const int64_t stepY = int64_t(sourceHeight) * 1024 / destHeight;
    const int64_t quarterX = stepX / 4, quarterY = stepY / 4;
    for (int32_t y = 0; y < destHeight; ++y)
        for (int32_t x = 0; x < destWidth; ++x) {
            uint32_t sum[4] = {};
            for (int32_t j = 0; j < 4; ++j) {
                const auto sy = int32_t(std::min<int64_t>((stepY * y + quarterY * j) >> 10,
                                                          sourceHeight - 1));
                for (int32_t i = 0; i < 4; ++i) {
                    const uint32_t p = pixelAt(
                        int32_t(std::min<int64_t>((stepX * x + quarterX * i) >> 10,
                                                  sourceWidth - 1)),
                        sy);
                    for (int k = 0; k < 4; ++k)
                        sum[k] += (p >> (8 * k)) & 0xFF;
                }
            }
            store(x, y, (sum[3] / 16) << 24 | (sum[2] / 16) << 16 | (sum[1] / 16) << 8 | sum[0] / 16);
        }
}

// Box-filter downscale of the whole source into the whole destination.
//   step = size × 1024 / destination size (22.10, truncated); s = size / destination size
//   (truncated). Destination pixel (x, y) averages the (sX + 1) × (sY + 1) source pixels
//   from ((stepX × x) >> 10, (stepY × y) >> 10), coordinates clamped into the source; each
//   colour byte is the truncated mean. The destination's alpha bytes are kept.
bool downscaleBox(TMTC& dest, const TMTC& source);

// The same from a box of the source (clipped to it) into the whole destination; samples are
// taken from box.x + ((stepX × x) >> 10), box.y + ..., still clamped into the whole source.
bool downscaleBox(TMTC& dest, const TMTC& source, TBox sourceBox);
// The whole-image downscale redone only where a changed rectangle of the source shows.
bool downscaleBoxChanged(TMTC& dest, const TMTC& source, const TRect& changed);

// The destination pixels whose samples can come from `changed` when a source of the given size
// is box-filtered into the destination (a pixel to spare on each side).
TBox downscaledPart(const TRect& changed, int32_t sourceWidth, int32_t sourceHeight,
                    int32_t destWidth, int32_t destHeight);

// 4 × 4 supersampled downscale of the whole source into the whole destination: samples at
// ((stepX × x + quarterX × i) >> 10, (stepY × y + quarterY × j) >> 10), i, j = 0..3, with
// step as above and quarter = step / 4; all four bytes, alpha too, are truncated means.
bool downscaleSupersample(TMTC& dest, const TMTC& source);

// Rotate-and-scale nearest-neighbour resample of the whole source into the whole destination.
// The destination shows the source turned by `angle` radians (clockwise on screen, y pointing
// down) and enlarged by `scale` about the centres of both images. Each destination pixel's
// centre is mapped back in 16.16 fixed point:
//   c = Trunc(cos(angle) / scale × 65536), s = Trunc(sin(angle) / scale × 65536)
//   u = x × 65536 + 32768 − width × 32768, v likewise (offset from the destination centre)
//   sourceX = ((c × u + s × v) >> 16) + sourceWidth × 32768
//   sourceY = ((c × v − s × u) >> 16) + sourceHeight × 32768
// and the source pixel (sourceX >> 16, sourceY >> 16) is copied (all four bytes); positions
// outside the source give `background`. False for an invalid image or scale ≤ 0.
bool rotateScale(TMTC& dest, const TMTC& source, double angle, double scale, uint32_t background);

} // namespace qm

// Downscaling and rotate-and-scale resampling of 32-bit images.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. Sources and
// destinations may be TMTC or TTC (the display picture); rows are addressed through the row
// table, so the storage order does not matter.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>

namespace qm {

// Box-filter downscale of the whole source into the whole destination.
//   step = size × 1024 / destination size (22.10, truncated); s = size / destination size
//   (truncated). Destination pixel (x, y) averages the (sX + 1) × (sY + 1) source pixels
//   from ((stepX × x) >> 10, (stepY × y) >> 10), coordinates clamped into the source; each
//   colour byte is the truncated mean. The destination's alpha bytes are kept.
bool downscaleBox(TMTC& dest, const TMTC& source);

// The same from a box of the source (clipped to it) into the whole destination; samples are
// taken from box.x + ((stepX × x) >> 10), box.y + ..., still clamped into the whole source.
bool downscaleBox(TMTC& dest, const TMTC& source, TBox sourceBox);

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

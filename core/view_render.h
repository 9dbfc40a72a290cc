// What a drawing window shows of the paper at any zoom and rotation.
//
// Pixel format: 32-bit 0xAARRGGBB (memory order B, G, R, A), not premultiplied, on both sides.
//
// Geometry is 16.16 fixed point and shared by both renderers, so switching between the smooth
// and the plain view never shifts the picture:
//   step  = Trunc(65536 / zoom), limited to 1 … 2^24 (the side of a window pixel's square)
//   cos θ, sin θ in 16.16, rounded to nearest (so quarter turns are exact)
//   u = x × 65536 + 32768 − width × 32768,   a = (u × step) >> 16   (likewise v, b from y)
//   square centre = ((a cos − b sin) >> 16, (a sin + b cos) >> 16) + centre × 65536 (truncated)
//   square corner = square centre − step / 2, side step
// The 32.32 sums inside the brackets grow by the same amount from one pixel to the next, so a
// row is walked with one addition per coordinate and gives the same values as computing each
// pixel on its own.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "core/view_pyramid.h"

#include <cstddef>
#include <cstdint>

namespace qm {

// A top-down 32-bit picture the window paints from: pixel (x, y) at pixels[y * stride + x],
// 0xAARRGGBB (memory order B, G, R, A). width × height is the window's client size.
struct TViewTarget {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    ptrdiff_t stride = 0; // in pixels
};

// Window pixel (x, y) of the client area shows the paper square whose top-left corner is
//   R((x + 0.5 − width/2) / zoom, (y + 0.5 − height/2) / zoom) + centre − (1/zoom)/2
// and whose side is 1/zoom paper pixels (R rotates by angle, in radians:
// x' = x cos − y sin, y' = x sin + y cos).
// Only the pixels of `box` (window coordinates, clipped to the target) are written; pixels whose
// square lies wholly outside the source get `background` (0xAARRGGBB).
//
// A target without pixels, with a side below 1 or above 2^20, or with a stride shorter than its
// width is left alone. A zoom that is not a positive finite number, a non-finite angle or centre,
// or an empty source fills the box with the background.
//
// The anti-aliased view: each window pixel is the area average of its square (the 16.16 rules of
// the rotated view, the same bytes as CScaleImage::SampleArea of a CScaleImageTMTC over the
// source would give).
void RenderRotatedView(const TViewTarget& display, const TMTC& source, uint32_t background,
                       float zoom, float angle, const TBox& box, TPointF centre);

// The same view, fast at every zoom. At zoom 1 and above it is exactly the view above. Below 1
// each square is averaged over the pyramid level on which it is at most one level pixel wide (a
// level pixel being the truncated mean of 2^k × 2^k paper pixels), so a window pixel reads at
// most 2 × 2 level pixels, with its area weights rounded to 1/256 per axis and the sum rounded.
// What that keeps: a uniform area shows exactly its colour; squares that miss the paper show the
// background exactly where the view above does; at 1/2, unturned with squares on level pixels,
// the bytes are the view above's, and at 1/2^k no more than floor(3k / 4) below them; elsewhere
// every pixel is a weighted mean of the paper pixels under and just around its square (a level
// pixel further at most), so it departs from the exact average as far as the picture changes
// over a level pixel. A pyramid not built from a picture of the source's size is ignored.
void RenderRotatedView(const TViewTarget& display, const TMTC& source, const TViewPyramid& pyramid,
                       uint32_t background, float zoom, float angle, const TBox& box,
                       TPointF centre);

// The plain zoomed copy: each window pixel is the source pixel under the centre of its square
// (nearest neighbour; centre of the square = R((x + 0.5 − width/2)/zoom, (y + 0.5 − height/2)/zoom)
// + centre, floor to a pixel). Same geometry as above, so the two views line up.
void RenderPlainView(const TViewTarget& display, const TMTC& source, uint32_t background,
                     float zoom, float angle, const TBox& box, TPointF centre);

} // namespace qm

// Geometric operations on one layer: trimming it to its content, scaling, quarter turns and
// rotation by any angle. Each builds a new layer and leaves the old one as it was; the caller
// records undo and swaps the result in.
//
// Every result takes the old layer's ID and index (undo records find layers by ID), its
// properties (name, visibility, opacity, protection, mode, blend option and generator) and a
// rebuilt thumbnail, and has its uniform blocks optimised. A layer's own undo history (legacy
// engine) is not carried over; the new layer gets an empty one when the old one kept one.
// nullptr means the operation failed (no memory, a layer without an image, a size that makes
// no sense); nothing has changed then.
//
// Pixel format: 0xAARRGGBB, not premultiplied; all four bytes are resampled alike.
#pragma once

#include "core/rect.h"
#include "layers/layer_data.h"

#include <cstdint>
#include <memory>

namespace qm {

// A paper size.
struct TPaperSize {
    int32_t width = 0;
    int32_t height = 0;
};

// Cuts the image down to its content and the paper: the new image is the block-aligned
// bounds of everything not fully transparent, widened to include the paper, at the offset
// that keeps every pixel where it was on the paper.
//   unchanged = true, nullptr:  the trimmed image would need the same number of blocks
//                               across and down as the current one; keep the old layer.
//   unchanged = false, nullptr: failure.
//   a layer:                    the trimmed layer (unchanged is false).
std::unique_ptr<CLayerData> TrimLayer(const CLayerData& layer, bool& unchanged);

// Area-averages the whole image into a width × height image for a paper of size `paper`. The
// offset scales with the image, d = width × offsetX / old width, c = height × offsetY / old
// height (truncated), and the image is widened where needed so that the paper fits:
// d + max(paper width, width − d) across, c + max(paper height, height − c) down.
std::unique_ptr<CLayerData> ScaleLayer(const CLayerData& layer, TPaperSize paper, int32_t width,
                                       int32_t height);

// Turns the image by 90°: clockwise (x, y) → (H − 1 − y, x), counter-clockwise
// (x, y) → (y, W − 1 − x). The centre of the old paper lands on the centre of the new paper of
// size `paper`; the new image holds the whole turned image and the new paper (the part not
// covered by the turned image is the mode's neutral colour). For a whole-paper turn (paper =
// the old paper with width and height swapped) the new image is exactly the turned image, and
// four turns, or one each way, give back the same layer.
std::unique_ptr<CLayerData> RotateLayer90(const CLayerData& layer, TPaperSize paper,
                                          bool clockwise);

// Rotates the image by `degrees` (clockwise on screen, y pointing down) about the paper
// centre onto a paper of size `paper`, whose centre the old paper centre lands on. Geometry is
// 16.16 fixed point with c = Trunc(cos θ × 65536), s = Trunc(sin θ × 65536): the image
// corners, relative to the paper centre, go to (x·c − y·s, x·s + y·c) >> 16, and the new image
// is their bounding box (outward to whole pixels) widened to cover the new paper. Each new
// pixel centre is turned back, (x·c + y·s, −x·s + y·c) >> 16, and sampled bilinearly with
// 16.16 weights; positions outside the old image read as 0x00FFFFFF. A sample on a pixel
// centre takes that pixel alone, so 0° reproduces the image.
std::unique_ptr<CLayerData> RotateLayer(const CLayerData& layer, TPaperSize paper, double degrees);

// The bilinear sample of one position (16.16, image coordinates, pixel k's centre at
// k × 65536 + 32768) with pixels read through pixelAt(x, y), which must give 0x00FFFFFF
// outside the image. Kept beside the fast row loop as its plain reference.
template <typename PixelAt>
uint32_t bilinearSample(int64_t x, int64_t y, PixelAt&& pixelAt)
{
    const int64_t px = x - 32768, py = y - 32768;
    const auto fx = int32_t(px >> 16), fy = int32_t(py >> 16);
    // The covered parts of the first column and row: 1 on a pixel centre.
    const int64_t rx = 65536 - (px & 0xFFFF), ry = 65536 - (py & 0xFFFF);
    const int64_t w00 = (rx * ry) >> 16;
    const int64_t w10 = ((65536 - rx) * ry) >> 16;
    const int64_t w01 = (rx * (65536 - ry)) >> 16;
    const int64_t w11 = 65536 - w00 - w10 - w01;
    const uint32_t p00 = pixelAt(fx, fy), p10 = pixelAt(fx + 1, fy);
    const uint32_t p01 = pixelAt(fx, fy + 1), p11 = pixelAt(fx + 1, fy + 1);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int64_t sum = ((p00 >> shift) & 0xFF) * w00 + ((p10 >> shift) & 0xFF) * w10 +
                      ((p01 >> shift) & 0xFF) * w01 + ((p11 >> shift) & 0xFF) * w11;
        sum = sum < 0 ? 0 : sum > 0xFF0000 ? 0xFF0000 : sum;
        out |= uint32_t(sum >> 16) << shift;
    }
    return out;
}

// The 16.16 sine and cosine RotateLayer uses.
struct TRotation16 {
    int64_t c = 65536;
    int64_t s = 0;
    static TRotation16 ofDegrees(double degrees);
};

} // namespace qm

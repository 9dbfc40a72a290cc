// The pixel loops of the layer turns, row by row on block storage: quarter turns block by
// block, and the bilinear rotation over a padded flat copy of the source. Both give the same
// bytes as the per-pixel rules written beside them in layer_geometry.h.
//
// Pixel format: 0xAARRGGBB, not premultiplied.
#pragma once

#include "core/block_vmtc.h"
#include "core/rect.h"
#include "layers/layer_data.h"
#include "layers/layer_geometry.h"

#include <cstdint>
#include <memory>

namespace qm {

// Larger sides than this are refused before any memory is asked for.
inline constexpr int64_t kMaxLayerSide = 65536;
// What the rotation reads outside the source: white, fully transparent.
inline constexpr uint32_t kOutsidePixel = 0x00FFFFFFu;

// A new layer of the old one's mode and index with a width × height image filled with the
// mode's neutral colour, the old one's properties, the given offset and paper, and a blank
// thumbnail; keepId gives it the old one's ID. An own undo history, when the old layer keeps
// one, starts empty. nullptr for a size out of range or without memory.
std::unique_ptr<CLayerData> makeLayerLike(const CLayerData& old, int64_t width, int64_t height,
                                          TPaperSize paper, int64_t offsetX, int64_t offsetY,
                                          bool keepId);

// Writes `count` pixels to row y of the image from x, block part by block part (the blocks
// are allocated). False when a block cannot be had or the image is invalid; pixels outside
// the picture are skipped.
bool writeImageRow(CBlockVMTC& image, int32_t x, int32_t y, int32_t count,
                   const uint32_t* pixels);
// Every pixel of the box becomes value; whole unallocated blocks only take it as their Fill.
// The content region is not rebuilt (Optimize does that).
bool fillImageBox(CBlockVMTC& image, TBox box, uint32_t value);

// The quarter turn of the whole source into dest with the turned image's top-left at `at`
// (clockwise (x, y) → (H − 1 − y, x), counter-clockwise (x, y) → (y, W − 1 − x)). Uniform
// source blocks stay uniform where they cover whole destination blocks.
bool rotate90Blocks(const CBlockVMTC& source, CBlockVMTC& dest, TPoint at, bool clockwise);

// Row y of the whole image into out (width pixels), uniform blocks from their Fill.
void readImageRow(const CBlockVMTC& image, int32_t y, uint32_t* out);

// The 4 × 4 supersampled resize of the whole source into the whole dest, byte for byte what
// CBlockVMTC::DownscaleTo(CBlockVMTC&) gives (samples at ((step × x + quarter × i) >> 10),
// step = size × 1024 / new size, quarter = step / 4, all four bytes truncated means), but a
// row at a time. When dest reads one value everywhere (a fresh layer image), the ends of a row
// that are nothing but that value are not written, so transparent stretches stay unallocated.
// dest is optimised at the end.
bool supersampleInto(const CBlockVMTC& source, CBlockVMTC& dest);

// Where destination pixel (i, j) samples the source (16.16):
//   qx = (i − destOriginX) × 65536 + 32768 − halfW, qy likewise with j, destOriginY, halfH
//   x = ((qx·c + qy·s) >> 16) + centreX, y = ((−qx·s + qy·c) >> 16) + centreY
struct TRotationMap {
    TRotation16 r;
    int64_t destOriginX = 0, destOriginY = 0; // the new paper's origin in the new image
    int64_t halfW = 0, halfH = 0;             // half the new paper, 16.16
    int64_t centreX = 0, centreY = 0;         // the old paper centre in the old image, 16.16

    void sourceOf(int64_t i, int64_t j, int64_t& x, int64_t& y) const
    {
        const int64_t qx = (i - destOriginX) * 65536 + 32768 - halfW;
        const int64_t qy = (j - destOriginY) * 65536 + 32768 - halfH;
        x = ((qx * r.c + qy * r.s) >> 16) + centreX;
        y = ((-qx * r.s + qy * r.c) >> 16) + centreY;
    }
};

// Fills every pixel of dest (already filled with kOutsidePixel) with the bilinear sample of
// its mapped position; runs that sample nothing but the outside are not written.
bool rotateBilinear(const CBlockVMTC& source, CBlockVMTC& dest, const TRotationMap& map);

} // namespace qm

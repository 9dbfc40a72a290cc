// What every filter shares: the source copy it reads, the work rectangle it writes, the mask
// weight of each layer pixel and the rule that writes a result pixel.
//
// Pixel format: 32-bit BGRA words 0xAARRGGBB (memory order B, G, R, A), not premultiplied.
// Coordinates are layer-local (the layer image's own pixels). Filters read only the source
// copy and write only the layer, so a filter never sees its own output.
#pragma once

#include "core/block_vmtc.h"
#include "core/rect.h"
#include "layers/layer_data.h"
#include "select/mask_data.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm {

// p + (n − p)·m/255 without a division; m = 255 gives n, m = 0 keeps p.
constexpr uint32_t blendChannel(uint32_t n, uint32_t p, uint32_t m)
{
    return (n * m * 32897u + p * (8388735u - m * 32897u)) >> 23;
}

// The three colour channels blended, alpha of the layer pixel kept.
constexpr uint32_t writeColourKeepAlpha(uint32_t n, uint32_t p, uint32_t m)
{
    return (p & 0xFF000000u) | blendChannel((n >> 16) & 0xFF, (p >> 16) & 0xFF, m) << 16 |
           blendChannel((n >> 8) & 0xFF, (p >> 8) & 0xFF, m) << 8 |
           blendChannel(n & 0xFF, p & 0xFF, m);
}

// Alpha blended first; the colour follows only while the blended alpha is non-zero, so a
// pixel faded to nothing keeps its old colour.
constexpr uint32_t writeColourAndAlpha(uint32_t n, uint32_t p, uint32_t m)
{
    const uint32_t a = blendChannel(n >> 24, p >> 24, m);
    if (a == 0)
        return p & 0x00FFFFFFu;
    return (writeColourKeepAlpha(n, p, m) & 0x00FFFFFFu) | a << 24;
}

// The write of every filter whose alpha follows the protect-alpha flag.
constexpr uint32_t writeResult(uint32_t n, uint32_t p, uint32_t m, bool keepAlpha)
{
    return keepAlpha ? writeColourKeepAlpha(n, p, m) : writeColourAndAlpha(n, p, m);
}

// A row of the tiled image into `out`; pixels outside the picture read as `outside`.
void readPixelRow(const CBlockVMTC& image, int32_t x, int32_t y, int32_t count, uint32_t* out,
                  uint32_t outside = 0);
// Writes the row back, touching (and allocating) only the blocks whose pixels differ, so a
// filter that changes nothing in an empty block leaves it without storage. False when a
// block's storage cannot be had.
bool writeChangedPixelRow(CBlockVMTC& image, int32_t x, int32_t y, int32_t count,
                          const uint32_t* row);

// The work of one filter application: where it may write and with what weight.
class TFilterFrame {
public:
    // mask: the current mask while the selection is in effect, otherwise nullptr (an empty
    // mask counts as none). clip: a further limit in layer coordinates (previews).
    TFilterFrame(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip);

    // The layer has an image of the source copy's size.
    bool valid() const { return valid_; }
    // Nothing to write (an empty intersection or a mask without coverage).
    bool empty() const { return work_.isEmpty(); }
    const TRect& workRect() const { return work_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool protectAlpha() const { return protectAlpha_; }
    const CBlockVMTC& source() const { return source_; }
    CBlockVMTC& target() { return *layer_.image(); }

    // Mask weights m of row y from x over count pixels (255 everywhere without a mask).
    void maskRow(int32_t x, int32_t y, int32_t count, uint8_t* weights) const;
    // Source pixels of row y; outside the layer they read as transparent (0).
    void sourceRow(int32_t x, int32_t y, int32_t count, uint32_t* out) const
    {
        readPixelRow(source_, x, y, count, out, 0);
    }

    // Calls rowFn(y, weights, dest) for every row of the work rectangle, top to bottom.
    // weights[i] and dest[i] belong to pixel workRect().left + i; dest holds the layer's
    // pixels and rowFn stores the results into it. Changed pixels go back to the layer.
    template <typename RowFn>
    bool forEachRow(RowFn&& rowFn)
    {
        if (!valid_)
            return false;
        const int32_t n = work_.width();
        std::vector<uint8_t> weights(size_t(n > 0 ? n : 0));
        std::vector<uint32_t> dest(size_t(n > 0 ? n : 0));
        for (int32_t y = work_.top; y < work_.bottom; ++y) {
            maskRow(work_.left, y, n, weights.data());
            readPixelRow(target(), work_.left, y, n, dest.data());
            rowFn(y, static_cast<const uint8_t*>(weights.data()), dest.data());
            if (!writeChangedPixelRow(target(), work_.left, y, n, dest.data()))
                return false;
        }
        return true;
    }

    // The same in bands of up to bandRows rows: bandFn(top, rows, weights, dest) gets the
    // rows one after another, n = workRect().width() entries each, so that it can compute
    // them on several threads before they go back to the layer here.
    template <typename BandFn>
    bool forEachBand(int32_t bandRows, BandFn&& bandFn)
    {
        if (!valid_)
            return false;
        const size_t n = size_t(std::max(work_.width(), 0));
        bandRows = std::max(bandRows, 1);
        std::vector<uint8_t> weights(n * size_t(bandRows));
        std::vector<uint32_t> dest(n * size_t(bandRows));
        for (int32_t top = work_.top; top < work_.bottom; top += bandRows) {
            const int32_t rows = std::min(bandRows, work_.bottom - top);
            for (int32_t r = 0; r < rows; ++r) {
                maskRow(work_.left, top + r, int32_t(n), weights.data() + size_t(r) * n);
                readPixelRow(target(), work_.left, top + r, int32_t(n), dest.data() + size_t(r) * n);
            }
            bandFn(top, rows, static_cast<const uint8_t*>(weights.data()), dest.data());
            for (int32_t r = 0; r < rows; ++r)
                if (!writeChangedPixelRow(target(), work_.left, top + r, int32_t(n),
                                          dest.data() + size_t(r) * n))
                    return false;
        }
        return true;
    }

private:
    const CBlockVMTC& source_;
    CLayerData& layer_;
    const CMaskData* mask_ = nullptr;
    int32_t maskDX_ = 0, maskDY_ = 0; // mask-local = layer-local + (mask offset − layer offset)
    int32_t width_ = 0, height_ = 0;
    bool protectAlpha_ = false;
    bool valid_ = false;
    TRect work_{};
};

} // namespace qm

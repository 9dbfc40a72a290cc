// Seed fill: the region of similar colour around a clicked point, as an 8-bit channel. The paint
// bucket paints through it; the magic wand turns it into a selection.
//
// Pixel formats: sources are 32-bit 0xAARRGGBB (memory order B, G, R, A), not premultiplied:
// the layer's tiled image (CSeedFill, CSeedFillWithAlpha, CSeedFillWithMask) or a flat picture
// of the composited view (CSeedFillTC, CSeedFillTCWithMask). The result is a TChannel of the
// source's size: 0 = outside, 1..255 = inside.
//
// The region is the 4-connected set of pixels around the seed whose squared colour distance d
// from the reference (the seed's colour) is at most the threshold T, where T = 2·L² for the
// colour limit L (a limit of 0 keeps the previous T, 10 for a new filler). Each pixel of the
// region gets max(1, ⌊(T − d)·255 / T⌋) in unsigned 32-bit arithmetic: an exact match 255, a
// pixel at the limit 1. The mask variants treat pixels where the selection's coverage is 0 as
// already filled, so the region never crosses them.
//
// The region grows by scanlines: a popped seed is widened to a span, the span written, and the
// rows above and below get one pending seed per run of matching unfilled pixels. Pending seeds
// live in a growing stack, so every region fills completely whatever its shape; only a failed
// allocation cuts it short (overflowed(), the message kRegionTooComplexMessage).
//
// Sources are read by tiles of 64 × 32 pixels (a virtual call per tile, never per pixel); a
// tile's match values are computed once, the first time the fill reaches it, so a small
// region reads little of a large picture.
#pragma once

#include "core/block_vch.h"
#include "core/block_vmtc.h"
#include "core/dib_core.h"
#include "core/message_sink.h"
#include "core/rect.h"
#include "layers/layer_data.h"
#include "select/mask_data.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

// Shown when the pending seeds of a fill cannot be stored; the part filled so far is kept.
inline constexpr const char* kRegionTooComplexMessage = "領域が複雑すぎます！";

inline constexpr int32_t kDefaultSeedThreshold = 10;
// The distance of a fully transparent pixel from an opaque reference: above every colour
// distance (3 × 255² = 195075), so transparency stops the fill.
inline constexpr uint32_t kTransparentDistance = 0x30000;

// Per-channel blend of a colour over a background with alpha a (0..255):
// (src·a·32897 + bg·(8388735 − a·32897)) >> 23; alpha 255 copies the colour, 0 the background.
constexpr uint32_t blendOverBackground(uint32_t pixel, uint32_t background, uint32_t a)
{
    const uint32_t keep = 8388735u - a * 32897u;
    const uint32_t b = ((pixel & 0xFF) * a * 32897u + (background & 0xFF) * keep) >> 23;
    const uint32_t g = (((pixel >> 8) & 0xFF) * a * 32897u + ((background >> 8) & 0xFF) * keep) >> 23;
    const uint32_t r =
        (((pixel >> 16) & 0xFF) * a * 32897u + ((background >> 16) & 0xFF) * keep) >> 23;
    return (r << 16) | (g << 8) | b;
}

class CSeedFillCore {
public:
    virtual ~CSeedFillCore();
    CSeedFillCore(const CSeedFillCore&) = delete;
    CSeedFillCore& operator=(const CSeedFillCore&) = delete;

    // Fills the region around `seed` (source coordinates) with the colour limit L. False only
    // when the seed lies outside the source or the work memory cannot be had (the channel is
    // then empty). With anti-alias on and no overflow, Finish runs at the end.
    bool Fill(TPoint seed, int32_t limit);

    // The anti-alias pass over the filled channel:
    //  1. every non-zero byte becomes 255;
    //  2. the ring: each 0 byte next to a 255 byte in its row or its column becomes 128 (the
    //     marks are found from the solid region alone, so a pixel that touches it only
    //     diagonally stays 0). A row's first and last byte never take the row's marks, a
    //     column's top and bottom byte never take the column's;
    //  3. every 128 byte takes the luminance of its source pixel: for a layer, the pixel
    //     blended over white with its own alpha; for the view, the pixel itself.
    // So the region becomes solid with a one-pixel outer ring whose coverage follows the
    // brightness of the line it touches.
    void Finish();
    // The post-process used without anti-alias: see solidifyInterior below.
    void SolidifyInterior();

    void SetAntiAlias(bool on) { antiAlias_ = on; }
    bool antiAlias() const { return antiAlias_; }
    int32_t threshold() const { return threshold_; }
    // The allocation for pending seeds failed during the last fill: the region was cut short.
    bool overflowed() const { return overflow_; }
    // When set, an overflow shows kRegionTooComplexMessage there.
    void setMessageSink(MessageSink* sink) { messages_ = sink; }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    TBox bounds() const { return {0, 0, width_, height_}; }
    // The result of the last fill; extractChannel hands it out and leaves this one empty.
    const TChannel& channel() const { return output_; }
    TChannel extractChannel() { return std::move(output_); }
    // The smallest rectangle holding every non-zero byte of the channel (empty when none).
    TRect filledBounds() const { return filled_; }
    // The most seeds that were pending at once during the last fill.
    size_t peakPending() const { return peakPending_; }

    // Single-pixel queries after a fill (not used by the fill's own loops).
    uint32_t Distance(int32_t x, int32_t y) const;
    bool Matches(int32_t x, int32_t y) const { return Distance(x, y) <= uint32_t(threshold_); }
    bool IsFilled(int32_t x, int32_t y) const;

protected:
    CSeedFillCore(int32_t width, int32_t height);

    // ---- the variants' slots: each works on a row or a box of source pixels ----
    // Records the reference colour (and whatever else the distance needs) from the seed.
    virtual void TakeReference(TPoint seed) = 0;
    // distances[i] = the squared colour distance of pixel (x + i, y).
    virtual void DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const = 0;
    // The match values (matchValues() of the distances) of the pixels of a box: pixel
    // (box.x + i, box.y + j) goes to values[j × stride + i].
    virtual void MatchBox(TBox box, uint8_t* values, int32_t stride) const = 0;
    // Clears values[i] where pixel (x + i, y) is a barrier (the mask variants).
    virtual void BarrierRow(int32_t, int32_t, int32_t, uint8_t*) const {}
    // row[xs[i]] = the ring luminance of pixel (xs[i], y), for the marked pixels of row y.
    virtual void RingLuma(int32_t y, const int32_t* xs, int32_t count, uint8_t* row) const = 0;

    // A distance's match value: max(1, ⌊(T − d)·255 / T⌋) up to T, 0 beyond (by table).
    struct TMatchValues {
        const uint8_t* table;
        uint32_t last; // the index of the 0 that stands for every distance beyond T
        uint8_t operator()(uint32_t d) const { return table[d < last ? d : last]; }
    };
    TMatchValues matchValues() const
    {
        return {valueTable_.data(), uint32_t(valueTable_.size() - 1)};
    }

private:
    struct TSpan {
        int32_t left, right; // inclusive
    };

    // Match values are computed for tiles of 64 × 32 pixels at a time (whole rows of the
    // source's blocks, read while they are in the cache), straight into the channel; the
    // candidates, pixels that match and are not yet filled, are one bit each, 64 to a word.
    static constexpr int32_t kChunkShift = 6;
    static constexpr int32_t kTileRowShift = 5;

    bool prepare();
    void buildValueTable();
    uint64_t* candidateRow(int32_t y) { return candidates_.data() + size_t(y) * wordsAcross_; }
    // Computes the tile holding word `chunk` of row y the first time it is needed.
    void ensureChunk(int32_t y, int32_t chunk)
    {
        if (!tileReady_[size_t(y >> kTileRowShift) * wordsAcross_ + size_t(chunk)])
            prepareTile(y >> kTileRowShift, chunk);
    }
    void prepareTile(int32_t tileRow, int32_t chunk);
    // Match values of prepared pixels that were never reached go back to 0.
    void clearUnreached();
    TSpan ExpandSpan(TPoint point);
    void WriteSpan(int32_t y, TSpan span);
    void ScanRow(int32_t y, TSpan span);
    void push(TPoint point);

    int32_t width_;
    int32_t height_;
    int32_t threshold_ = kDefaultSeedThreshold;
    bool antiAlias_ = false;
    bool overflow_ = false;
    MessageSink* messages_ = nullptr;

    TChannel output_;
    TRect filled_;
    // Bit i of word k of row y: pixel (64k + i, y) matches and is not filled; read only where
    // tileReady_ says its tile was computed.
    std::vector<uint64_t> candidates_;
    std::vector<uint8_t> tileReady_;
    size_t wordsAcross_ = 0;
    std::vector<uint8_t> valueTable_; // value by distance; the last entry (0) for all beyond
    std::vector<TPoint> pending_;
    size_t peakPending_ = 0;
};

// ---- the layer: its tiled image ----

// RGB distance (alpha ignored).
class CSeedFill : public CSeedFillCore {
public:
    explicit CSeedFill(const CBlockVMTC& image);

protected:
    void TakeReference(TPoint seed) override;
    void DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const override;
    void MatchBox(TBox box, uint8_t* values, int32_t stride) const override;
    void RingLuma(int32_t y, const int32_t* xs, int32_t count, uint8_t* row) const override;

    const CBlockVMTC& image_;
    uint32_t reference_ = 0;

private:
    mutable std::vector<const uint32_t*> ringPixels_;
};

// Alpha-aware: a transparent seed fills the connected pixels of alpha ≤ L whatever their
// colour (distance 2·A²). Otherwise the background is black when the seed's luminance is above
// 128, else white; the reference is the seed blended over it with its alpha, partly
// transparent pixels are blended over it before the distance is taken, and fully transparent
// ones are at kTransparentDistance.
class CSeedFillWithAlpha : public CSeedFill {
public:
    explicit CSeedFillWithAlpha(const CBlockVMTC& image) : CSeedFill(image) {}

    bool transparentMode() const { return transparent_; }
    uint32_t background() const { return background_; }

protected:
    void TakeReference(TPoint seed) override;
    void DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const override;
    void MatchBox(TBox box, uint8_t* values, int32_t stride) const override;

    bool transparent_ = false;
    uint32_t background_ = 0xFFFFFF;
};

// The selection as a barrier: image position p lies at mask-local p + maskOffset, and pixels
// whose coverage there is 0 (or that lie outside the mask) are never filled.
class TMaskBarrier {
public:
    TMaskBarrier(const CMaskData& mask, TPoint maskOffset) : mask_(mask), offset_(maskOffset) {}
    void apply(int32_t y, int32_t x, int32_t count, uint8_t* values) const;

private:
    const CMaskData& mask_;
    TPoint offset_;
    mutable std::vector<uint8_t> coverage_;
};

class CSeedFillWithMask : public CSeedFillWithAlpha {
public:
    // maskOffset takes image positions to mask-local ones: for a layer's image, the mask's
    // offset minus the layer's.
    CSeedFillWithMask(const CBlockVMTC& image, const CMaskData& mask, TPoint maskOffset)
        : CSeedFillWithAlpha(image), barrier_(mask, maskOffset)
    {
    }
    CSeedFillWithMask(const CLayerData& layer, const CMaskData& mask)
        : CSeedFillWithMask(*layer.image(), mask,
                            {mask.offsetX - layer.offsetX, mask.offsetY - layer.offsetY})
    {
    }

protected:
    void BarrierRow(int32_t y, int32_t x, int32_t count, uint8_t* values) const override
    {
        barrier_.apply(y, x, count, values);
    }

private:
    TMaskBarrier barrier_;
};

// ---- the composited view: a flat picture ----

// RGB distance; the ring takes the luminance of the picture's own pixels.
class CSeedFillTC : public CSeedFillCore {
public:
    explicit CSeedFillTC(const TMTC& view);

protected:
    void TakeReference(TPoint seed) override;
    void DistanceRow(int32_t y, int32_t x, int32_t count, uint32_t* distances) const override;
    void MatchBox(TBox box, uint8_t* values, int32_t stride) const override;
    void RingLuma(int32_t y, const int32_t* xs, int32_t count, uint8_t* row) const override;

    const TMTC& view_;
    uint32_t reference_ = 0;
};

class CSeedFillTCWithMask : public CSeedFillTC {
public:
    // compositeOrigin is the paper position of the picture's top-left pixel; mask-local
    // positions are picture positions plus the mask's offset plus that origin.
    CSeedFillTCWithMask(const TMTC& view, const CMaskData& mask, TPoint compositeOrigin)
        : CSeedFillTC(view),
          barrier_(mask, {mask.offsetX + compositeOrigin.x, mask.offsetY + compositeOrigin.y})
    {
    }

protected:
    void BarrierRow(int32_t y, int32_t x, int32_t count, uint8_t* values) const override
    {
        barrier_.apply(y, x, count, values);
    }

private:
    TMaskBarrier barrier_;
};

// Without anti-alias the filled channel is post-processed: every non-zero byte whose four
// neighbours (left, right, up, down) are all non-zero becomes 255; bytes on the region's
// border or on the image's border keep their graded value. Only the rectangle `within` is
// visited (the whole channel when it is empty).
void solidifyInterior(TChannel& channel, TRect within = {});

} // namespace qm

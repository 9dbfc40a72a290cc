// The tiled colour image: 32 × 32 blocks of 32-bit BGRA pixels (0xAARRGGBB, not premultiplied).
// The storage of every layer, undo snapshot and stroke buffer. It keeps a content region of at
// most four rectangles covering every block that is not fully transparent.
//
// Uniform writes that cover whole blocks of unallocated blocks only change the Fill value, so
// they never allocate. Optimize() gives back the storage of blocks that became uniform.
#pragma once

#include "core/block_image_of.h"
#include "core/rect_set.h"

#include <array>
#include <vector>

namespace qm {

// An 8-bit plane of alpha bytes; row y starts at y × width.
struct TAlphaPlane {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bytes;
};

class CBlockVMTC : public CBlockImageOf<uint32_t, TVMTC, 5> {
public:
    static constexpr uint32_t kDefaultFill = 0x00FFFFFFu; // white, fully transparent

    explicit CBlockVMTC(int32_t width = 0, int32_t height = 0);
    CBlockVMTC(const CBlockVMTC& other); // same size, then CopyBlocks
    ~CBlockVMTC() override;

    // ---- pixel access (GetPixel, GetPixelClamped, SetPixel, PixelPointer: see the base) ----
    uint32_t GetPixelOrDefault(int32_t x, int32_t y) const; // DefaultFill outside the picture
    uint32_t GetLuma(int32_t x, int32_t y) const;

    // ---- whole-image and box operations (FillAll, Optimize: see the base) ----
    bool MaskedSet(TBox box, uint32_t mask, uint32_t value);
    bool SetColorRef(TBox box, uint32_t colorRef); // mask 0x00FFFFFF, COLORREF converted
    bool SetColor(TBox box, uint32_t pixel);       // mask 0x00FFFFFF, raw pixel
    bool SetAlpha(TBox box, uint8_t alpha);        // mask 0xFF000000
    bool Xor(TBox box, uint32_t value);
    // Every pixel of the box becomes fn(pixel); whole uniform blocks only map their Fill.
    template <typename Fn>
    bool MapPixels(TBox box, Fn&& fn)
    {
        return updateBox(box, fn, [&fn](uint32_t* p, int32_t n) {
            for (int32_t i = 0; i < n; ++i)
                p[i] = fn(p[i]);
        });
    }

    // Draws the box of this image at `at` of a flat image: allocated parts are copied
    // (alpha 255) or painted with PaintNormal; unallocated parts are filled with their Fill,
    // unless skipTransparent is set and the Fill is fully transparent.
    bool ExportTo(TMTC& flat, TPoint at, bool skipTransparent, uint32_t alpha, TBox box) const;
    // Takes the box of a flat image into this one at `at` (copy at alpha 255, else PaintNormal).
    bool ImportFrom(const TMTC& flat, TPoint at, uint32_t alpha, TBox box);
    // Copies the box of another tiled image to `at`, keeping uniform blocks unallocated.
    bool CopyFrom(const CBlockVMTC& source, TPoint at, TBox box);

    // The merge family: rowFn(uint32_t* dest, const uint32_t* source, int32_t count) is applied
    // to every pixel pair of the box (source Fill standing in for unallocated source blocks).
    // Whole unallocated destination blocks under unallocated source blocks only have their
    // Fill merged. With skipTransparent, parts under transparent unallocated source blocks are
    // left alone.
    template <typename RowFn>
    bool Merge(const CBlockVMTC& source, TPoint at, TBox box, bool skipTransparent, RowFn&& rowFn)
    {
        return combineFrom(
            source, at, box,
            [skipTransparent](uint32_t fill) { return skipTransparent && (fill >> 24) == 0; },
            rowFn);
    }

    // Block-aligned bounds of everything not fully transparent; false when there is none.
    bool ContentBounds(TRect& bounds) const;

    const TRectSet& contentRegion() const { return region_; }
    void rebuildContentRegion();

    // ---- geometry ----
    bool FlipHorizontal(TBox box);
    bool FlipVertical(TBox box);
    bool Rotate180(TBox box);
    // Rotation by 90°: the result is Height × Width. Clockwise maps (x, y) to (Height−1−y, x).
    bool Rotate90To(TMTC& dest, bool clockwise) const;
    bool Rotate90To(CBlockVMTC& dest, TPoint offset, bool clockwise) const;
    // Box-filter downscale of the whole image, or of a box of it, into a flat image (its size
    // is the target); colour bytes replaced, the destination's alpha kept.
    bool DownscaleTo(TMTC& dest) const { return DownscaleTo(dest, bounds()); }
    bool DownscaleTo(TMTC& dest, TBox box) const { return DownscaleTo(dest, box, dest.bounds()); }
    // Only the destination pixels inside `part`, each as the whole run computes it.
    bool DownscaleTo(TMTC& dest, TBox box, TBox part) const;
    // 4 × 4 supersampled downscale into another tiled image (its size is the target).
    bool DownscaleTo(CBlockVMTC& dest) const;

    // ---- alpha planes, channel rows, one-bit rows ----
    bool CopyAlphaOut(TBox box, TAlphaPlane& plane) const; // plane sized to the clipped box
    bool WriteAlpha(TBox box, const TAlphaPlane& plane);  // colours kept
    bool SwapAlpha(TAlphaPlane& plane);                   // whole image, same-size plane
    // Channel 0 blue, 1 green, 2 red, 3 alpha. Returns the number of pixels transferred.
    int32_t WriteChannelRow(int32_t x, int32_t y, int32_t count, int32_t channel,
                            const uint8_t* bytes);
    int32_t ReadChannelRow(int32_t x, int32_t y, int32_t count, int32_t channel,
                           uint8_t* bytes) const;
    // Each byte gives 8 pixels of row y from x = 0, high bit first: set bits black, clear
    // bits white; alpha untouched.
    bool ImportOneBitRow(int32_t y, const uint8_t* bits, int32_t pixelCount);

protected:
    void blockAllocated(const TBlockInfo& block) override;
    void contentChanged() override { rebuildContentRegion(); }

private:
    TRectSet region_;
};

} // namespace qm

// The tiled 8-bit image: 64 × 64 blocks of bytes (0 = empty, 255 = full); the storage of masks.
// Unallocated blocks read as the low byte of their Fill. It keeps no content region.
#pragma once

#include "core/block_image_of.h"

namespace qm {

class CBlockVCH : public CBlockImageOf<uint8_t, TVChannel, 6> {
public:
    static constexpr uint32_t kDefaultFill = 0;

    explicit CBlockVCH(int32_t width = 0, int32_t height = 0);
    CBlockVCH(const CBlockVCH& other);
    ~CBlockVCH() override;

    // An empty mask has no block table and is not valid.
    bool Resize(int32_t width, int32_t height);

    // ---- whole-image and box operations (whole unallocated blocks only change Fill) ----
    // Pixel access, FillAll and Optimize: see the base.
    bool Fill(TBox box, uint8_t value);
    bool Xor(TBox box, uint8_t value);
    // The box of this image to `at` of a flat channel, and back.
    bool CopyTo(TChannel& flat, TPoint at, TBox box) const;
    bool CopyFrom(const TChannel& flat, TPoint at, TBox box);
    // byteFn(uint8_t* dest, const uint8_t* source, int32_t count) over the box of another
    // tiled 8-bit image placed at `at`; uniform pairs of whole blocks only merge their Fill.
    template <typename ByteFn>
    bool Combine(const CBlockVCH& source, TPoint at, TBox box, ByteFn&& byteFn)
    {
        return combineFrom(source, at, box, [](uint32_t) { return false; }, byteFn);
    }

    // Box-filter downscale of the whole image into a flat channel (its size is the target).
    bool DownscaleTo(TChannel& dest) const;
    int32_t WriteRow(int32_t x, int32_t y, int32_t count, const uint8_t* bytes);
    int32_t ReadRow(int32_t x, int32_t y, int32_t count, uint8_t* bytes) const;
};

} // namespace qm

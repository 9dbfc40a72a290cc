// The tiled 8-bit image: 64 × 64 blocks of bytes (0 = empty, 255 = full); the storage of masks.
// Unallocated blocks read as the low byte of their Fill. It keeps no content region.
#pragma once

#include "core/block_image.h"

#include <array>

namespace qm {

class CBlockVCH : public CBlockImage {
public:
    static constexpr uint32_t kDefaultFill = 0;

    explicit CBlockVCH(int32_t width = 0, int32_t height = 0);
    CBlockVCH(const CBlockVCH& other);
    ~CBlockVCH() override;

    bool IsValid() const override { return valid_ && !rows_.empty(); }
    bool Resize(int32_t width, int32_t height);

    // ---- pixel access ----
    uint8_t GetPixel(int32_t x, int32_t y) const; // 0 outside the table
    uint8_t GetPixelClamped(int32_t x, int32_t y) const;
    bool SetPixel(int32_t x, int32_t y, uint8_t value);
    uint8_t* PixelPointer(int32_t x, int32_t y);
    uint8_t* blockRow(const TBlockInfo& block, int32_t localY) const
    {
        return block.data.get() + localY * kBlock;
    }

    // ---- whole-image and box operations (whole unallocated blocks only change Fill) ----
    bool FillAll(uint8_t value);
    bool Fill(TBox box, uint8_t value);
    bool Xor(TBox box, uint8_t value);
    // The box of this image to `at` of a flat channel, and back.
    bool CopyTo(TChannel& flat, TPoint at, TBox box) const;
    bool CopyFrom(const TChannel& flat, TPoint at, TBox box);
    // byteFn(uint8_t* dest, const uint8_t* source, int32_t count) over the box of another
    // tiled 8-bit image placed at `at`; uniform pairs of whole blocks only merge their Fill.
    template <typename ByteFn>
    bool Combine(const CBlockVCH& source, TPoint at, TBox box, ByteFn&& byteFn);

    int32_t Optimize();
    // Box-filter downscale of the whole image into a flat channel (its size is the target).
    bool DownscaleTo(TChannel& dest) const;
    int32_t WriteRow(int32_t x, int32_t y, int32_t count, const uint8_t* bytes);
    int32_t ReadRow(int32_t x, int32_t y, int32_t count, uint8_t* bytes) const;

protected:
    bool InitBlock(TBlockInfo& block) override;
    void attachView(TBlockInfo& block) override;
    void fillBlockStorage(TBlockInfo& block, uint32_t value) override;

private:
    static constexpr int32_t kBlock = 64;
    template <typename FillFn, typename RowFn>
    bool updateBox(TBox box, FillFn&& fillFn, RowFn&& rowFn);

    std::vector<int32_t> rows_; // row y of a block starts at y × 64
};

template <typename FillFn, typename RowFn>
bool CBlockVCH::updateBox(TBox box, FillFn&& fillFn, RowFn&& rowFn)
{
    bool ok = true;
    const bool any = forEachBlockPart(box, [&](TBlockInfo& b, const TBox& part) {
        if (!b.allocated && coversWholeBlock(part)) {
            b.fill = fillFn(uint8_t(b.fill));
            return;
        }
        if (!AllocBlock(b)) {
            ok = false;
            return;
        }
        for (int32_t y = 0; y < part.height; ++y)
            rowFn(blockRow(b, (part.y & blockMask_) + y) + (part.x & blockMask_), part.width);
    });
    return any && ok;
}

template <typename ByteFn>
bool CBlockVCH::Combine(const CBlockVCH& source, TPoint at, TBox box, ByteFn&& byteFn)
{
    bool ok = true;
    const bool any = forEachBlockPair(
        source, at, box,
        [&](const TBlockInfo& s, TBlockInfo& d, const TBox& sp, const TBox& dp) {
            if (!s.allocated && !d.allocated && coversWholeBlock(dp)) {
                uint8_t df = uint8_t(d.fill);
                const uint8_t sf = uint8_t(s.fill);
                byteFn(&df, &sf, 1);
                d.fill = df;
                return;
            }
            if (!AllocBlock(d)) {
                ok = false;
                return;
            }
            std::array<uint8_t, kBlock> fillRow;
            if (!s.allocated)
                fillRow.fill(uint8_t(s.fill));
            for (int32_t y = 0; y < dp.height; ++y) {
                uint8_t* dr = blockRow(d, (dp.y & blockMask_) + y) + (dp.x & blockMask_);
                const uint8_t* sr = s.allocated ? source.blockRow(s, (sp.y & blockMask_) + y) +
                                                      (sp.x & blockMask_)
                                                : fillRow.data();
                byteFn(dr, sr, dp.width);
            }
        });
    return any && ok;
}

} // namespace qm

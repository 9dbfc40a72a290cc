// The parts of a tiled image that depend only on its pixel type: block rows, views, uniform
// Fill handling, pixel access, Optimize and the pairwise combine. CBlockVMTC (32-bit pixels,
// 32 × 32 blocks) and CBlockVCH (bytes, 64 × 64 blocks) are this template plus what is
// particular to each.
#pragma once

#include "core/block_image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace qm {

template <typename Pixel, typename View, int Shift>
class CBlockImageOf : public CBlockImage {
public:
    static constexpr int32_t kBlock = 1 << Shift;

    bool IsValid() const override { return valid_ && !rows_.empty(); }
    // Frees everything and rebuilds at the new size; contents are lost.
    bool Resize(int32_t width, int32_t height)
    {
        const bool ok = buildTable(width, height);
        contentChanged();
        return ok;
    }

    View& viewOf(const TBlockInfo& block) const { return static_cast<View&>(*block.view); }
    Pixel* blockRow(const TBlockInfo& block, int32_t localY) const
    {
        return reinterpret_cast<Pixel*>(block.data.get()) + localY * kBlock;
    }

    // ---- pixel access ----
    // The stored pixel, the block's Fill while it has no storage, 0 outside the table.
    Pixel GetPixel(int32_t x, int32_t y) const
    {
        const TBlockInfo* b = BlockAt(x, y);
        if (!b)
            return 0;
        if (!b->allocated)
            return Pixel(b->fill);
        return blockRow(*b, y & blockMask_)[x & blockMask_];
    }
    Pixel GetPixelClamped(int32_t x, int32_t y) const
    {
        if (width_ <= 0 || height_ <= 0)
            return 0;
        return GetPixel(std::clamp(x, 0, width_ - 1), std::clamp(y, 0, height_ - 1));
    }
    // Allocates the block; nullptr outside the picture or when storage cannot be had.
    Pixel* PixelPointer(int32_t x, int32_t y)
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return nullptr;
        return reinterpret_cast<Pixel*>(BlockPixelAddress(x, y, true));
    }
    bool SetPixel(int32_t x, int32_t y, Pixel value)
    {
        Pixel* p = PixelPointer(x, y);
        if (!p)
            return false;
        *p = value;
        return true;
    }

    // Allocated blocks are filled whole; the others only take the value as their Fill.
    bool FillAll(Pixel value)
    {
        if (!IsValid())
            return false;
        for (TBlockInfo& b : blocks_) {
            b.fill = value;
            if (b.allocated)
                fillBlockStorage(b, value);
        }
        contentChanged();
        return true;
    }

    // Frees every allocated block whose storage holds one value in all its pixels (including
    // the part of an edge block outside the picture); returns how many.
    int32_t Optimize()
    {
        int32_t freed = 0;
        for (TBlockInfo& b : blocks_) {
            if (!b.allocated)
                continue;
            const Pixel* p = blockRow(b, 0);
            const Pixel first = p[0];
            if (std::all_of(p + 1, p + kBlock * kBlock, [first](Pixel v) { return v == first; })) {
                b.fill = first;
                FreeBlock(b);
                ++freed;
            }
        }
        contentChanged();
        return freed;
    }

protected:
    explicit CBlockImageOf(uint32_t defaultFill)
        : CBlockImage(Shift, int32_t(sizeof(Pixel)), defaultFill)
    {
        rows_.resize(kBlock);
        for (int32_t y = 0; y < kBlock; ++y)
            rows_[size_t(y)] = y * kBlock * int32_t(sizeof(Pixel));
    }

    bool InitBlock(TBlockInfo& block) override
    {
        block.fill = defaultFill_;
        block.view = std::make_unique<View>();
        attachView(block);
        return true;
    }
    void attachView(TBlockInfo& block) override
    {
        if (block.allocated)
            viewOf(block).attach(block.data.get(), rows_.data(), block.blockWidth,
                                 block.blockHeight, &block);
        else
            viewOf(block).Release();
    }
    void fillBlockStorage(TBlockInfo& block, uint32_t value) override
    {
        std::fill_n(blockRow(block, 0), kBlock * kBlock, Pixel(value));
    }

    // A pixel update over a box: whole unallocated blocks get fillFn(fill), everything else is
    // allocated and gets rowFn(row, count).
    template <typename FillFn, typename RowFn>
    bool updateBox(TBox box, FillFn&& fillFn, RowFn&& rowFn)
    {
        bool ok = true;
        const bool any = forEachBlockPart(box, [&](TBlockInfo& b, const TBox& part) {
            if (!b.allocated && coversWholeBlock(part)) {
                b.fill = fillFn(Pixel(b.fill));
                return;
            }
            if (!AllocBlock(b)) {
                ok = false;
                return;
            }
            for (int32_t y = 0; y < part.height; ++y)
                rowFn(blockRow(b, (part.y & blockMask_) + y) + (part.x & blockMask_), part.width);
        });
        contentChanged();
        return any && ok;
    }

    // rowFn(Pixel* dest, const Pixel* source, int32_t count) over every pixel pair of the box of
    // `source` placed at `at`, the source Fill standing in for unallocated source blocks.
    // Whole unallocated destination blocks under unallocated source blocks only merge their
    // Fill. skipSource(fill) says which unallocated source blocks to leave out altogether.
    template <typename SkipFn, typename RowFn>
    bool combineFrom(const CBlockImageOf& source, TPoint at, TBox box, SkipFn&& skipSource,
                     RowFn&& rowFn)
    {
        bool ok = true;
        const bool any = forEachBlockPair(
            source, at, box,
            [&](const TBlockInfo& s, TBlockInfo& d, const TBox& sp, const TBox& dp) {
                if (!s.allocated && skipSource(s.fill))
                    return;
                if (!s.allocated && !d.allocated && coversWholeBlock(dp)) {
                    Pixel df = Pixel(d.fill);
                    const Pixel sf = Pixel(s.fill);
                    rowFn(&df, &sf, 1);
                    d.fill = df;
                    return;
                }
                if (!AllocBlock(d)) {
                    ok = false;
                    return;
                }
                std::array<Pixel, kBlock> fillRow;
                if (!s.allocated)
                    fillRow.fill(Pixel(s.fill));
                for (int32_t y = 0; y < dp.height; ++y) {
                    Pixel* dr = blockRow(d, (dp.y & blockMask_) + y) + (dp.x & blockMask_);
                    const Pixel* sr = s.allocated ? source.blockRow(s, (sp.y & blockMask_) + y) +
                                                        (sp.x & blockMask_)
                                                  : fillRow.data();
                    rowFn(dr, sr, dp.width);
                }
            });
        contentChanged();
        return any && ok;
    }

    std::vector<int32_t> rows_; // the views' shared row table: row y at y × block row bytes
};

} // namespace qm

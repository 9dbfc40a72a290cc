// Tiled images: the picture is cut into square blocks, and a block owns pixel memory only once
// something non-uniform is written into it. A block without memory reads as its Fill value.
//
// CBlockImage holds the block table and the block iteration shared by the 32-bit colour kind
// (CBlockVMTC, 32 × 32 blocks) and the 8-bit kind (CBlockVCH, 64 × 64 blocks). Edge blocks are
// allocated at the full block size; only their valid part lies inside the picture.
#pragma once

#include "core/copy_clip.h"
#include "core/dib_core.h"
#include "core/message_sink.h"
#include "core/rect.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

// Shown when a block's storage cannot be had.
inline constexpr const char* kBlockAllocFailedMessage =
    "メモリ不足により障害が発生しました！\r以降動作が不安定になるかもしれません...";

struct TBlockInfo {
    int32_t bx = 0, by = 0;
    int32_t blockWidth = 0, blockHeight = 0;
    int32_t x0 = 0, y0 = 0;
    int32_t validWidth = 0, validHeight = 0;
    bool allocated = false;
    uint32_t fill = 0x00FFFFFFu; // a whole pixel for colour images, the low byte for 8-bit ones
    std::unique_ptr<uint8_t[]> data;
    int32_t dataSize = 0;
    std::unique_ptr<CDibCore> view; // TVMTC or TVChannel over `data`

    TBox box() const { return {x0, y0, validWidth, validHeight}; }
};

class CBlockImage {
public:
    virtual ~CBlockImage();
    CBlockImage(const CBlockImage&) = delete;
    CBlockImage& operator=(const CBlockImage&) = delete;

    virtual bool IsValid() const { return valid_; }
    // Gives the block storage initialised from its Fill; false (and a message) on failure.
    virtual bool AllocBlock(TBlockInfo& block);
    // Allocates without filling: for a caller that writes every byte of the block at once.
    bool AllocBlockForOverwrite(TBlockInfo& block);
    // Releases the storage; the block then reads as its Fill again.
    virtual void FreeBlock(TBlockInfo& block);

    // The block holding pixel (x, y), or nullptr outside the table; optionally allocated.
    TBlockInfo* BlockAt(int32_t x, int32_t y, bool allocate);
    const TBlockInfo* BlockAt(int32_t x, int32_t y) const;
    TBlockInfo* GetBlock(int32_t bx, int32_t by, bool allocate);
    const TBlockInfo* GetBlock(int32_t bx, int32_t by) const;
    // To be called after blocks were written directly (a file reader filling storage and Fill
    // values), so that the image's own bookkeeping follows.
    void blocksEdited() { contentChanged(); }
    // Address of pixel (x, y) in its block's storage (nullptr when there is none).
    uint8_t* BlockPixelAddress(int32_t x, int32_t y, bool allocate);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t blockWidth() const { return blockWidth_; }
    int32_t blockHeight() const { return blockHeight_; }
    int32_t blockMask() const { return blockMask_; }
    int32_t blockShift() const { return blockShift_; }
    int32_t blocksAcross() const { return blocksAcross_; }
    int32_t blocksDown() const { return blocksDown_; }
    int32_t blockBytes() const { return blockBytes_; }
    int32_t bytesPerPixel() const { return bytesPerPixel_; }
    TBox bounds() const { return {0, 0, width_, height_}; }
    std::vector<TBlockInfo>& blocks() { return blocks_; }
    const std::vector<TBlockInfo>& blocks() const { return blocks_; }

    // Number of allocated blocks × bytes of one block.
    int64_t MemoryUsed() const;

    void setMessageSink(MessageSink* sink) { messages_ = sink; }
    MessageSink& messageSink() const { return messages_ ? *messages_ : stderrMessageSink(); }

    // The part of row y from x to x + count − 1 inside the picture; false when none is.
    bool clipRowSegment(int32_t x, int32_t y, int32_t count, TBox& segment) const
    {
        segment = {x, y, count, 1};
        return IsValid() && clipBoxToSize(segment, width_, height_);
    }

    // A part covers its whole block when it starts on block corners and is one block in size.
    bool coversWholeBlock(const TBox& part) const
    {
        return (part.x & blockMask_) == 0 && (part.y & blockMask_) == 0 &&
               part.width == blockWidth_ && part.height == blockHeight_;
    }

    // Clips the box to the picture and calls fn(TBlockInfo&, TBox part) for each piece that
    // lies in one block, top to bottom, left to right. False for an empty clip.
    template <typename Fn>
    bool forEachBlockPart(TBox box, Fn&& fn)
    {
        return forEachBlockPartOf(*this, box, fn);
    }
    // The same for reading: fn(const TBlockInfo&, TBox part).
    template <typename Fn>
    bool forEachBlockPart(TBox box, Fn&& fn) const
    {
        return forEachBlockPartOf(*this, box, fn);
    }

    // Two-image iteration: the source box of `source` goes to `at` in this image, clipped by
    // the copy rule and cut so that every piece lies in one block of each image. Calls
    // fn(const TBlockInfo& sourceBlock, TBlockInfo& destBlock, TBox sourcePart, TBox destPart).
    template <typename Fn>
    bool forEachBlockPair(const CBlockImage& source, TPoint at, TBox box, Fn&& fn)
    {
        if (!valid_ || !source.valid_ ||
            !clipCopy(source.width_, source.height_, width_, height_, at, box))
            return false;
        const int32_t dx = at.x - box.x, dy = at.y - box.y;
        for (int32_t y = box.y; y < box.y + box.height;) {
            const int32_t ty = y + dy;
            const int32_t h = std::min({source.blockHeight_ - (y & source.blockMask_),
                                        blockHeight_ - (ty & blockMask_), box.y + box.height - y});
            for (int32_t x = box.x; x < box.x + box.width;) {
                const int32_t tx = x + dx;
                const int32_t w =
                    std::min({source.blockWidth_ - (x & source.blockMask_),
                              blockWidth_ - (tx & blockMask_), box.x + box.width - x});
                const TBlockInfo& s = source.blocks_[size_t(
                    (x >> source.blockShift_) + (y >> source.blockShift_) * source.blocksAcross_)];
                TBlockInfo& d =
                    blocks_[size_t((tx >> blockShift_) + (ty >> blockShift_) * blocksAcross_)];
                fn(s, d, TBox{x, y, w, h}, TBox{tx, ty, w, h});
                x += w;
            }
            y += h;
        }
        return true;
    }

    // Block-by-block copy of the overlapping table range (storage or Fill, and Fill always).
    bool CopyBlocks(const CBlockImage& source);
    // The same for the blocks of a box widened to block boundaries, placed at a point
    // (both in pixels; block indices are the coordinates shifted by the block shift).
    bool CopyBlockRect(const CBlockImage& source, TPoint at, TBox box);

protected:
    template <typename Self, typename Fn>
    static bool forEachBlockPartOf(Self& self, TBox box, Fn& fn)
    {
        if (!self.valid_ || !clipBoxToSize(box, self.width_, self.height_))
            return false;
        const int32_t mask = self.blockMask_, shift = self.blockShift_;
        for (int32_t y = box.y; y < box.y + box.height;) {
            const int32_t h = std::min(self.blockHeight_ - (y & mask), box.y + box.height - y);
            for (int32_t x = box.x; x < box.x + box.width;) {
                const int32_t w = std::min(self.blockWidth_ - (x & mask), box.x + box.width - x);
                fn(self.blocks_[size_t((x >> shift) + (y >> shift) * self.blocksAcross_)],
                   TBox{x, y, w, h});
                x += w;
            }
            y += h;
        }
        return true;
    }

    // blockShift 5 gives 32 × 32 blocks, 6 gives 64 × 64.
    CBlockImage(int32_t blockShift, int32_t bytesPerPixel, uint32_t defaultFill);

    // Sets the size and builds the table; called by the subclasses' constructors and Resize
    // (virtual calls from a base constructor would not reach them).
    bool buildTable(int32_t width, int32_t height);
    void freeTable();
    // Sets the block's Fill to the default and gives it a view.
    virtual bool InitBlock(TBlockInfo& block) = 0;
    // Points the block's view at its storage (or detaches it when there is none).
    virtual void attachView(TBlockInfo& block) = 0;
    virtual void fillBlockStorage(TBlockInfo& block, uint32_t value) = 0;
    // Called after a block gains storage (the colour image widens its content region).
    virtual void blockAllocated(const TBlockInfo&) {}
    // Called after blocks were replaced wholesale (the colour image rebuilds its region).
    virtual void contentChanged() {}
    // Storage for one block; tests override it to simulate a failing allocation.
    virtual std::unique_ptr<uint8_t[]> newStorage(size_t bytes);

    bool valid_ = false;
    int32_t blockBytes_ = 0;
    int32_t bytesPerPixel_ = 0;
    int32_t blockWidth_ = 0, blockHeight_ = 0;
    int32_t blockMask_ = 0, blockShift_ = 0;
    int32_t width_ = 0, height_ = 0;
    int32_t blocksAcross_ = 0, blocksDown_ = 0;
    uint32_t defaultFill_ = 0;
    std::vector<TBlockInfo> blocks_;
    MessageSink* messages_ = nullptr;
};

} // namespace qm

#include "core/block_image.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qm {

namespace {
// Larger than any paper; keeps the block table of a hostile size from exhausting memory.
constexpr int64_t kMaxSide = 1 << 20;
} // namespace

CBlockImage::CBlockImage(int32_t blockShift, int32_t bytesPerPixel, uint32_t defaultFill)
    : bytesPerPixel_(bytesPerPixel), blockWidth_(1 << blockShift), blockHeight_(1 << blockShift),
      blockMask_((1 << blockShift) - 1), blockShift_(blockShift), defaultFill_(defaultFill)
{
    blockBytes_ = blockWidth_ * blockHeight_ * bytesPerPixel_;
}

CBlockImage::~CBlockImage() = default;

bool CBlockImage::buildTable(int32_t width, int32_t height)
{
    freeTable();
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return false;
    width_ = width;
    height_ = height;
    blocksAcross_ = (width + blockWidth_ - 1) / blockWidth_;
    blocksDown_ = (height + blockHeight_ - 1) / blockHeight_;
    try {
        blocks_.resize(size_t(blocksAcross_) * size_t(blocksDown_));
        for (int32_t by = 0; by < blocksDown_; ++by)
            for (int32_t bx = 0; bx < blocksAcross_; ++bx) {
                TBlockInfo& b = blocks_[size_t(bx + by * blocksAcross_)];
                b.bx = bx;
                b.by = by;
                b.blockWidth = blockWidth_;
                b.blockHeight = blockHeight_;
                b.x0 = bx * blockWidth_;
                b.y0 = by * blockHeight_;
                b.validWidth = std::min(width - b.x0, blockWidth_);
                b.validHeight = std::min(height - b.y0, blockHeight_);
                b.dataSize = blockBytes_;
                b.fill = 0x00FFFFFFu;
                if (!InitBlock(b)) throw std::bad_alloc();
            }
    } catch (...) {
        freeTable();
        return false;
    }
    valid_ = true;
    return true;
}

void CBlockImage::freeTable()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    valid_ = false;
    width_ = height_ = 0;
    blocksAcross_ = blocksDown_ = 0;
}

std::unique_ptr<uint8_t[]> CBlockImage::newStorage(size_t bytes)
{
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]);
}

bool CBlockImage::AllocBlock(TBlockInfo& block)
{
    if (block.allocated) return true;
    if (!AllocBlockForOverwrite(block)) return false;
    fillBlockStorage(block, block.fill);
    return true;
}

bool CBlockImage::AllocBlockForOverwrite(TBlockInfo& block)
{
    if (block.allocated) return true;
    block.data = newStorage(size_t(block.dataSize));
    if (!block.data) {
        messageSink().showMessage(kBlockAllocFailedMessage);
        return false;
    }
    block.allocated = true;
    attachView(block);
    blockAllocated(block);
    return true;
}

void CBlockImage::FreeBlock(TBlockInfo& block)
{
    // Releasing memory cannot fail here, so the "memory is damaged" warning has no cause.
    block.allocated = false;
    block.data.reset();
    attachView(block);
}

TBlockInfo* CBlockImage::GetBlock(int32_t bx, int32_t by, bool allocate)
{
    if (bx < 0 || by < 0 || bx >= blocksAcross_ || by >= blocksDown_) return nullptr;
    TBlockInfo& b = blocks_[size_t(bx + by * blocksAcross_)];
    if (allocate && !AllocBlock(b)) return nullptr;
    return &b;
}

const TBlockInfo* CBlockImage::GetBlock(int32_t bx, int32_t by) const
{
    if (bx < 0 || by < 0 || bx >= blocksAcross_ || by >= blocksDown_) return nullptr;
    return &blocks_[size_t(bx + by * blocksAcross_)];
}

TBlockInfo* CBlockImage::BlockAt(int32_t x, int32_t y, bool allocate)
{
    return GetBlock(x >> blockShift_, y >> blockShift_, allocate);
}

const TBlockInfo* CBlockImage::BlockAt(int32_t x, int32_t y) const
{
    return GetBlock(x >> blockShift_, y >> blockShift_);
}

uint8_t* CBlockImage::BlockPixelAddress(int32_t x, int32_t y, bool allocate)
{
    TBlockInfo* b = BlockAt(x, y, allocate);
    if (!b || !b->allocated) return nullptr;
    return b->data.get() + ((y & blockMask_) * blockWidth_ + (x & blockMask_)) * bytesPerPixel_;
}

int64_t CBlockImage::MemoryUsed() const
{
    int64_t n = 0;
    for (const TBlockInfo& b : blocks_)
        n += b.allocated ? 1 : 0;
    return n * blockBytes_;
}

namespace {

// Copies one block's state (storage or not, and its Fill) into another of the same kind.
bool copyBlockState(CBlockImage& dest, TBlockInfo& d, const TBlockInfo& s)
{
    bool ok = true;
    if (s.allocated) {
        if (dest.AllocBlock(d))
            std::memcpy(d.data.get(), s.data.get(), size_t(std::min(d.dataSize, s.dataSize)));
        else
            ok = false;
    } else {
        dest.FreeBlock(d);
    }
    d.fill = s.fill;
    return ok;
}

} // namespace

bool CBlockImage::CopyBlocks(const CBlockImage& source)
{
    if (!valid_ || !source.valid_ || source.blockBytes_ != blockBytes_) return false;
    bool ok = true;
    const int32_t across = std::min(blocksAcross_, source.blocksAcross_);
    const int32_t down = std::min(blocksDown_, source.blocksDown_);
    for (int32_t by = 0; by < down; ++by)
        for (int32_t bx = 0; bx < across; ++bx)
            ok &= copyBlockState(*this, *GetBlock(bx, by, false), *source.GetBlock(bx, by));
    contentChanged();
    return ok;
}

bool CBlockImage::CopyBlockRect(const CBlockImage& source, TPoint at, TBox box)
{
    if (!valid_ || !source.valid_ || source.blockBytes_ != blockBytes_ || box.isEmpty())
        return false;
    // Widen to block boundaries: corners down, far edges up to the next boundary.
    const int32_t left = box.x & ~blockMask_;
    const int32_t top = box.y & ~blockMask_;
    const int32_t right = (box.x + box.width + blockMask_) & ~blockMask_;
    const int32_t bottom = (box.y + box.height + blockMask_) & ~blockMask_;
    const int32_t sbx0 = left >> blockShift_, sby0 = top >> blockShift_;
    const int32_t dbx0 = at.x >> blockShift_, dby0 = at.y >> blockShift_;
    const int32_t across = (right - left) >> blockShift_;
    const int32_t down = (bottom - top) >> blockShift_;
    bool ok = true;
    bool any = false;
    for (int32_t j = 0; j < down; ++j)
        for (int32_t i = 0; i < across; ++i) {
            const TBlockInfo* s = source.GetBlock(sbx0 + i, sby0 + j);
            TBlockInfo* d = GetBlock(dbx0 + i, dby0 + j, false);
            if (!s || !d) continue;
            any = true;
            ok &= copyBlockState(*this, *d, *s);
        }
    contentChanged();
    return ok && any;
}

} // namespace qm

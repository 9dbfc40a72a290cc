#include "core/block_vch.h"

#include <algorithm>
#include <cstring>

namespace qm {

CBlockVCH::CBlockVCH(int32_t width, int32_t height) : CBlockImage(6, 1, kDefaultFill)
{
    Resize(width, height);
}

CBlockVCH::CBlockVCH(const CBlockVCH& other) : CBlockVCH(other.width(), other.height())
{
    setMessageSink(other.messages_);
    CopyBlocks(other);
}

CBlockVCH::~CBlockVCH() = default;

bool CBlockVCH::Resize(int32_t width, int32_t height)
{
    rows_.assign(kBlock, 0);
    for (int32_t y = 0; y < kBlock; ++y)
        rows_[size_t(y)] = y * kBlock;
    // An empty mask has no table at all.
    if (int64_t(width) * height <= 0) {
        freeTable();
        return false;
    }
    return buildTable(width, height);
}

bool CBlockVCH::InitBlock(TBlockInfo& block)
{
    block.fill = kDefaultFill;
    block.view = std::make_unique<TVChannel>();
    attachView(block);
    return true;
}

void CBlockVCH::attachView(TBlockInfo& block)
{
    auto& view = static_cast<TVChannel&>(*block.view);
    if (block.allocated)
        view.attach(block.data.get(), rows_.data(), block.blockWidth, block.blockHeight, &block);
    else
        view.Release();
}

void CBlockVCH::fillBlockStorage(TBlockInfo& block, uint32_t value)
{
    std::memset(block.data.get(), int(value & 0xFF), size_t(kBlock * kBlock));
}

uint8_t CBlockVCH::GetPixel(int32_t x, int32_t y) const
{
    const TBlockInfo* b = BlockAt(x, y);
    if (!b)
        return 0;
    if (!b->allocated)
        return uint8_t(b->fill);
    return blockRow(*b, y & blockMask_)[x & blockMask_];
}

uint8_t CBlockVCH::GetPixelClamped(int32_t x, int32_t y) const
{
    if (width_ <= 0 || height_ <= 0)
        return 0;
    return GetPixel(std::clamp(x, 0, width_ - 1), std::clamp(y, 0, height_ - 1));
}

uint8_t* CBlockVCH::PixelPointer(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return nullptr;
    return BlockPixelAddress(x, y, true);
}

bool CBlockVCH::SetPixel(int32_t x, int32_t y, uint8_t value)
{
    uint8_t* p = PixelPointer(x, y);
    if (!p)
        return false;
    *p = value;
    return true;
}

bool CBlockVCH::FillAll(uint8_t value)
{
    if (!IsValid())
        return false;
    for (TBlockInfo& b : blocks_) {
        b.fill = value;
        if (b.allocated)
            fillBlockStorage(b, value);
    }
    return true;
}

bool CBlockVCH::Fill(TBox box, uint8_t value)
{
    return updateBox(
        box, [=](uint8_t) { return value; },
        [=](uint8_t* p, int32_t n) { std::memset(p, value, size_t(n)); });
}

bool CBlockVCH::Xor(TBox box, uint8_t value)
{
    return updateBox(
        box, [=](uint8_t fill) { return uint8_t(fill ^ value); },
        [=](uint8_t* p, int32_t n) {
            for (int32_t i = 0; i < n; ++i)
                p[i] ^= value;
        });
}

bool CBlockVCH::CopyTo(TChannel& flat, TPoint at, TBox box) const
{
    if (!IsValid() || !flat.IsValid() ||
        !clipCopy(width_, height_, flat.width(), flat.height(), at, box))
        return false;
    for (int32_t y = 0; y < box.height; ++y)
        ReadRow(box.x, box.y + y, box.width, flat.row(at.y + y) + at.x);
    return true;
}

bool CBlockVCH::CopyFrom(const TChannel& flat, TPoint at, TBox box)
{
    if (!IsValid() || !flat.IsValid() ||
        !clipCopy(flat.width(), flat.height(), width_, height_, at, box))
        return false;
    bool ok = true;
    for (int32_t y = 0; y < box.height; ++y)
        ok &= WriteRow(at.x, at.y + y, box.width, flat.row(box.y + y) + box.x) == box.width;
    return ok;
}

int32_t CBlockVCH::Optimize()
{
    int32_t freed = 0;
    for (TBlockInfo& b : blocks_) {
        if (!b.allocated)
            continue;
        const uint8_t* p = b.data.get();
        const uint8_t first = p[0];
        if (std::all_of(p + 1, p + kBlock * kBlock, [first](uint8_t v) { return v == first; })) {
            b.fill = first;
            FreeBlock(b);
            ++freed;
        }
    }
    return freed;
}

bool CBlockVCH::DownscaleTo(TChannel& dest) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0)
        return false;
    const int64_t stepX = (int64_t(width_) << 10) / dest.width();
    const int64_t stepY = (int64_t(height_) << 10) / dest.height();
    const int32_t countX = width_ / dest.width() + 1;
    const int32_t countY = height_ / dest.height() + 1;
    const uint32_t samples = uint32_t(countX * countY);
    for (int32_t y = 0; y < dest.height(); ++y) {
        const int32_t sy0 = int32_t((stepY * y) >> 10);
        uint8_t* d = dest.row(y);
        for (int32_t x = 0; x < dest.width(); ++x) {
            const int32_t sx0 = int32_t((stepX * x) >> 10);
            uint32_t sum = 0;
            for (int32_t j = 0; j < countY; ++j)
                for (int32_t i = 0; i < countX; ++i)
                    sum += GetPixelClamped(sx0 + i, sy0 + j);
            d[x] = uint8_t(sum / samples);
        }
    }
    return true;
}

int32_t CBlockVCH::WriteRow(int32_t x, int32_t y, int32_t count, const uint8_t* bytes)
{
    if (!IsValid() || y < 0 || y >= height_ || count <= 0)
        return 0;
    TBox box{x, y, count, 1};
    const int32_t first = x;
    if (!clipBoxToSize(box, width_, height_))
        return 0;
    int32_t written = 0;
    forEachBlockPart(box, [&](TBlockInfo& b, const TBox& part) {
        if (!AllocBlock(b))
            return;
        std::memcpy(blockRow(b, part.y & blockMask_) + (part.x & blockMask_),
                    bytes + (part.x - first), size_t(part.width));
        written += part.width;
    });
    return written;
}

int32_t CBlockVCH::ReadRow(int32_t x, int32_t y, int32_t count, uint8_t* bytes) const
{
    if (!IsValid() || y < 0 || y >= height_ || count <= 0)
        return 0;
    TBox box{x, y, count, 1};
    const int32_t first = x;
    if (!clipBoxToSize(box, width_, height_))
        return 0;
    int32_t read = 0;
    forEachBlockPart(box, [&](const TBlockInfo& b, const TBox& part) {
        uint8_t* d = bytes + (part.x - first);
        if (b.allocated)
            std::memcpy(d, blockRow(b, part.y & blockMask_) + (part.x & blockMask_),
                        size_t(part.width));
        else
            std::memset(d, int(b.fill & 0xFF), size_t(part.width));
        read += part.width;
    });
    return read;
}

} // namespace qm

#include "core/block_vch.h"

#include "core/block_box_filter.h"

#include <algorithm>
#include <cstring>

namespace qm {

CBlockVCH::CBlockVCH(int32_t width, int32_t height) : CBlockImageOf(kDefaultFill)
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
    if (int64_t(width) * height <= 0) {
        freeTable();
        return false;
    }
    return CBlockImageOf::Resize(width, height);
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

bool CBlockVCH::DownscaleTo(TChannel& dest) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0)
        return false;
    boxFilterDownscaleTiled<1>(
        *this, bounds(), dest.width(), dest.height(), dest.bounds(),
        [&dest](int32_t x, int32_t y, uint32_t mean) { dest.row(y)[x] = uint8_t(mean); });
    return true;
}

int32_t CBlockVCH::WriteRow(int32_t x, int32_t y, int32_t count, const uint8_t* bytes)
{
    TBox box;
    if (!clipRowSegment(x, y, count, box))
        return 0;
    const int32_t first = x;
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
    TBox box;
    if (!clipRowSegment(x, y, count, box))
        return 0;
    const int32_t first = x;
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

#include "core/block_vmtc.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cstring>

namespace qm {

CBlockVMTC::CBlockVMTC(int32_t width, int32_t height)
    : CBlockImage(5, 4, kDefaultFill)
{
    Resize(width, height);
}

CBlockVMTC::CBlockVMTC(const CBlockVMTC& other) : CBlockVMTC(other.width(), other.height())
{
    setMessageSink(other.messages_);
    CopyBlocks(other);
    rebuildContentRegion();
}

CBlockVMTC::~CBlockVMTC() = default;

bool CBlockVMTC::Resize(int32_t width, int32_t height)
{
    rows_.assign(kBlock, 0);
    for (int32_t y = 0; y < kBlock; ++y)
        rows_[size_t(y)] = y * kBlock * 4;
    const bool ok = buildTable(width, height);
    region_.setBounds(width_, height_);
    region_.clear();
    return ok;
}

bool CBlockVMTC::InitBlock(TBlockInfo& block)
{
    block.fill = kDefaultFill;
    block.view = std::make_unique<TVMTC>();
    attachView(block);
    return true;
}

void CBlockVMTC::attachView(TBlockInfo& block)
{
    auto& view = static_cast<TVMTC&>(*block.view);
    if (block.allocated)
        view.attach(block.data.get(), rows_.data(), block.blockWidth, block.blockHeight, &block);
    else
        view.Release();
}

void CBlockVMTC::fillBlockStorage(TBlockInfo& block, uint32_t value)
{
    std::fill_n(reinterpret_cast<uint32_t*>(block.data.get()), kBlock * kBlock, value);
}

void CBlockVMTC::blockAllocated(const TBlockInfo& block)
{
    region_.add(toRect(TBox{block.x0, block.y0, block.blockWidth, block.blockHeight}));
}

void CBlockVMTC::rebuildContentRegion()
{
    region_.setBounds(width_, height_);
    region_.clear();
    for (const TBlockInfo& b : blocks_)
        if (b.allocated || (b.fill >> 24) != 0)
            region_.add(toRect(TBox{b.x0, b.y0, b.blockWidth, b.blockHeight}));
}

// ---- pixel access ----

uint32_t CBlockVMTC::GetPixel(int32_t x, int32_t y) const
{
    const TBlockInfo* b = BlockAt(x, y);
    if (!b)
        return 0;
    if (!b->allocated)
        return b->fill;
    return blockRow(*b, y & blockMask_)[x & blockMask_];
}

uint32_t CBlockVMTC::GetPixelClamped(int32_t x, int32_t y) const
{
    if (width_ <= 0 || height_ <= 0)
        return 0;
    return GetPixel(std::clamp(x, 0, width_ - 1), std::clamp(y, 0, height_ - 1));
}

uint32_t CBlockVMTC::GetPixelOrDefault(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return kDefaultFill;
    return GetPixel(x, y);
}

uint32_t CBlockVMTC::GetLuma(int32_t x, int32_t y) const
{
    return Luma(GetPixel(x, y));
}

uint32_t* CBlockVMTC::PixelPointer(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return nullptr;
    return reinterpret_cast<uint32_t*>(BlockPixelAddress(x, y, true));
}

bool CBlockVMTC::SetPixel(int32_t x, int32_t y, uint32_t value)
{
    uint32_t* p = PixelPointer(x, y);
    if (!p)
        return false;
    *p = value;
    return true;
}

// ---- whole-image and box operations ----

bool CBlockVMTC::FillAll(uint32_t value)
{
    if (!IsValid())
        return false;
    for (TBlockInfo& b : blocks_) {
        b.fill = value;
        if (b.allocated)
            fillBlockStorage(b, value);
    }
    rebuildContentRegion();
    return true;
}

bool CBlockVMTC::MaskedSet(TBox box, uint32_t mask, uint32_t value)
{
    const uint32_t set = value & mask, keep = ~mask;
    return updateBox(
        box, [=](uint32_t fill) { return set | (fill & keep); },
        [=](uint32_t* p, int32_t n) {
            for (int32_t i = 0; i < n; ++i)
                p[i] = set | (p[i] & keep);
        });
}

bool CBlockVMTC::SetColorRef(TBox box, uint32_t colorRef)
{
    return MaskedSet(box, 0x00FFFFFFu, ColorRefToPixel(colorRef));
}

bool CBlockVMTC::SetColor(TBox box, uint32_t pixel)
{
    return MaskedSet(box, 0x00FFFFFFu, pixel);
}

bool CBlockVMTC::SetAlpha(TBox box, uint8_t alpha)
{
    return MaskedSet(box, 0xFF000000u, uint32_t(alpha) << 24);
}

bool CBlockVMTC::Xor(TBox box, uint32_t value)
{
    return updateBox(
        box, [=](uint32_t fill) { return fill ^ value; },
        [=](uint32_t* p, int32_t n) {
            for (int32_t i = 0; i < n; ++i)
                p[i] ^= value;
        });
}

bool CBlockVMTC::ExportTo(TMTC& flat, TPoint at, bool skipTransparent, uint32_t alpha,
                          TBox box) const
{
    if (!IsValid() || !flat.IsValid() ||
        !clipCopy(width_, height_, flat.width(), flat.height(), at, box))
        return false;
    const int32_t dx = at.x - box.x, dy = at.y - box.y;
    return forEachBlockPart(box, [&](const TBlockInfo& b, const TBox& part) {
        for (int32_t y = 0; y < part.height; ++y) {
            uint32_t* d = flat.row(part.y + dy + y) + part.x + dx;
            if (!b.allocated) {
                if (!(skipTransparent && (b.fill >> 24) == 0))
                    std::fill_n(d, part.width, b.fill);
                continue;
            }
            const uint32_t* s = blockRow(b, (part.y & blockMask_) + y) + (part.x & blockMask_);
            if (alpha == 255)
                std::memcpy(d, s, size_t(part.width) * 4);
            else
                paintNormalRow(d, s, part.width, alpha);
        }
    });
}

bool CBlockVMTC::ImportFrom(const TMTC& flat, TPoint at, uint32_t alpha, TBox box)
{
    if (!IsValid() || !flat.IsValid() ||
        !clipCopy(flat.width(), flat.height(), width_, height_, at, box))
        return false;
    const int32_t dx = box.x - at.x, dy = box.y - at.y;
    bool ok = true;
    forEachBlockPart(TBox{at.x, at.y, box.width, box.height},
                     [&](TBlockInfo& b, const TBox& part) {
                         if (!AllocBlock(b)) {
                             ok = false;
                             return;
                         }
                         for (int32_t y = 0; y < part.height; ++y) {
                             uint32_t* d = blockRow(b, (part.y & blockMask_) + y) +
                                           (part.x & blockMask_);
                             const uint32_t* s = flat.row(part.y + dy + y) + part.x + dx;
                             if (alpha == 255)
                                 std::memcpy(d, s, size_t(part.width) * 4);
                             else
                                 paintNormalRow(d, s, part.width, alpha);
                         }
                     });
    rebuildContentRegion();
    return ok;
}

bool CBlockVMTC::CopyFrom(const CBlockVMTC& source, TPoint at, TBox box)
{
    bool ok = true;
    const bool any = forEachBlockPair(
        source, at, box,
        [&](const TBlockInfo& s, TBlockInfo& d, const TBox& sp, const TBox& dp) {
            if (!s.allocated && !d.allocated && coversWholeBlock(dp)) {
                d.fill = s.fill;
                return;
            }
            if (!AllocBlock(d)) {
                ok = false;
                return;
            }
            for (int32_t y = 0; y < dp.height; ++y) {
                uint32_t* dr = blockRow(d, (dp.y & blockMask_) + y) + (dp.x & blockMask_);
                if (s.allocated)
                    std::memcpy(dr,
                                source.blockRow(s, (sp.y & blockMask_) + y) + (sp.x & blockMask_),
                                size_t(dp.width) * 4);
                else
                    std::fill_n(dr, dp.width, s.fill);
            }
        });
    rebuildContentRegion();
    return any && ok;
}

int32_t CBlockVMTC::Optimize()
{
    int32_t freed = 0;
    for (TBlockInfo& b : blocks_) {
        if (!b.allocated)
            continue;
        // Every pixel of the block counts, including the part outside an edge block.
        const uint32_t* p = reinterpret_cast<const uint32_t*>(b.data.get());
        const uint32_t first = p[0];
        if (std::all_of(p + 1, p + kBlock * kBlock, [first](uint32_t v) { return v == first; })) {
            b.fill = first;
            FreeBlock(b);
            ++freed;
        }
    }
    rebuildContentRegion();
    return freed;
}

bool CBlockVMTC::ContentBounds(TRect& bounds) const
{
    bool found = false;
    TRect r{};
    for (const TBlockInfo& b : blocks_) {
        bool opaque = (b.fill >> 24) != 0;
        if (b.allocated) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(b.data.get());
            opaque = std::any_of(p, p + kBlock * kBlock, [](uint32_t v) { return (v >> 24) != 0; });
        }
        if (!opaque)
            continue;
        const TRect br = toRect(TBox{b.x0, b.y0, b.blockWidth, b.blockHeight});
        r = found ? unionRect(r, br) : br;
        found = true;
    }
    if (found)
        intersectRect(r, TRect{0, 0, width_, height_}, r);
    bounds = r;
    return found;
}

} // namespace qm

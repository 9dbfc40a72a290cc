#include "core/block_vmtc.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cstring>

namespace qm {

CBlockVMTC::CBlockVMTC(int32_t width, int32_t height) : CBlockImageOf(kDefaultFill)
{
    Resize(width, height);
}

CBlockVMTC::CBlockVMTC(const CBlockVMTC& other) : CBlockVMTC(other.width(), other.height())
{
    setMessageSink(other.messages_);
    CopyBlocks(other);
}

CBlockVMTC::~CBlockVMTC() = default;

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

// ---- whole-image and box operations ----

bool CBlockVMTC::MaskedSet(TBox box, uint32_t mask, uint32_t value)
{
    const uint32_t set = value & mask, keep = ~mask;
    return MapPixels(box, [=](uint32_t p) { return set | (p & keep); });
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
    return MapPixels(box, [=](uint32_t p) { return p ^ value; });
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
    return combineFrom(
        source, at, box, [](uint32_t) { return false; },
        [](uint32_t* d, const uint32_t* s, int32_t n) { std::memcpy(d, s, size_t(n) * 4); });
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

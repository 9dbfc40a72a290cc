// Alpha planes, single-channel rows and one-bit rows of the tiled colour image.
#include "core/block_vmtc.h"

#include <algorithm>

namespace qm {

bool CBlockVMTC::CopyAlphaOut(TBox box, TAlphaPlane& plane) const
{
    if (!IsValid() || !clipBoxToSize(box, width_, height_))
        return false;
    plane.width = box.width;
    plane.height = box.height;
    plane.bytes.assign(size_t(box.width) * size_t(box.height), 0);
    for (int32_t y = 0; y < box.height; ++y)
        ReadChannelRow(box.x, box.y + y, box.width, 3, plane.bytes.data() + size_t(y) * box.width);
    return true;
}

bool CBlockVMTC::WriteAlpha(TBox box, const TAlphaPlane& plane)
{
    if (!IsValid() || plane.width != box.width || plane.height != box.height ||
        plane.bytes.size() != size_t(plane.width) * size_t(plane.height) || box.isEmpty())
        return false;
    const TBox whole = box;
    if (!clipBoxToSize(box, width_, height_))
        return false;
    bool ok = true;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        const uint8_t* src =
            plane.bytes.data() + size_t(y - whole.y) * plane.width + (box.x - whole.x);
        ok &= WriteChannelRow(box.x, y, box.width, 3, src) == box.width;
    }
    Optimize();
    return ok;
}

bool CBlockVMTC::SwapAlpha(TAlphaPlane& plane)
{
    if (!IsValid() || plane.width != width_ || plane.height != height_ ||
        plane.bytes.size() != size_t(width_) * size_t(height_))
        return false;
    std::vector<uint8_t> row(static_cast<size_t>(width_));
    bool ok = true;
    for (int32_t y = 0; y < height_; ++y) {
        uint8_t* p = plane.bytes.data() + size_t(y) * width_;
        ReadChannelRow(0, y, width_, 3, row.data());
        ok &= WriteChannelRow(0, y, width_, 3, p) == width_;
        std::copy(row.begin(), row.end(), p);
    }
    Optimize();
    return ok;
}

int32_t CBlockVMTC::WriteChannelRow(int32_t x, int32_t y, int32_t count, int32_t channel,
                                    const uint8_t* bytes)
{
    TBox box;
    if (channel < 0 || channel > 3 || !clipRowSegment(x, y, count, box))
        return 0;
    const int32_t first = x;
    const int shift = channel * 8;
    const uint32_t keep = ~(0xFFu << shift);
    int32_t written = 0;
    forEachBlockPart(box, [&](TBlockInfo& b, const TBox& part) {
        if (!AllocBlock(b))
            return;
        uint32_t* d = blockRow(b, part.y & blockMask_) + (part.x & blockMask_);
        const uint8_t* s = bytes + (part.x - first);
        for (int32_t i = 0; i < part.width; ++i)
            d[i] = (d[i] & keep) | uint32_t(s[i]) << shift;
        written += part.width;
    });
    return written;
}

int32_t CBlockVMTC::ReadChannelRow(int32_t x, int32_t y, int32_t count, int32_t channel,
                                   uint8_t* bytes) const
{
    TBox box;
    if (channel < 0 || channel > 3 || !clipRowSegment(x, y, count, box))
        return 0;
    const int32_t first = x;
    const int shift = channel * 8;
    int32_t read = 0;
    forEachBlockPart(box, [&](const TBlockInfo& b, const TBox& part) {
        uint8_t* d = bytes + (part.x - first);
        if (!b.allocated) {
            std::fill_n(d, part.width, uint8_t(b.fill >> shift));
        } else {
            const uint32_t* s = blockRow(b, part.y & blockMask_) + (part.x & blockMask_);
            for (int32_t i = 0; i < part.width; ++i)
                d[i] = uint8_t(s[i] >> shift);
        }
        read += part.width;
    });
    return read;
}

bool CBlockVMTC::ImportOneBitRow(int32_t y, const uint8_t* bits, int32_t pixelCount)
{
    if (!IsValid() || y < 0 || y >= height_ || pixelCount <= 0)
        return false;
    const int32_t n = std::min(pixelCount, width_);
    bool ok = true;
    for (int32_t x = 0; x < n; ++x) {
        const bool set = (bits[x >> 3] >> (7 - (x & 7))) & 1;
        uint32_t* p = PixelPointer(x, y);
        if (!p) {
            ok = false;
            continue;
        }
        *p = (*p & 0xFF000000u) | (set ? 0u : 0x00FFFFFFu);
    }
    rebuildContentRegion();
    return ok;
}

} // namespace qm

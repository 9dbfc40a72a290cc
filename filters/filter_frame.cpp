#include "filters/filter_frame.h"

#include <algorithm>
#include <cstring>

namespace qm {

void readPixelRow(const CBlockVMTC& image, int32_t x, int32_t y, int32_t count, uint32_t* out,
                  uint32_t outside)
{
    if (count <= 0)
        return;
    TBox seg;
    if (!image.clipRowSegment(x, y, count, seg)) {
        std::fill_n(out, count, outside);
        return;
    }
    std::fill_n(out, seg.x - x, outside);
    std::fill(out + (seg.x + seg.width - x), out + count, outside);
    image.forEachBlockPart(seg, [&](const TBlockInfo& b, const TBox& part) {
        uint32_t* d = out + (part.x - x);
        if (b.allocated)
            std::memcpy(d, image.blockRow(b, part.y & image.blockMask()) +
                               (part.x & image.blockMask()),
                        size_t(part.width) * sizeof(uint32_t));
        else
            std::fill_n(d, part.width, b.fill);
    });
}

bool writeChangedPixelRow(CBlockVMTC& image, int32_t x, int32_t y, int32_t count,
                          const uint32_t* row)
{
    TBox seg;
    if (count <= 0 || !image.clipRowSegment(x, y, count, seg))
        return true;
    bool ok = true;
    image.forEachBlockPart(seg, [&](TBlockInfo& b, const TBox& part) {
        const uint32_t* s = row + (part.x - x);
        if (!b.allocated) {
            const uint32_t fill = b.fill;
            if (std::all_of(s, s + part.width, [fill](uint32_t v) { return v == fill; }))
                return;
            if (!image.AllocBlock(b)) {
                ok = false;
                return;
            }
        }
        uint32_t* d = image.blockRow(b, part.y & image.blockMask()) + (part.x & image.blockMask());
        std::memcpy(d, s, size_t(part.width) * sizeof(uint32_t));
    });
    return ok;
}

TFilterFrame::TFilterFrame(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                           const TRect* clip)
    : source_(source), layer_(layer)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !image->IsValid() || !source.IsValid() || image->width() != source.width() ||
        image->height() != source.height())
        return;
    valid_ = true;
    width_ = image->width();
    height_ = image->height();
    protectAlpha_ = layer.protectAlpha != 0;

    TRect work{0, 0, width_, height_};
    if (mask && mask->IsValid()) {
        mask_ = mask;
        maskDX_ = mask->offsetX - layer.offsetX;
        maskDY_ = mask->offsetY - layer.offsetY;
        TRect content;
        if (!mask->ContentBounds(content)) {
            work_ = {};
            return;
        }
        // Paper coordinates to layer coordinates.
        content = moved(content, layer.offsetX, layer.offsetY);
        if (!intersectRect(work, content, work)) {
            work_ = {};
            return;
        }
    }
    if (clip && !intersectRect(work, *clip, work)) {
        work_ = {};
        return;
    }
    work_ = work;
}

void TFilterFrame::maskRow(int32_t x, int32_t y, int32_t count, uint8_t* weights) const
{
    if (count <= 0)
        return;
    if (!mask_) {
        std::fill_n(weights, count, uint8_t(255));
        return;
    }
    // Outside the mask's rectangle the weight is 0; ReadRow fills only what lies inside.
    std::fill_n(weights, count, uint8_t(0));
    const int32_t mx = x + maskDX_, my = y + maskDY_;
    const int32_t first = std::max(mx, 0);
    const int32_t last = std::min(mx + count, mask_->coverage->width());
    if (my < 0 || my >= mask_->coverage->height() || first >= last)
        return;
    mask_->coverage->ReadRow(first, my, last - first, weights + (first - mx));
}

} // namespace qm

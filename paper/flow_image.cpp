#include "paper/flow_image.h"

#include "core/image_ops.h"

#include <algorithm>

namespace qm {

namespace {

constexpr int32_t kBlock = 32;

} // namespace

// Grows `work` when needed and, when it grew or now holds another layer, marks every block as
// still to be copied. False when the layer has no image.
bool TFlowImage::hold(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !image->IsValid()) return false;
    const bool grow = work.width() < image->width() || work.height() < image->height();
    if (grow) {
        const int32_t w = std::max(work.width(), image->width());
        const int32_t h = std::max(work.height(), image->height());
        work.Resize(w, h);
        coverage.Resize(w, h);
        blocksAcross_ = (w + kBlock - 1) / kBlock;
        blocksDown_ = (h + kBlock - 1) / kBlock;
    }
    if (grow || !holds(layer, i)) {
        pending_.assign(size_t(blocksAcross_) * size_t(blocksDown_), 1);
        pendingCount_ = blocksAcross_ * blocksDown_;
        layerIndex = i;
        layerId = layer.id;
    }
    layerOffsetX = layer.offsetX;
    layerOffsetY = layer.offsetY;
    paperWidth = paperW;
    paperHeight = paperH;
    return true;
}

bool TFlowImage::take(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH)
{
    if (!hold(layer, i, paperW, paperH)) return false;
    if (pendingCount_ > 0) ensure(layer, {0, 0, work.width(), work.height()});
    return true;
}

bool TFlowImage::takeLazily(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH)
{
    return hold(layer, i, paperW, paperH);
}

// Blocks [first, end) of one block row, one export for the run.
void TFlowImage::copyBlocks(const CLayerData& layer, int32_t blockY, int32_t first, int32_t end)
{
    const CBlockVMTC& image = *layer.image();
    TBox box{first * kBlock, blockY * kBlock, (end - first) * kBlock, kBlock};
    // Beyond the layer's image `work` keeps whatever it held: nothing reads it there.
    TBox inImage = box;
    if (clipBoxToSize(inImage, image.width(), image.height()))
        image.ExportTo(work, {inImage.x, inImage.y}, false, 255, inImage);
    if (clipBoxToSize(box, coverage.width(), coverage.height())) fillRect(coverage, box, 0);
    std::fill(pending_.begin() + ptrdiff_t(blockY) * blocksAcross_ + first,
              pending_.begin() + ptrdiff_t(blockY) * blocksAcross_ + end, uint8_t(0));
    pendingCount_ -= end - first;
}

void TFlowImage::ensure(const CLayerData& layer, TBox box)
{
    if (pendingCount_ == 0 || !layer.image() || !holds(layer, layerIndex) ||
        !clipBoxToSize(box, work.width(), work.height()))
        return;
    const int32_t left = box.x / kBlock, right = (box.x + box.width - 1) / kBlock + 1;
    const int32_t top = box.y / kBlock, bottom = (box.y + box.height - 1) / kBlock + 1;
    for (int32_t by = top; by < bottom; ++by) {
        const uint8_t* flags = pending_.data() + ptrdiff_t(by) * blocksAcross_;
        for (int32_t bx = left; bx < right;) {
            if (!flags[bx]) {
                ++bx;
                continue;
            }
            int32_t end = bx + 1;
            while (end < right && flags[end])
                ++end;
            copyBlocks(layer, by, bx, end);
            bx = end;
        }
    }
}

void TFlowImage::reload(const CLayerData& layer, TBox box)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !work.IsValid() || !clipBoxToSize(box, image->width(), image->height())) return;
    image->ExportTo(work, {box.x, box.y}, false, 255, box);
}

} // namespace qm

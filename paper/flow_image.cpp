#include "paper/flow_image.h"

#include "core/image_ops.h"

#include <algorithm>

namespace qm {

bool TFlowImage::take(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !image->IsValid())
        return false;
    const bool grow = work.width() < image->width() || work.height() < image->height();
    if (grow) {
        const int32_t w = std::max(work.width(), image->width());
        const int32_t h = std::max(work.height(), image->height());
        work.Resize(w, h);
        coverage.Resize(w, h);
    }
    if (grow || !holds(layer, i)) {
        image->ExportTo(work, {0, 0}, false, 255, image->bounds());
        fillAll(coverage, 0);
        layerIndex = i;
        layerId = layer.id;
    }
    layerOffsetX = layer.offsetX;
    layerOffsetY = layer.offsetY;
    paperWidth = paperW;
    paperHeight = paperH;
    return true;
}

void TFlowImage::reload(const CLayerData& layer, TBox box)
{
    const CBlockVMTC* image = layer.image();
    if (!image || !work.IsValid() || !clipBoxToSize(box, image->width(), image->height()))
        return;
    image->ExportTo(work, {box.x, box.y}, false, 255, box);
}

} // namespace qm

#include "layers/display_refresh.h"

#include "core/image_ops.h"
#include "layers/composite.h"

namespace qm {

namespace {

// Clips a box of an image to its size, moving the matching picture point along.
bool clipToImage(TBox& box, TPoint& at, int32_t width, int32_t height)
{
    const TBox before = box;
    if (!clipBoxToSize(box, width, height))
        return false;
    at.x += box.x - before.x;
    at.y += box.y - before.y;
    return true;
}

} // namespace

void refreshDisplayBox(const CLayerMngr& layers, TMTC& display, TBox box, uint32_t paperColour,
                       TLayerEngine engine, const TStrokeView& stroke, Clock& clock)
{
    if (!display.IsValid() || !clipBoxToSize(box, display.width(), display.height()))
        return;
    maskedSet(display, box, 0x00FFFFFFu, paperColour);
    for (int32_t i = 0; i < layers.Count(); ++i) {
        const CLayerData& layer = *layers.Get(i);
        if (!layer.visible || !layer.image())
            continue;
        TBox inLayer{box.x + layer.offsetX, box.y + layer.offsetY, box.width, box.height};
        TPoint at{box.x, box.y};
        const bool fromWorkingCopy = i == stroke.layerIndex && stroke.working;
        // The working copy may be larger than the layer's image: only the image's part counts.
        if (fromWorkingCopy && !clipToImage(inLayer, at, layer.imageWidth(), layer.imageHeight()))
            continue;
        if (engine == TLayerEngine::Legacy) {
            if (fromWorkingCopy)
                CompositeStrokeLayerLegacy(display, *stroke.working, at, layer, inLayer);
            else
                CompositeLayerLegacy(layer, display, inLayer, at);
        } else if (fromWorkingCopy) {
            CompositeStrokeLayer(display, *stroke.working, at, TPattern::Fresh, layer, inLayer,
                                 clock);
        } else {
            CompositeLayer(layer, display, inLayer, at, TPattern::Fresh, clock);
        }
    }
}

} // namespace qm

// The drawing window's flow image: a working copy of the layer being painted, into which a
// stroke's dabs go until the stroke ends, and the stroke's coverage. It only grows, and is
// copied from the layer again only when another layer is painted or a refresh asks for it.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "layers/layer_data.h"

#include <cstdint>

namespace qm {

class TPaper;

class TFlowImage {
public:
    explicit TFlowImage(TPaper* owner = nullptr) : paper(owner) {}

    // Makes `work` a copy of the layer (index i): grows it when the layer's image is larger,
    // copies the pixels when it grew or holds another layer, clearing the coverage then.
    // False when the layer has no image.
    bool take(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH);
    // Copies a box of the layer's image (image coordinates) into `work` again.
    void reload(const CLayerData& layer, TBox box);
    // Forgets which layer `work` holds, so that the next stroke copies it again.
    void forget() { layerIndex = -1, layerId = -1; }
    bool holds(const CLayerData& layer, int32_t i) const
    {
        return layerIndex == i && layerId == layer.id;
    }

    TPaper* paper = nullptr;
    TMTC work;         // 0xAARRGGBB, the layer image's coordinates
    TChannel coverage; // 0 = untouched by the stroke
    int32_t layerIndex = -1;
    int32_t layerId = -1; // index and ID together: an index alone may name another layer later
    int32_t layerOffsetX = 0, layerOffsetY = 0;
    int32_t paperWidth = 0, paperHeight = 0;
};

} // namespace qm

// The drawing window's flow image: a working copy of the layer being painted, into which a
// stroke's dabs go until the stroke ends, and the stroke's coverage. It only grows, and is
// copied from the layer again only when another layer is painted or a refresh asks for it.
//
// Switching layers does not copy the layer at once: the copy is made block by block as the
// stroke reaches each block (`ensure`), so a stroke on another layer of a large paper costs
// what it touches, not the whole layer. Whoever reads `work` beyond a stroke's own boxes calls
// `take`, which completes the copy first.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "layers/layer_data.h"

#include <cstdint>
#include <vector>

namespace qm {

class TPaper;

class TFlowImage {
  public:
    explicit TFlowImage(TPaper* owner = nullptr) : paper(owner) {}

    // Makes `work` a whole copy of the layer (index i): grows it when the layer's image is
    // larger, copies the pixels when it grew, holds another layer or is not yet complete,
    // clearing the coverage of what it copies. False when the layer has no image.
    bool take(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH);
    // The same, but leaves the copying of the pixels to `ensure`.
    bool takeLazily(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH);
    // Completes the copy within a box of the layer's image (image coordinates): the blocks of
    // the box that do not yet hold the layer's pixels get them, and a cleared coverage.
    void ensure(const CLayerData& layer, TBox box);
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

  private:
    bool hold(const CLayerData& layer, int32_t i, int32_t paperW, int32_t paperH);
    void copyBlocks(const CLayerData& layer, int32_t blockY, int32_t first, int32_t end);

    // One flag per 32 × 32 block of `work`: set while the block does not hold the layer yet.
    std::vector<uint8_t> pending_;
    int32_t pendingCount_ = 0;
    int32_t blocksAcross_ = 0;
    int32_t blocksDown_ = 0;
};

} // namespace qm

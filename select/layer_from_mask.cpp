#include "select/layer_from_mask.h"

#include "select/layer_mask_ops.h"

#include <new>
#include <stdexcept>

namespace qm {

std::unique_ptr<CLayerData> LayerFromMask(const CLayerData& layer, const CMaskData& mask)
{
    try {
        if (!layer.image())
            return nullptr;
        const LayerUndo* undo = layer.layerUndo();
        auto made =
            CLayerData::make(layer.index, layer.random.seed, undo ? undo->createEmpty() : nullptr);
        // maskToAlpha optimises the image and rebuilds the thumbnail itself.
        if (!made->CloneFrom(layer) || !maskToAlpha(*made, mask))
            return nullptr;
        made->id = layer.id;
        return made;
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace qm

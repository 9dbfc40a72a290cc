// A new layer holding the part of a layer that a selection mask covers.
#pragma once

#include "layers/layer_data.h"
#include "select/mask_data.h"

#include <memory>

namespace qm {

// A copy of the layer (image, properties, offset, paper, generator state) whose alpha is
// multiplied by the mask's coverage at each paper position (0 outside the mask), with its
// uniform blocks optimised and its thumbnail rebuilt. The result replaces the source (cutting
// away what lies outside the selection), so it takes the source's ID and index: undo finds
// it by that ID. Its own undo history, if any, starts empty. nullptr when the layer has no
// image or memory runs out; the source is never changed.
std::unique_ptr<CLayerData> LayerFromMask(const CLayerData& layer, const CMaskData& mask);

} // namespace qm

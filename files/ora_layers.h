// Between a paper's layers and a TOraDocument.
#pragma once

#include "core/dib_core.h"
#include "files/ora_document.h"
#include "layers/layer_mngr.h"

#include <cstdint>

namespace qm {

// Every layer that has an image, bottom first, with its whole image (also what lies beyond
// the paper, so nothing is lost) placed at minus its offset, and all its attributes. `merged`
// (paper-sized, or null for none) becomes the merged picture.
TOraDocument oraFromLayers(const CLayerMngr& layers, int32_t paperWidth, int32_t paperHeight,
                           int32_t dpi, const TMTC* merged);

// Replaces the manager's layers with the document's and sets the paper size to the picture's.
// Each layer's image is the smallest box holding both the paper and its pixels, so pixels
// beyond the paper are kept and a layer we wrote comes back at its own size and offset; a
// layer whose box would exceed kOraMaxSide is cut to the paper. A document without layers gives
// one layer holding the merged picture. The top layer becomes current. False when a layer
// cannot be made; the manager is then left empty.
bool layersFromOra(const TOraDocument& doc, CLayerMngr& layers);

} // namespace qm

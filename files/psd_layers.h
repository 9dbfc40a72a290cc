// Between a paper's layers and a TPsdDocument.
#pragma once

#include "core/dib_core.h"
#include "files/psd_document.h"
#include "layers/layer_mngr.h"

#include <cstdint>
#include <string>

namespace qm {

// Every layer that has an image, bottom first: the part of it the paper shows, cut to the
// smallest box holding all its non-transparent pixels (an empty layer gives 0 × 0 pixels),
// with its name, opacity, visibility and mode. `merged` (paper-sized, or null for none)
// becomes the merged picture.
TPsdDocument documentFromLayers(const CLayerMngr& layers, int32_t paperWidth,
                                int32_t paperHeight, const TMTC* merged);

// Replaces the manager's layers with the document's: each becomes a layer of the document's
// size holding its pixels at (left, top) (what lies outside is cut off) with its name,
// opacity, visibility and mode; the paper size becomes the document's. A document without
// layers gives one layer holding the merged picture. The top layer becomes current. False
// when a layer cannot be made; the manager is then left empty.
bool layersFromDocument(const TPsdDocument& doc, CLayerMngr& layers);

// The file name (without extension) of one layer exported as its own picture:
// "<paper>_layer<n>", or "layer<n>" for a paper without a name.
std::string layerExportName(const std::string& paperName, int layerNumber);

} // namespace qm

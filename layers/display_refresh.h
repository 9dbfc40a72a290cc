// Recompositing part of the display picture from the paper's layers.
#pragma once

#include "core/clock.h"
#include "core/dib_core.h"
#include "layers/layer_mngr.h"

namespace qm {

// Which compositor draws the layers.
enum class TLayerEngine { LayerAlpha, Legacy };

// While a stroke is in progress the current layer is drawn from its working copy.
struct TStrokeView {
    int32_t layerIndex = -1;
    const TMTC* working = nullptr; // flat, in the layer image's coordinates
};

// Fills the box (paper coordinates) of the display with the paper colour (colour bytes
// replaced, alpha kept), then composites every visible layer over it from the bottom up,
// each in its own image coordinates (the box moved by the layer's offset). The blend option
// draws a fresh pattern. Showing the box is the caller's business.
void refreshDisplayBox(const CLayerMngr& layers, TMTC& display, TBox box, uint32_t paperColour,
                       TLayerEngine engine, const TStrokeView& stroke = {},
                       Clock& clock = systemClock());

} // namespace qm

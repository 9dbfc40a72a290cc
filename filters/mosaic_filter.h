// Mosaic: square blocks aligned to multiples of the block size in layer coordinates, so the
// grid stays put whatever part of the layer is selected; each block takes the alpha-weighted
// mean colour and the plain mean alpha of its source pixels.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

namespace qm {

// Block sizes below 2 are refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMosaicParams& p);

} // namespace qm

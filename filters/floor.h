// The floor filter: a picture repeated on an infinite floor and a parallel ceiling, seen in
// perspective from a camera between them and fading into a far colour with distance.
#pragma once

#include "core/dib_core.h"
#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <cstdint>

namespace qm {

// ceilingPicture and floorPicture are the two auxiliary images (nullptr when absent); the
// parameters say whether each plane shows its picture or the layer's source copy. A plane
// that needs a missing or empty picture, or a float that is not finite, is refused.
bool applyFloor(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                const TRect* clip, const TFloorParams& p, const TMTC* ceilingPicture,
                const TMTC* floorPicture);
// Without auxiliary images: only parameters that use the layer for both planes succeed.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFloorParams& p);

} // namespace qm

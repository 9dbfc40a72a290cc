// Noise: random offsets added to the colour of every visible pixel, from a generator seeded
// with 0 at each application so that a replay draws the same numbers. Alpha is kept.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

namespace qm {

// A negative amount is refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TNoiseParams& p);

} // namespace qm

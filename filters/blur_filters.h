// The averaging blurs: the 3 × 3 and 5 × 5 boxes and the motion and zoom lines. Colour is
// the alpha-weighted mean of the samples, alpha their plain mean; samples outside the layer
// count as transparent, so opaque edges soften.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

namespace qm {

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TBlurParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TStrongBlurParams& p);
// Amounts below 0 or above 10000 are refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMotionBlurParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TZoomBlurParams& p);

} // namespace qm

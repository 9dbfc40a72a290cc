// The lighting filter: up to 16 point lights, warm lights and spotlights above the picture
// plus an ambient term, added to every selected pixel's colour. The result is opaque.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <cstdint>

namespace qm {

// Lights beyond the first 16 are ignored; a float field that is not finite is refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TLightingParams& p);
// applyFilter with the row kernel chosen: the AVX2 one (when the processor has it) or the
// portable one. Both give the same bytes; the test holds them to it.
bool applyLightingRows(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TLightingParams& p, bool avx2);
bool lightingRowsHaveAvx2();
// The plain per-pixel form the row-wise filter is held to, byte for byte.
bool applyLightingReference(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                            const TRect* clip, const TLightingParams& p);

} // namespace qm

// The distortions: twist (rotation that fades out towards a radius), wave (row and column
// sine offsets) and emboss (difference of two samples along a direction). They read the
// source bilinearly with wrapping around the layer's edges.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

namespace qm {

// Bilinear sampling (the command and the replay) or the truncated position (a cheap preview).
enum class TSampling : uint8_t { Bilinear, Nearest };

// τ = 0 leaves the layer unchanged. Without protect-alpha the sample replaces the pixel.
bool applyTwist(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                const TRect* clip, const TTwistParams& p, TSampling sampling);
// Nc·Ac = 0 and Nr·Ar = 0 leave the layer unchanged; written as the twist.
bool applyWave(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
               const TRect* clip, const TWaveParams& p, TSampling sampling);

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TTwistParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TWaveParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TEmbossParams& p);

} // namespace qm

// Sharpening: two fixed vertical three-tap kernels (colour only) and the adjustable cross
// kernel (all four channels). At the layer's edges the nearest edge pixel stands in for the
// missing neighbour, so an edge is not darkened by an imagined transparent border.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

namespace qm {

// Weights for the pixel above, the pixel itself and the pixel below; each channel is their
// weighted sum divided by the weight sum (1 when that is 0), truncated and clamped.
struct TPixelMatrix {
    int32_t above, self, below;
};
inline constexpr TPixelMatrix kSharpenWeights{-1, 9, -1};
inline constexpr TPixelMatrix kStrongSharpenWeights{-1, 3, -1};

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TSharpenParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TStrongSharpenParams& p);
// Strength x <= 0 changes nothing (and succeeds); above 1, or not a number, it is refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TAdjustableSharpenParams& p);

// The centre weight of the adjustable kernel: 15.9·(1 − x)³ + 4.1.
double sharpenCentreWeight(double strength);

} // namespace qm

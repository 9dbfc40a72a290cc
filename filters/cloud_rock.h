// The cloud and rock patterns: layered value noise from the filters' random generator,
// blurred with wrapping so the pattern tiles seamlessly, then laid over the work rectangle
// as a mix of the background and foreground colours.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <cstdint>
#include <vector>

namespace qm {

// An 8-bit pattern, row by row.
struct TCloudPattern {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> values;
    uint8_t at(int32_t x, int32_t y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

// The octaves summed before the blur. contrastScale is 10 for the cloud and 100 for the
// rock (c = contrast / contrastScale). Sizes below 1 count as 1.
TCloudPattern cloudOctaves(int32_t width, int32_t height, int32_t contrast,
                           int32_t contrastScale, uint32_t seed);
// The same computed pixel by pixel, the form the row-wise one is held to.
TCloudPattern cloudOctavesReference(int32_t width, int32_t height, int32_t contrast,
                                    int32_t contrastScale, uint32_t seed);
// The Gaussian blur of the pattern with wrapping at its edges.
void blurPatternWrapped(TCloudPattern& pattern, double sigma);
// The weight of a rock pixel: ridges where the pattern crosses 128.
uint8_t rockWeight(uint8_t g, int32_t softness);

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TCloudParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TRockParams& p);

} // namespace qm

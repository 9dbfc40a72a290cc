// The Gaussian blur: two one-dimensional passes (down the columns into an intermediate row,
// then along it), each limited to the reach where the normalised kernel is at least 1 %.
// Colour is the Gaussian average weighted by alpha, alpha the plain mean over the reach.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <cstdint>
#include <vector>

namespace qm {

// The kernel of one pass: weights[d + reach] for offsets d = −reach … reach, the normalised
// Gaussian in 16.16 (integer weights keep flat areas flat: the weighted mean of equal
// colours is that colour exactly). Offsets beyond the layer-length kernel weigh 0.
struct TGaussKernel {
    int32_t reach = 0;
    std::vector<uint32_t> weights;
};
TGaussKernel gaussKernel(double sigma, int32_t length);

// σ <= 0 copies the source; a σ that is not a finite number is refused. Large areas are
// shared among the processor's cores.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TGaussianBlurParams& p);
// The same with a given number of threads (1 … 8); every count gives the same bytes.
bool applyGaussianBlur(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TGaussianBlurParams& p, int32_t threads);

} // namespace qm

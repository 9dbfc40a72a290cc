// The tile pattern: squares or equilateral triangles in two or three colours, laid from the
// work rectangle's top-left corner, triangles anti-aliased at their edges.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <array>
#include <cstdint>

namespace qm {

// Coverage (0 … 255) of each colour index at one pixel, (px, py) relative to the corner the
// tiles start from. Every point of the plane belongs to exactly one tile, so the three add up
// to 255 (squares cover whole pixels).
std::array<uint32_t, 3> tileCoverage(const TTileParams& p, int32_t px, int32_t py);

// Width 0 (or less) leaves the layer unchanged; a colour count other than 2 or 3 is refused.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TTileParams& p);

} // namespace qm

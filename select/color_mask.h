// Selecting by colour range: picks of colours to add or remove, each with a range, turn
// every pixel of a source image into a coverage value.
#pragma once

#include "core/block_vmtc.h"
#include "select/mask_data.h"

#include <cstdint>
#include <vector>

namespace qm {

// One pick: 8 bytes as stored (colour B, G, R, A; add flag; range; two unread bytes).
struct TColorPick {
    uint32_t colour = 0; // 0xAARRGGBB
    bool add = true;
    uint8_t range = 32;
};

struct TColorMaskResult {
    int64_t above1 = 0; // pixels whose coverage is above 1
    int64_t below2 = 0;
    int64_t full = 0; // pixels at 255
};

class CColorMask {
  public:
    // The weight of a squared distance D against B2 = 2 · range².
    static uint32_t weight(uint32_t distance2, uint32_t b2);
    // The coverage of one pixel under the picks.
    static uint8_t coverageOf(uint32_t pixel, const std::vector<TColorPick>& picks);

    // A channel the size of the source: each pixel with alpha above 1 that lies inside the
    // current mask (when it is non-empty; `maskOffset` takes source positions to mask-local
    // ones) gets its coverage; the rest stays 0. The same bytes as coverageOf pixel by pixel,
    // worked out block by block with each pick's weights in a table.
    static TColorMaskResult build(const CBlockVMTC& source, const std::vector<TColorPick>& picks,
                                  const CMaskData* current, TPoint maskOffset, TChannel& channel);
};

} // namespace qm

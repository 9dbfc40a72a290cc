// One entry point for every transforming filter, for callers that hold a filter number and
// its parameters rather than a typed call (the event replay, the menu's filter runner).
#pragma once

#include "core/dib_core.h"
#include "filters/filter_frame.h"
#include "filters/filter_params.h"
#include "filters/filter_record.h"

#include <cstdint>
#include <span>

namespace qm {

// Applies the filter the parameters name, from the source copy to the work rectangle.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFilterParams& params);

// The same with the floor's two auxiliary images (nullptr when absent); every other filter
// ignores them.
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFilterParams& params, const TMTC* first,
                 const TMTC* second);

// Decodes a recorded parameter record of filter `number` and applies it to the whole work
// rectangle; false for a damaged record (the layer is then untouched) or a failed filter.
bool applyRecordedFilter(uint8_t number, std::span<const uint8_t> record,
                         const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask);
bool applyRecordedFilter(uint8_t number, std::span<const uint8_t> record,
                         const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                         const TMTC* first, const TMTC* second);

} // namespace qm

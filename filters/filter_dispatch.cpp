#include "filters/filter_dispatch.h"

#include "filters/blur_filters.h"
#include "filters/cloud_rock.h"
#include "filters/distort_filters.h"
#include "filters/floor.h"
#include "filters/gauss_blur.h"
#include "filters/lighting.h"
#include "filters/mosaic_filter.h"
#include "filters/noise_filter.h"
#include "filters/sharpen_filters.h"
#include "filters/table_filters.h"
#include "filters/tile_pattern.h"

namespace qm {

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFilterParams& params)
{
    return std::visit(
        [&](const auto& p) { return applyFilter(source, layer, mask, clip, p); }, params);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFilterParams& params, const TMTC* first,
                 const TMTC* second)
{
    if (const auto* floor = std::get_if<TFloorParams>(&params))
        return applyFloor(source, layer, mask, clip, *floor, first, second);
    return applyFilter(source, layer, mask, clip, params);
}

bool applyRecordedFilter(uint8_t number, std::span<const uint8_t> record,
                         const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask)
{
    return applyRecordedFilter(number, record, source, layer, mask, nullptr, nullptr);
}

bool applyRecordedFilter(uint8_t number, std::span<const uint8_t> record,
                         const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                         const TMTC* first, const TMTC* second)
{
    TFilterRecord decoded;
    if (!decodeFilterRecord(number, record, decoded))
        return false;
    return applyFilter(source, layer, mask, nullptr, decoded.params, first, second);
}

} // namespace qm

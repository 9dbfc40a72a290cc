#include "filters/filter_dispatch.h"

#include "filters/blur_filters.h"
#include "filters/distort_filters.h"
#include "filters/gauss_blur.h"
#include "filters/mosaic_filter.h"
#include "filters/noise_filter.h"
#include "filters/sharpen_filters.h"
#include "filters/table_filters.h"

namespace qm {

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFilterParams& params)
{
    return std::visit(
        [&](const auto& p) { return applyFilter(source, layer, mask, clip, p); }, params);
}

bool applyRecordedFilter(uint8_t number, std::span<const uint8_t> record,
                         const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask)
{
    TFilterRecord decoded;
    if (!decodeFilterRecord(number, record, decoded))
        return false;
    return applyFilter(source, layer, mask, nullptr, decoded.params);
}

} // namespace qm

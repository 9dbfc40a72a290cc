// The colour corrections: each channel of each visible pixel goes through a 256-entry table
// (levels, gamma, brightness and contrast, posterize), through the HLS model (hue,
// saturation, lightness) or to its luminance (monochrome). Alpha is always kept, and fully
// transparent pixels are left alone.
#pragma once

#include "filters/filter_frame.h"
#include "filters/filter_params.h"

#include <array>
#include <cstdint>

namespace qm {

using TFilterTable = std::array<uint8_t, 256>;

// The tables, rebuilt for every application.
TFilterTable levelsTable(const TLevelsParams& p);
TFilterTable gammaTable(float gamma);
TFilterTable brightnessContrastTable(float brightness, int32_t contrast);
// False for a level count outside 2 … 254.
bool posterizeTable(int32_t levels, TFilterTable& table);
// The saturation and lightness maps of the HLS filter (inputs and outputs 0 … 255).
TFilterTable hlsSaturationTable(int32_t saturation);
TFilterTable hlsLightnessTable(int32_t lightness);

// n = (blue[B], green[G], red[R]) for every pixel with alpha > 0, alpha kept.
bool applyColourTables(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TFilterTable& blue, const TFilterTable& green,
                       const TFilterTable& red);

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TLevelsParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TGammaParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TBrightnessContrastParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TPosterizeParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const THueSaturationParams& p);
bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMonochromeParams& p);

} // namespace qm

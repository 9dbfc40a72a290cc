#include "filters/filter_dialog_values.h"

#include <cmath>

namespace qm {

float gammaFromSlider(int32_t s)
{
    if (s < 100)
        return float(0.5 + s * 0.005);
    return float(1.0 + (s - 100) / 100.0);
}

float twistTurnsFromSlider(int32_t p)
{
    return float(0.04 * (200 - p));
}

float wavePhaseFromSlider(int32_t p)
{
    return float(p * 0.5235983333);
}

float sharpenStrengthFromSlider(int32_t s)
{
    return float(s / 100.0);
}

int32_t noiseAmountFromSlider(int32_t s)
{
    return 2 * s;
}

float embossHeightFromSlider(int32_t s)
{
    return float(s / 10.0);
}

TPoint zoomCentreFromThumbnail(int32_t px, int32_t py, double scale, int32_t layerWidth,
                               int32_t layerHeight)
{
    return {int32_t(std::floor((px - 64) * scale)) + layerWidth / 2,
            int32_t(std::floor((py - 64) * scale)) + layerHeight / 2};
}

} // namespace qm

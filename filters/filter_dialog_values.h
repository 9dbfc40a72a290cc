// How the filter dialogs turn their slider positions into recorded parameters. Kept here so
// a dialog and a test agree on the same numbers.
#pragma once

#include "core/rect.h"

#include <cstdint>

namespace qm {

// Gamma slider s (default 100): 0.5 + 0.005·s below 100, 1 + (s − 100)/100 from 100 up.
float gammaFromSlider(int32_t s);
// Twist slider p (0 … 400, 200 = none): turns τ = 0.04·(200 − p).
float twistTurnsFromSlider(int32_t p);
// Wave phase slider p (0 … 12): φ = p·0.5235983333 (a sixth of 3.14159).
float wavePhaseFromSlider(int32_t p);
// Adjustable sharpen slider (0 … 100): strength x = slider/100.
float sharpenStrengthFromSlider(int32_t s);
// Noise slider (0 … 512): amount a = 2 × slider.
int32_t noiseAmountFromSlider(int32_t s);
// Emboss height slider (0 … 100): h = slider/10.
float embossHeightFromSlider(int32_t s);
// A point of the zoom blur's 128 × 128 thumbnail to a centre in layer coordinates, with
// scale the layer pixels per thumbnail pixel.
TPoint zoomCentreFromThumbnail(int32_t px, int32_t py, double scale, int32_t layerWidth,
                               int32_t layerHeight);

} // namespace qm

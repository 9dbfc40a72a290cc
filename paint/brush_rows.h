// Row kernels of the brushes: a colour mixed into a row of pixels with one weight per pixel.
//
// Pixel format: 0xAARRGGBB (memory order B, G, R, A), not premultiplied. Weights are 0..255.
// Mixing is Lerp255 per colour byte, computed in 16-bit lanes as
//   div255(C·w + P·(255 − w)),  div255(s) = (s + 1 + (s >> 8)) >> 8,
// which equals (C·w·32897 + P·(8388735 − w·32897)) >> 23 for every byte pair and weight, so
// the vector forms give the same bytes as mixColour.
#pragma once

#include <cstdint>

namespace qm {

// row[i] = mixColour(row[i], colour, weight[i]): the colour bytes mixed, alpha kept.
void mixColourRow(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count);
// row[i] = blendOver(row[i], colour, weight[i]).
void blendOverRow(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count);

// The compiled variants mixColourRow chooses between, and the scalar reference.
void mixColourRowPortable(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count);
void mixColourRowAvx2(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count);
void mixColourRowReference(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count);

} // namespace qm

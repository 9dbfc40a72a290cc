// Colour swatch files (.aco), every number a big-endian u16: version (1), count, then count
// records of five words: colour space, w, x, y, z.
//   space 0 RGB        red, green, blue = w, x, y × 255 ÷ 65535
//   space 1 HSB        hue w ÷ 65536 × 360°, saturation x ÷ 65535 × 255, brightness
//                      y ÷ 65535 × 255, in 16.16, through the HSV conversion
//   space 2 CMYK       inks 255 − word ÷ 65535 × 255 (a stored 0 is full ink), in 16.16,
//                      through the CMYK conversion
//   space 8 grayscale  w × 255 ÷ 10000 in all three channels
// Records of any other space are skipped and not counted; a short record ends the list.
// Writing keeps every entry as RGB (space 0, each byte × 65535 ÷ 255, z = 0).
#pragma once

#include "palette/palette.h"
#include "palette/palette_read.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

inline constexpr const char* kAcoVersionWarning = "Invalid ACO version!";

// A file shorter than its version and count cannot be read (−1); a version other than 1 gives
// the warning and no colours (0).
TPalRead readAcoBytes(std::span<const uint8_t> bytes);
// At most 65535 entries: the count is a u16.
std::vector<uint8_t> writeAcoBytes(const CPalette& palette);

// The conversions of the swatch records, one colour each (0x00RRGGBB).
uint32_t acoRgbColour(uint16_t w, uint16_t x, uint16_t y);
uint32_t acoHsbColour(uint16_t w, uint16_t x, uint16_t y);
uint32_t acoCmykColour(uint16_t w, uint16_t x, uint16_t y, uint16_t z);
uint32_t acoGrayColour(uint16_t w);

} // namespace qm

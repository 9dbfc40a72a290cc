// The program's own palette file (.qpl), little-endian:
//   +0 "QPAL"  +4 u32 count × 4 + 12  +8 u8 cell width  +9 u8 cell height  +10 u8 columns
//   +11 u8 rows  +12 u32 entry count  +16 u32 0  +20 the entries, 4 bytes each (B, G, R, source)
// Reading: fewer than 20 bytes or another magic cannot be read (−1); otherwise as many whole
// entries as the file holds, up to the count, are read, and the result is their number. The
// count is never trusted to allocate: a short file reserves only what it holds.
#pragma once

#include "palette/palette.h"
#include "palette/palette_read.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

TPalRead readQplBytes(std::span<const uint8_t> bytes);
// The grid's values are written as bytes (the palette keeps them within 1 … 64).
std::vector<uint8_t> writeQplBytes(const CPalette& palette);

} // namespace qm

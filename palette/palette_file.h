// Reading and saving a palette file of any of the four kinds, chosen by the name's extension.
#pragma once

#include "palette/palette.h"
#include "palette/palette_kind.h"
#include "palette/palette_read.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The reader of the kind; an Unknown kind cannot be read (−1).
TPalRead readPaletteBytes(std::span<const uint8_t> bytes, PalKind kind);
// Reads the whole file (opened read-only); a file that cannot be opened gives −1.
TPalRead readPaletteFile(const std::string& path);

// The bytes the kind's writer makes; empty for Unknown.
std::vector<uint8_t> paletteFileBytes(const CPalette& palette, PalKind kind);
// Writes through a temporary file renamed over the target, so a failed save leaves any old
// file as it was. False for an unknown extension or any failure.
bool savePaletteFile(const std::string& path, const CPalette& palette);

} // namespace qm

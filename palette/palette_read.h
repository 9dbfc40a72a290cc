// What reading a palette file gives, whatever its format.
#pragma once

#include "palette/palette.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct TPalRead {
    // The number of colours read: 0 when the data cannot be used, negative when the file
    // cannot be read at all.
    int32_t result = -1;
    // How many colours the file said it holds (the number read when it says nothing), so the
    // caller can tell the user how many are missing.
    int64_t announced = 0;
    // Colours that came from CMYK swatches (the user may want them gone: they convert poorly).
    int32_t cmykCount = 0;
    std::vector<TPalEntry> entries;
    // The grid and cell size as the file holds them (−1 for a value it lacks); the palette
    // clamps them when it takes them.
    TPalGrid grid{-1, -1, -1, -1};
    // Swatch files keep no grid: the palette keeps the one it has.
    bool hasGrid = true;
    // Warnings of the reader itself, shown before anything the load says.
    std::vector<std::string> warnings;

    int64_t missing() const { return result > 0 && announced > result ? announced - result : 0; }
};

} // namespace qm

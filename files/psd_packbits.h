// PackBits run-length coding of one row of bytes, as PSD channels use it: a header byte n
// followed by n + 1 literal bytes (0 … 127), or one byte repeated 1 − n times (−127 … −1);
// −128 is skipped.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// Appends the coded row to out. A row of w bytes never takes more than w + ⌈w / 128⌉ bytes.
void packBitsEncode(std::span<const uint8_t> row, std::vector<uint8_t>& out);
// Decodes exactly out.size() bytes from the coded row; false when the row's data runs out
// early, would overfill out, or has bytes left over.
bool packBitsDecode(std::span<const uint8_t> coded, std::span<uint8_t> out);

} // namespace qm

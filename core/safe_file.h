// Saving without ever damaging the file that is already there: the content goes to a new file
// in the target's folder, is flushed to disk and then renamed over the target. On any failure
// the temporary file is removed, the old file stays as it was, and the result is false.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// Fills `chunk` with the next piece of the file; returns false when there is nothing more.
using ChunkProducer = std::function<bool(std::vector<uint8_t>& chunk)>;

// With `keepPrevious`, the file that was there stays as "<path>~" (replacing an older one).
bool saveFileReplacing(const std::string& path, const ChunkProducer& produce,
                       bool keepPrevious = false);
bool saveFileReplacing(const std::string& path, std::span<const uint8_t> bytes,
                       bool keepPrevious = false);

} // namespace qm

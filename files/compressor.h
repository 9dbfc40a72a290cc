// The lossless compressor of events, tiles and thumbnails: one standard zstd frame per
// compressed unit, with the content size in the frame header (a reader always knows how much
// it will get and can refuse a frame that does not match) and a content checksum (a damaged
// frame is refused instead of decoding to wrong bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace qm {

// Level for paper and event files (see bench/compressor_bench.cpp for the figures behind it).
inline constexpr int kFileCompressionLevel = 3;
// Level for what is compressed while the user works (undo snapshots, live event chunks).
inline constexpr int kFastCompressionLevel = 1;

// Where compressed bytes go: appended to a growing buffer, or handed to a writer (a file) a
// work buffer at a time. A writer returning false stops the compression.
using ByteWriteFn = std::function<bool(const uint8_t* data, size_t size)>;

// Compresses the source as one frame into the writer; returns the compressed length, or 0
// when compression or a write failed.
size_t compressTo(std::span<const uint8_t> source, const ByteWriteFn& write,
                  int level = kFileCompressionLevel);
// Compresses the source as one frame appended to `out`; returns the compressed length (0 on
// failure, `out` then as it was).
size_t compressAppend(std::span<const uint8_t> source, std::vector<uint8_t>& out,
                      int level = kFileCompressionLevel);

enum class DecompressError {
    None = 0,
    NotAFrame = 1,       // not a zstd frame, or a damaged one
    SizeUnknown = 2,     // the frame does not state its content size
    SizeMismatch = 3,    // it states another size than the one expected
    Corrupt = 4,         // the content does not decode to the stated size
    TrailingBytes = 5,   // the frame ends before the input does
};

// Decompresses one frame into a destination of known length; the frame must state exactly
// that content size and fill all of it.
DecompressError decompressInto(std::span<const uint8_t> frame, std::span<uint8_t> dest);

// The content size a frame states; false when it states none or is no frame.
bool frameContentSize(std::span<const uint8_t> frame, uint64_t& size);

} // namespace qm

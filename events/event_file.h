// Event files: the framing around a recorded event stream on disk.
//
// A file is a run of blocks, each a 4-byte magic, a u32 count of the bytes after that field,
// then the content (all integers little-endian), so a reader can skip any block by its count.
//   "QTNL"  optional thumbnail of the finished picture, first in the file
//   "QEVP"  compressed event section: a 56-byte header, then one "QBEV" data block per
//           65,536-byte segment of the stream, each one zstd frame padded to a multiple of 4
//   "QEVS"  uncompressed event section (older files): a 40-byte header, then the stream
// The compressed section is also what a paper file carries when it is saved with its events.
//
// Readers take the bytes as hostile: every length and count is checked against what remains
// before anything is allocated, every frame must state exactly the size its block declares, and
// a failed read leaves the caller's data untouched.
#pragma once

#include "core/byte_io.h"
#include "core/dib_core.h"
#include "files/image_block.h" // the thumbnail's block, and blockMagic

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The error codes of event file reading and writing; the numbers are those the messages and the
// replay's result use.
enum class EventFileError : int32_t {
    None = 0,
    OutOfMemory = 1,
    Exception = 3,          // an unexpected failure while reading or writing
    FileNotFound = 4,
    OpenFailed = 6,
    WriteFailed = 8,        // also: the file could not be built (compression, bad thumbnail)
    ShortRead = 9,          // a header or block runs past the end of the data
    FormatTooNew = 12,      // format code above 17
    FlagsSet = 15,          // flags in an uncompressed section
    WrongMagic = 16,        // not an event file, or a block that is not the one expected
    BadLength = 17,         // a length or count field that disagrees with the others
    NoEventManager = 40,
    StreamCutShort = 41,    // the uncompressed stream ends early
    NothingToWrite = 42,    // an empty stream, or a section without data blocks
    SegmentShort = 43,
    SegmentSizeMismatch = 44, // the file's segment size, or a block larger than a segment
    AppendFailed = 45,      // a frame that does not decode to the bytes its block declares
    PacketWalkFailed = 47,
};

// What an event file holds, independent of the event manager that recorded it.
struct TEventFileData {
    std::vector<uint8_t> stream; // the committed stream
    uint32_t eventCount = 0;
    uint16_t formatCode = 17;
    uint16_t flags = 0;
    int32_t paperWidth = 0;
    int32_t paperHeight = 0;
};

inline constexpr int32_t kEventSegmentSize = 65536;
inline constexpr uint16_t kEventFormatCode = 17; // the newest format code we write and read
inline constexpr int32_t kThumbnailSide = 256;

// Thumbnail kinds: plain from the menu, scrambled when render mode writes a recording back.
inline constexpr int kThumbnailNone = 0;
inline constexpr int kThumbnailPlain = 1;
inline constexpr int kThumbnailScrambled = 2;

// ---- writing ----

// Appends the "QEVP" header and its data blocks. An empty stream is not written (42); a format
// code above 17 is written as 17.
EventFileError writeCompressedSection(ByteWriter& out, const TEventFileData& data,
                                      int32_t segmentSize = kEventSegmentSize);
// Appends the "QEVS" block. Flags cannot be stored in it: a stream with flags gives 15.
EventFileError writeUncompressedSection(ByteWriter& out, const TEventFileData& data);

// The size of the thumbnail of a paper: the longer side 256, the other scaled with it
// (truncated, at least 1).
void thumbnailSize(int32_t paperWidth, int32_t paperHeight, int32_t& width, int32_t& height);
// Scales the composite picture (0xAARRGGBB) to its thumbnail by area averaging, enlarging a
// small one; every alpha byte becomes 255.
bool makeThumbnail(const TMTC& composite, TMTC& thumbnail);
// Appends a "QTNL" block holding the thumbnail as it is, of kind 1 or 2.
bool writeThumbnailBlock(ByteWriter& out, const TMTC& thumbnail, int32_t paperWidth,
                         int32_t paperHeight, int kind);

// Scrambling of a kind 2 thumbnail's compressed bytes: every complete group of `groupSize`
// bytes reversed, then the bytes at offsets 0, stride + 1, 2 × (stride + 1), … XORed with the
// complement of the key. Unscrambling applies the XOR first and the reversal second. The
// image block does it; these name it for the thumbnail.
inline void scrambleThumbnail(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key,
                              uint8_t stride)
{
    scrambleImageBlock(bytes, groupSize, key, stride);
}
inline void unscrambleThumbnail(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key,
                                uint8_t stride)
{
    unscrambleImageBlock(bytes, groupSize, key, stride);
}

// Writes an event file (through a temporary file renamed over the target): a thumbnail block
// when a composite picture and a kind of 1 or 2 are given, then the compressed section, or the
// uncompressed one when `compressed` is false.
EventFileError saveEventFile(const std::string& path, const TEventFileData& data,
                             const TMTC* thumbnailSource, int thumbnailKind, bool compressed);

// ---- reading ----

// Reads an event section ("QEVP" or "QEVS") at the reader's position. On success the reader
// stands after the section; on error it stays where it was and `data` is untouched.
// `segmentSize` is the segment size the caller works with; a file of another gives 44.
EventFileError readEventSection(ByteReader& in, TEventFileData& data,
                                int32_t segmentSize = kEventSegmentSize);
// A whole event file in memory: an optional thumbnail block, then the section.
EventFileError readEventFileBytes(std::span<const uint8_t> bytes, TEventFileData& data,
                                  int32_t segmentSize = kEventSegmentSize);
EventFileError readEventFile(const std::string& path, TEventFileData& data,
                             int32_t segmentSize = kEventSegmentSize);

// The thumbnail at the start of an event file and the paper size it was made from. A file
// without one gives 16.
EventFileError readThumbnailBytes(std::span<const uint8_t> bytes, TMTC& image,
                                  int32_t& paperWidth, int32_t& paperHeight);
EventFileError readThumbnail(const std::string& path, TMTC& image, int32_t& paperWidth,
                             int32_t& paperHeight);

} // namespace qm

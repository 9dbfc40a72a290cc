// The image block "QTNL": a picture stored compressed, optionally scrambled, inside the
// program's block framing (a 4-byte magic, a u32 count of the bytes after that field, then the
// content; all integers little-endian). Event files carry their thumbnail in one, tone sets
// every pattern tile.
//
//   +0   magic "QTNL"
//   +4   u32  40 + compressed size + padding
//   +8   u8   kind: 1 plain, 2 scrambled
//   +9   u8   0
//   +10  u16  format word (0 for thumbnails; tone sets say what the pixels are)
//   +12  u8×4 kind 2: group size, key, stride, tail length 0; kind 1: zeros
//   +16  i32×2 source width, height (the paper of a thumbnail; the tile itself otherwise)
//   +24  i32×2 width, height of the pixels held
//   +32  u32  compressed size
//   +36  u32  raw pixel bytes (width × height × bytes per pixel)
//   +40  u32×2 0
//   +48  the compressed pixels (one zstd frame), then zeros to a multiple of 4
//
// Scrambling (kind 2) works on the compressed bytes: every complete group of `groupSize`
// bytes has its order reversed, then the bytes at offsets 0, stride + 1, 2 × (stride + 1), …
// are XORed with the complement of the key. Unscrambling applies the XOR first and the
// reversal second. A reader always takes the parameters from the descriptor.
#pragma once

#include "core/byte_io.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// A block's magic as the 32-bit value the file holds (its four characters in order).
constexpr uint32_t blockMagic(const char (&name)[5])
{
    return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 |
           uint32_t(uint8_t(name[2])) << 16 | uint32_t(uint8_t(name[3])) << 24;
}

inline constexpr uint32_t kImageBlockMagic = blockMagic("QTNL");
inline constexpr uint32_t kImageBlockDescriptorSize = 40;
inline constexpr size_t kImageBlockHeadSize = 8 + kImageBlockDescriptorSize;

inline constexpr uint8_t kImageBlockPlain = 1;
inline constexpr uint8_t kImageBlockScrambled = 2;

// The descriptor of an image block, apart from the sizes the pixels themselves give.
struct TImageBlockInfo {
    uint8_t kind = kImageBlockPlain;
    uint16_t format = 0;
    // Kind 2's scrambling; written as zeros for kind 1.
    uint8_t groupSize = 0;
    uint8_t key = 0;
    uint8_t stride = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t width = 0;
    int32_t height = 0;
};

void scrambleImageBlock(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key, uint8_t stride);
void unscrambleImageBlock(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key,
                          uint8_t stride);

// Appends a block holding `pixels` (the raw bytes of info.width × info.height pixels, rows top
// to bottom), compressed and, for kind 2, scrambled with the info's parameters. False, with
// nothing appended, for another kind, a size of 0 or a failed compression.
bool writeImageBlock(ByteWriter& out, const TImageBlockInfo& info, std::span<const uint8_t> pixels);

enum class ImageBlockError {
    None = 0,
    ShortRead,   // the head or the block runs past the end of the data
    WrongMagic,  // not an image block
    BadLength,   // a length field shorter than the descriptor
    UnknownKind, // neither plain nor scrambled
    BadSize,     // sides outside 1..maxSide, a raw size that disagrees with them, or a
                 // compressed size larger than the block
    Corrupt,     // the pixels do not decode to the raw size
    OutOfMemory,
};

// Reads the block at the reader's position, whose pixels are `bytesPerPixel` bytes each and
// at most `maxSide` on either side. Every field is checked before the pixels are allocated.
// On success the reader stands after the block; on failure `info` and `pixels` are untouched
// and the reader's position is unspecified.
ImageBlockError readImageBlock(ByteReader& in, int32_t bytesPerPixel, int32_t maxSide,
                               TImageBlockInfo& info, std::vector<uint8_t>& pixels);

} // namespace qm

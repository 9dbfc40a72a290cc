// Device-independent bitmaps: the 40-byte info header, packed DIBs in memory and 24-bit BMP
// files.
//
// Pixel format: images are 0xAARRGGBB (memory order B, G, R, A). 32-bit DIB rows hold the four
// bytes unchanged; 24-bit rows hold B, G, R and are padded to a multiple of 4 bytes. DIB rows
// run from the bottom row of the picture up (positive height). All integers little-endian.
#pragma once

#include "core/byte_io.h"
#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The 40-byte bitmap info header, field by field in file order.
struct TDibHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0; // positive: bottom-up rows
    uint16_t planes = 1;
    uint16_t bitCount = 32;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t coloursUsed = 0;
    uint32_t coloursImportant = 0;
};

constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kBmpFileHeaderSize = 14;

// (width × 3 + 3) with the two low bits cleared.
constexpr int64_t dibStride24(int32_t width)
{
    return (int64_t(width) * 3 + 3) & ~int64_t(3);
}

// Trunc(dpi × 100 / 2.54); 0 for dpi ≤ 0.
int32_t pixelsPerMetre(int32_t dpi);

// The headers for a width × height picture: 32-bit (image size width × 4 × height) and 24-bit
// (image size stride × height), both with the resolution from dpi.
TDibHeader dibHeader32(int32_t width, int32_t height, int32_t dpi);
TDibHeader dibHeader24(int32_t width, int32_t height, int32_t dpi);

// Writes the 40 bytes; reads them back (false, and nothing trusted, when fewer than 40 remain).
void writeDibHeader(ByteWriter& out, const TDibHeader& header);
bool readDibHeader(ByteReader& in, TDibHeader& header);

// The resolution a header states: only header sizes 40, 108 and 124 are read;
// dpi = Trunc(xPelsPerMeter × 2.54 / 100 + 0.41). Other sizes, data shorter than 40 bytes and
// negative results give 0.
int32_t resolutionFromHeader(std::span<const uint8_t> header);

// A packed DIB (header, then bottom-up rows) of the whole image at 24 bits per pixel; empty
// for an invalid image.
std::vector<uint8_t> packedDib24(const TMTC& image, int32_t dpi = 0);

// A packed 32-bit DIB of a box of the image (clipped); empty when nothing is left.
std::vector<uint8_t> packedDib32(const TMTC& image, TBox box, int32_t dpi = 0);

// Saves the image as a 24-bit BMP file: "BM", file size = height × stride + 54, data offset 54,
// the 24-bit header, then the rows from the bottom of the picture up. The file is written
// under a temporary name in the same folder, flushed to disk and renamed over `path`; on any
// failure the temporary file is removed, an existing file at `path` is left untouched, and the
// result is false.
bool saveBmp24(const TMTC& image, const std::string& path, int32_t dpi = 0);

} // namespace qm

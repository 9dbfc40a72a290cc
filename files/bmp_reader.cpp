#include "files/bmp_reader.h"

#include "core/byte_io.h"
#include "core/dib_header.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <new>

namespace qm {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

// One colour channel taken out of a pixel word by its mask and scaled to 0..255.
struct TMaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit TMaskChannel(uint32_t m) : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint32_t operator()(uint32_t word, uint32_t absent) const
    {
        if (mask == 0)
            return absent;
        const uint32_t v = (word & mask) >> shift;
        return max == 255 ? v : uint32_t((uint64_t(v) * 255 + max / 2) / max);
    }
};

} // namespace

PictureError readBmp(std::span<const uint8_t> bytes, TPicture& picture)
{
    ByteReader in(bytes);
    if (bytes.size() < 14 + 12)
        return PictureError::Truncated;
    if (in.u16() != 0x4D42) // "BM"
        return PictureError::BadSignature;
    in.u32(); // file size: not trusted
    in.u32(); // reserved
    const uint32_t dataOffset = in.u32();
    const size_t headerStart = in.position();
    const uint32_t headerSize = in.u32();
    int64_t width = 0, height = 0;
    uint32_t bitCount = 0, compression = kRgb, coloursUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    if (headerSize == 12) {
        width = in.u16();
        height = int16_t(in.u16());
        in.u16(); // planes
        bitCount = in.u16();
    } else if (headerSize == 40 || headerSize == 108 || headerSize == 124) {
        if (in.remaining() < headerSize - 4)
            return PictureError::Truncated;
        width = in.i32();
        height = in.i32();
        in.u16();
        bitCount = in.u16();
        compression = in.u32();
        in.u32();          // image size
        in.skip(8);        // resolution, read below from the whole header
        coloursUsed = in.u32();
        in.u32();          // important colours
        if (headerSize >= 108 || compression == kBitFields) {
            // The masks follow the 40-byte header (inside it for the larger headers).
            for (int i = 0; i < (headerSize >= 108 ? 4 : 3); ++i)
                masks[i] = in.u32();
        }
    } else {
        return PictureError::Unsupported;
    }
    if (in.failed())
        return PictureError::Truncated;
    if (compression == kRle8 || compression == kRle4 || compression > kBitFields)
        return PictureError::Compressed;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return PictureError::Unsupported;
    if (compression == kBitFields && bitCount != 32)
        return PictureError::Unsupported;
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        return PictureError::BadHeader;
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return PictureError::TooLarge;

    // The palette follows the header: 4-byte entries, 3-byte ones after a core header.
    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        uint32_t entries = coloursUsed != 0 ? coloursUsed : (1u << bitCount);
        if (entries > 256)
            return PictureError::BadHeader;
        const size_t entrySize = headerSize == 12 ? 3 : 4;
        // Writers of the short header often store fewer entries than the depth allows: what
        // lies between the header and the pixels is the palette.
        const size_t paletteStart = headerStart + headerSize;
        if (dataOffset >= paletteStart)
            entries = uint32_t(std::min<size_t>(entries, (dataOffset - paletteStart) / entrySize));
        ByteReader pal(bytes.subspan(std::min(bytes.size(), headerStart + headerSize)));
        if (pal.remaining() < entries * entrySize)
            return PictureError::Truncated;
        palette.resize(1u << bitCount, 0xFF000000u);
        for (uint32_t i = 0; i < entries; ++i) {
            const uint32_t b = pal.u8(), g = pal.u8(), r = pal.u8();
            if (entrySize == 4)
                pal.u8();
            if (i < palette.size())
                palette[i] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }

    const int64_t stride = ((width * bitCount + 31) / 32) * 4;
    if (dataOffset > bytes.size() || uint64_t(stride) * uint64_t(height) > bytes.size() - dataOffset)
        return PictureError::Truncated;
    try {
        if (!picture.image.Resize(int32_t(width), int32_t(height)))
            return PictureError::OutOfMemory;
    } catch (const std::bad_alloc&) {
        return PictureError::OutOfMemory;
    }
    picture.dpi = headerSize == 12 ? 0 : resolutionFromHeader(bytes.subspan(headerStart));

    const TMaskChannel red(compression == kBitFields ? masks[0] : 0x00FF0000u);
    const TMaskChannel green(compression == kBitFields ? masks[1] : 0x0000FF00u);
    const TMaskChannel blue(compression == kBitFields ? masks[2] : 0x000000FFu);
    // Uncompressed 32-bit pixels carry no alpha; only a bit-field mask says there is one.
    const TMaskChannel alpha(compression == kBitFields ? masks[3] : 0);

    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = bytes.data() + dataOffset + row * stride;
        uint32_t* dst = picture.image.row(int32_t(topDown ? row : height - 1 - row));
        for (int64_t x = 0; x < width; ++x) {
            switch (bitCount) {
            case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: dst[x] = palette[src[x]]; break;
            case 24:
                dst[x] = 0xFF000000u | uint32_t(src[3 * x + 2]) << 16 | uint32_t(src[3 * x + 1]) << 8 |
                         src[3 * x];
                break;
            default: {
                const uint32_t word = uint32_t(src[4 * x]) | uint32_t(src[4 * x + 1]) << 8 |
                                      uint32_t(src[4 * x + 2]) << 16 | uint32_t(src[4 * x + 3]) << 24;
                dst[x] = alpha(word, 255) << 24 | red(word, 0) << 16 | green(word, 0) << 8 |
                         blue(word, 0);
            }
            }
        }
    }
    return PictureError::None;
}

} // namespace qm

#include "paperfile/clipboard_formats.h"

#include "core/byte_io.h"
#include "core/dib_header.h"
#include "files/bmp_reader.h"
#include "files/image_block.h"
#include "files/picture.h"
#include "paperfile/layer_block.h"

#include <algorithm>

namespace qm {

namespace {

constexpr uint32_t kLayerMagic = blockMagic("QLYR");
constexpr uint32_t kBitFields = 3;

bool allOpaque(const TMTC& image)
{
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint32_t* row = image.row(y);
        for (int32_t x = 0; x < image.width(); ++x)
            if ((row[x] >> 24) != 255) return false;
    }
    return true;
}

// Where the pixels start in a DIB: after the header, the colour masks of a 40-byte header
// with bit fields, and the colour table (its count, or the depth's full table when 0).
size_t pixelOffset(std::span<const uint8_t> dib)
{
    ByteReader in(dib);
    TDibHeader h;
    if (dib.size() < kDibHeaderSize || !readDibHeader(in, h)) return 0;
    size_t offset = h.size;
    if (h.size == kDibHeaderSize && h.compression == kBitFields) offset += 12;
    uint64_t colours = h.coloursUsed;
    if (colours == 0 && h.bitCount <= 8) colours = uint64_t(1) << h.bitCount;
    offset += size_t(std::min<uint64_t>(colours, 256) * 4);
    return offset;
}

} // namespace

std::vector<uint8_t> clipboardDib(const TMTC& image)
{
    if (!image.IsValid()) return {};
    return allOpaque(image) ? packedDib24(image) : packedDib32(image, image.bounds());
}

std::vector<uint8_t> bmpFileOfDib(std::span<const uint8_t> dib)
{
    ByteWriter out;
    out.data().reserve(kBmpFileHeaderSize + dib.size());
    out.u8('B'), out.u8('M');
    out.u32(uint32_t(kBmpFileHeaderSize + dib.size()));
    out.u16(0), out.u16(0);
    out.u32(uint32_t(kBmpFileHeaderSize + pixelOffset(dib)));
    out.bytes(dib.data(), dib.size());
    return out.data();
}

bool pictureFromBmpFile(std::span<const uint8_t> file, TMTC& picture)
{
    TPicture read;
    if (readBmp(file, read) != PictureError::None || !read.image.IsValid()) return false;
    picture = std::move(read.image);
    return true;
}

bool pictureFromDib(std::span<const uint8_t> dib, TMTC& picture)
{
    const size_t offset = pixelOffset(dib);
    if (offset == 0) return false;
    ByteReader in(dib);
    TDibHeader h;
    readDibHeader(in, h);
    // Deep pictures are read here, so that a 32-bit picture keeps its alpha (a BMP file's
    // 32-bit pixels carry none); the others through the BMP reader.
    if (h.bitCount < 24 || h.compression != 0)
        return pictureFromBmpFile(bmpFileOfDib(dib), picture);
    if (h.bitCount != 24 && h.bitCount != 32) return false;
    const int64_t w = h.width, rows = h.height < 0 ? -int64_t(h.height) : int64_t(h.height);
    if (w <= 0 || rows <= 0 || w > kMaxPictureSide || rows > kMaxPictureSide) return false;
    const int64_t stride = h.bitCount == 24 ? dibStride24(int32_t(w)) : w * 4;
    if (offset > dib.size() || uint64_t(stride) * uint64_t(rows) > dib.size() - offset)
        return false;
    TMTC out;
    if (!out.Resize(int32_t(w), int32_t(rows))) return false;
    for (int64_t r = 0; r < rows; ++r) {
        const uint8_t* src = dib.data() + offset + size_t(r * stride);
        uint32_t* dest = out.row(int32_t(h.height > 0 ? rows - 1 - r : r));
        for (int64_t x = 0; x < w; ++x) {
            const uint8_t* p = src + x * (h.bitCount / 8);
            const uint32_t alpha = h.bitCount == 32 ? p[3] : 255u;
            dest[x] = alpha << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    picture = std::move(out);
    return true;
}

std::vector<uint8_t> encodeLayerAttributes(const CLayerData& layer, int32_t index)
{
    ByteWriter out;
    writeLayerRecord(out, layerRecordOf(layer, index));
    return out.data();
}

bool decodeLayerAttributes(std::span<const uint8_t> bytes, TPlacedAttributes& attributes,
                           std::string& name)
{
    ByteReader in(bytes);
    const uint32_t magic = in.u32(), length = in.u32();
    TLayerRecord r;
    if (in.failed() || magic != kLayerMagic || !readLayerRecord(in, length, r)) return false;
    attributes.mode = std::min(r.mode, kLastPlacedMode);
    attributes.opacity = r.opacity;
    attributes.visible = (r.flags & 1) != 0;
    attributes.protectAlpha = (r.flags & 2) != 0;
    name = r.name;
    return true;
}

std::vector<uint8_t> encodeClipBox(const TRect& rect)
{
    ByteWriter out;
    out.i32(rect.left), out.i32(rect.top), out.i32(rect.right), out.i32(rect.bottom);
    return out.data();
}

bool decodeClipBox(std::span<const uint8_t> bytes, TRect& rect)
{
    if (bytes.size() != kClipBoxBytes) return false;
    ByteReader in(bytes);
    rect = {in.i32(), in.i32(), in.i32(), in.i32()};
    return rect.right >= rect.left && rect.bottom >= rect.top;
}

} // namespace qm

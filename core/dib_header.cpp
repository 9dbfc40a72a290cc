// DIB headers, packed DIBs and 24-bit BMP files; see dib_header.h.
#include "core/dib_header.h"

#include "core/safe_file.h"

#include <algorithm>
#include <limits>

namespace qm {

namespace {

// Appends `count` rows of a box, bottom row first, each padded to `stride` bytes.
void appendRows(std::vector<uint8_t>& out, const TMTC& image, TBox box, int32_t bytesPerPixel,
                int64_t stride)
{
    const size_t start = out.size();
    out.resize(start + size_t(stride) * size_t(box.height), 0);
    uint8_t* dst = out.data() + start;
    for (int32_t y = box.y + box.height - 1; y >= box.y; --y, dst += stride) {
        const uint32_t* src = image.row(y) + box.x;
        if (bytesPerPixel == 4) {
            for (int32_t x = 0; x < box.width; ++x) {
                const uint32_t p = src[x];
                dst[4 * x] = uint8_t(p);
                dst[4 * x + 1] = uint8_t(p >> 8);
                dst[4 * x + 2] = uint8_t(p >> 16);
                dst[4 * x + 3] = uint8_t(p >> 24);
            }
        } else {
            for (int32_t x = 0; x < box.width; ++x) {
                const uint32_t p = src[x];
                dst[3 * x] = uint8_t(p);
                dst[3 * x + 1] = uint8_t(p >> 8);
                dst[3 * x + 2] = uint8_t(p >> 16);
            }
        }
    }
}

} // namespace

int32_t pixelsPerMetre(int32_t dpi)
{
    if (dpi <= 0) return 0;
    const double ppm = double(dpi) * 100.0 / 2.54;
    return ppm >= double(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                              : int32_t(ppm);
}

TDibHeader dibHeader32(int32_t width, int32_t height, int32_t dpi)
{
    TDibHeader h;
    h.width = width;
    h.height = height;
    h.bitCount = 32;
    h.imageSize = uint32_t(int64_t(width) * 4 * height);
    h.xPelsPerMeter = h.yPelsPerMeter = pixelsPerMetre(dpi);
    return h;
}

TDibHeader dibHeader24(int32_t width, int32_t height, int32_t dpi)
{
    TDibHeader h = dibHeader32(width, height, dpi);
    h.bitCount = 24;
    h.imageSize = uint32_t(dibStride24(width) * height);
    return h;
}

void writeDibHeader(ByteWriter& out, const TDibHeader& h)
{
    out.u32(h.size);
    out.i32(h.width);
    out.i32(h.height);
    out.u16(h.planes);
    out.u16(h.bitCount);
    out.u32(h.compression);
    out.u32(h.imageSize);
    out.i32(h.xPelsPerMeter);
    out.i32(h.yPelsPerMeter);
    out.u32(h.coloursUsed);
    out.u32(h.coloursImportant);
}

bool readDibHeader(ByteReader& in, TDibHeader& h)
{
    if (in.remaining() < kDibHeaderSize) return false;
    h.size = in.u32();
    h.width = in.i32();
    h.height = in.i32();
    h.planes = in.u16();
    h.bitCount = in.u16();
    h.compression = in.u32();
    h.imageSize = in.u32();
    h.xPelsPerMeter = in.i32();
    h.yPelsPerMeter = in.i32();
    h.coloursUsed = in.u32();
    h.coloursImportant = in.u32();
    return !in.failed();
}

int32_t resolutionFromHeader(std::span<const uint8_t> data)
{
    ByteReader in(data);
    TDibHeader h;
    if (!readDibHeader(in, h) || (h.size != 40 && h.size != 108 && h.size != 124)) return 0;
    const double dpi = double(h.xPelsPerMeter) * 2.54 / 100.0 + 0.41;
    return dpi > 0.0 ? int32_t(dpi) : 0;
}

std::vector<uint8_t> packedDib24(const TMTC& image, int32_t dpi)
{
    if (!image.IsValid() || image.width() <= 0 || image.height() <= 0) return {};
    ByteWriter out;
    writeDibHeader(out, dibHeader24(image.width(), image.height(), dpi));
    appendRows(out.data(), image, image.bounds(), 3, dibStride24(image.width()));
    return std::move(out.data());
}

std::vector<uint8_t> packedDib32(const TMTC& image, TBox box, int32_t dpi)
{
    if (!image.IsValid() || !clipBoxToSize(box, image.width(), image.height())) return {};
    ByteWriter out;
    writeDibHeader(out, dibHeader32(box.width, box.height, dpi));
    appendRows(out.data(), image, box, 4, int64_t(box.width) * 4);
    return std::move(out.data());
}

bool saveBmp24(const TMTC& image, const std::string& path, int32_t dpi)
{
    if (!image.IsValid() || image.width() <= 0 || image.height() <= 0 || path.empty()) return false;
    const int64_t stride = dibStride24(image.width());
    const int64_t fileSize = int64_t(image.height()) * stride + 54;
    if (fileSize > int64_t(std::numeric_limits<uint32_t>::max()))
        return false; // not representable in the file header

    // Rows go out in chunks of about 1 MiB, bottom row of the picture first.
    const int32_t rowsPerChunk = int32_t(std::max<int64_t>(1, (int64_t(1) << 20) / stride));
    int32_t nextRow = image.height(); // one past the next row to write, counting down
    bool headerDone = false;
    return saveFileReplacing(path, [&](std::vector<uint8_t>& chunk) {
        chunk.clear();
        if (!headerDone) {
            ByteWriter out;
            out.u16(0x4D42); // "BM"
            out.u32(uint32_t(fileSize));
            out.u16(0);
            out.u16(0);
            out.u32(kBmpFileHeaderSize + kDibHeaderSize);
            writeDibHeader(out, dibHeader24(image.width(), image.height(), dpi));
            chunk = std::move(out.data());
            headerDone = true;
            return true;
        }
        if (nextRow <= 0) return false;
        const int32_t count = std::min(rowsPerChunk, nextRow);
        nextRow -= count;
        appendRows(chunk, image, {0, nextRow, image.width(), count}, 3, stride);
        return true;
    });
}

} // namespace qm

#include "files/png_codec.h"

#include "core/byte_io.h"
#include "core/safe_file.h"

#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <new>

namespace qm {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void putBigEndian32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

// The dpi a pHYs chunk states in pixels per metre; 0 when there is none.
int32_t pngResolution(std::span<const uint8_t> bytes)
{
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = bigEndian32(bytes.data() + at);
        if (length > bytes.size() - at - 12)
            return 0;
        const uint8_t* type = bytes.data() + at + 4;
        if (std::memcmp(type, "pHYs", 4) == 0 && length == 9) {
            const uint8_t* data = type + 4;
            if (data[8] != 1) // the unit is not the metre
                return 0;
            return int32_t(std::lround(double(bigEndian32(data)) * 0.0254));
        }
        if (std::memcmp(type, "IDAT", 4) == 0)
            return 0; // pHYs comes before the image data
        at += 12 + length;
    }
    return 0;
}

} // namespace

PictureError readPng(std::span<const uint8_t> bytes, TPicture& picture)
{
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0)
        return PictureError::BadSignature;
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return PictureError::DecodeFailed;
    if (png.width == 0 || png.height == 0 || png.width > uint32_t(kMaxPictureSide) ||
        png.height > uint32_t(kMaxPictureSide)) {
        png_image_free(&png);
        return PictureError::TooLarge;
    }
    png.format = PNG_FORMAT_BGRA; // our pixel layout: B, G, R, A with straight alpha
    try {
        if (!picture.image.Resize(int32_t(png.width), int32_t(png.height))) {
            png_image_free(&png);
            return PictureError::OutOfMemory;
        }
    } catch (const std::bad_alloc&) {
        png_image_free(&png);
        return PictureError::OutOfMemory;
    }
    if (!png_image_finish_read(&png, nullptr, picture.image.bits(), int32_t(png.width) * 4,
                               nullptr)) {
        png_image_free(&png);
        return PictureError::DecodeFailed;
    }
    picture.dpi = pngResolution(bytes);
    return PictureError::None;
}

std::vector<uint8_t> encodePng(const TMTC& image, int32_t dpi)
{
    if (!image.IsValid() || image.width() <= 0 || image.height() <= 0)
        return {};
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = uint32_t(image.width());
    png.height = uint32_t(image.height());
    png.format = PNG_FORMAT_BGRA;
    // Rows in picture order whatever the image's storage order.
    std::vector<uint8_t> rows(size_t(image.width()) * 4 * size_t(image.height()));
    for (int32_t y = 0; y < image.height(); ++y)
        std::memcpy(rows.data() + size_t(y) * size_t(image.width()) * 4, image.row(y),
                    size_t(image.width()) * 4);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, rows.data(), 0, nullptr))
        return {};
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rows.data(), 0, nullptr))
        return {};
    out.resize(size);
    if (dpi > 0) {
        // A pHYs chunk right after IHDR (8-byte signature + 25-byte IHDR chunk).
        std::vector<uint8_t> chunk;
        putBigEndian32(chunk, 9);
        for (char c : {'p', 'H', 'Y', 's'})
            chunk.push_back(uint8_t(c));
        const uint32_t ppm = uint32_t(std::lround(dpi / 0.0254));
        putBigEndian32(chunk, ppm);
        putBigEndian32(chunk, ppm);
        chunk.push_back(1);
        putBigEndian32(chunk, uint32_t(crc32(0, chunk.data() + 4, 13)));
        out.insert(out.begin() + 33, chunk.begin(), chunk.end());
    }
    return out;
}

bool savePng(const TMTC& image, const std::string& path, int32_t dpi)
{
    const std::vector<uint8_t> bytes = encodePng(image, dpi);
    return !bytes.empty() && saveFileReplacing(path, bytes);
}

} // namespace qm

// The thumbnail block at the start of an event file; see event_file.h.
//
// Pixels are 0xAARRGGBB, stored as little-endian u32s (bytes B, G, R, A), rows top to bottom,
// compressed as one zstd frame.
#include "events/event_file.h"

#include "core/scale_image.h"
#include "files/compressor.h"

#include <algorithm>
#include <new>

namespace qm {

namespace {

constexpr uint32_t kDescriptorSize = 40;
// Kind 2 parameters. The key is ours to choose; readers take it from the descriptor.
constexpr uint8_t kGroupSize = 4;
constexpr uint8_t kScrambleKey = 0xA7;
constexpr uint8_t kStride = 3;

} // namespace

void thumbnailSize(int32_t paperWidth, int32_t paperHeight, int32_t& width, int32_t& height)
{
    const int64_t w = std::max(paperWidth, 1);
    const int64_t h = std::max(paperHeight, 1);
    // A paper hundreds of times longer than wide would truncate to 0; one pixel is the least.
    if (w >= h) {
        width = kThumbnailSide;
        height = int32_t(std::max<int64_t>(h * kThumbnailSide / w, 1));
    } else {
        height = kThumbnailSide;
        width = int32_t(std::max<int64_t>(w * kThumbnailSide / h, 1));
    }
}

bool makeThumbnail(const TMTC& composite, TMTC& thumbnail)
{
    if (!composite.IsValid() || composite.width() <= 0 || composite.height() <= 0 ||
        &composite == &thumbnail)
        return false;
    int32_t width = 0, height = 0;
    thumbnailSize(composite.width(), composite.height(), width, height);
    if (!thumbnail.Resize(width, height))
        return false;
    // The area-average scaler enlarges as well as it shrinks (each thumbnail pixel averages the
    // part of the paper it covers), so small and large papers get the same treatment.
    if (!CScaleImageTMTC(composite, thumbnail).Scale(composite.bounds(), thumbnail.bounds()))
        return false;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* row = thumbnail.row(y);
        for (int32_t x = 0; x < width; ++x)
            row[x] |= 0xFF000000u;
    }
    return true;
}

void scrambleThumbnail(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key, uint8_t stride)
{
    if (groupSize > 1)
        for (size_t i = 0; bytes.size() - i >= groupSize; i += groupSize)
            std::reverse(bytes.begin() + std::ptrdiff_t(i),
                         bytes.begin() + std::ptrdiff_t(i + groupSize));
    for (size_t i = 0; i < bytes.size(); i += size_t(stride) + 1)
        bytes[i] ^= uint8_t(~key);
}

void unscrambleThumbnail(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key,
                         uint8_t stride)
{
    for (size_t i = 0; i < bytes.size(); i += size_t(stride) + 1)
        bytes[i] ^= uint8_t(~key);
    if (groupSize > 1)
        for (size_t i = 0; bytes.size() - i >= groupSize; i += groupSize)
            std::reverse(bytes.begin() + std::ptrdiff_t(i),
                         bytes.begin() + std::ptrdiff_t(i + groupSize));
}

bool writeThumbnailBlock(ByteWriter& out, const TMTC& thumbnail, int32_t paperWidth,
                         int32_t paperHeight, int kind)
{
    const int32_t width = thumbnail.width();
    const int32_t height = thumbnail.height();
    if ((kind != kThumbnailPlain && kind != kThumbnailScrambled) || !thumbnail.IsValid() ||
        width < 1 || height < 1 || width > kThumbnailSide || height > kThumbnailSide)
        return false;
    ByteWriter pixels;
    pixels.data().reserve(size_t(width) * size_t(height) * 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels.u32(thumbnail.pixel(x, y));
    std::vector<uint8_t> compressed;
    if (compressAppend(pixels.data(), compressed) == 0)
        return false;
    const bool scrambled = kind == kThumbnailScrambled;
    if (scrambled)
        scrambleThumbnail(compressed, kGroupSize, kScrambleKey, kStride);
    const size_t padding = paddingTo4(compressed.size());

    out.u32(blockMagic("QTNL"));
    out.u32(uint32_t(kDescriptorSize + compressed.size() + padding));
    out.u8(uint8_t(kind));
    out.u8(0);
    out.u16(0);
    out.u8(scrambled ? kGroupSize : 0);
    out.u8(scrambled ? kScrambleKey : 0);
    out.u8(scrambled ? kStride : 0);
    out.u8(0); // tail length
    out.i32(paperWidth);
    out.i32(paperHeight);
    out.i32(width);
    out.i32(height);
    out.u32(uint32_t(compressed.size()));
    out.u32(uint32_t(pixels.size()));
    out.u32(0);
    out.u32(0);
    out.bytes(compressed.data(), compressed.size());
    out.zeros(padding);
    return true;
}

EventFileError readThumbnailBytes(std::span<const uint8_t> bytes, TMTC& image,
                                  int32_t& paperWidth, int32_t& paperHeight)
{
    try {
        ByteReader in(bytes);
        if (in.remaining() < 8 + kDescriptorSize)
            return EventFileError::ShortRead;
        if (in.u32() != blockMagic("QTNL"))
            return EventFileError::WrongMagic;
        const uint32_t length = in.u32();
        if (length < kDescriptorSize)
            return EventFileError::BadLength;
        if (in.remaining() < length)
            return EventFileError::ShortRead;
        const uint8_t kind = in.u8();
        in.skip(3);
        const uint8_t groupSize = in.u8();
        const uint8_t key = in.u8();
        const uint8_t stride = in.u8();
        in.skip(1);
        const int32_t paperW = in.i32();
        const int32_t paperH = in.i32();
        const int32_t width = in.i32();
        const int32_t height = in.i32();
        const uint32_t compressedSize = in.u32();
        const uint32_t rawSize = in.u32();
        in.skip(8);
        if (kind != kThumbnailPlain && kind != kThumbnailScrambled)
            return EventFileError::WrongMagic;
        if (width < 1 || height < 1 || width > kThumbnailSide || height > kThumbnailSide ||
            rawSize != uint32_t(width) * uint32_t(height) * 4 ||
            compressedSize > length - kDescriptorSize)
            return EventFileError::BadLength;
        const auto stored = in.take(compressedSize);
        std::vector<uint8_t> compressed(stored.begin(), stored.end());
        if (kind == kThumbnailScrambled)
            unscrambleThumbnail(compressed, groupSize, key, stride);
        std::vector<uint8_t> pixels(rawSize);
        if (decompressInto(compressed, pixels) != DecompressError::None)
            return EventFileError::AppendFailed;
        TMTC result;
        if (!result.Resize(width, height))
            return EventFileError::OutOfMemory;
        ByteReader pixelReader(pixels);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                result.row(y)[x] = pixelReader.u32();
        image = std::move(result);
        paperWidth = paperW;
        paperHeight = paperH;
        return EventFileError::None;
    } catch (const std::bad_alloc&) {
        return EventFileError::OutOfMemory;
    }
}

} // namespace qm

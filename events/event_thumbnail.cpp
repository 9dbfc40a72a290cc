// The thumbnail block at the start of an event file; see event_file.h.
//
// Pixels are 0xAARRGGBB, stored as little-endian u32s (bytes B, G, R, A), rows top to bottom,
// in an image block (files/image_block.h).
#include "events/event_file.h"

#include "core/scale_image.h"
#include "files/image_block.h"

#include <algorithm>
#include <new>

namespace qm {

namespace {

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
    TImageBlockInfo info;
    info.kind = uint8_t(kind);
    info.groupSize = kGroupSize;
    info.key = kScrambleKey;
    info.stride = kStride;
    info.sourceWidth = paperWidth;
    info.sourceHeight = paperHeight;
    info.width = width;
    info.height = height;
    return writeImageBlock(out, info, pixels.data());
}

EventFileError readThumbnailBytes(std::span<const uint8_t> bytes, TMTC& image,
                                  int32_t& paperWidth, int32_t& paperHeight)
{
    try {
        ByteReader in(bytes);
        TImageBlockInfo info;
        std::vector<uint8_t> pixels;
        switch (readImageBlock(in, 4, kThumbnailSide, info, pixels)) {
        case ImageBlockError::None:
            break;
        case ImageBlockError::ShortRead:
            return EventFileError::ShortRead;
        case ImageBlockError::WrongMagic:
        case ImageBlockError::UnknownKind:
            return EventFileError::WrongMagic;
        case ImageBlockError::BadLength:
        case ImageBlockError::BadSize:
            return EventFileError::BadLength;
        case ImageBlockError::Corrupt:
            return EventFileError::AppendFailed;
        case ImageBlockError::OutOfMemory:
            return EventFileError::OutOfMemory;
        }
        TMTC result;
        if (!result.Resize(info.width, info.height))
            return EventFileError::OutOfMemory;
        ByteReader pixelReader(pixels);
        for (int32_t y = 0; y < info.height; ++y)
            for (int32_t x = 0; x < info.width; ++x)
                result.row(y)[x] = pixelReader.u32();
        image = std::move(result);
        paperWidth = info.sourceWidth;
        paperHeight = info.sourceHeight;
        return EventFileError::None;
    } catch (const std::bad_alloc&) {
        return EventFileError::OutOfMemory;
    }
}

} // namespace qm

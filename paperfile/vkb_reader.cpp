// The old ".vkb" paper file; see vkb_reader.h.
#include "paperfile/vkb_reader.h"

#include "core/byte_io.h"
#include "events/event_packet.h"
#include "files/picture.h"

#include <algorithm>
#include <new>
#include <utility>

namespace qm {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kLayerRecordSize = 8;
constexpr uint8_t kLongestRepeat = 124; // control bytes up to this repeat one pixel

// Writes pixels row by row into an image, stopping when it is full.
class TPixelSink {
public:
    explicit TPixelSink(TMTC& image)
        : image_(image), left_(int64_t(image.width()) * image.height())
    {
    }
    bool full() const { return left_ == 0; }
    // Up to count copies of the pixel; a run longer than the image holds is clipped.
    void put(uint32_t pixel, int64_t count)
    {
        count = std::min(count, left_);
        left_ -= count;
        while (count > 0) {
            const int32_t n = int32_t(std::min<int64_t>(count, image_.width() - x_));
            std::fill_n(image_.row(y_) + x_, n, pixel);
            count -= n;
            x_ += n;
            if (x_ == image_.width()) {
                x_ = 0;
                ++y_;
            }
        }
    }

private:
    TMTC& image_;
    int64_t left_;
    int32_t x_ = 0, y_ = 0;
};

uint32_t readPixel(ByteReader& in)
{
    const uint32_t high = in.u8(), middle = in.u8(), low = in.u8();
    return high << 16 | middle << 8 | low;
}

// Decodes run data until the image is full; false when the data ends first.
bool decodeRuns(std::span<const uint8_t> data, TMTC& image)
{
    ByteReader in(data);
    TPixelSink sink(image);
    while (!sink.full()) {
        if (in.remaining() == 0)
            return false;
        const uint8_t control = in.u8();
        if (control > kLongestRepeat) {
            for (int32_t i = 255 - control; i > 0 && !sink.full(); --i) {
                const uint32_t pixel = readPixel(in);
                if (in.failed())
                    return false;
                sink.put(pixel, 1);
            }
        } else {
            const uint32_t pixel = readPixel(in);
            if (in.failed())
                return false;
            sink.put(pixel, control);
        }
    }
    return true;
}

// The fewest bytes that can fill a layer of this many pixels: record, byte count, and runs of
// the longest repeat (4 bytes each).
uint64_t smallestLayerSize(bool pixelsFollow, uint64_t pixels)
{
    if (!pixelsFollow)
        return kLayerRecordSize;
    return kLayerRecordSize + 4 + 4 * ((pixels + kLongestRepeat - 1) / kLongestRepeat);
}

bool allocateLayer(TMTC& image, int32_t width, int32_t height)
{
    try {
        return image.Resize(width, height);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

VkbError readLayers(ByteReader& in, bool pixelsFollow, int32_t count, TVkbFile& file)
{
    for (int32_t i = 0; i < count; ++i) {
        if (in.remaining() < kLayerRecordSize + (pixelsFollow ? 4 : 0))
            return VkbError::ShortRead;
        TVkbLayer layer;
        layer.mode = in.u8();
        layer.level = in.u8();
        layer.flag = in.u8();
        in.skip(kLayerRecordSize - 3);
        std::span<const uint8_t> runs;
        if (pixelsFollow) {
            const uint32_t byteCount = in.u32();
            if (byteCount > in.remaining())
                return VkbError::ShortRead; // checked before the image is allocated
            runs = in.take(byteCount);
        }
        if (!allocateLayer(layer.image, file.width, file.height))
            return VkbError::OutOfMemory;
        if (pixelsFollow) {
            if (!decodeRuns(runs, layer.image))
                return VkbError::ShortRead;
        } else {
            for (int32_t y = 0; y < file.height; ++y)
                std::fill_n(layer.image.row(y), file.width, kVkbEmptyPixel);
        }
        // The first three modes had no per-pixel transparency.
        if (layer.mode < 3)
            for (int32_t y = 0; y < file.height; ++y) {
                uint32_t* row = layer.image.row(y);
                for (int32_t x = 0; x < file.width; ++x)
                    row[x] |= 0xFF000000u;
            }
        file.layers.push_back(std::move(layer));
    }
    return VkbError::None;
}

// A stream that is cut short or fails the scan loses the events, never the picture.
void readEvents(std::span<const uint8_t> rest, uint32_t length, TVkbFile& file)
{
    if (length > rest.size())
        return;
    const TLegacyScan scan = scanLegacyStream(rest.first(length));
    if (!scan.valid)
        return;
    file.events.assign(rest.begin(), rest.begin() + std::ptrdiff_t(scan.length));
    file.eventsValid = true;
    file.eventsProtected = scan.protectedStream;
}

} // namespace

VkbError readVkb(std::span<const uint8_t> bytes, TVkbFile& out)
{
    ByteReader in(bytes);
    if (bytes.size() < 4 || bytes[0] != 'V' || bytes[1] != 'K' || bytes[2] != 'B' ||
        bytes[3] != '2')
        return VkbError::WrongMagic;
    if (bytes.size() < kHeaderSize)
        return VkbError::ShortRead;
    in.skip(4);
    const bool pixelsFollow = in.u32() == 0;
    const uint32_t width = in.u32();
    const uint32_t height = in.u32();
    TVkbFile file;
    file.paperColour = in.u32();
    const int32_t layerCount = int32_t(in.u8()) + 1;
    const int32_t current = in.u8();
    file.eventsNotWritable = in.u8() != 0;
    in.u8();
    const uint32_t eventLength = in.u32();
    in.u32();
    if (width == 0 || height == 0 || width > uint32_t(kVkbMaxSide) || height > uint32_t(kVkbMaxSide))
        return VkbError::TooLarge;
    file.width = int32_t(width);
    file.height = int32_t(height);
    file.currentLayer = std::min(current, layerCount - 1);

    // Cheap checks on the whole file before the first image is allocated: a huge layer count
    // over little data is a short read, and one that fits the data may still ask too much.
    const uint64_t pixels = uint64_t(width) * height;
    if (smallestLayerSize(pixelsFollow, pixels) * uint64_t(layerCount) > in.remaining())
        return VkbError::ShortRead;
    if (pixels * 4 * uint64_t(layerCount) > uint64_t(kVkbMaxPixelBytes))
        return VkbError::OutOfMemory;
    try {
        file.layers.reserve(size_t(layerCount));
    } catch (const std::bad_alloc&) {
        return VkbError::OutOfMemory;
    }
    if (const VkbError error = readLayers(in, pixelsFollow, layerCount, file);
        error != VkbError::None)
        return error;
    try {
        readEvents(bytes.subspan(in.position()), eventLength, file);
    } catch (const std::bad_alloc&) {
        // The picture is worth more than its recording.
        file.events.clear();
        file.eventsValid = file.eventsProtected = false;
    }
    out = std::move(file);
    return VkbError::None;
}

VkbError readVkbFile(const std::string& path, TVkbFile& out)
{
    std::vector<uint8_t> bytes;
    try {
        if (!readWholeFile(path, bytes))
            return VkbError::ReadFailed;
    } catch (const std::bad_alloc&) {
        return VkbError::OutOfMemory;
    }
    return readVkb(bytes, out);
}

} // namespace qm

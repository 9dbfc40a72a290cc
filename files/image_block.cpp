// The image block's codec; see image_block.h.
#include "files/image_block.h"

#include "files/compressor.h"

#include <algorithm>
#include <new>

namespace qm {

namespace {

void reverseGroups(std::span<uint8_t> bytes, uint8_t groupSize)
{
    if (groupSize <= 1)
        return;
    for (size_t i = 0; bytes.size() - i >= groupSize; i += groupSize)
        std::reverse(bytes.begin() + std::ptrdiff_t(i),
                     bytes.begin() + std::ptrdiff_t(i + groupSize));
}

void xorEveryStride(std::span<uint8_t> bytes, uint8_t key, uint8_t stride)
{
    for (size_t i = 0; i < bytes.size(); i += size_t(stride) + 1)
        bytes[i] ^= uint8_t(~key);
}

} // namespace

void scrambleImageBlock(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key, uint8_t stride)
{
    reverseGroups(bytes, groupSize);
    xorEveryStride(bytes, key, stride);
}

void unscrambleImageBlock(std::span<uint8_t> bytes, uint8_t groupSize, uint8_t key,
                          uint8_t stride)
{
    xorEveryStride(bytes, key, stride);
    reverseGroups(bytes, groupSize);
}

bool writeImageBlock(ByteWriter& out, const TImageBlockInfo& info, std::span<const uint8_t> pixels)
{
    if ((info.kind != kImageBlockPlain && info.kind != kImageBlockScrambled) || pixels.empty() ||
        pixels.size() > UINT32_MAX)
        return false;
    std::vector<uint8_t> compressed;
    if (compressAppend(pixels, compressed) == 0)
        return false;
    const bool scrambled = info.kind == kImageBlockScrambled;
    if (scrambled)
        scrambleImageBlock(compressed, info.groupSize, info.key, info.stride);
    const size_t padding = paddingTo4(compressed.size());
    if (compressed.size() + padding > UINT32_MAX - kImageBlockDescriptorSize)
        return false;

    out.u32(kImageBlockMagic);
    out.u32(uint32_t(kImageBlockDescriptorSize + compressed.size() + padding));
    out.u8(info.kind);
    out.u8(0);
    out.u16(info.format);
    out.u8(scrambled ? info.groupSize : 0);
    out.u8(scrambled ? info.key : 0);
    out.u8(scrambled ? info.stride : 0);
    out.u8(0); // tail length
    out.i32(info.sourceWidth);
    out.i32(info.sourceHeight);
    out.i32(info.width);
    out.i32(info.height);
    out.u32(uint32_t(compressed.size()));
    out.u32(uint32_t(pixels.size()));
    out.u32(0);
    out.u32(0);
    out.bytes(compressed.data(), compressed.size());
    out.zeros(padding);
    return true;
}

ImageBlockError readImageBlock(ByteReader& in, int32_t bytesPerPixel, int32_t maxSide,
                               TImageBlockInfo& info, std::vector<uint8_t>& pixels)
{
    try {
        if (in.remaining() < kImageBlockHeadSize)
            return ImageBlockError::ShortRead;
        if (in.u32() != kImageBlockMagic)
            return ImageBlockError::WrongMagic;
        const uint32_t length = in.u32();
        if (length < kImageBlockDescriptorSize)
            return ImageBlockError::BadLength;
        if (in.remaining() < length)
            return ImageBlockError::ShortRead;
        ByteReader block(in.take(length));
        TImageBlockInfo read;
        read.kind = block.u8();
        block.skip(1);
        read.format = block.u16();
        read.groupSize = block.u8();
        read.key = block.u8();
        read.stride = block.u8();
        block.skip(1); // tail length
        read.sourceWidth = block.i32();
        read.sourceHeight = block.i32();
        read.width = block.i32();
        read.height = block.i32();
        const uint32_t compressedSize = block.u32();
        const uint32_t rawSize = block.u32();
        block.skip(8);
        if (read.kind != kImageBlockPlain && read.kind != kImageBlockScrambled)
            return ImageBlockError::UnknownKind;
        if (bytesPerPixel < 1 || read.width < 1 || read.height < 1 || read.width > maxSide ||
            read.height > maxSide ||
            uint64_t(rawSize) != uint64_t(read.width) * uint64_t(read.height) * uint64_t(bytesPerPixel) ||
            compressedSize > block.remaining())
            return ImageBlockError::BadSize;

        const auto stored = block.take(compressedSize);
        std::vector<uint8_t> compressed(stored.begin(), stored.end());
        if (read.kind == kImageBlockScrambled)
            unscrambleImageBlock(compressed, read.groupSize, read.key, read.stride);
        // A frame claiming another size is refused before its pixels are allocated.
        uint64_t stated = 0;
        if (!frameContentSize(compressed, stated) || stated != rawSize)
            return ImageBlockError::Corrupt;
        std::vector<uint8_t> result(rawSize);
        if (decompressInto(compressed, result) != DecompressError::None)
            return ImageBlockError::Corrupt;
        info = read;
        pixels = std::move(result);
        return ImageBlockError::None;
    } catch (const std::bad_alloc&) {
        return ImageBlockError::OutOfMemory;
    }
}

} // namespace qm

// Event sections and event files; see event_file.h.
#include "events/event_file.h"

#include "core/safe_file.h"
#include "files/compressor.h"
#include "files/picture.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>

namespace qm {

namespace {

constexpr uint32_t kCompressedHeaderLength = 48;   // after the length field
constexpr size_t kCompressedHeaderSize = 56;
constexpr size_t kDataBlockHeadSize = 28;
constexpr uint32_t kDataBlockFixedLength = 20;     // data block bytes after the length field
constexpr size_t kUncompressedHeaderSize = 40;
constexpr uint32_t kUncompressedFixedLength = 32;
constexpr size_t kFileProbeSize = 40;
constexpr uint16_t kVersionMajor = 3;
constexpr uint16_t kVersionMinor = 3;

uint16_t writtenFormatCode(uint16_t formatCode)
{
    return std::min(formatCode, kEventFormatCode);
}

template <typename Operation>
EventFileError guarded(Operation&& operation)
{
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return EventFileError::OutOfMemory;
    } catch (const std::exception&) {
        return EventFileError::Exception;
    }
}

// One data block of a compressed section, checked but not yet decompressed.
struct TDataBlock {
    std::span<const uint8_t> frame;
    uint32_t offset = 0;
    uint32_t length = 0;
};

// The first 40 bytes both section kinds share.
struct TSectionHead {
    uint32_t magic = 0, length = 0, paperWidth = 0, paperHeight = 0;
    uint16_t formatCode = 0, flags = 0;
    uint32_t eventCount = 0, streamLength = 0;

    static TSectionHead read(ByteReader& in)
    {
        TSectionHead h;
        h.magic = in.u32();
        h.length = in.u32();
        h.paperWidth = in.u32();
        h.paperHeight = in.u32();
        h.formatCode = in.u16();
        h.flags = in.u16();
        in.skip(4); // version
        h.eventCount = in.u32();
        h.streamLength = in.u32();
        in.skip(8);
        return h;
    }
    // Everything but the stream goes to the caller's data.
    void install(TEventFileData& data) const
    {
        data.eventCount = eventCount;
        data.formatCode = formatCode;
        data.flags = flags;
        data.paperWidth = int32_t(paperWidth);
        data.paperHeight = int32_t(paperHeight);
    }
};

EventFileError readCompressedSection(ByteReader& in, TEventFileData& data, int32_t segmentSize)
{
    if (in.remaining() < kCompressedHeaderSize)
        return EventFileError::ShortRead;
    const TSectionHead head = TSectionHead::read(in);
    const uint32_t magic = head.magic, headerLength = head.length;
    const uint16_t formatCode = head.formatCode;
    const uint32_t streamLength = head.streamLength;
    const uint32_t blockCount = in.u32();
    const uint32_t fileSegmentSize = in.u32();
    in.skip(8);
    if (magic != blockMagic("QEVP"))
        return EventFileError::WrongMagic;
    if (headerLength != kCompressedHeaderLength)
        return EventFileError::BadLength;
    if (formatCode > kEventFormatCode)
        return EventFileError::FormatTooNew;
    if (blockCount == 0)
        return EventFileError::NothingToWrite;
    if (segmentSize <= 0 || fileSegmentSize != uint32_t(segmentSize))
        return EventFileError::SegmentSizeMismatch;
    const uint64_t segment = fileSegmentSize;
    if (blockCount != (uint64_t(streamLength) + segment - 1) / segment)
        return EventFileError::BadLength;
    // Every block takes at least its head: a count the data cannot hold is refused before
    // anything is sized by it.
    if (blockCount > in.remaining() / kDataBlockHeadSize)
        return EventFileError::ShortRead;

    // First every block is checked, its frame included, so the stream is allocated only for
    // bytes that are really there.
    std::vector<TDataBlock> blocks;
    blocks.reserve(blockCount);
    for (uint32_t i = 0; i < blockCount; ++i) {
        if (in.remaining() < kDataBlockHeadSize)
            return EventFileError::ShortRead;
        const uint32_t blockMagicValue = in.u32();
        const uint32_t blockLength = in.u32();
        const uint32_t offset = in.u32();
        const uint32_t length = in.u32();
        const uint32_t compressedLength = in.u32();
        in.skip(8);
        if (blockMagicValue != blockMagic("QBEV"))
            return EventFileError::WrongMagic;
        if (length > segment)
            return EventFileError::SegmentSizeMismatch;
        const uint64_t expectedOffset = uint64_t(i) * segment;
        if (blockLength < kDataBlockFixedLength ||
            uint64_t(blockLength) !=
                kDataBlockFixedLength + uint64_t(compressedLength) + paddingTo4(compressedLength) ||
            offset != expectedOffset ||
            length != std::min<uint64_t>(segment, streamLength - expectedOffset))
            return EventFileError::BadLength;
        const size_t stored = blockLength - kDataBlockFixedLength;
        if (in.remaining() < stored)
            return EventFileError::ShortRead;
        const auto frame = in.take(compressedLength);
        in.skip(stored - compressedLength);
        uint64_t stated = 0;
        if (!frameContentSize(frame, stated) || stated != length)
            return EventFileError::AppendFailed;
        blocks.push_back({frame, offset, length});
    }

    std::vector<uint8_t> stream(streamLength);
    for (const TDataBlock& block : blocks)
        if (decompressInto(block.frame, std::span(stream).subspan(block.offset, block.length)) !=
            DecompressError::None)
            return EventFileError::AppendFailed;
    data.stream = std::move(stream);
    head.install(data);
    return EventFileError::None;
}

EventFileError readUncompressedSection(ByteReader& in, TEventFileData& data)
{
    if (in.remaining() < kUncompressedHeaderSize)
        return EventFileError::ShortRead;
    const TSectionHead head = TSectionHead::read(in);
    const uint32_t magic = head.magic, blockLength = head.length;
    const uint16_t formatCode = head.formatCode, flags = head.flags;
    const uint32_t streamLength = head.streamLength;
    if (magic != blockMagic("QEVS"))
        return EventFileError::WrongMagic;
    if (formatCode > kEventFormatCode)
        return EventFileError::FormatTooNew;
    if (flags != 0)
        return EventFileError::FlagsSet;
    const int64_t padding =
        int64_t(blockLength) - int64_t(streamLength) - int64_t(kUncompressedFixedLength);
    if (padding < 0)
        return EventFileError::BadLength;
    if (in.remaining() < streamLength)
        return EventFileError::StreamCutShort;
    const auto stream = in.take(streamLength);
    if (in.remaining() < uint64_t(padding))
        return EventFileError::ShortRead;
    in.skip(size_t(padding));
    data.stream.assign(stream.begin(), stream.end());
    head.install(data);
    return EventFileError::None;
}

// The path must name a file we can read; 4 or 6 otherwise.
EventFileError checkReadablePath(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return EventFileError::FileNotFound;
    if (!std::filesystem::is_regular_file(path, error))
        return EventFileError::OpenFailed;
    return EventFileError::None;
}

} // namespace

EventFileError writeCompressedSection(ByteWriter& out, const TEventFileData& data,
                                      int32_t segmentSize)
{
    const size_t start = out.size();
    const EventFileError result = guarded([&] {
        const size_t length = data.stream.size();
        if (length == 0)
            return EventFileError::NothingToWrite;
        if (segmentSize <= 0)
            return EventFileError::SegmentSizeMismatch;
        if (length > std::numeric_limits<uint32_t>::max())
            return EventFileError::WriteFailed;
        const size_t segment = size_t(segmentSize);
        const size_t blockCount = (length + segment - 1) / segment;

        out.u32(blockMagic("QEVP"));
        out.u32(kCompressedHeaderLength);
        out.i32(data.paperWidth);
        out.i32(data.paperHeight);
        out.u16(writtenFormatCode(data.formatCode));
        out.u16(0); // flags: none are defined, whatever a loaded file carried
        out.u16(kVersionMajor);
        out.u16(kVersionMinor);
        out.u32(data.eventCount);
        out.u32(uint32_t(length));
        out.zeros(8);
        out.u32(uint32_t(blockCount));
        out.u32(uint32_t(segment));
        out.zeros(8);

        for (size_t i = 0; i < blockCount; ++i) {
            const size_t offset = i * segment;
            const size_t count = std::min(segment, length - offset);
            const size_t head = out.size();
            out.u32(blockMagic("QBEV"));
            out.u32(0); // block length, once the frame's size is known
            out.u32(uint32_t(offset));
            out.u32(uint32_t(count));
            out.u32(0); // compressed length, likewise
            out.zeros(8);
            const size_t compressed =
                compressAppend(std::span(data.stream).subspan(offset, count), out.data());
            if (compressed == 0)
                return EventFileError::WriteFailed;
            const size_t padding = paddingTo4(compressed);
            out.zeros(padding);
            out.patchU32(head + 4, uint32_t(kDataBlockFixedLength + compressed + padding));
            out.patchU32(head + 16, uint32_t(compressed));
        }
        return EventFileError::None;
    });
    // A failed section leaves nothing behind: the file it belongs to stays as it was.
    if (result != EventFileError::None)
        out.data().resize(start);
    return result;
}

EventFileError writeUncompressedSection(ByteWriter& out, const TEventFileData& data)
{
    const size_t start = out.size();
    const EventFileError result = guarded([&] {
        const size_t length = data.stream.size();
        if (length == 0)
            return EventFileError::NothingToWrite;
        const size_t padding = paddingTo4(length);
        if (length + padding > std::numeric_limits<uint32_t>::max() - kUncompressedFixedLength)
            return EventFileError::WriteFailed;
        out.u32(blockMagic("QEVS"));
        out.u32(uint32_t(kUncompressedFixedLength + length + padding));
        out.i32(data.paperWidth);
        out.i32(data.paperHeight);
        // The uncompressed section always says it is of this program's format.
        out.u16(kEventFormatCode);
        out.u16(0);
        out.u16(kVersionMajor);
        out.u16(kVersionMinor);
        out.u32(data.eventCount);
        out.u32(uint32_t(length));
        out.zeros(8);
        out.bytes(data.stream.data(), length);
        out.zeros(padding);
        return EventFileError::None;
    });
    if (result != EventFileError::None)
        out.data().resize(start);
    return result;
}

EventFileError saveEventFile(const std::string& path, const TEventFileData& data,
                             const TMTC* thumbnailSource, int thumbnailKind, bool compressed)
{
    return guarded([&] {
        ByteWriter out;
        if (thumbnailSource != nullptr && thumbnailKind != kThumbnailNone) {
            TMTC thumbnail;
            if (!makeThumbnail(*thumbnailSource, thumbnail) ||
                !writeThumbnailBlock(out, thumbnail, data.paperWidth, data.paperHeight,
                                     thumbnailKind))
                return EventFileError::WriteFailed;
        }
        const EventFileError section =
            compressed ? writeCompressedSection(out, data) : writeUncompressedSection(out, data);
        if (section != EventFileError::None)
            return section;
        return saveFileReplacing(path, out.data()) ? EventFileError::None
                                                   : EventFileError::WriteFailed;
    });
}

EventFileError readEventSection(ByteReader& in, TEventFileData& data, int32_t segmentSize)
{
    // Work on a copy of the reader and of the data: a failure leaves both as they were.
    ByteReader reader = in;
    TEventFileData read;
    const EventFileError result = guarded([&] {
        ByteReader peek = reader;
        if (peek.remaining() < 8)
            return EventFileError::ShortRead;
        const uint32_t magic = peek.u32();
        if (magic == blockMagic("QEVP"))
            return readCompressedSection(reader, read, segmentSize);
        if (magic == blockMagic("QEVS"))
            return readUncompressedSection(reader, read);
        return EventFileError::WrongMagic;
    });
    if (result == EventFileError::None) {
        in = reader;
        data = std::move(read);
    }
    return result;
}

EventFileError readEventFileBytes(std::span<const uint8_t> bytes, TEventFileData& data,
                                  int32_t segmentSize)
{
    ByteReader in(bytes);
    if (in.remaining() < kFileProbeSize)
        return EventFileError::ShortRead;
    ByteReader peek = in;
    if (peek.u32() == blockMagic("QTNL")) {
        // The thumbnail is skipped by its length alone; its content does not matter here.
        const uint32_t length = peek.u32();
        if (peek.remaining() < length)
            return EventFileError::ShortRead;
        in.skip(8 + size_t(length));
        if (in.remaining() < kFileProbeSize)
            return EventFileError::ShortRead;
    }
    return readEventSection(in, data, segmentSize);
}

EventFileError readEventFile(const std::string& path, TEventFileData& data, int32_t segmentSize)
{
    return guarded([&] {
        if (const EventFileError error = checkReadablePath(path); error != EventFileError::None)
            return error;
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes))
            return EventFileError::OpenFailed;
        return readEventFileBytes(bytes, data, segmentSize);
    });
}

EventFileError readThumbnail(const std::string& path, TMTC& image, int32_t& paperWidth,
                             int32_t& paperHeight)
{
    return guarded([&] {
        if (const EventFileError error = checkReadablePath(path); error != EventFileError::None)
            return error;
        // Only the first block is read: a browser of recordings should not load whole streams.
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return EventFileError::OpenFailed;
        std::vector<uint8_t> bytes(8);
        if (!file.read(reinterpret_cast<char*>(bytes.data()), 8))
            return EventFileError::ShortRead;
        ByteReader head(bytes);
        if (head.u32() != blockMagic("QTNL"))
            return EventFileError::WrongMagic;
        const uint32_t length = head.u32();
        std::error_code error;
        const uintmax_t fileSize = std::filesystem::file_size(path, error);
        if (error)
            return EventFileError::OpenFailed;
        if (fileSize < 8 + uintmax_t(length))
            return EventFileError::ShortRead;
        bytes.resize(8 + size_t(length));
        if (!file.read(reinterpret_cast<char*>(bytes.data()) + 8, std::streamsize(length)))
            return EventFileError::ShortRead;
        return readThumbnailBytes(bytes, image, paperWidth, paperHeight);
    });
}

} // namespace qm

#include "events/event_file.h"

#include "core/byte_io.h"
#include "files/picture.h"

#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;

namespace {

TEventFileData sampleData(size_t length)
{
    TEventFileData data;
    data.stream.resize(length);
    for (size_t i = 0; i < length; ++i)
        data.stream[i] = uint8_t((i * 7) ^ (i >> 9));
    data.eventCount = 321;
    data.formatCode = 16;
    data.flags = 0;
    data.paperWidth = 1000;
    data.paperHeight = 500;
    return data;
}

std::vector<uint8_t> compressedSection(const TEventFileData& data)
{
    ByteWriter out;
    EXPECT_EQ(writeCompressedSection(out, data), EventFileError::None);
    return out.data();
}

uint32_t u32At(std::span<const uint8_t> bytes, size_t offset)
{
    return ByteReader(bytes.subspan(offset, 4)).u32();
}

void patchU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
}

void patchU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = uint8_t(value);
    bytes[offset + 1] = uint8_t(value >> 8);
}

EventFileError readSection(std::span<const uint8_t> bytes, int32_t segmentSize = 65536)
{
    TEventFileData data;
    ByteReader in(bytes);
    return readEventSection(in, data, segmentSize);
}

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// A picture of four flat quarters.
TMTC quarters(int32_t width, int32_t height)
{
    TMTC image(width, height);
    const uint32_t colours[4] = {0x80FF0000u, 0x8000FF00u, 0x800000FFu, 0x80FFFFFFu};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(y * 2 / height) * 2 + x * 2 / width]);
    return image;
}

} // namespace

TEST(EventFile, SegmentsSplitAtExactly65536Bytes)
{
    for (size_t length : {size_t(65536), size_t(65537), size_t(1), size_t(200000)}) {
        const TEventFileData data = sampleData(length);
        std::vector<uint8_t> bytes = compressedSection(data);
        const size_t blocks = (length + 65535) / 65536;
        EXPECT_EQ(u32At(bytes, 28), length);
        EXPECT_EQ(u32At(bytes, 40), blocks);
        EXPECT_EQ(u32At(bytes, 44), 65536u);
        // Walk the data blocks by their length fields.
        size_t at = 56;
        for (size_t i = 0; i < blocks; ++i) {
            ASSERT_LE(at + 28, bytes.size());
            EXPECT_EQ(u32At(bytes, at + 8), i * 65536);
            EXPECT_EQ(u32At(bytes, at + 12), std::min<size_t>(65536, length - i * 65536));
            EXPECT_EQ(u32At(bytes, at + 4) % 4, 0u);
            at += 8 + u32At(bytes, at + 4);
        }
        EXPECT_EQ(at, bytes.size()) << length;
        if (length == 65537) {
            EXPECT_EQ(u32At(bytes, 56 + 8 + u32At(bytes, 60) + 12), 1u);
        }

        // Round trip; the reader stops right after the section.
        bytes.insert(bytes.end(), {1, 2, 3});
        TEventFileData back;
        ByteReader in(bytes);
        ASSERT_EQ(readEventSection(in, back), EventFileError::None) << length;
        EXPECT_EQ(back.stream, data.stream);
        EXPECT_EQ(back.eventCount, 321u);
        EXPECT_EQ(back.formatCode, 16);
        EXPECT_EQ(back.paperWidth, 1000);
        EXPECT_EQ(back.paperHeight, 500);
        EXPECT_EQ(in.remaining(), 3u);
    }
}

TEST(EventFile, WritersRefuseWhatTheyCannotStore)
{
    ByteWriter out;
    out.u32(42);
    TEventFileData empty = sampleData(0);
    EXPECT_EQ(writeCompressedSection(out, empty), EventFileError::NothingToWrite);
    EXPECT_EQ(writeUncompressedSection(out, empty), EventFileError::NothingToWrite);
    EXPECT_EQ(out.size(), 4u); // nothing half-written

    // Flags a loaded file carried are never written back (offset 18 is 0 in both sections);
    // a format code beyond ours is written as ours, and the uncompressed section is always 17.
    TEventFileData flagged = sampleData(10);
    flagged.flags = 0x0100;
    flagged.formatCode = 40;
    std::vector<uint8_t> bytes = compressedSection(flagged);
    EXPECT_EQ(bytes[16] | bytes[17] << 8, 17);
    EXPECT_EQ(bytes[18] | bytes[19] << 8, 0);
    TEventFileData back;
    ByteReader in(bytes);
    ASSERT_EQ(readEventSection(in, back), EventFileError::None);
    EXPECT_EQ(back.flags, 0);
    EXPECT_EQ(back.formatCode, 17);
    flagged.formatCode = 12;
    ByteWriter plain;
    ASSERT_EQ(writeUncompressedSection(plain, flagged), EventFileError::None);
    EXPECT_EQ(plain.data()[16] | plain.data()[17] << 8, 17);
    EXPECT_EQ(plain.data()[18] | plain.data()[19] << 8, 0);
}

TEST(EventFile, UncompressedSectionRulesAndRoundTrip)
{
    const TEventFileData data = sampleData(1001);
    ByteWriter out;
    ASSERT_EQ(writeUncompressedSection(out, data), EventFileError::None);
    const std::vector<uint8_t> good = out.data();
    EXPECT_EQ(u32At(good, 4), 32u + 1004u);
    EXPECT_EQ(good.size(), 40u + 1004u);
    TEventFileData back;
    ByteReader in(good);
    ASSERT_EQ(readEventSection(in, back), EventFileError::None);
    EXPECT_EQ(back.stream, data.stream);
    EXPECT_EQ(back.formatCode, 17);
    EXPECT_EQ(in.remaining(), 0u);

    std::vector<uint8_t> bad = good;
    patchU32(bad, 4, 32 + 1000); // one byte less than the stream
    EXPECT_EQ(readSection(bad), EventFileError::BadLength);
    bad = good;
    patchU16(bad, 18, 1);
    EXPECT_EQ(readSection(bad), EventFileError::FlagsSet);
    bad = good;
    patchU16(bad, 16, 18);
    EXPECT_EQ(readSection(bad), EventFileError::FormatTooNew);
    EXPECT_EQ(readSection(std::span(good).first(40 + 1000)), EventFileError::StreamCutShort);
    EXPECT_EQ(readSection(std::span(good).first(39)), EventFileError::ShortRead);
}

TEST(EventFile, CompressedSectionErrors)
{
    const std::vector<uint8_t> good = compressedSection(sampleData(70000));
    auto withU32 = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        patchU32(bytes, offset, value);
        return bytes;
    };
    EXPECT_EQ(readSection(withU32(0, blockMagic("QEVX"))), EventFileError::WrongMagic);
    EXPECT_EQ(readSection(withU32(4, 52)), EventFileError::BadLength);
    EXPECT_EQ(readSection(withU32(16, 18)), EventFileError::FormatTooNew);
    EXPECT_EQ(readSection(withU32(40, 0)), EventFileError::NothingToWrite);
    EXPECT_EQ(readSection(withU32(40, 3)), EventFileError::BadLength);
    EXPECT_EQ(readSection(good, 32768), EventFileError::SegmentSizeMismatch);
    EXPECT_EQ(readSection(withU32(56, blockMagic("QBEX"))), EventFileError::WrongMagic);
    EXPECT_EQ(readSection(withU32(56 + 8, 4)), EventFileError::BadLength);    // offset
    EXPECT_EQ(readSection(withU32(56 + 12, 65537)), EventFileError::SegmentSizeMismatch);
    EXPECT_EQ(readSection(withU32(56 + 12, 65535)), EventFileError::BadLength);
    EXPECT_EQ(readSection(withU32(56 + 16, u32At(good, 56 + 16) + 8)), EventFileError::BadLength);

    // A damaged frame, and a frame that states another size than its block.
    std::vector<uint8_t> damaged = good;
    damaged[56 + 28 + u32At(good, 56 + 16) / 2] ^= 0x55;
    EXPECT_EQ(readSection(damaged), EventFileError::AppendFailed);
    TEventFileData other = sampleData(65536);
    const std::vector<uint8_t> otherBytes = compressedSection(sampleData(65000));
    std::vector<uint8_t> spliced = compressedSection(other);
    spliced.resize(56);
    spliced.insert(spliced.end(), otherBytes.begin() + 56, otherBytes.end());
    patchU32(spliced, 56 + 12, 65536);
    EXPECT_EQ(readSection(spliced), EventFileError::AppendFailed);

    // A stream length of 4 GB with the matching block count is refused before anything is
    // allocated for it: the blocks are not there.
    std::vector<uint8_t> huge = withU32(28, 0xFFFFFFFFu);
    patchU32(huge, 40, 65536);
    EXPECT_EQ(readSection(huge), EventFileError::ShortRead);

    // Every cut fails cleanly, and a failure leaves reader and data as they were.
    for (size_t n = 0; n < good.size(); n += 97)
        EXPECT_NE(readSection(std::span(good).first(n)), EventFileError::None) << n;
    TEventFileData kept = sampleData(5);
    ByteReader in(damaged);
    EXPECT_NE(readEventSection(in, kept), EventFileError::None);
    EXPECT_EQ(in.position(), 0u);
    EXPECT_EQ(kept.stream.size(), 5u);
}

TEST(EventFile, ThumbnailSizes)
{
    int32_t w = 0, h = 0;
    thumbnailSize(1000, 500, w, h);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 128);
    thumbnailSize(100, 100, w, h);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);
    thumbnailSize(333, 1000, w, h);
    EXPECT_EQ(w, 85); // 85.248 truncated
    EXPECT_EQ(h, 256);
    thumbnailSize(10000, 3, w, h);
    EXPECT_EQ(h, 1); // never 0

    // A small paper is enlarged: each quarter stays a flat quarter, opaque.
    TMTC thumbnail;
    ASSERT_TRUE(makeThumbnail(quarters(100, 100), thumbnail));
    ASSERT_EQ(thumbnail.width(), 256);
    ASSERT_EQ(thumbnail.height(), 256);
    EXPECT_EQ(thumbnail.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(thumbnail.pixel(255, 0), 0xFF00FF00u);
    EXPECT_EQ(thumbnail.pixel(0, 255), 0xFF0000FFu);
    EXPECT_EQ(thumbnail.pixel(200, 200), 0xFFFFFFFFu);
    ASSERT_TRUE(makeThumbnail(quarters(1000, 500), thumbnail));
    EXPECT_EQ(thumbnail.height(), 128);
    EXPECT_EQ(thumbnail.pixel(10, 10), 0xFFFF0000u);
}

TEST(EventFile, ScrambledThumbnailBytes)
{
    std::vector<uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    scrambleThumbnail(bytes, 4, 0xA7, 3);
    // Groups reversed (3 2 1 0 | 7 6 5 4 | 8 9), then offsets 0, 4, 8 XORed with ~0xA7 = 0x58.
    EXPECT_EQ(bytes, (std::vector<uint8_t>{3 ^ 0x58, 2, 1, 0, 7 ^ 0x58, 6, 5, 4, 8 ^ 0x58, 9}));
    unscrambleThumbnail(bytes, 4, 0xA7, 3);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // The two kinds hold different bytes and read back to the same picture.
    TMTC picture = quarters(256, 128);
    ByteWriter plain, scrambled;
    ASSERT_TRUE(writeThumbnailBlock(plain, picture, 1000, 500, kThumbnailPlain));
    ASSERT_TRUE(writeThumbnailBlock(scrambled, picture, 1000, 500, kThumbnailScrambled));
    ASSERT_EQ(plain.size(), scrambled.size());
    EXPECT_NE(plain.data(), scrambled.data());
    EXPECT_EQ(scrambled.data()[8], 2);
    EXPECT_EQ(scrambled.data()[12], 4);
    EXPECT_EQ(scrambled.data()[14], 3);
    for (const ByteWriter* block : {&plain, &scrambled}) {
        TMTC image;
        int32_t pw = 0, ph = 0;
        ASSERT_EQ(readThumbnailBytes(block->data(), image, pw, ph), EventFileError::None);
        EXPECT_EQ(pw, 1000);
        EXPECT_EQ(ph, 500);
        ASSERT_EQ(image.width(), 256);
        EXPECT_EQ(image.pixel(255, 127), picture.pixel(255, 127));
        EXPECT_EQ(image.pixel(3, 3), picture.pixel(3, 3));
    }
    // The reader takes the key from the descriptor.
    std::vector<uint8_t> otherKey = scrambled.data();
    otherKey[13] ^= 0xFF;
    TMTC image;
    int32_t pw = 0, ph = 0;
    EXPECT_NE(readThumbnailBytes(otherKey, image, pw, ph), EventFileError::None);
}

TEST(EventFile, FilesWithAndWithoutThumbnail)
{
    const TEventFileData data = sampleData(70000);
    const TMTC composite = quarters(1000, 500);
    const std::string path = tempPath("qm_event_file.qm3");
    for (int kind : {kThumbnailNone, kThumbnailPlain, kThumbnailScrambled}) {
        for (bool compressed : {true, false}) {
            ASSERT_EQ(saveEventFile(path, data, &composite, kind, compressed), EventFileError::None);
            TEventFileData back;
            ASSERT_EQ(readEventFile(path, back), EventFileError::None) << kind << compressed;
            EXPECT_EQ(back.stream, data.stream);
            EXPECT_EQ(back.eventCount, data.eventCount);
            TMTC thumbnail;
            int32_t pw = 0, ph = 0;
            const EventFileError thumbnailRead = readThumbnail(path, thumbnail, pw, ph);
            if (kind == kThumbnailNone) {
                EXPECT_EQ(thumbnailRead, EventFileError::WrongMagic);
            } else {
                ASSERT_EQ(thumbnailRead, EventFileError::None);
                EXPECT_EQ(thumbnail.width(), 256);
                EXPECT_EQ(thumbnail.height(), 128);
                EXPECT_EQ(pw, 1000);
                EXPECT_EQ(thumbnail.pixel(200, 100), 0xFFFFFFFFu);
            }
        }
    }

    // The thumbnail is skipped by its length field alone: garbage inside it does not matter.
    ASSERT_EQ(saveEventFile(path, data, &composite, kThumbnailPlain, true), EventFileError::None);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    const uint32_t thumbnailLength = u32At(bytes, 4);
    std::fill(bytes.begin() + 8, bytes.begin() + 8 + thumbnailLength, 0xEE);
    TEventFileData back;
    EXPECT_EQ(readEventFileBytes(bytes, back), EventFileError::None);
    EXPECT_EQ(back.stream, data.stream);
    // ... and a thumbnail longer than the file is a short read.
    patchU32(bytes, 4, uint32_t(bytes.size()));
    EXPECT_EQ(readEventFileBytes(bytes, back), EventFileError::ShortRead);
    std::filesystem::remove(path);
}

TEST(EventFile, FileErrors)
{
    TEventFileData data;
    const std::string missing = tempPath("qm_no_such_event_file.qm3");
    std::filesystem::remove(missing);
    EXPECT_EQ(readEventFile(missing, data), EventFileError::FileNotFound);
    TMTC image;
    int32_t pw = 0, ph = 0;
    EXPECT_EQ(readThumbnail(missing, image, pw, ph), EventFileError::FileNotFound);
    EXPECT_EQ(readEventFile(std::filesystem::temp_directory_path().string(), data),
              EventFileError::OpenFailed);

    const std::vector<uint8_t> good = compressedSection(sampleData(300));
    EXPECT_EQ(readEventFileBytes(std::span(good).first(39), data), EventFileError::ShortRead);
    EXPECT_EQ(readEventFileBytes(std::span(good).first(50), data), EventFileError::ShortRead);
    std::vector<uint8_t> notOurs = good;
    notOurs[0] = 'X';
    EXPECT_EQ(readEventFileBytes(notOurs, data), EventFileError::WrongMagic);

    // A failed save leaves the old file alone.
    const std::string path = tempPath("qm_event_file_kept.qm3");
    ASSERT_EQ(saveEventFile(path, sampleData(300), nullptr, kThumbnailNone, true),
              EventFileError::None);
    EXPECT_EQ(saveEventFile(path, sampleData(0), nullptr, kThumbnailNone, true),
              EventFileError::NothingToWrite);
    ASSERT_EQ(readEventFile(path, data), EventFileError::None);
    EXPECT_EQ(data.stream.size(), 300u);
    // And one cut short while writing, over the same file.
    const auto size = std::filesystem::file_size(path);
    {
        test::FileSizeLimit limit(size + 64);
        ASSERT_TRUE(limit.active());
        EXPECT_NE(saveEventFile(path, sampleData(200000), nullptr, kThumbnailNone, false),
                  EventFileError::None);
    }
    ASSERT_EQ(readEventFile(path, data), EventFileError::None);
    EXPECT_EQ(data.stream.size(), 300u);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    std::filesystem::remove(path);
}

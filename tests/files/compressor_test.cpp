#include "files/compressor.h"
#include "files/map_dd.h"
#include "files/processor_clock.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace qm;

namespace {
std::vector<uint8_t> sampleData(size_t n)
{
    std::vector<uint8_t> data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = uint8_t((i / 7) ^ (i % 13));
    return data;
}
} // namespace

TEST(Compressor, OneFrameWithItsSizeRoundTrips)
{
    for (size_t n : {size_t(0), size_t(1), size_t(1000), size_t(300000)}) {
        const auto data = sampleData(n);
        std::vector<uint8_t> frame;
        ASSERT_GT(compressAppend(data, frame), 0u) << n;
        uint64_t stated = 0;
        ASSERT_TRUE(frameContentSize(frame, stated));
        EXPECT_EQ(stated, n);
        std::vector<uint8_t> back(n);
        EXPECT_EQ(decompressInto(frame, back), DecompressError::None);
        EXPECT_EQ(back, data);
    }
}

TEST(Compressor, StreamsThroughASmallWriter)
{
    const auto data = sampleData(500000);
    std::vector<uint8_t> streamed;
    int calls = 0;
    const size_t written = compressTo(data, [&](const uint8_t* p, size_t size) {
        ++calls;
        streamed.insert(streamed.end(), p, p + size);
        return true;
    }, kFastCompressionLevel);
    EXPECT_EQ(written, streamed.size());
    std::vector<uint8_t> back(data.size());
    EXPECT_EQ(decompressInto(streamed, back), DecompressError::None);
    EXPECT_EQ(back, data);
    // A writer that gives up stops it.
    EXPECT_EQ(compressTo(data, [](const uint8_t*, size_t) { return false; }), 0u);
    std::vector<uint8_t> out{1, 2, 3};
    EXPECT_GT(compressAppend(data, out), 0u);
    EXPECT_EQ(out[0], 1); // appended after what was there
}

TEST(Compressor, BadFramesFailCleanly)
{
    const auto data = sampleData(4096);
    std::vector<uint8_t> frame;
    compressAppend(data, frame);
    std::vector<uint8_t> dest(4096);
    std::vector<uint8_t> wrongSize(4095);
    EXPECT_EQ(decompressInto(frame, wrongSize), DecompressError::SizeMismatch);
    std::vector<uint8_t> trailing(frame);
    trailing.push_back(0);
    EXPECT_EQ(decompressInto(trailing, dest), DecompressError::TrailingBytes);
    for (size_t n = 0; n < frame.size(); ++n)
        EXPECT_NE(decompressInto(std::span(frame.data(), n), dest), DecompressError::None) << n;
    std::vector<uint8_t> damaged(frame);
    damaged[damaged.size() / 2] ^= 0x5A;
    EXPECT_NE(decompressInto(damaged, dest), DecompressError::None);
    const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(decompressInto(garbage, dest), DecompressError::NotAFrame);
}

TEST(MapDD, SetLookupRemove)
{
    CMapDD map;
    uint32_t v = 0;
    EXPECT_FALSE(map.Lookup(7, v));
    map.SetAt(7, 70);
    map.SetAt(7, 71);
    map.SetAt(0xFFFFFFFFu, 1);
    EXPECT_TRUE(map.Lookup(7, v));
    EXPECT_EQ(v, 71u);
    EXPECT_EQ(map.count(), 2u);
    EXPECT_TRUE(map.RemoveKey(7));
    EXPECT_FALSE(map.RemoveKey(7));
    map.RemoveAll();
    EXPECT_EQ(map.count(), 0u);
}

TEST(ProcessorClock, MeasuresSomething)
{
    const double hz = measureProcessorClock(20);
    EXPECT_GT(hz, 1e7); // any processor of this century
}

#include "paperfile/vkb_reader.h"

#include "core/byte_io.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct TLayerSpec {
    uint8_t mode, level, flag;
    std::vector<uint8_t> runs;
};

std::vector<uint8_t> makeVkb(uint32_t width, uint32_t height, const std::vector<TLayerSpec>& layers,
                             const std::vector<uint8_t>& events, uint32_t noPixels = 0,
                             uint8_t current = 1, uint8_t notWritable = 0, int eventSlack = 0)
{
    ByteWriter out;
    out.text("VKB2");
    out.u32(noPixels);
    out.u32(width);
    out.u32(height);
    out.u32(0x00A0B0C0);
    out.u8(uint8_t(layers.size() - 1));
    out.u8(current);
    out.u8(notWritable);
    out.u8(0);
    out.u32(uint32_t(int(events.size()) + eventSlack));
    out.u32(0);
    for (const TLayerSpec& layer : layers) {
        out.u8(layer.mode);
        out.u8(layer.level);
        out.u8(layer.flag);
        out.zeros(5);
        if (noPixels == 0) {
            out.u32(uint32_t(layer.runs.size()));
            out.bytes(layer.runs.data(), layer.runs.size());
        }
    }
    out.bytes(events.data(), events.size());
    return out.data();
}

// New paper 3 × 2, the given extra codes (no payload), end.
std::vector<uint8_t> stream(std::initializer_list<uint16_t> codes)
{
    ByteWriter out;
    out.u16(512);
    out.u16(3);
    out.u16(2);
    for (uint16_t code : codes)
        out.u16(code);
    out.u16(0xFFFF);
    return out.data();
}

std::vector<uint32_t> pixels(const TMTC& image)
{
    std::vector<uint32_t> all;
    for (int32_t y = 0; y < image.height(); ++y)
        all.insert(all.end(), image.row(y), image.row(y) + image.width());
    return all;
}

// Layer 0 (opaque mode): two literal pixels, a repeat of 3 across the row end, a repeat of 5
// clipped to the one pixel left, then bytes past the full image that must be skipped.
const TLayerSpec kOpaque{1, 7, 2, {253, 1, 2, 3, 4, 5, 6, 3, 9, 8, 7, 5, 0xAA, 0xBB, 0xCC, 99, 99}};
// Layer 1: a literal run of 7 that fills the 6 pixels with its data ending there.
const TLayerSpec kTransparent{3, 200, 0, {248, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0, 5, 0, 0, 6}};

} // namespace

TEST(VkbReader, DecodesRunsHeaderAndEvents)
{
    const std::vector<uint8_t> events = stream({258, 258});
    TVkbFile file;
    ASSERT_EQ(readVkb(makeVkb(3, 2, {kOpaque, kTransparent}, events, 0, 1, 1), file),
              VkbError::None);
    EXPECT_EQ(file.width, 3);
    EXPECT_EQ(file.height, 2);
    EXPECT_EQ(file.paperColour, 0x00A0B0C0u);
    EXPECT_EQ(file.currentLayer, 1);
    EXPECT_TRUE(file.eventsNotWritable);
    ASSERT_EQ(file.layers.size(), 2u);
    EXPECT_EQ(file.layers[0].level, 7);
    EXPECT_EQ(file.layers[0].flag, 2);
    EXPECT_EQ(pixels(file.layers[0].image),
              (std::vector<uint32_t>{0xFF010203, 0xFF040506, 0xFF090807, 0xFF090807, 0xFF090807,
                                     0xFFAABBCC}));
    EXPECT_EQ(file.layers[1].mode, 3);
    EXPECT_EQ(pixels(file.layers[1].image), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(file.eventsValid);
    EXPECT_FALSE(file.eventsProtected);
    EXPECT_EQ(file.events, events);
}

TEST(VkbReader, EventStreamProtectedBrokenOrCut)
{
    TVkbFile file;
    std::vector<uint8_t> marked = stream({});
    for (uint16_t mark = 768; mark <= 783; ++mark)
        marked.insert(marked.end() - 2, {uint8_t(mark), uint8_t(mark >> 8)});
    ASSERT_EQ(readVkb(makeVkb(3, 2, {kOpaque}, marked), file), VkbError::None);
    EXPECT_TRUE(file.eventsValid && file.eventsProtected);

    // Bytes after the end code but inside the stated length are not part of the stream.
    std::vector<uint8_t> padded = stream({});
    padded.push_back(0);
    ASSERT_EQ(readVkb(makeVkb(3, 2, {kOpaque}, padded), file), VkbError::None);
    EXPECT_EQ(file.events, stream({}));

    // An unknown code, a stated length beyond the file, no stream at all: the picture stays.
    for (auto [events, slack] : {std::pair{stream({100}), 0}, std::pair{stream({}), 1},
                                 std::pair{std::vector<uint8_t>{}, 0}}) {
        ASSERT_EQ(readVkb(makeVkb(3, 2, {kOpaque}, events, 0, 0, 0, slack), file), VkbError::None);
        EXPECT_FALSE(file.eventsValid);
        EXPECT_TRUE(file.events.empty());
        EXPECT_EQ(file.layers.at(0).image.pixel(2, 1), 0xFFAABBCCu);
    }
}

TEST(VkbReader, LayersWithoutPixelsAreEmptyAndCurrentLayerIsClamped)
{
    TVkbFile file;
    ASSERT_EQ(readVkb(makeVkb(3, 2, {kOpaque, kTransparent}, stream({}), 1, 9), file),
              VkbError::None);
    EXPECT_EQ(file.currentLayer, 1);
    EXPECT_EQ(pixels(file.layers[0].image), std::vector<uint32_t>(6, 0xFFFFFFFF));
    EXPECT_EQ(pixels(file.layers[1].image), std::vector<uint32_t>(6, kVkbEmptyPixel));
    EXPECT_TRUE(file.eventsValid);
}

TEST(VkbReader, RefusesBadFilesAndLeavesTheResultAlone)
{
    TVkbFile file;
    file.width = -5;
    std::vector<uint8_t> bytes = makeVkb(3, 2, {kOpaque}, stream({}));
    bytes[3] = '1';
    EXPECT_EQ(readVkb(bytes, file), VkbError::WrongMagic);
    EXPECT_EQ(readVkb(makeVkb(10001, 1, {kOpaque}, {}), file), VkbError::TooLarge);
    EXPECT_EQ(readVkb(makeVkb(1, 10001, {kOpaque}, {}), file), VkbError::TooLarge);
    EXPECT_EQ(readVkb(makeVkb(0, 2, {kOpaque}, {}), file), VkbError::TooLarge);
    // Run data that stops one pixel early, and a literal run cut inside a pixel.
    EXPECT_EQ(readVkb(makeVkb(3, 2, {{0, 0, 0, {5, 1, 2, 3}}}, {}), file), VkbError::ShortRead);
    EXPECT_EQ(readVkb(makeVkb(3, 2, {{0, 0, 0, {249, 1, 2, 3, 4}}}, {}), file),
              VkbError::ShortRead);
    EXPECT_EQ(file.width, -5);
    EXPECT_EQ(readVkb(makeVkb(10000, 1, {{0, 0, 0, {124, 1, 2, 3}}}, {}), file),
              VkbError::ShortRead); // 10,000 wide is allowed; 124 pixels of it are there
}

TEST(VkbReader, EveryTruncationFailsCleanlyOrDropsOnlyTheEvents)
{
    const std::vector<uint8_t> whole = makeVkb(3, 2, {kOpaque, kTransparent}, stream({}));
    const size_t eventsStart = whole.size() - stream({}).size();
    for (size_t size = 0; size < whole.size(); ++size) {
        TVkbFile file;
        const VkbError error = readVkb(std::span(whole).first(size), file);
        if (size < 4)
            EXPECT_EQ(error, VkbError::WrongMagic) << size;
        else if (size < eventsStart)
            EXPECT_EQ(error, VkbError::ShortRead) << size;
        else
            EXPECT_TRUE(error == VkbError::None && !file.eventsValid) << size;
    }
}

TEST(VkbReader, HugeLayerCountsFailBeforeAllocating)
{
    TVkbFile file;
    const std::vector<TLayerSpec> many(256, TLayerSpec{0, 0, 0, {124, 1, 2, 3}});
    EXPECT_EQ(readVkb(makeVkb(10000, 10000, many, {}), file), VkbError::ShortRead);
    // Without pixel data the records are all there, but 256 full-size layers are too much.
    EXPECT_EQ(readVkb(makeVkb(10000, 10000, many, {}, 1), file), VkbError::OutOfMemory);
    // A byte count beyond the file.
    std::vector<uint8_t> bytes = makeVkb(3, 2, {kOpaque}, {});
    bytes[40] = 0xFF;
    EXPECT_EQ(readVkb(bytes, file), VkbError::ShortRead);
}

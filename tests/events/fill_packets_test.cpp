// The fill payloads against bytes laid out by hand from the packet tables, and damaged ones.
#include "events/fill_packets.h"

#include "core/byte_io.h"
#include "events/event_format.h"
#include "files/compressor.h"

#include <gtest/gtest.h>

namespace qm {

namespace {

// A 3 × 2 channel 10 11 12 / 20 21 22 in the short head of sub 0, written field by field.
std::vector<uint8_t> handWrittenBucket()
{
    const std::vector<uint8_t> raw = {10, 11, 12, 20, 21, 22};
    std::vector<uint8_t> compressed;
    const size_t length = compressAppend(raw, compressed, kFastCompressionLevel);
    ByteWriter w;
    w.i16(2);          // layer
    w.i16(-1);         // value
    w.i32(4), w.i32(5);  // origin of the layer image
    w.i32(7), w.i32(8);  // the clicked point
    w.u8(0);           // layout code of sub 0
    w.u8(1), w.u8(2), w.u8(3);
    w.i16(20);         // option value
    w.i32(30), w.i32(40), w.i32(33), w.i32(42); // rectangle
    w.u32(uint32_t(length + (length & 1)));
    w.u32(6);
    w.u32(uint32_t(length));
    w.bytes(compressed.data(), length);
    if (length & 1)
        w.u8(0);
    return w.data();
}

int64_t lengthOf(uint8_t category, uint8_t sub, const std::vector<uint8_t>& payload)
{
    return payloadLength(category, sub, [&](uint32_t off, uint8_t* out, uint32_t n) {
        if (off + n > payload.size())
            return false;
        std::copy_n(payload.begin() + off, n, out);
        return true;
    });
}

} // namespace

TEST(FillPackets, ChannelBlockReadsTheDocumentedLayoutAndWritesItBack)
{
    const std::vector<uint8_t> bytes = handWrittenBucket();
    EXPECT_EQ(lengthOf(eventCategory::channel, channelEvent::bucket, bytes), int64_t(bytes.size()));
    TChannelPacket p;
    ASSERT_EQ(decodeChannel(channelEvent::bucket, bytes, p), ChannelPacketError::None);
    EXPECT_EQ(p.head.layer, 2);
    EXPECT_EQ(p.head.value, -1);
    EXPECT_EQ(p.head.first, (TPoint{4, 5}));
    EXPECT_EQ(p.head.second, (TPoint{7, 8}));
    EXPECT_EQ(p.head.options[2], 3);
    EXPECT_EQ(p.head.optionValue, 20);
    EXPECT_EQ(p.head.rect.left, 30);
    EXPECT_EQ(p.head.rect.bottom, 42);
    ASSERT_EQ(p.channel.width(), 3);
    ASSERT_EQ(p.channel.height(), 2);
    EXPECT_EQ(p.channel.row(0)[0], 10);
    EXPECT_EQ(p.channel.row(1)[2], 22);
    EXPECT_EQ(encodeChannel(channelEvent::bucket, p.head, p.channel), bytes);

    // The long head of sub 2 round-trips with its second point and position.
    p.head.position = {-3, 9};
    const std::vector<uint8_t> longBytes = encodeChannel(channelEvent::bucketOnView, p.head, p.channel);
    EXPECT_EQ(lengthOf(eventCategory::channel, channelEvent::bucketOnView, longBytes),
              int64_t(longBytes.size()));
    EXPECT_EQ(longBytes[36], 4); // its layout code
    TChannelPacket back;
    ASSERT_EQ(decodeChannel(channelEvent::bucketOnView, longBytes, back), ChannelPacketError::None);
    EXPECT_EQ(back.head.position, (TPoint{-3, 9}));
    EXPECT_EQ(back.channel.row(1)[1], 21);
}

TEST(FillPackets, DamagedChannelBlocksAreRefused)
{
    const std::vector<uint8_t> good = handWrittenBucket();
    auto decode = [](std::vector<uint8_t> bytes, uint8_t sub = channelEvent::bucket) {
        TChannelPacket p;
        return decodeChannel(sub, bytes, p);
    };
    EXPECT_EQ(decode({good.begin(), good.begin() + 53}), ChannelPacketError::ShortHead);
    EXPECT_EQ(decode(good, channelEvent::wand), ChannelPacketError::WrongLayout);
    std::vector<uint8_t> bad = good;
    bad[26] = 50; // left beyond right
    EXPECT_EQ(decode(bad), ChannelPacketError::BadRectangle);
    bad = good;
    bad[30] = 0x10, bad[31] = 0x27, bad[32] = 0, bad[33] = 0; // top 10000: reversed
    EXPECT_EQ(decode(bad), ChannelPacketError::BadRectangle);
    bad = good;
    bad[46] = 7; // raw length
    EXPECT_EQ(decode(bad), ChannelPacketError::RawLength);
    bad = good;
    bad[50] += 3; // compressed length beyond the trailing length
    EXPECT_EQ(decode(bad), ChannelPacketError::CompressedSize);
    bad = good;
    bad.resize(bad.size() - 2); // the trailing data cut short
    EXPECT_EQ(decode(bad), ChannelPacketError::CompressedSize);
    bad = good;
    bad[54 + 5] ^= 0x5A; // inside the frame
    EXPECT_NE(decode(bad), ChannelPacketError::None);
}

TEST(FillPackets, AreaAndPolygonFillLayouts)
{
    // Sub 3, 22 bytes: i16 layer, i32 value, two i32, two f32.
    TAreaFillPacket area{3, int32_t(TFillShape::ellipse), -4, 6, 10.5f, 20.25f};
    const std::vector<uint8_t> bytes = encodeAreaFill(area);
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(int64_t(bytes.size()), lengthOf(eventCategory::areaFill, areaFillEvent::shape, bytes));
    ByteReader in(bytes);
    EXPECT_EQ(in.i16(), 3);
    EXPECT_EQ(in.i32(), 1);
    EXPECT_EQ(in.i32(), -4);
    EXPECT_EQ(in.i32(), 6);
    EXPECT_EQ(in.f32(), 10.5f);
    EXPECT_EQ(in.f32(), 20.25f);
    TAreaFillPacket back;
    ASSERT_TRUE(decodeAreaFill(bytes, back));
    EXPECT_EQ(back.y1, 20.25f);
    EXPECT_FALSE(decodeAreaFill(std::span(bytes).first(21), back));

    // Sub 4: i16 layer, u16 count, then 8 bytes a point.
    TPolygonFillPacket polygon{1, {{0, 0}, {5.5f, 1}, {2, 7}}};
    const std::vector<uint8_t> poly = encodePolygonFill(polygon);
    ASSERT_EQ(poly.size(), 4u + 3 * 8);
    EXPECT_EQ(poly[2], 3);
    EXPECT_EQ(int64_t(poly.size()), lengthOf(eventCategory::areaFill, areaFillEvent::polygon, poly));
    TPolygonFillPacket polyBack;
    ASSERT_TRUE(decodePolygonFill(poly, polyBack));
    ASSERT_EQ(polyBack.points.size(), 3u);
    EXPECT_EQ(polyBack.points[1].x, 5.5f);
    EXPECT_FALSE(decodePolygonFill(std::span(poly).first(poly.size() - 1), polyBack));
}

} // namespace qm

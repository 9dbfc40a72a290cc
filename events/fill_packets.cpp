// The fill payloads; see fill_packets.h.
#include "events/fill_packets.h"

#include "core/byte_io.h"
#include "files/compressor.h"

#include <new>

namespace qm {

namespace {

constexpr size_t kAreaFillLength = 22;
constexpr size_t kShortHead = 54;
constexpr size_t kLongHead = 72;

uint8_t layoutCode(uint8_t sub)
{
    switch (sub) {
    case channelEvent::bucket: return 0;
    case channelEvent::wand: return 1;
    case channelEvent::bucketOnView: return 4;
    case channelEvent::wandOnView: return 5;
    case channelEvent::text: return 2;
    case channelEvent::textSelection: return 3;
    case channelEvent::colourMask: return 6;
    default: return 0xFF;
    }
}

} // namespace

std::vector<uint8_t> encodeAreaFill(const TAreaFillPacket& p)
{
    ByteWriter w;
    w.i16(p.layer);
    w.i32(p.value);
    w.i32(p.x0), w.i32(p.y0);
    w.f32(p.x1), w.f32(p.y1);
    return w.data();
}

bool decodeAreaFill(std::span<const uint8_t> payload, TAreaFillPacket& p)
{
    if (payload.size() < kAreaFillLength)
        return false;
    ByteReader in(payload);
    p.layer = in.i16();
    p.value = in.i32();
    p.x0 = in.i32(), p.y0 = in.i32();
    p.x1 = in.f32(), p.y1 = in.f32();
    return true;
}

std::vector<uint8_t> encodePolygonFill(const TPolygonFillPacket& p)
{
    ByteWriter w;
    w.i16(p.layer);
    w.u16(uint16_t(p.points.size()));
    for (const TPointF& point : p.points)
        w.f32(point.x), w.f32(point.y);
    return w.data();
}

bool decodePolygonFill(std::span<const uint8_t> payload, TPolygonFillPacket& p)
{
    if (payload.size() < 4)
        return false;
    ByteReader in(payload);
    p.layer = in.i16();
    const size_t count = in.u16();
    if (payload.size() - 4 < count * 8)
        return false;
    p.points.resize(count);
    for (TPointF& point : p.points)
        point.x = in.f32(), point.y = in.f32();
    return true;
}

bool isLongChannelHead(uint8_t sub)
{
    return sub == channelEvent::bucketOnView || sub == channelEvent::wandOnView;
}

std::vector<uint8_t> encodeChannel(uint8_t sub, const TChannelEventHead& p,
                                   const TChannel& channel)
{
    const int32_t width = p.rect.width(), height = p.rect.height();
    std::vector<uint8_t> raw;
    raw.reserve(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y)
        raw.insert(raw.end(), channel.row(y), channel.row(y) + width);
    std::vector<uint8_t> compressed;
    compressed.reserve(65536);
    const size_t length = compressAppend(raw, compressed, kFastCompressionLevel);
    const size_t padded = length + (length & 1);

    ByteWriter w;
    w.i16(p.layer);
    w.i16(p.value);
    if (isLongChannelHead(sub)) {
        w.i32(p.first.x), w.i32(p.first.y);
        w.i32(p.second.x), w.i32(p.second.y);
        w.i32(p.position.x), w.i32(p.position.y);
        w.zeros(8);
        w.u8(layoutCode(sub));
        w.bytes(p.options, 3);
        w.i16(p.optionValue);
        w.zeros(2);
    } else {
        w.i32(p.first.x), w.i32(p.first.y);
        w.i32(p.second.x), w.i32(p.second.y);
        w.u8(layoutCode(sub));
        w.bytes(p.options, 3);
        w.i16(p.optionValue);
    }
    w.i32(p.rect.left), w.i32(p.rect.top), w.i32(p.rect.right), w.i32(p.rect.bottom);
    w.u32(uint32_t(padded));
    w.u32(uint32_t(raw.size()));
    w.u32(uint32_t(length));
    w.bytes(compressed.data(), length);
    w.zeros(padded - length);
    return w.data();
}

ChannelPacketError decodeChannel(uint8_t sub, std::span<const uint8_t> payload,
                                 TChannelPacket& packet)
{
    TChannelEventHead& p = packet.head;
    const bool longHead = isLongChannelHead(sub);
    const size_t head = longHead ? kLongHead : kShortHead;
    if (payload.size() < head)
        return ChannelPacketError::ShortHead;
    ByteReader in(payload);
    p.layer = in.i16();
    p.value = in.i16();
    p.first.x = in.i32(), p.first.y = in.i32();
    p.second.x = in.i32(), p.second.y = in.i32();
    if (longHead) {
        p.position.x = in.i32(), p.position.y = in.i32();
        in.skip(8);
    }
    if (in.u8() != layoutCode(sub))
        return ChannelPacketError::WrongLayout;
    for (uint8_t& option : p.options)
        option = in.u8();
    p.optionValue = in.i16();
    if (longHead)
        in.skip(2);
    p.rect.left = in.i32(), p.rect.top = in.i32(), p.rect.right = in.i32(), p.rect.bottom = in.i32();
    const uint32_t trailing = in.u32(), rawLength = in.u32(), compressedLength = in.u32();

    const int64_t width = int64_t(p.rect.right) - p.rect.left;
    const int64_t height = int64_t(p.rect.bottom) - p.rect.top;
    if (width <= 0 || height <= 0 || width > kMaxChannelSide || height > kMaxChannelSide)
        return ChannelPacketError::BadRectangle;
    if (uint64_t(rawLength) != uint64_t(width * height))
        return ChannelPacketError::RawLength;
    if (compressedLength > trailing || trailing - compressedLength > 1 ||
        trailing > payload.size() - head)
        return ChannelPacketError::CompressedSize;
    try {
        std::vector<uint8_t> raw(rawLength);
        if (decompressInto(payload.subspan(head, compressedLength), raw) != DecompressError::None)
            return ChannelPacketError::Decompress;
        if (!packet.channel.Resize(int32_t(width), int32_t(height)))
            return ChannelPacketError::OutOfMemory;
        for (int32_t y = 0; y < int32_t(height); ++y)
            std::copy_n(raw.data() + size_t(y) * size_t(width), size_t(width), packet.channel.row(y));
    } catch (const std::bad_alloc&) {
        return ChannelPacketError::OutOfMemory;
    }
    return ChannelPacketError::None;
}

} // namespace qm

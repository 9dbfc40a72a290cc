#include "events/select_packets.h"

#include "core/byte_io.h"

namespace qm {

namespace {

constexpr size_t kColourRangeHead = 20;
constexpr size_t kPickBytes = 8;

bool validMode(uint8_t mode) { return mode <= uint8_t(MaskCombine::Intersect); }

} // namespace

bool isShortSelectEvent(uint8_t sub)
{
    switch (sub) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 11: case 20: case 21:
        return true;
    default: return false;
    }
}

std::vector<uint8_t> encodeSelect(uint8_t sub, const TSelectPacket& packet)
{
    ByteWriter out;
    out.i16(packet.layer);
    if (isShortSelectEvent(sub)) {
        out.i16(int16_t(packet.slot));
    } else {
        out.u16(uint16_t(packet.slot));
        out.i32(packet.a), out.i32(packet.b);
    }
    return out.data();
}

bool decodeSelect(uint8_t sub, std::span<const uint8_t> payload, TSelectPacket& packet)
{
    ByteReader in(payload);
    packet.layer = in.i16();
    if (isShortSelectEvent(sub)) {
        packet.slot = in.i16();
        packet.a = packet.b = 0;
    } else {
        packet.slot = in.u16();
        packet.a = in.i32();
        packet.b = in.i32();
    }
    return !in.failed() && in.remaining() == 0;
}

std::vector<uint8_t> encodeSelectShape(const TSelectShape& shape)
{
    ByteWriter out;
    out.i16(shape.layer), out.i16(shape.slot), out.u8(uint8_t(shape.mode)), out.u8(0);
    out.i32(shape.first.x), out.i32(shape.first.y), out.i32(shape.second.x), out.i32(shape.second.y);
    return out.data();
}

bool decodeSelectShape(std::span<const uint8_t> payload, TSelectShape& shape)
{
    ByteReader in(payload);
    shape.layer = in.i16();
    shape.slot = in.i16();
    const uint8_t mode = in.u8();
    in.u8();
    shape.first = {in.i32(), in.i32()};
    shape.second = {in.i32(), in.i32()};
    shape.mode = MaskCombine(mode);
    return !in.failed() && in.remaining() == 0 && validMode(mode);
}

std::vector<uint8_t> encodeLasso(const TLassoPacket& packet)
{
    const size_t n = std::min(packet.points.size(), kMaxLassoPoints);
    ByteWriter out;
    out.data().reserve(8 + n * 8);
    out.i16(packet.layer), out.i16(packet.slot), out.u8(uint8_t(packet.mode)), out.u8(0);
    out.u16(uint16_t(n));
    for (size_t i = 0; i < n; ++i)
        out.f32(packet.points[i].x), out.f32(packet.points[i].y);
    return out.data();
}

bool decodeLasso(std::span<const uint8_t> payload, TLassoPacket& packet)
{
    ByteReader in(payload);
    packet.layer = in.i16();
    packet.slot = in.i16();
    const uint8_t mode = in.u8();
    in.u8();
    const uint16_t n = in.u16();
    if (in.failed() || !validMode(mode) || in.remaining() != size_t(n) * 8)
        return false;
    packet.mode = MaskCombine(mode);
    packet.points.resize(n);
    for (TPointF& p : packet.points)
        p = {in.f32(), in.f32()};
    return !in.failed();
}

std::vector<uint8_t> encodeColourRange(const TColourRangeChoice& choice)
{
    ByteWriter out;
    out.u32(uint32_t(kColourRangeHead + choice.picks.size() * kPickBytes));
    out.u32(uint32_t(choice.picks.size()));
    out.u8(choice.fromView ? 1 : 0), out.zeros(3);
    out.i32(choice.slot);
    out.zeros(8);
    for (const TColorPick& pick : choice.picks) {
        out.u32(pick.colour);
        out.u8(pick.add ? 1 : 0), out.u8(pick.range), out.zeros(2);
    }
    return out.data();
}

bool decodeColourRange(std::span<const uint8_t> payload, TColourRangeChoice& choice)
{
    ByteReader in(payload);
    const uint32_t n = in.u32();
    if (in.failed() || n != in.remaining() || n < kColourRangeHead)
        return false;
    const uint32_t count = in.u32();
    choice.fromView = in.u8() != 0;
    in.skip(3);
    choice.slot = in.i32();
    in.skip(8);
    if (in.failed() || in.remaining() != size_t(count) * kPickBytes)
        return false;
    choice.picks.resize(count);
    for (TColorPick& pick : choice.picks) {
        pick.colour = in.u32();
        pick.add = in.u8() != 0;
        pick.range = in.u8();
        in.skip(2);
    }
    return !in.failed();
}

} // namespace qm

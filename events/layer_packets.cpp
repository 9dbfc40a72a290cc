#include "events/layer_packets.h"

#include "core/byte_io.h"
#include "layers/layer_data.h"

#include <algorithm>

namespace qm {

namespace {

// The name field's length counts the terminator and is rounded up to even.
constexpr size_t kLongestName = 0xFFFF - 2;

void writeAttribute(ByteWriter& out, const TLayerAttributePacket& p)
{
    out.i16(p.layer), out.u8(p.mode), out.u8(p.level), out.u8(p.flags), out.u8(p.value);
}

void readAttribute(ByteReader& in, TLayerAttributePacket& p)
{
    p.layer = in.i16();
    p.mode = in.u8();
    p.level = in.u8();
    p.flags = in.u8();
    p.value = in.u8();
}

} // namespace

uint8_t layerFlagsOf(const CLayerData& layer)
{
    return uint8_t((layer.visible ? kLayerFlagVisible : 0) |
                   (layer.protectAlpha ? kLayerFlagProtectAlpha : 0) |
                   (layer.blendNoise ? kLayerFlagBlendNoise : 0));
}

TLayerAttributePacket attributePacketOf(const CLayerData& layer, int32_t index)
{
    return {int16_t(index), layer.mode, layer.opacity, layerFlagsOf(layer), 0};
}

std::vector<uint8_t> encodeLayerAttribute(const TLayerAttributePacket& packet)
{
    ByteWriter out;
    writeAttribute(out, packet);
    return out.data();
}

bool decodeLayerAttribute(std::span<const uint8_t> payload, TLayerAttributePacket& packet)
{
    ByteReader in(payload);
    readAttribute(in, packet);
    return !in.failed();
}

std::vector<uint8_t> encodeBlendOption(const TBlendOptionPacket& packet)
{
    ByteWriter out;
    writeAttribute(out, packet.head);
    out.u8(packet.secondLevel), out.u8(0);
    out.u32(packet.seed);
    out.i16(packet.noise), out.i32(packet.amount);
    return out.data();
}

bool decodeBlendOption(std::span<const uint8_t> payload, TBlendOptionPacket& packet)
{
    ByteReader in(payload);
    readAttribute(in, packet.head);
    packet.secondLevel = in.u8();
    in.u8();
    packet.seed = in.u32();
    packet.noise = in.i16();
    packet.amount = in.i32();
    return !in.failed();
}

std::vector<uint8_t> encodeLayerName(const TLayerNamePacket& packet)
{
    const size_t length = std::min(packet.name.size(), kLongestName);
    const size_t field = (length + 2) & ~size_t(1);
    ByteWriter out;
    out.data().reserve(4 + field); // one allocation, however long the name
    out.i16(packet.layer), out.u16(uint16_t(field));
    out.bytes(packet.name.data(), length);
    out.zeros(field - length);
    return out.data();
}

bool decodeLayerName(std::span<const uint8_t> payload, TLayerNamePacket& packet)
{
    ByteReader in(payload);
    packet.layer = in.i16();
    const std::span<const uint8_t> field = in.take(in.u16());
    if (in.failed())
        return false;
    // The name ends at its terminator, or with the field when a writer left none.
    const auto end = std::find(field.begin(), field.end(), uint8_t(0));
    packet.name.assign(field.begin(), end);
    return true;
}

std::vector<uint8_t> encodeLayerOffset(const TLayerOffsetPacket& packet)
{
    ByteWriter out;
    out.i16(packet.layer), out.u16(0), out.i32(packet.dx), out.i32(packet.dy);
    out.zeros(8); // the flags and the rest of the move tool's longer form
    return out.data();
}

bool decodeLayerOffset(std::span<const uint8_t> payload, TLayerOffsetPacket& packet)
{
    ByteReader in(payload);
    packet.layer = in.i16();
    in.u16();
    packet.dx = in.i32();
    packet.dy = in.i32();
    return !in.failed() && in.skip(8);
}

} // namespace qm

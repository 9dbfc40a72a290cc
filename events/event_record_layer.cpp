// Recording the layer window's edits. Each is written before the paper changes the layer, so
// the attribute packets carry the layer's old attributes beside the new value.
#include "events/event_mngr.h"

#include "core/byte_io.h"
#include "events/layer_packets.h"
#include "paper/paper.h"

namespace qm {

void CEventMngr::writeAction(uint8_t category, uint8_t sub, std::span<const uint8_t> payload)
{
    writeStateRecords(false);
    if (guarded([&] { return writePacket(category, sub, payload); }))
        commit();
}

void CEventMngr::recordLayerAttribute(int32_t layer, TLayerAttribute which, uint8_t value)
{
    const CLayerData* data = paper_.layer(layer);
    if (!data || !readyToRecord())
        return;
    TLayerAttributePacket packet = attributePacketOf(*data, layer);
    const auto setFlag = [&](uint8_t flag) {
        packet.flags = uint8_t(value ? packet.flags | flag : packet.flags & ~flag);
    };
    switch (which) {
    case TLayerAttribute::opacity:
    case TLayerAttribute::mode: packet.value = value; break;
    case TLayerAttribute::visible: setFlag(kLayerFlagVisible); break;
    case TLayerAttribute::protectAlpha: setFlag(kLayerFlagProtectAlpha); break;
    }
    writeLayerAction(uint8_t(which), encodeLayerAttribute(packet));
}

void CEventMngr::recordLayerBlendOption(int32_t layer, bool noise, uint8_t amount)
{
    const CLayerData* data = paper_.layer(layer);
    if (!data || !readyToRecord())
        return;
    TBlendOptionPacket packet;
    packet.head = attributePacketOf(*data, layer);
    packet.head.flags = uint8_t(noise ? packet.head.flags | kLayerFlagBlendNoise
                                      : packet.head.flags & ~kLayerFlagBlendNoise);
    packet.secondLevel = data->blendAmount;
    // The generator's state as the paper file keeps it: a replay starts the layer's pattern
    // from it, so merging a layer with the option on gives the same pixels.
    packet.seed = data->random.state;
    packet.noise = noise ? 1 : 0;
    packet.amount = amount;
    writeLayerAction(layerEvent::blendOption, encodeBlendOption(packet));
}

void CEventMngr::recordLayerName(int32_t layer, const std::string& name)
{
    if (!readyToRecord())
        return;
    writeLayerAction(layerEvent::name, encodeLayerName({int16_t(layer), name}));
}

void CEventMngr::recordLayerOffset(int32_t layer, int32_t dx, int32_t dy)
{
    if (!readyToRecord())
        return;
    writeLayerAction(layerEvent::offset, encodeLayerOffset({int16_t(layer), dx, dy}));
}

void CEventMngr::recordLayerMove(int32_t layer, int32_t to)
{
    if (!readyToRecord())
        return;
    ByteWriter w;
    w.i16(int16_t(layer)), w.i16(int16_t(to));
    writeLayerAction(layerEvent::move, w.data());
}

} // namespace qm

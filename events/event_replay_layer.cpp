// Replaying the layer window's edits through the same paper operations as the live ones. A
// packet that asks for what the layer already has is nothing to do; a layer that does not
// exist, or a value the operation refuses, stops the replay.
#include "events/event_mngr.h"

#include "core/byte_io.h"
#include "events/layer_packets.h"
#include "paper/paper.h"

#include <limits>

namespace qm {

namespace {

bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

} // namespace

bool CEventMngr::replayLayerWindow(TFlowImage& flow, uint8_t sub,
                                   const std::vector<uint8_t>& payload)
{
    TPaper& paper = paper_;
    switch (sub) {
    case layerEvent::duplicate: {
        ByteReader in(payload);
        return paper.duplicateLayer(flow, in.i16(), false);
    }
    case layerEvent::move: {
        ByteReader in(payload);
        const int32_t from = in.i16(), to = in.i16();
        return paper.moveLayer(flow, from, to, false) || (paper.layer(from) && from == to);
    }
    case layerEvent::offset: {
        TLayerOffsetPacket packet;
        if (!decodeLayerOffset(payload, packet) || !paper.layer(packet.layer))
            return false;
        const CLayerData& layer = *paper.layer(packet.layer);
        const int64_t x = int64_t(layer.offsetX) + packet.dx;
        const int64_t y = int64_t(layer.offsetY) + packet.dy;
        if (!fitsInt32(x) || !fitsInt32(y))
            return false;
        return paper.setLayerOffset(flow, packet.layer, int32_t(x), int32_t(y), false) ||
               (packet.dx == 0 && packet.dy == 0);
    }
    case layerEvent::name: {
        TLayerNamePacket packet;
        if (!decodeLayerName(payload, packet) || !paper.layer(packet.layer))
            return false;
        return paper.renameLayer(packet.layer, packet.name, false) ||
               paper.layer(packet.layer)->name == packet.name;
    }
    case layerEvent::blendOption: {
        TBlendOptionPacket packet;
        if (!decodeBlendOption(payload, packet))
            return false;
        const int32_t i = packet.head.layer;
        if (!paper.layer(i) || packet.amount < 0 || packet.amount > 255)
            return false;
        CLayerData& layer = *paper.layer(i);
        const bool noise = packet.noise != 0;
        const uint8_t amount = uint8_t(packet.amount);
        // The live layer's pattern, whatever this run's clock gave the replayed one.
        layer.random.Initialise(packet.seed, CLayerData::kRandomLow, CLayerData::kRandomHigh);
        return paper.setLayerBlendOption(flow, i, noise, amount, false) ||
               ((layer.blendNoise != 0) == noise && layer.blendAmount == amount);
    }
    default: break;
    }
    TLayerAttributePacket packet;
    if (!decodeLayerAttribute(payload, packet) || !paper.layer(packet.layer))
        return false;
    const CLayerData& layer = *paper.layer(packet.layer);
    const int32_t i = packet.layer;
    switch (sub) {
    case layerEvent::opacity:
        return paper.setLayerOpacity(flow, i, packet.value, false) || layer.opacity == packet.value;
    case layerEvent::mode:
        return paper.setLayerMode(flow, i, packet.value, false) || layer.mode == packet.value;
    case layerEvent::visible: {
        const bool on = (packet.flags & kLayerFlagVisible) != 0;
        return paper.setLayerVisible(flow, i, on, false) || (layer.visible != 0) == on;
    }
    case layerEvent::protectAlpha: {
        const bool on = (packet.flags & kLayerFlagProtectAlpha) != 0;
        return paper.setLayerProtectAlpha(flow, i, on, false) || (layer.protectAlpha != 0) == on;
    }
    default: return missing("layer operation");
    }
}

} // namespace qm

// Recording and replaying the fills. A fill is written after the stroke state it paints with;
// the seed fills carry the region they grew, so a replay only paints it again.
#include "events/event_mngr.h"

#include "events/event_texts.h"
#include "events/fill_packets.h"
#include "paper/paper.h"

namespace qm {

void CEventMngr::writeFillAction(uint8_t category, uint8_t sub, std::span<const uint8_t> payload)
{
    writeStateRecords(true);
    if (guarded([&] { return writePacket(category, sub, payload); }))
        commit();
}

void CEventMngr::recordAreaFill(uint8_t sub, int32_t layer, int32_t value, TPoint first,
                                TPointF second)
{
    if (!readyToRecord())
        return;
    const TAreaFillPacket packet{int16_t(layer), value, first.x, first.y, second.x, second.y};
    writeFillAction(eventCategory::areaFill, sub, encodeAreaFill(packet));
}

void CEventMngr::recordPolygonFill(int32_t layer, std::span<const TPointF> points)
{
    if (!readyToRecord() || points.size() > kMaxPolygonFillPoints)
        return;
    const TPolygonFillPacket packet{int16_t(layer), {points.begin(), points.end()}};
    writeFillAction(eventCategory::areaFill, areaFillEvent::polygon, encodePolygonFill(packet));
}

void CEventMngr::recordChannel(uint8_t sub, const TChannelEventHead& head, const TChannel& channel)
{
    if (!readyToRecord())
        return;
    writeFillAction(eventCategory::channel, sub, encodeChannel(sub, head, channel));
}

void CEventMngr::recordText(const TTextRecords& records, uint8_t sub,
                            const TChannelEventHead& head, const TChannel& channel)
{
    if (!readyToRecord())
        return;
    writeStateRecords(true);
    if (guarded([&] {
            return writePacket(eventCategory::state, stateRecord::textFont, records.font) &&
                   writePacket(eventCategory::state, stateRecord::text, records.text) &&
                   writePacket(eventCategory::channel, sub, encodeChannel(sub, head, channel));
        }))
        commit();
}

bool CEventMngr::replayAreaFill(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    TStroke& stroke = replayStroke_;
    if (sub == areaFillEvent::polygon) {
        TPolygonFillPacket packet;
        if (!decodePolygonFill(payload, packet) || !paper_.layers->IsIndex(packet.layer))
            return false;
        if (packet.layer != paper_.currentLayerIndex())
            paper_.setCurrentLayer(flow, packet.layer);
        return paper_.fillPolygon(flow, stroke, false, packet.points);
    }
    TAreaFillPacket packet;
    if (!decodeAreaFill(payload, packet) || !paper_.layers->IsIndex(packet.layer))
        return false;
    if (packet.layer != paper_.currentLayerIndex())
        paper_.setCurrentLayer(flow, packet.layer);
    switch (sub) {
    case areaFillEvent::shape:
        return paper_.fillShape(flow, stroke, false, TFillShape(packet.value),
                                {packet.x0, packet.y0}, {packet.x1, packet.y1});
    case areaFillEvent::gradation:
        return paper_.fillGradation(flow, stroke, {packet.x0, packet.y0},
                                    {int32_t(packet.x1), int32_t(packet.y1)}, false);
    case areaFillEvent::wholeLayer:
    case areaFillEvent::fillSelection:
    case areaFillEvent::clearSelection:
        return paper_.fillWholeLayer(flow, stroke, false, sub);
    default: return missing("area fill");
    }
}

bool CEventMngr::replayChannel(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    if (sub > channelEvent::wandOnView && sub != channelEvent::colourMask &&
        sub != channelEvent::text && sub != channelEvent::textSelection)
        return false;
    TChannelPacket packet;
    if (decodeChannel(sub, payload, packet) != ChannelPacketError::None ||
        !paper_.layers->IsIndex(packet.head.layer))
        return false;
    return paper_.applyChannel(flow, replayStroke_, sub, packet.head, packet.channel, false);
}

} // namespace qm

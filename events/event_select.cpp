// Recording and replaying the selection operations. Each is written after the state records
// (the current layer and mask among them); a replay calls the same paper operation with what
// the event carries, so shapes and colour ranges are never worked out again from the input.
#include "events/event_mngr.h"

#include "events/fill_packets.h"
#include "events/layer_packets.h"
#include "events/select_packets.h"
#include "paper/paper.h"

namespace qm {

void CEventMngr::recordSelection(uint8_t sub, int32_t layer, int32_t slot, int32_t a, int32_t b)
{
    if (!readyToRecord())
        return;
    writeSelectAction(sub, encodeSelect(sub, {int16_t(layer), slot, a, b}));
}

void CEventMngr::recordMaskName(int32_t slot, const std::string& name)
{
    if (!readyToRecord())
        return;
    writeSelectAction(selectEvent::name, encodeLayerName({int16_t(slot), name}));
}

void CEventMngr::recordSelectShape(uint8_t sub, const TSelectShape& shape)
{
    if (!readyToRecord())
        return;
    writeSelectAction(sub, encodeSelectShape(shape));
}

void CEventMngr::recordSelectLasso(int32_t layer, int32_t slot, MaskCombine mode,
                                   std::span<const TPointF> points)
{
    if (!readyToRecord() || points.size() > kMaxLassoPoints)
        return;
    writeSelectAction(selectEvent::lasso,
                      encodeLasso({int16_t(layer), int16_t(slot), mode, {points.begin(), points.end()}}));
}

void CEventMngr::recordColourRange(const TColourRangeChoice& choice, const TChannelEventHead& head,
                                   const TChannel& channel)
{
    if (!readyToRecord())
        return;
    // The choice travels as a state record just before the channel it gave.
    writeStateRecords(true);
    writeStateRecord(136, encodeColourRange(choice));
    if (guarded([&] {
            return writePacket(eventCategory::channel, channelEvent::colourMask,
                               encodeChannel(channelEvent::colourMask, head, channel));
        }))
        commit();
}

bool CEventMngr::replaySelection(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    TPaper& p = paper_;
    if (sub == selectEvent::name) {
        TLayerNamePacket packet;
        return decodeLayerName(payload, packet) && p.renameMask(packet.layer, packet.name, false);
    }
    if (sub == selectEvent::rectangle || sub == selectEvent::ellipse) {
        TSelectShape shape;
        if (!decodeSelectShape(payload, shape) || !p.layers->IsIndex(shape.layer))
            return false;
        if (shape.layer != p.currentLayerIndex())
            p.setCurrentLayer(flow, shape.layer);
        return p.selectShape(sub == selectEvent::ellipse ? TFillShape::ellipse
                                                         : TFillShape::rectangle,
                             shape, false);
    }
    if (sub == selectEvent::lasso) {
        TLassoPacket packet;
        if (!decodeLasso(payload, packet) || !p.layers->IsIndex(packet.layer))
            return false;
        if (packet.layer != p.currentLayerIndex())
            p.setCurrentLayer(flow, packet.layer);
        return p.selectPolygon(packet.slot, packet.points, packet.mode, false);
    }
    TSelectPacket e;
    if (!decodeSelect(sub, payload, e))
        return false;
    const int32_t slot = e.slot;
    switch (sub) {
    case selectEvent::insert: return p.insertMask(slot, false);
    case selectEvent::clear: return p.clearMask(slot, false);
    case selectEvent::remove: return p.removeMask(slot, false);
    case selectEvent::invert: return p.invertMask(slot, false);
    case selectEvent::duplicate: return p.duplicateMask(slot, false);
    case selectEvent::setCurrent: return p.setCurrentMask(slot, false);
    case selectEvent::cropToPaper: return p.cropMaskToPaper(slot, false);
    case selectEvent::move: return p.moveMask(slot, e.a, false);
    case selectEvent::position: return p.setMaskPosition(slot, {e.a, e.b}, false);
    case selectEvent::combine:
        return e.b >= 0 && e.b <= int32_t(MaskCombine::Intersect) &&
               p.combineMasks(slot, e.a, MaskCombine(e.b), false);
    case selectEvent::growByOne: return p.growMask(slot, e.b, e.a != 0, false, false);
    case selectEvent::grow:
    case selectEvent::shrink: return p.growMask(slot, e.a, sub == selectEvent::grow, true, false);
    // A flag that already has its value (the state records set it) is no failure.
    case selectEvent::shown: p.setSelectionShown(e.a != 0, false); return true;
    case selectEvent::active: p.setSelectionActive(e.a != 0, false); return true;
    case selectEvent::all: return p.selectAll(false);
    case selectEvent::toLayerMask: return p.copySelectionToLayerMask(flow, e.layer, false);
    case selectEvent::fromLayer: return p.maskFromLayer(e.b, e.a != 0, false);
    case selectEvent::newLayer: return p.layerFromSelection(flow, e.layer, false, false);
    case selectEvent::splitLayer: return p.layerFromSelection(flow, e.layer, true, false);
    default: return missing("selection operation");
    }
}

} // namespace qm

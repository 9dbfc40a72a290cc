// Recording and replaying the stack's operations: new paper sizes, crops and turns, merges,
// the visibility of all layers, the transforms of every visible layer, layers from the dialog,
// cuts along the selection and placed pictures. Replay calls the same paper operations with
// what the packet carries; a packet that asks for what the paper already has is nothing to do.
#include "events/event_mngr.h"

#include "core/byte_io.h"
#include "events/stack_packets.h"
#include "paper/paper.h"

#include <bit>

namespace qm {

// ---- recording ----

void CEventMngr::recordPaperOperation(uint8_t sub, int32_t a, int32_t b)
{
    if (!readyToRecord()) return;
    ByteWriter out;
    if (sub >= paperEvent::showAll && sub <= paperEvent::invertVisibility)
        out.i16(int16_t(a)), out.i16(int16_t(b));
    writeAction(eventCategory::paper, sub, out.data());
}

void CEventMngr::recordPaperResize(uint8_t sub, const TPaperResize& resize)
{
    if (!readyToRecord()) return;
    writeAction(eventCategory::paper, sub, encodePaperResize(resize));
}

void CEventMngr::recordCrop(int32_t layer, const TRect& rect)
{
    if (!readyToRecord()) return;
    writeAction(eventCategory::paper, paperEvent::crop, encodeCrop(layer, rect));
}

void CEventMngr::recordLayerValues(uint8_t sub, int32_t layer, int32_t value, int32_t a, int32_t b)
{
    if (!readyToRecord()) return;
    writeLayerAction(sub, encodeLayerValues({layer, value, a, b}));
}

void CEventMngr::recordNewNamedLayer(const TNewLayerChoice& choice)
{
    if (!readyToRecord()) return;
    writeLayerAction(layerStackEvent::newNamed, encodeNamedLayer(choice));
}

void CEventMngr::recordLayerMoveWithMask(int32_t layer, int32_t slot, int32_t dx, int32_t dy)
{
    if (!readyToRecord()) return;
    writeLayerAction(layerStackEvent::moveWithMask, encodeLayerMoveWithMask({layer, slot, dx, dy}));
}

void CEventMngr::recordImagePlacement(uint8_t sub, const TImagePlacement& placement)
{
    if (!readyToRecord()) return;
    writeAction(eventCategory::image, sub, encodeImageBlock(placement));
}

// ---- replay ----

bool CEventMngr::replayStackPaper(TFlowImage& flow, uint8_t sub,
                                  const std::vector<uint8_t>& payload)
{
    TPaper& paper = paper_;
    const auto sizeFits = [&](const TPaperResize& r) {
        return r.width > 0 && r.height > 0 && r.width <= maxSide && r.height <= maxSide;
    };
    switch (sub) {
    case paperEvent::canvasSize: {
        TPaperResize resize;
        if (!decodePaperResize(payload, resize) || !sizeFits(resize)) return false;
        return paper.resizeCanvas(flow, resize, false) ||
               (resize.width == paper.width && resize.height == paper.height);
    }
    case paperEvent::resample:
    case paperEvent::resolution: {
        TPaperResize resize;
        if (!decodePaperResize(payload, resize) || !sizeFits(resize)) return false;
        return paper.rescalePaper(flow, sub, resize, false) ||
               (resize.width == paper.width && resize.height == paper.height);
    }
    case paperEvent::turnClockwise:
    case paperEvent::turnCounterClockwise:
        return paper.turnPaper(flow, sub == paperEvent::turnClockwise, false);
    case paperEvent::crop: {
        int32_t layer = 0;
        TRect rect;
        return decodeCrop(payload, layer, rect) && paper.cropPaper(flow, layer, rect, false);
    }
    case paperEvent::mergeAll:
        return paper.mergeAll(flow, false);
    case paperEvent::flipVisibleLeftRight:
        return paper.transformVisible(flow, TLayerCommand::flipLeftRight, false);
    case paperEvent::flipVisibleTopBottom:
        return paper.transformVisible(flow, TLayerCommand::flipTopBottom, false);
    case paperEvent::halfTurnVisible:
        return paper.transformVisible(flow, TLayerCommand::halfTurn, false);
    case paperEvent::negateVisible:
        return paper.transformVisible(flow, TLayerCommand::negate, false);
    case paperEvent::showAll:
    case paperEvent::showOnly:
    case paperEvent::invertVisibility: {
        ByteReader in(payload);
        const int32_t a = in.i16();
        if (in.failed() || (sub == paperEvent::showOnly && !paper.layer(a))) return false;
        if (sub == paperEvent::showAll)
            paper.setAllVisible(flow, a != 0, false);
        else if (sub == paperEvent::showOnly)
            paper.showOnlyLayer(flow, a, false);
        else
            paper.invertVisibility(flow, false);
        return true; // already so is nothing to do
    }
    default:
        return missing("paper operation");
    }
}

bool CEventMngr::replayStackLayer(TFlowImage& flow, uint8_t sub,
                                  const std::vector<uint8_t>& payload)
{
    TPaper& paper = paper_;
    if (sub == layerStackEvent::newNamed) {
        TNewLayerChoice choice;
        if (!decodeNamedLayer(payload, choice) || choice.width <= 0 || choice.height <= 0 ||
            choice.width > maxSide || choice.height > maxSide)
            return false;
        return paper.createNamedLayer(flow, choice, false) >= 0;
    }
    if (sub == layerStackEvent::moveWithMask) {
        TLayerValues move;
        return decodeLayerMoveWithMask(payload, move) &&
               paper.moveLayerWithSelection(flow, move.layer, move.value, move.a, move.b, false);
    }
    if (sub == layerStackEvent::mergeDownKind || sub == layerStackEvent::rotate ||
        sub == layerStackEvent::scale) {
        TLayerValues values;
        if (!decodeLayerValues(payload, values)) return false;
        if (sub == layerStackEvent::mergeDownKind)
            return paper.mergeDown(flow, values.layer, values.value, false);
        if (sub == layerStackEvent::rotate)
            return paper.rotateLayer(flow, values.layer, std::bit_cast<float>(values.a), false);
        if (values.a <= 0 || values.b <= 0 || values.a > maxSide || values.b > maxSide)
            return false;
        return paper.scaleLayer(flow, values.layer, values.a, values.b, false);
    }
    ByteReader in(payload);
    const int32_t layer = in.i16(), value = in.i16();
    if (in.failed()) return false;
    switch (sub) {
    case layerStackEvent::mergeDown:
        return paper.mergeDown(flow, layer, 0, false);
    case layerStackEvent::cutOutside:
        return paper.cutOutside(flow, layer, value, false);
    case layerStackEvent::cut:
        return paper.cutSelection(flow, layer, value, false);
    case layerStackEvent::turnClockwise:
    case layerStackEvent::turnCounterClockwise:
        return paper.turnLayer(flow, layer, sub == layerStackEvent::turnClockwise, false);
    default:
        return missing("layer operation");
    }
}

bool CEventMngr::replayPlacement(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    TImagePlacement placement;
    if (!decodeImageBlock(payload, maxSide, placement)) return false;
    return paper_.placeImage(flow, sub, placement, false);
}

} // namespace qm

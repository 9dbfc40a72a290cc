#include "events/legacy_replay.h"

#include "core/byte_io.h"
#include "events/event_texts.h"
#include "paper/paper.h"

#include <algorithm>

namespace qm {

namespace {

// The legacy layer commands, as the layer events they stand for.
int32_t commandOfLegacyCode(uint16_t code)
{
    switch (code) {
    case 288:
        return int32_t(TLayerCommand::flipLeftRight); // as layer event 32
    case 289:
        return int32_t(TLayerCommand::flipTopBottom); // 33
    case 290:
        return int32_t(TLayerCommand::halfTurn); // 34
    case 291:
        return int32_t(TLayerCommand::negate); // 35
    default:
        return -1;
    }
}

uint32_t colourOf(std::span<const uint8_t> b)
{
    return uint32_t(b[0]) << 16 | uint32_t(b[1]) << 8 | b[2];
}

// The stroke settings the legacy head carries: three option bits and six values in 8.8.
void applyHead(TStroke& s, uint16_t kind, const TLegacyStrokeHead& head)
{
    s.kind = uint8_t(kind);
    s.color = head.colour;
    s.ifSize = head.flags & 1;
    s.ifTransparency = (head.flags >> 1) & 1;
    s.ifEdge = (head.flags >> 2) & 1;
    s.setWidth(head.param(0));
    s.minSize = head.param(1);
    s.gamma = head.param(2);
    s.effect = head.param(3);
    s.env = head.param(4);
    s.speed = head.param(5);
    s.useTone = s.useGradation = 0;
    s.rawPoints = 0;
    s.strokeFormat = 0; // the oldest sizing rules
}

} // namespace

bool TLegacyReplay::open(const std::string& path)
{
    return start(packets_.load(path));
}

bool TLegacyReplay::open(std::span<const uint8_t> bytes)
{
    return start(packets_.scan(bytes));
}

bool TLegacyReplay::start(const TLegacyScan& scan)
{
    if (!scan.valid) return false;
    if (auto* events = dynamic_cast<CEventMngr*>(paper_.eventMngr.get())) events->stopRecording();
    paper_.setPaintRoutine(TPaintRoutine::legacy);
    paper_.window.playback = TPlayback::legacy;
    paper_.locked = scan.protectedStream ? 1 : 0;
    packets_.rewind();
    finished_ = false;
    return true;
}

bool TLegacyReplay::missing(const char* what)
{
    missingOperation = what;
    reportMissingOperation(paper_.window.messages(), what);
    return false;
}

void TLegacyReplay::finish()
{
    if (finished_) return;
    finished_ = true;
    paper_.window.playback = TPlayback::none;
    paper_.switchToCurrentEngine(flow_);
}

TReplayStep TLegacyReplay::step()
{
    if (finished_) return TReplayStep::end;
    uint16_t code = 0;
    TLegacyPacket packet;
    if (!packets_.nextPacket(packet)) {
        if (packets_.readCode(code) && code == legacyCode::end) {
            finish();
            return TReplayStep::end;
        }
        return TReplayStep::error;
    }
    return replay(packet) ? TReplayStep::more : TReplayStep::error;
}

TReplayStep TLegacyReplay::playAll()
{
    TReplayStep result;
    do
        result = step();
    while (result == TReplayStep::more);
    return result;
}

bool TLegacyReplay::replay(const TLegacyPacket& packet)
{
    const uint16_t code = packet.code;
    ByteReader in(packet.payload);
    if (code <= legacyCode::lastStroke) return stroke(code, packet.payload);
    if (isLegacyMark(code)) return true;
    switch (code) {
    case legacyCode::newPaper:
    case legacyCode::newPaper2: {
        const int32_t w = in.u16(), h = in.u16();
        if (paper_.initialised) return missing("new paper during a replay");
        if (w <= 0 || h <= 0 || w > 10000 || h > 10000) return false;
        return paper_.initPaper(paper_.title, flow_, w, h);
    }
    case 513:
        paper_.setPaperColor(colourOf(packet.payload), true);
        return true;
    case 273: {
        const int32_t layer = in.u8();
        if (paper_.layers->IsIndex(layer)) paper_.setCurrentLayer(flow_, layer);
        return true;
    }
    case legacyCode::straightStroke:
        return straightStroke(packet.payload);
    case 260:
    case 274:
    case 275:
    case 276:
        return layerChange(code, packet.payload);
    case 295:
    case 296:
    case 297:
    case 304:
        return areaFill(code, packet.payload);
    case 256:
    case 257:
    case 259:
    case 261:
    case 272:
    case 292:
    case 293:
    case 294:
        return layerOperation(code, packet.payload);
    case 258:
    case 514:
    case 515:
    case 516:
    case 517:
    case 528:
    case 529:
    case 530:
    case 531:
        return paperOperation(code, packet.payload);
    // View settings of the old program (zoom, scroll, the layer shown): not edits, so they
    // change nothing a replay produces.
    case 277:
    case 518:
    case 519:
        return true;
    default:
        break;
    }
    const int32_t command = commandOfLegacyCode(code);
    if (command >= 0) return paper_.execLayerCommand(flow_, in.u8(), true, command);
    return missing("paper or layer operation of an old recording");
}

// The old recordings' layer operations, by what each code meant: 256 a new layer at the
// index, 257 delete, 259 duplicate, 261 merge down, 272 and 292 clear, 293 fill with a colour,
// 294 move by (dx, dy).
bool TLegacyReplay::layerOperation(uint16_t code, std::span<const uint8_t> payload)
{
    ByteReader in(payload);
    const int32_t layer = in.u8();
    if (in.failed()) return false;
    TFlowImage& flow = flow_;
    TPaper& paper = paper_;
    if (code == 256) {
        const int32_t at = std::min(layer, paper.layerCount());
        return paper.createLayer(flow, at, paper.width, paper.height, true, 255, 0, true) >= 0;
    }
    if (!paper.layer(layer)) return false;
    switch (code) {
    case 257:
        return paper.deleteLayer(flow, layer, true);
    case 259:
        return paper.duplicateLayer(flow, layer, true);
    case 261:
        return paper.mergeDown(flow, layer, 0, true);
    case 293: {
        const std::span<const uint8_t> colour = in.take(3);
        if (in.failed()) return false;
        TStroke& s = paper.window.stroke;
        s.color = colourOf(colour);
        if (layer != paper.currentLayerIndex()) paper.setCurrentLayer(flow, layer);
        return paper.fillWholeLayer(flow, s, true, areaFillEvent::wholeLayer);
    }
    case 294: {
        const int32_t dx = in.i16(), dy = in.i16();
        const CLayerData& l = *paper.layer(layer);
        if (in.failed()) return false;
        return paper.setLayerOffset(flow, layer, l.offsetX + dx, l.offsetY + dy, true) ||
               (dx == 0 && dy == 0);
    }
    default:
        return paper.clearLayer(flow, layer, true);
    }
}

// The old recordings' paper operations: 258 merge all, 514 canvas size (with its anchor),
// 515 rescale, 516 and 517 the quarter turns, 528 … 531 the visible layers' transforms.
bool TLegacyReplay::paperOperation(uint16_t code, std::span<const uint8_t> payload)
{
    ByteReader in(payload);
    TFlowImage& flow = flow_;
    TPaper& paper = paper_;
    switch (code) {
    case 258:
        return paper.mergeAll(flow, true);
    case 514:
    case 515: {
        TPaperResize resize;
        resize.width = in.u16();
        resize.height = in.u16();
        if (code == 514) resize.anchor = in.u8();
        if (in.failed() || resize.width <= 0 || resize.height <= 0 || resize.width > 10000 ||
            resize.height > 10000)
            return false;
        const bool same = resize.width == paper.width && resize.height == paper.height;
        return (code == 514 ? paper.resizeCanvas(flow, resize, true)
                            : paper.rescalePaper(flow, paperEvent::resolution, resize, true)) ||
               same;
    }
    case 516:
    case 517:
        return paper.turnPaper(flow, code == 516, true);
    case 528:
        return paper.transformVisible(flow, TLayerCommand::flipTopBottom, true);
    case 529:
        return paper.transformVisible(flow, TLayerCommand::flipLeftRight, true);
    case 530:
        return paper.transformVisible(flow, TLayerCommand::halfTurn, true);
    default:
        return paper.transformVisible(flow, TLayerCommand::negate, true);
    }
}

// A layer moved, shown or hidden, or given a mode or opacity: the layer window's operations.
// Asking for what the layer already has is nothing to do; a missing layer stops the replay.
bool TLegacyReplay::layerChange(uint16_t code, std::span<const uint8_t> payload)
{
    ByteReader in(payload);
    const int32_t i = in.u8();
    const uint8_t value = in.u8();
    const CLayerData* layer = paper_.layer(i);
    if (in.failed() || !layer) return false;
    switch (code) {
    case 260: {
        // A position past the top means the top, as the layer list's own move takes it.
        const int32_t to = std::min<int32_t>(value, paper_.topLayerIndex());
        return paper_.moveLayer(flow_, i, to, true) || to == i;
    }
    case 274: {
        const bool on = value == 1;
        return paper_.setLayerVisible(flow_, i, on, true) || (layer->visible != 0) == on;
    }
    case 275:
        return paper_.setLayerMode(flow_, i, value, true) || layer->mode == value;
    default:
        return paper_.setLayerOpacity(flow_, i, value, true) || layer->opacity == value;
    }
}

bool TLegacyReplay::areaFill(uint16_t code, std::span<const uint8_t> payload)
{
    ByteReader in(payload);
    const int32_t layer = in.u8();
    TStroke& s = paper_.window.stroke;
    const auto takeColour = [&] {
        if (const auto bytes = in.take(3); bytes.size() == 3) s.color = colourOf(bytes);
    };
    if (code == 304) takeColour();
    if (code == 295 || code == 296) {
        const int32_t left = in.i16(), top = in.i16(), right = in.i16(), bottom = in.i16();
        if (code == 296) takeColour();
        if (in.failed() || !paper_.layers->IsIndex(layer)) return false;
        if (layer != paper_.currentLayerIndex()) paper_.setCurrentLayer(flow_, layer);
        // A rectangle that covers nothing paints nothing, and is no fault of the recording.
        return paper_.fillShape(flow_, s, true, TFillShape::rectangle, {left, top},
                                {float(right), float(bottom)}) ||
               left >= right || top >= bottom;
    }
    const size_t count = in.u16();
    if (in.failed() || in.remaining() < count * 4 || !paper_.layers->IsIndex(layer)) return false;
    std::vector<TPointF> points(count);
    for (TPointF& p : points)
        p = {float(in.i16()), float(in.i16())};
    if (layer != paper_.currentLayerIndex()) paper_.setCurrentLayer(flow_, layer);
    return paper_.fillPolygon(flow_, s, true, points) || count < 3;
}

bool TLegacyReplay::stroke(uint16_t kind, std::span<const uint8_t> payload)
{
    TLegacyStrokeHead head;
    if (!decodeLegacyStrokeHead(payload, head)) return false;
    const size_t pointsAt = kLegacyStrokeHeadSize + 2;
    if (payload.size() < pointsAt + size_t(head.pointCount) * 6) return false;
    if (paper_.layers->IsIndex(head.layer) && head.layer != paper_.currentLayerIndex())
        paper_.setCurrentLayer(flow_, head.layer);
    TStroke& s = paper_.window.stroke;
    applyHead(s, kind, head);
    paper_.beginStroke(flow_, s, true, head.first.x, head.first.y, head.first.pressure());
    ByteReader in(payload.subspan(pointsAt));
    for (uint16_t i = 0; i < head.pointCount; ++i) {
        const float x = in.i16(), y = in.i16(), p = float(in.i16()) / 1024.0f;
        paper_.continueStroke(flow_, s, true, paper_.window.view(), x, y, p);
    }
    TRect rect;
    paper_.endStroke(flow_, s, true, rect, paper_.window.view());
    paper_.strokeDone(rect);
    return true;
}

bool TLegacyReplay::straightStroke(std::span<const uint8_t> payload)
{
    // The first 17 bytes of a stroke head, the brush kind and the two end points.
    if (payload.size() < 27) return false;
    std::vector<uint8_t> head(payload.begin(), payload.begin() + 17);
    head.resize(kLegacyStrokeHeadSize + 2, 0);
    TLegacyStrokeHead decoded;
    decodeLegacyStrokeHead(head, decoded);
    ByteReader in(payload.subspan(17));
    const int32_t kind = in.i16();
    const float x0 = in.i16(), y0 = in.i16(), x1 = in.i16(), y1 = in.i16();
    if (kind < 0 || kind > legacyCode::lastStroke) return false;
    TStroke& s = paper_.window.stroke;
    applyHead(s, uint16_t(kind), decoded);
    s.layerIndex = paper_.currentLayerIndex();
    paper_.lineStroke(flow_, s, x0, y0, x1, y1, paper_.window.view());
    return true;
}

} // namespace qm

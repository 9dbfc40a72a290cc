// Replay: packets read at the replay position and dispatched to the paper's operations with
// recording off, one event per step (one point per step in wait mode), and the switch back to
// recording at the end of what was replayed.
#include "events/event_mngr.h"

#include "core/byte_io.h"
#include "events/event_texts.h"
#include "events/event_file.h"
#include "events/layer_packets.h"
#include "events/stack_packets.h"
#include "paper/paper.h"
#include "text/font_record.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Settings without a range of their own are kept within this, whatever a damaged file says.
constexpr float kLargestSetting = 1.0e6f;

// Layer events of the layer commands and the commands they replay.
int32_t commandOfLayerEvent(uint8_t sub)
{
    switch (sub) {
    case 32: return int32_t(TLayerCommand::flipLeftRight);
    case 33: return int32_t(TLayerCommand::flipTopBottom);
    case 35: return int32_t(TLayerCommand::negate);
    case 34: return int32_t(TLayerCommand::halfTurn);
    default: return -1;
    }
}

const char* categoryName(uint8_t category)
{
    switch (category) {
    case eventCategory::selection: return "selection";
    default: return "unknown operation";
    }
}

} // namespace

bool CEventMngr::missing(const char* what)
{
    missingOperation = what;
    reportMissingOperation(paper_.window.messages(), what);
    return false;
}

TReplayOpen CEventMngr::openEventFile(const std::string& path, TFlowImage& flow,
                                      bool refuseProtected)
{
    TEventFileData data;
    const EventFileError error = readEventFile(path, data, stream_.segmentSize());
    if (error == EventFileError::FormatTooNew)
        return TReplayOpen::versionError;
    if (error != EventFileError::None)
        return TReplayOpen::fileError;
    return openForReplay(std::move(data), flow, refuseProtected);
}

TReplayOpen CEventMngr::openForReplay(TEventFileData data, TFlowImage& flow, bool refuseProtected)
{
    if (data.formatCode > kFormatCode)
        return TReplayOpen::versionError;
    if (data.stream.size() > TEventStream::kMaxLength)
        return TReplayOpen::fileError;
    startStream();
    if (!stream_.append(data.stream))
        return TReplayOpen::failure;
    setCommittedEnd(stream_.writeEnd());
    eventCount_ = data.eventCount;
    formatCode = uint8_t(data.formatCode);
    headerFlags = data.flags;
    if (!starts_.valid())
        starts_.allocate(64, 64);
    starts_.reset();
    starts_.putCurrent(0);
    resetReplay();
    recordedTones_.clear();
    missingOperation.clear();
    bool isProtected = false;
    if (!walkProtection(false, false, isProtected)) {
        paper_.window.messages().showMessage(kBadPacketMessage);
        return TReplayOpen::packetError;
    }
    isProtectedStream = isProtected ? 1 : 0;
    paper_.locked = isProtectedStream;
    if (isProtected && refuseProtected)
        return TReplayOpen::protectedRefused;
    state = replaying;
    paper_.window.playback = TPlayback::current;

    // The first event must give the paper its size.
    for (;;) {
        uint8_t category, sub;
        std::vector<uint8_t> payload;
        if (!readCode(category, sub) || !readPayload(category, sub, payload))
            return TReplayOpen::failure;
        if (isStatePacket(category)) {
            if (!replayPacket(flow, category, sub, payload))
                return TReplayOpen::failure;
            continue;
        }
        const bool paperSize = category == eventCategory::paper &&
                               (sub == paperOperation::resize || sub == paperOperation::resizeOld);
        if (!paperSize || !replayPacket(flow, category, sub, payload))
            return TReplayOpen::failure;
        break;
    }
    commitReplayedEvent();
    firstEventRead_ = true;
    return TReplayOpen::success;
}

void CEventMngr::resetReplay()
{
    replayStroke_ = TStroke{};
    replayTones_.clear();
    replayPosition_ = replayEventStart_ = replayEventCount_ = 0;
    firstEventRead_ = endReached_ = endMarkRead_ = false;
    replayStrokeOpen_ = replayStrokeBegun_ = strokeEndsAfterPoints_ = false;
    replayGeneration_ = 2;
    endMarkStart_ = 0;
    pendingPoints_.clear();
    streamVersion_ = 0x0303;
    auxiliaryImages_ = {};
}

bool CEventMngr::readCode(uint8_t& category, uint8_t& sub)
{
    uint8_t code[2];
    if (replayPosition_ >= committedEnd_ || !stream_.read(replayPosition_, code, 2))
        return false;
    category = code[0];
    sub = code[1];
    return true;
}

bool CEventMngr::readPayload(uint8_t category, uint8_t sub, std::vector<uint8_t>& payload)
{
    const uint32_t at = replayPosition_ + 2;
    const uint32_t end = committedEnd_;
    const int64_t length = payloadLength(category, sub, [&](uint32_t off, uint8_t* out, uint32_t n) {
        return at <= end && off <= end - at && stream_.read(at + off, out, n);
    });
    if (length < 0 || at > end || uint64_t(length) > uint64_t(end - at))
        return false;
    payload = stream_.copy(at, uint32_t(length));
    if (payload.size() != uint64_t(length))
        return false;
    replayPosition_ = at + uint32_t(length);
    return true;
}

void CEventMngr::commitReplayedEvent()
{
    if (replayEventCount_ != 0)
        starts_.push(replayEventStart_);
    else
        starts_.putCurrent(replayEventStart_);
    ++replayEventCount_;
    replayEventStart_ = replayPosition_;
}

TReplayStep CEventMngr::replayStep(TFlowImage& flow)
{
    if (state != replaying)
        return state == finished ? TReplayStep::end : TReplayStep::error;
    if (paused_)
        return TReplayStep::idle;
    // Wait mode: the buffered points of a stroke one at a time.
    if (replayStrokeOpen_ && !pendingPoints_.empty()) {
        drawPendingPoints(flow, waitMode_ ? 1 : pendingPoints_.size());
        if (!pendingPoints_.empty())
            return TReplayStep::more;
        if (strokeEndsAfterPoints_) {
            endReplayStroke(flow);
            commitReplayedEvent();
            return TReplayStep::more;
        }
    }
    for (;;) {
        uint8_t category, sub;
        if (!readCode(category, sub)) {
            // The stream ends without an end mark: finish what is open.
            if (replayStrokeOpen_) {
                endReplayStroke(flow);
                commitReplayedEvent();
            }
            endReached_ = true;
            state = finished;
            return TReplayStep::end;
        }
        if (replayStrokeOpen_ && !isStatePacket(category) &&
            category != eventCategory::strokePoints && category != eventCategory::strokeLastPoints) {
            endReplayStroke(flow);
            commitReplayedEvent();
            return TReplayStep::more;
        }
        const uint32_t packetStart = replayPosition_;
        std::vector<uint8_t> payload;
        if (!readPayload(category, sub, payload) || !replayPacket(flow, category, sub, payload)) {
            replayPosition_ = packetStart;
            if (missingOperation.empty())
                paper_.window.messages().showMessage(kReplayPacketError);
            return TReplayStep::error;
        }
        if (isStatePacket(category) || isStrokeStart(category))
            continue;
        if (category == eventCategory::strokePoints || category == eventCategory::strokeLastPoints) {
            if (waitMode_)
                return TReplayStep::more;
            if (category == eventCategory::strokePoints)
                continue;
            endReplayStroke(flow);
            commitReplayedEvent();
            return TReplayStep::more;
        }
        commitReplayedEvent();
        if (endReached_) {
            state = finished;
            return TReplayStep::end;
        }
        return TReplayStep::more;
    }
}

TReplayStep CEventMngr::replayAll(TFlowImage& flow)
{
    TReplayStep step;
    {
        TPaper::TDisplayBatch batch(paper_);
        do
            step = replayStep(flow);
        while (step == TReplayStep::more);
    }
    // A replay stopped inside a stroke: the stroke so far lives only in the working copy.
    if (replayStrokeOpen_ && replayStroke())
        paper_.updateRect(flow, paper_.window.view(), replayStroke()->strokeRect(), replayStroke());
    return step;
}

int32_t CEventMngr::replayProgress() const
{
    if (eventCount_ == 0)
        return 100;
    return int32_t(std::min<uint64_t>(100, uint64_t(replayEventCount_) * 100 / eventCount_));
}

bool CEventMngr::replayPacket(TFlowImage& flow, uint8_t category, uint8_t sub,
                              const std::vector<uint8_t>& payload)
{
    switch (category) {
    case eventCategory::state: return applyState(flow, sub, payload);
    case eventCategory::attribute: return true; // the start time and the like: nothing to redo
    case eventCategory::paper: return replayPaper(flow, sub, payload);
    case eventCategory::layer: return replayLayer(flow, sub, payload);
    case 16: case 20: case 21: case 22: case 23: case 24: {
        ByteReader in(payload);
        const int32_t layer = in.u16();
        if (replayStrokeOpen_)
            endReplayStroke(flow);
        if (paper_.layers->IsIndex(layer) && layer != paper_.currentLayerIndex())
            paper_.setCurrentLayer(flow, layer);
        replayStroke_.rawPoints = (category == 20 || category == 22 || category == 24) ? 1 : 0;
        replayGeneration_ = category == 16 || category == 20 ? 0 : (category <= 22 ? 1 : 2);
        replayStrokeOpen_ = true;
        replayStrokeBegun_ = false;
        strokeEndsAfterPoints_ = false;
        pendingPoints_.clear();
        return true;
    }
    case eventCategory::strokePoints:
    case eventCategory::strokeLastPoints: return replayPoints(flow, category, payload);
    case eventCategory::areaFill: return replayAreaFill(flow, sub, payload);
    case eventCategory::channel: return replayChannel(flow, sub, payload);
    case eventCategory::selection: return replaySelection(flow, sub, payload);
    case eventCategory::image: return replayPlacement(flow, sub, payload);
    case 32: case 33: case 34: case 35: case 38: return replayFilter(flow, category, sub, payload);
    default: return missing(categoryName(category));
    }
}

bool CEventMngr::applyState(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    ByteReader in(payload);
    switch (sub) {
    case stateRecord::version: {
        const uint16_t major = in.u16(), minor = in.u16(), extension = in.u16();
        if (extension != 0) {
            paper_.window.messages().showMessage("eventMngr::readAppStat: extFlags version error!");
            return false;
        }
        streamVersion_ = uint16_t(major << 8 | (minor & 0xFF));
        return true;
    }
    case stateRecord::paperColour: {
        const uint32_t colour = in.u32() & 0xFFFFFFu;
        if (colour != paper_.paperColor)
            paper_.setPaperColor(colour, false);
        return true;
    }
    case stateRecord::secondColour: replayStroke_.secondColor = in.u32() & 0xFFFFFFu; return true;
    case stateRecord::gradationPoints: {
        const int32_t x0 = in.i32(), y0 = in.i32(), x1 = in.i32(), y1 = in.i32();
        if (paper_.gradation)
            paper_.gradation->SetLine({x0, y0}, {x1, y1});
        return true;
    }
    case stateRecord::gradationSettings: {
        const uint8_t type = in.u8(), map = in.u8(), repeat = in.u8();
        in.u8();
        const uint16_t count = in.u16();
        if (paper_.gradation)
            paper_.gradation->SetOptions(type, map, count, repeat);
        return true;
    }
    case stateRecord::layerAndSlot: {
        const uint16_t layer = in.u16(), slot = in.u16();
        if (layer != 0xFFFF && paper_.layers->IsIndex(layer) && layer != paper_.currentLayerIndex())
            paper_.setCurrentLayer(flow, layer);
        if (slot != 0xFFFF && paper_.masks)
            paper_.masks->SetCurrent(slot);
        return true;
    }
    case stateRecord::paperFlags: {
        const uint16_t flags = in.u16();
        paper_.selectionActive = flags & 1;
        replayStroke_.useTone = (flags >> 1) & 1;
        replayStroke_.useGradation = (flags >> 3) & 1;
        return true;
    }
    case stateRecord::strokeFlags: {
        const uint16_t flags = in.u16();
        replayStroke_.ifSize = flags & 1;
        replayStroke_.ifTransparency = (flags >> 1) & 1;
        replayStroke_.ifEdge = (flags >> 2) & 1;
        return true;
    }
    case stateRecord::strokeColourKind: {
        const uint32_t b = in.u8(), g = in.u8(), r = in.u8();
        const uint8_t kind = in.u8();
        const float opacity = in.f32();
        if (kind >= kBrushKindCount)
            return false;
        replayStroke_.color = r << 16 | g << 8 | b;
        replayStroke_.kind = kind;
        // Through the setters: a recorded value always lies in their ranges, a damaged one is
        // brought back into them (or, when not even a number, refused).
        if (!std::isfinite(opacity))
            return false;
        replayStroke_.setOpacity(opacity);
        return true;
    }
    case stateRecord::strokeSizes: {
        const float width = in.f32(), minSize = in.f32();
        if (!std::isfinite(width) || !std::isfinite(minSize))
            return false;
        replayStroke_.setWidth(width);
        replayStroke_.minSize = std::clamp(minSize, -kLargestSetting, kLargestSetting);
        return true;
    }
    case stateRecord::strokeValues: {
        const float gamma = in.f32(), effect = in.f32(), env = in.f32(), speed = in.f32();
        const float spacing = in.f32();
        if (!std::isfinite(gamma) || !std::isfinite(effect) || !std::isfinite(env) ||
            !std::isfinite(speed) || !std::isfinite(spacing))
            return false;
        replayStroke_.setGamma(gamma);
        replayStroke_.effect = std::clamp(effect, -kLargestSetting, kLargestSetting);
        replayStroke_.env = std::clamp(env, -kLargestSetting, kLargestSetting);
        replayStroke_.speed = std::clamp(speed, -kLargestSetting, kLargestSetting);
        replayStroke_.setSpacing(spacing);
        replayStroke_.airMap = in.u8();
        return true;
    }
    case stateRecord::gradationSlots: {
        in.skip(6);
        const uint16_t bytes = in.u16();
        in.skip(4);
        if (bytes == 0 || bytes % TColorStop::kBytes != 0 || in.remaining() < bytes)
            return false;
        CColorSlotGroup& group = paper_.gradationStops();
        group.stops.assign(bytes / TColorStop::kBytes, TColorStop{});
        for (TColorStop& stop : group.stops)
            if (!stop.read(in))
                return false;
        group.Normalize();
        return true;
    }
    // The text's font and text say what was typed; the channel after them is what is drawn,
    // so a replay needs no fonts. They are checked and otherwise only read.
    case stateRecord::textFont: {
        TTextFontPacket font;
        return decodeTextFont(payload, font);
    }
    case stateRecord::text: {
        std::string text;
        return decodeText(payload, text);
    }
    case stateRecord::toneDefinition: return replayTones_.define(payload);
    case stateRecord::toneAttributes: return replayTones_.select(payload);
    case 128: case 129: {
        // An auxiliary picture for the filter packet that follows.
        TImagePlacement picture;
        if (!decodeImageBlock(payload, maxSide, picture))
            return false;
        auxiliaryImages_[sub - 128] = std::move(picture.image);
        return true;
    }
    case 136: return true; // what the colour range chose; its channel follows
    default: return false;
    }
}

bool CEventMngr::replayPaper(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    ByteReader in(payload);
    switch (sub) {
    case paperOperation::resize:
    case paperOperation::resizeOld: {
        const int32_t width = in.i32(), height = in.i32(), extra = in.i32();
        if (firstEventRead_ || paper_.initialised)
            return missing("canvas size");
        if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
            return false;
        return paper_.initPaper(paper_.title, flow, width, height, extra);
    }
    case paperOperation::colour: paper_.setPaperColor(uint32_t(in.i32()) & 0xFFFFFFu, false); return true;
    case paperOperation::recordingStart: return true;
    case paperOperation::end:
        endReached_ = endMarkRead_ = true;
        endMarkStart_ = replayPosition_ - 2;
        return true;
    default: return replayStackPaper(flow, sub, payload);
    }
}

bool CEventMngr::replayLayer(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload)
{
    ByteReader in(payload);
    if (sub == 0) {
        const int32_t index = in.i16(), width = in.i32(), height = in.i32();
        const uint8_t opacity = in.u8(), mode = in.u8();
        const uint16_t flags = in.u16();
        if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
            return false;
        return paper_.createLayer(flow, index, width, height, (flags & 1) != 0, opacity, mode,
                                  false) >= 0;
    }
    if (isLayerWindowEvent(sub))
        return replayLayerWindow(flow, sub, payload);
    const int32_t layer = in.i16();
    switch (sub) {
    case 1: return paper_.deleteLayer(flow, layer, false);
    case 2: return paper_.clearLayer(flow, layer, false);
    case layerMaskEvent::fill: return paper_.fillLayerMask(flow, layer, uint8_t(in.i16()), false);
    case layerMaskEvent::negate: return paper_.negateLayerMask(flow, layer, false);
    default: break;
    }
    const int32_t command = commandOfLayerEvent(sub);
    if (command < 0)
        return replayStackLayer(flow, sub, payload);
    return paper_.execLayerCommand(flow, layer, false, command);
}

bool CEventMngr::replayPoints(TFlowImage& flow, uint8_t category,
                              const std::vector<uint8_t>& payload)
{
    const size_t count = payload.size() / 12;
    if (count < 1 || count > 16)
        return false;
    if (!replayStrokeOpen_) {
        // Points without a start: a stroke on the current layer.
        replayStrokeOpen_ = true;
        replayStrokeBegun_ = false;
        pendingPoints_.clear();
    }
    ByteReader in(payload);
    for (size_t i = 0; i < count; ++i) {
        const float x = in.f32(), y = in.f32(), p = in.f32();
        pendingPoints_.push_back({x, y, p});
    }
    strokeEndsAfterPoints_ = category == eventCategory::strokeLastPoints;
    drawPendingPoints(flow, waitMode_ ? 1 : pendingPoints_.size());
    return true;
}

void CEventMngr::drawPendingPoints(TFlowImage& flow, size_t count)
{
    count = std::min(count, pendingPoints_.size());
    for (size_t i = 0; i < count; ++i) {
        const TStrokePoint& p = pendingPoints_[i];
        if (!replayStrokeBegun_) {
            // The stroke sizes itself by the rules of the generation that recorded it.
            replayStroke_.strokeFormat = replayGeneration_;
            // Streams from before the current stroke start ignored the layer offset.
            if (replayGeneration_ >= 2 && streamVersion_ >= 0x0217)
                paper_.beginStroke(flow, replayStroke_, false, p.x, p.y, p.pressure);
            else
                paper_.beginStrokeCompat(flow, replayStroke_, false, p.x, p.y, p.pressure);
            replayStrokeBegun_ = true;
        } else {
            paper_.continueStroke(flow, replayStroke_, false, paper_.window.view(), p.x, p.y,
                                  p.pressure);
        }
    }
    pendingPoints_.erase(pendingPoints_.begin(), pendingPoints_.begin() + ptrdiff_t(count));
}

void CEventMngr::endReplayStroke(TFlowImage& flow)
{
    drawPendingPoints(flow, pendingPoints_.size());
    if (replayStrokeBegun_) {
        TRect rect;
        paper_.endStroke(flow, replayStroke_, false, rect, paper_.window.view());
        paper_.strokeDone(rect);
    }
    replayStroke_.rawPoints = 0;
    replayStrokeOpen_ = replayStrokeBegun_ = false;
    strokeEndsAfterPoints_ = false;
}

void CEventMngr::finishOpenStroke(TFlowImage& flow)
{
    if (!replayStrokeOpen_)
        return;
    endReplayStroke(flow);
    commitReplayedEvent();
}

bool CEventMngr::switchToAppend()
{
    if (state != replaying && state != finished)
        return false;
    if (isProtectedStream) {
        stopRecording();
        return false;
    }
    if (firstEventRead_) {
        // Recording goes on where the replay stopped: at the end of the stream, before its end
        // mark, or where a stop or a damaged packet ended it.
        uint32_t end = replayPosition_;
        uint32_t count = replayEventCount_;
        const bool dropEndMark = endMarkRead_ && endMarkStart_ <= end;
        if (dropEndMark) {
            end = endMarkStart_;
            count = count > 0 ? count - 1 : 0;
        }
        if (!stream_.setWriteEnd(end)) {
            paper_.window.messages().showMessage(kAppendFailed);
            stopRecording();
            return false;
        }
        setCommittedEnd(end);
        eventCount_ = count;
        if (dropEndMark)
            starts_.dropLast();
    }
    stream_.truncateSegments();
    starts_.takeForwardCount();
    recordedTones_.clear(); // the live tone list's serials are not the replayed ones
    resetReplay();
    appended = 1;
    state = recording;
    paper_.window.playback = TPlayback::none;
    markResumed();
    // The thumbnails were left alone while the strokes replayed.
    for (int32_t i = 0; i < paper_.layerCount(); ++i)
        paper_.layer(i)->UpdateThumbnail();
    paper_.window.layersChanged();
    notifyCommitted();
    return true;
}

} // namespace qm

// Recording: state records written when they change, one event per action, undo and redo
// moving the end of the stream, the end mark and the protected mark.
#include "events/event_mngr.h"

#include "core/byte_io.h"
#include "events/event_file.h"
#include "events/event_texts.h"
#include "paper/paper.h"
#include "tone/pat_mngr_base.h"

#include <algorithm>
#include <cstdio>

namespace qm {

namespace {

void colourBytes(ByteWriter& out, uint32_t colour)
{
    out.u8(uint8_t(colour));
    out.u8(uint8_t(colour >> 8));
    out.u8(uint8_t(colour >> 16));
    out.u8(0);
}

} // namespace

const char* replayOpenMessage(TReplayOpen code)
{
    static constexpr const char* texts[] = {
        "ｲﾍﾞﾝﾄﾌｧｲﾙ再生を開始します",
        "何らかのｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!",
        "ﾌｧｲﾙｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!",
        "ﾊﾟｹｯﾄﾁｪｯｸｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!",
        "ﾊﾞｰｼﾞｮﾝｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!",
        "保護ｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!",
    };
    const int32_t i = int32_t(code);
    return i >= 0 && i < 6 ? texts[i] : texts[1];
}

CEventMngr::CEventMngr(TPaper& paper, uint32_t segmentSize)
    : paper_(paper), stream_(segmentSize)
{
}

CEventMngr::~CEventMngr() = default;

bool CEventMngr::beginRecording(TStroke* stroke, const CPatMngrBase* tones, int32_t backDepth,
                                int32_t forwardDepth)
{
    stroke_ = stroke;
    tones_ = tones;
    startStream();
    eventCount_ = 0;
    forgetWrittenState();
    lastState_[stateRecord::version] = {};
    recordedTones_.clear();
    if (!starts_.allocate(std::max(8, backDepth), std::max(8, forwardDepth)))
        return false;
    starts_.putCurrent(0);
    state = recording;
    appended = 0;
    formatCode = kFormatCode;
    headerFlags = 0;
    writeVersionRecord();
    notifyCommitted();
    return true;
}

void CEventMngr::writeVersionRecord()
{
    ByteWriter version;
    version.u16(kVersionMajor);
    version.u16(kVersionMinor);
    version.u16(0);
    version.zeros(6);
    writeStateRecord(stateRecord::version, version.data());
}

void CEventMngr::markResumed()
{
    // Written with the next edit, so that a recording nobody draws on saves as it was read.
    forgetWrittenState();
    lastState_[stateRecord::version] = {};
    startStatePending_ = true;
}

// ---- writing ----

bool CEventMngr::guarded(const std::function<bool()>& write)
{
    const uint32_t before = stream_.writeEnd();
    bool ok = false;
    try {
        ok = write();
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        stream_.setWriteEnd(before);
        paper_.window.messages().showMessage(kRecordingException);
    }
    return ok;
}

bool CEventMngr::writePacket(uint8_t category, uint8_t sub, std::span<const uint8_t> payload)
{
    const uint8_t code[2] = {category, sub};
    return stream_.append(code) && stream_.append(payload);
}

void CEventMngr::writeStateRecord(uint8_t sub, std::span<const uint8_t> bytes)
{
    TStateCopy& copy = lastState_[sub];
    if (copy.written && std::equal(copy.bytes.begin(), copy.bytes.end(), bytes.begin(),
                                   bytes.end()))
        return;
    if (!guarded([&] { return writePacket(eventCategory::state, sub, bytes); }))
        return;
    copy.bytes.assign(bytes.begin(), bytes.end());
    copy.written = true;
}

void CEventMngr::writeStateRecords(bool forStroke)
{
    ByteWriter w;
    colourBytes(w, paper_.paperColor);
    writeStateRecord(stateRecord::paperColour, w.data());

    const TStroke* s = stroke_;
    w = {};
    colourBytes(w, s ? s->secondColor : 0xFFFFFFu);
    writeStateRecord(stateRecord::secondColour, w.data());

    if (paper_.gradation) {
        TPoint start, end;
        paper_.gradation->GetLine(start, end);
        w = {};
        w.i32(start.x), w.i32(start.y), w.i32(end.x), w.i32(end.y);
        writeStateRecord(stateRecord::gradationPoints, w.data());
        const TGradOptions o = paper_.gradation->options();
        w = {};
        w.u8(o.type), w.u8(o.map), w.u8(o.repeat), w.u8(0), w.u16(uint16_t(o.count)), w.zeros(6);
        writeStateRecord(stateRecord::gradationSettings, w.data());
    }

    w = {};
    const int32_t layer = paper_.currentLayerIndex();
    const int32_t slot = paper_.masks ? paper_.masks->CurrentIndex() : -1;
    w.u16(layer < 0 ? 0xFFFF : uint16_t(layer));
    w.u16(slot < 0 ? 0xFFFF : uint16_t(slot));
    writeStateRecord(stateRecord::layerAndSlot, w.data());

    uint16_t flags = paper_.selectionActive ? 1 : 0;
    if (s && s->useTone)
        flags |= 2;
    if (s && s->useGradation)
        flags |= 8;
    w = {};
    w.u16(flags);
    writeStateRecord(stateRecord::paperFlags, w.data());
    if (flags & 2)
        writeToneState();

    const CColorSlotGroup& stops = paper_.gradationStops();
    if (!stops.stops.empty()) {
        w = {};
        w.zeros(6);
        w.u16(uint16_t(stops.stops.size() * TColorStop::kBytes));
        w.zeros(4);
        for (const TColorStop& stop : stops.stops)
            stop.write(w);
        if (stops.stops.size() * TColorStop::kBytes <= 0xFFFF)
            writeStateRecord(stateRecord::gradationSlots, w.data());
    }

    if (!forStroke || !s)
        return;
    w = {};
    w.u16(uint16_t((s->ifSize ? 1 : 0) | (s->ifTransparency ? 2 : 0) | (s->ifEdge ? 4 : 0)));
    writeStateRecord(stateRecord::strokeFlags, w.data());
    w = {};
    w.u8(uint8_t(s->color)), w.u8(uint8_t(s->color >> 8)), w.u8(uint8_t(s->color >> 16));
    w.u8(s->kind);
    w.f32(s->opacity);
    writeStateRecord(stateRecord::strokeColourKind, w.data());
    w = {};
    w.f32(s->width), w.f32(s->minSize);
    writeStateRecord(stateRecord::strokeSizes, w.data());
    w = {};
    w.f32(s->gamma), w.f32(s->effect), w.f32(s->env), w.f32(s->speed), w.f32(s->spacing);
    w.u8(uint8_t(s->airMap)), w.u8(0);
    writeStateRecord(stateRecord::strokeValues, w.data());
}

// Each tone's definition goes into the stream once; later uses only select it.
void CEventMngr::writeToneState()
{
    if (!tones_ || !tones_->current())
        return;
    const int32_t serial = tones_->current()->serial();
    const std::vector<uint8_t> selection = encodeToneSelection(*tones_);
    if (recordedTones_.count(serial)) {
        writeStateRecord(stateRecord::toneAttributes, selection);
        return;
    }
    const std::vector<uint8_t> definition = encodeToneDefinition(*tones_);
    if (!guarded([&] { return writePacket(eventCategory::state, stateRecord::toneDefinition,
                                          definition); }))
        return;
    recordedTones_.insert(serial);
    lastState_[stateRecord::toneAttributes] = {true, selection};
}

void CEventMngr::commit()
{
    if (eventCount_ != 0)
        starts_.push(committedEnd_);
    else
        starts_.putCurrent(committedEnd_);
    ++eventCount_;
    setCommittedEnd(stream_.writeEnd());
    notifyCommitted();
}

void CEventMngr::forgetWrittenState()
{
    for (size_t i = 1; i < lastState_.size(); ++i)
        lastState_[i].written = false;
}

// ---- entry points ----

void CEventMngr::recordNewPaper(int32_t width, int32_t height, int32_t extra)
{
    if (!readyToRecord())
        return;
    ByteWriter w;
    // Five values in a 28-byte payload (the code table fixes the length); the rest is 0.
    w.i32(width), w.i32(height), w.i32(extra), w.i32(paper_.dpi), w.i32(0);
    w.zeros(8);
    if (guarded([&] { return writePacket(eventCategory::paper, paperOperation::resize, w.data()); }))
        commit();
}

bool CEventMngr::readyToRecord()
{
    if (state != recording)
        return false;
    if (startStatePending_) {
        startStatePending_ = false;
        takeStartState();
    }
    return true;
}

void CEventMngr::takeStartState()
{
    if (state != recording)
        return;
    startStatePending_ = false;
    writeVersionRecord();
    writeStateRecords(true);
    // When recording started (a SYSTEMTIME-sized block; the time itself is not replayed).
    // u32 length 16, then the 16 bytes of the time (all 0).
    static constexpr uint8_t kStartTime[20] = {16};
    if (guarded([&] {
            return writePacket(eventCategory::attribute, 17, kStartTime) &&
                   writePacket(eventCategory::paper, paperOperation::recordingStart, {});
        }))
        commit();
}

void CEventMngr::recordPaperColor(uint32_t color)
{
    if (!readyToRecord())
        return;
    writeStateRecords(false);
    ByteWriter w;
    w.i32(int32_t(color & 0xFFFFFFu));
    if (guarded([&] { return writePacket(eventCategory::paper, paperOperation::colour, w.data()); }))
        commit();
}

void CEventMngr::recordLayerEvent(int32_t code, int32_t layer, int32_t value)
{
    if (!readyToRecord())
        return;
    writeStateRecords(false);
    ByteWriter w;
    w.i16(int16_t(layer)), w.i16(int16_t(value));
    if (guarded([&] { return writePacket(eventCategory::layer, uint8_t(code), w.data()); }))
        commit();
}

void CEventMngr::recordNewLayer(int32_t index, int32_t width, int32_t height, uint8_t opacity,
                                uint8_t mode, uint16_t flags)
{
    if (!readyToRecord())
        return;
    writeStateRecords(false);
    ByteWriter w;
    w.i16(int16_t(index)), w.i32(width), w.i32(height), w.u8(opacity), w.u8(mode), w.u16(flags);
    if (guarded([&] { return writePacket(eventCategory::layer, 0, w.data()); }))
        commit();
}

void CEventMngr::recordStrokeBegin(float x, float y, float pressure)
{
    if (!readyToRecord())
        return;
    writeStateRecords(true);
    ByteWriter w;
    const int32_t layer = paper_.currentLayerIndex();
    const int32_t slot = paper_.masks ? paper_.masks->CurrentIndex() : -1;
    w.u16(uint16_t(std::max(layer, 0))), w.u16(slot < 0 ? 0xFFFF : uint16_t(slot));
    const bool raw = stroke_ && stroke_->rawPoints;
    if (!guarded([&] {
            return writePacket(raw ? eventCategory::strokeStartRaw : eventCategory::strokeStart, 0,
                               w.data());
        }))
        return;
    points_.clear();
    pointsInStroke_ = chunksInStroke_ = 0;
    strokeOpen_ = true;
    points_.insert(points_.end(), {x, y, pressure});
    ++pointsInStroke_;
}

void CEventMngr::flushPoints(uint8_t category)
{
    ByteWriter w;
    for (float v : points_)
        w.f32(v);
    const uint8_t count = uint8_t(points_.size() / 3);
    if (guarded([&] { return writePacket(category, count, w.data()); }))
        ++chunksInStroke_;
    points_.clear();
}

void CEventMngr::recordStrokePoint(float x, float y, float pressure)
{
    if (state != recording || !strokeOpen_)
        return;
    if (points_.size() == 16 * 3)
        flushPoints(eventCategory::strokePoints);
    points_.insert(points_.end(), {x, y, pressure});
    ++pointsInStroke_;
}

void CEventMngr::recordStrokeEnd()
{
    if (state != recording || !strokeOpen_)
        return;
    flushPoints(eventCategory::strokeLastPoints);
    commit();
    strokeOpen_ = false;
    pointsInStroke_ = chunksInStroke_ = 0;
}

// ---- undo and redo ----

int32_t CEventMngr::undoCount() const
{
    return starts_.valid() ? starts_.backCount() : 0;
}

int32_t CEventMngr::redoCount() const
{
    return starts_.valid() ? std::max(starts_.forwardCount() - 1, 0) : 0;
}

bool CEventMngr::recordUndo()
{
    if (state != recording || eventCount_ == 0 || starts_.backCount() == 0)
        return false;
    if (starts_.forwardCount() == 0) {
        starts_.push(committedEnd_);
        starts_.stepBack();
    }
    uint32_t start = 0;
    if (!starts_.readCurrent(start) || start > committedEnd_)
        return false;
    // A tone defined by the undone event must be defined again when it is next used.
    forEachPacket(start, committedEnd_, [&](uint32_t at, uint8_t category, uint8_t sub, uint32_t) {
        if (category == eventCategory::state && sub == stateRecord::toneDefinition) {
            uint8_t b[4];
            if (stream_.read(at + 2, b, 4))
                recordedTones_.erase(toneSerialOf(b));
        }
    });
    starts_.stepBack();
    stream_.setWriteEnd(start);
    setCommittedEnd(start);
    --eventCount_;
    // Whatever the undone event wrote, and whatever the undo changed (the current layer, the
    // paper colour), the next action writes its state afresh.
    forgetWrittenState();
    notifyCommitted();
    return true;
}

bool CEventMngr::recordRedo()
{
    if (state != recording || starts_.forwardCount() <= 1)
        return false;
    starts_.stepForward();
    uint32_t end = 0;
    if (!starts_.readRelative(1, end) || !stream_.setWriteEnd(end))
        return false;
    setCommittedEnd(end);
    ++eventCount_;
    forgetWrittenState();
    notifyCommitted();
    return true;
}

void CEventMngr::clearUndo()
{
    // The stream keeps every event; only the way back is forgotten.
    if (!starts_.valid())
        return;
    uint32_t start = 0;
    starts_.readCurrent(start);
    starts_.reset();
    starts_.putCurrent(start);
}

bool CEventMngr::resizeHistory(int32_t undoDepth, int32_t redoDepth)
{
    return starts_.resize(std::max(8, undoDepth), std::max(8, redoDepth));
}

// ---- the file's view ----

TEventFileData CEventMngr::fileData() const
{
    TEventFileData data;
    data.stream = stream_.copy(0, committedEnd_);
    data.eventCount = eventCount_;
    data.formatCode = formatCode;
    data.flags = headerFlags;
    data.paperWidth = paper_.width;
    data.paperHeight = paper_.height;
    return data;
}

uint32_t CEventMngr::trailingEndMark() const
{
    // Walk to the last action packet; state packets between it and the end belong to it.
    uint32_t at = 0, lastActionEnd = 0, eventStart = 0, endMark = committedEnd_;
    while (at < committedEnd_) {
        uint8_t code[2] = {0, 0};
        if (!stream_.read(at, code, 2))
            return committedEnd_;
        const uint32_t payload = at + 2;
        const int64_t length = payloadLength(code[0], code[1], [&](uint32_t off, uint8_t* out, uint32_t n) {
            return payload <= committedEnd_ && off <= committedEnd_ - payload &&
                   n <= committedEnd_ - payload - off && stream_.read(payload + off, out, n);
        });
        if (length < 0 || uint64_t(payload) + uint64_t(length) > committedEnd_)
            return committedEnd_;
        const uint32_t next = payload + uint32_t(length);
        if (!isStatePacket(code[0])) {
            eventStart = lastActionEnd;
            lastActionEnd = next;
            endMark = code[0] == eventCategory::paper && code[1] == paperOperation::end
                          ? eventStart : committedEnd_;
        }
        at = next;
    }
    return lastActionEnd == committedEnd_ ? endMark : committedEnd_;
}

TEventFileData CEventMngr::paperFileData() const
{
    TEventFileData data = fileData();
    const uint32_t endMark = trailingEndMark();
    if (endMark < committedEnd_) {
        data.stream.resize(endMark);
        data.eventCount = data.eventCount > 0 ? data.eventCount - 1 : 0;
    }
    return data;
}

bool CEventMngr::appendEndMark()
{
    if (state != recording)
        return false;
    // A saved recording has no redo history.
    starts_.takeForwardCount();
    if (!guarded([&] { return writePacket(eventCategory::paper, paperOperation::end, {}); }))
        return false;
    commit();
    state = finished;
    return true;
}

bool CEventMngr::removeEndMark()
{
    if (state != finished)
        return false;
    uint32_t start = 0;
    uint8_t code[2] = {0, 0};
    state = recording;
    if (!starts_.readCurrent(start) || !stream_.read(start, code, 2) ||
        code[0] != eventCategory::paper || code[1] != paperOperation::end || !recordUndo()) {
        paper_.window.messages().showMessage(kEndMarkNotRemoved);
        return false;
    }
    starts_.takeForwardCount();
    return true;
}

bool CEventMngr::saveToFile(const std::string& path, int thumbnailKind, bool compressed)
{
    if (paper_.undoMngr)
        paper_.undoMngr->ClearRedo();
    if (!appendEndMark())
        return false;
    const TEventFileData data = fileData();
    const bool saved = saveEventFile(path, data, thumbnailKind ? &paper_.displayImage : nullptr,
                                     thumbnailKind, compressed) == EventFileError::None;
    removeEndMark();
    return saved;
}

bool CEventMngr::saveProtectedToFile(const std::string& path, int thumbnailKind)
{
    MessageSink& messages = paper_.window.messages();
    bool already = false;
    if (!walkProtection(false, false, already)) {
        messages.showMessage(kProtectionTestFailed);
        return false;
    }
    if (already) {
        messages.showMessage(kAlreadyProtected);
        return false;
    }
    if (!walkProtection(true, true, already)) {
        messages.showMessage(kProtectFailed);
        return false;
    }
    const bool saved = saveToFile(path, thumbnailKind, true);
    // The recording in memory stays unprotected, so it can go on.
    if (!walkProtection(true, false, already))
        messages.showMessage(kUnprotectFailed);
    return saved;
}

// ---- protection ----

bool CEventMngr::forEachPacket(
    uint32_t from, uint32_t to, const std::function<void(uint32_t, uint8_t, uint8_t, uint32_t)>& fn)
{
    uint32_t at = from, previous = from;
    uint8_t previousCode[2] = {0, 0};
    while (at < to) {
        uint8_t code[2] = {0, 0};
        int64_t length = -1;
        if (stream_.read(at, code, 2)) {
            const uint32_t payload = at + 2;
            length = payloadLength(code[0], code[1], [&](uint32_t off, uint8_t* out, uint32_t n) {
                return payload <= to && off <= to - payload && n <= to - payload - off &&
                       stream_.read(payload + off, out, n);
            });
        }
        if (length < 0 || uint64_t(at) + 2 + uint64_t(length) > to) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "unknown packet at 0x%x(0x%x,0x%x)\rlast code at 0x%x(0x%x,0x%x)", at,
                          code[0], code[1], previous, previousCode[0], previousCode[1]);
            paper_.window.messages().showMessage(text);
            return false;
        }
        fn(at, code[0], code[1], uint32_t(length));
        previous = at;
        previousCode[0] = code[0], previousCode[1] = code[1];
        at += 2 + uint32_t(length);
    }
    return true;
}

bool CEventMngr::walkProtection(bool set, bool mark, bool& isProtected)
{
    isProtected = false;
    return forEachPacket(0, stream_.writeEnd(), [&](uint32_t at, uint8_t category, uint8_t sub,
                                                   uint32_t) {
        if (category != eventCategory::state || sub != stateRecord::paperFlags)
            return;
        uint8_t f[2];
        stream_.read(at + 2, f, 2);
        uint16_t flags = uint16_t(f[0] | f[1] << 8);
        if (!set) {
            isProtected = isProtected || (flags & kProtectedBit) != 0;
            return;
        }
        flags = mark ? uint16_t(flags | kProtectedBit) : uint16_t(flags & ~kProtectedBit);
        const uint8_t out[2] = {uint8_t(flags), uint8_t(flags >> 8)};
        stream_.writeAt(at + 2, out);
    });
}

bool CEventMngr::continueRecording(TEventFileData data)
{
    if (data.formatCode > kFormatCode || data.stream.size() > TEventStream::kMaxLength)
        return false;
    startStream();
    if (!stream_.append(data.stream))
        return false;
    setCommittedEnd(stream_.writeEnd());
    eventCount_ = data.eventCount;
    // Paper files written by earlier versions could keep the end mark; events appended after
    // it would never replay.
    if (const uint32_t endMark = trailingEndMark(); endMark < committedEnd_) {
        if (!stream_.setWriteEnd(endMark))
            return false;
        stream_.truncateSegments();
        setCommittedEnd(endMark);
        eventCount_ = eventCount_ > 0 ? eventCount_ - 1 : 0;
    }
    formatCode = uint8_t(data.formatCode);
    headerFlags = data.flags;
    if (!starts_.valid() && !starts_.allocate(64, 64))
        return false;
    starts_.reset();
    starts_.putCurrent(committedEnd_);
    bool isProtected = false;
    if (!walkProtection(false, false, isProtected) || isProtected) {
        stopRecording();
        return false;
    }
    recordedTones_.clear();
    appended = 1;
    state = recording;
    markResumed();
    notifyCommitted();
    return true;
}

void CEventMngr::stopRecording()
{
    startStream();
    eventCount_ = 0;
    starts_.reset();
    state = idle;
    if (paper_.window.playback == TPlayback::current)
        paper_.window.playback = TPlayback::none;
    notifyCommitted();
}

std::function<std::unique_ptr<PaperEvents>(TPaper&)>
eventRecorder(TStroke* liveStroke, const CPatMngrBase* tones, int32_t undoDepth)
{
    return [=](TPaper& paper) -> std::unique_ptr<PaperEvents> {
        auto events = std::make_unique<CEventMngr>(paper);
        const int32_t depth = std::max(8, undoDepth + 34);
        if (!events->beginRecording(liveStroke, tones, depth, depth))
            return nullptr;
        return events;
    };
}

} // namespace qm

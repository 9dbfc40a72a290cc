// The event recorder and player of one paper. While the user works it writes every edit as
// packets into an in-memory stream that always describes the picture on screen (undo and
// redo move its end); it replays a loaded stream against the paper, after which recording
// continues at the end of what was replayed.
#pragma once

#include "events/event_format.h"
#include "events/event_stream.h"
#include "events/ring_buf.h"
#include "events/tone_record.h"
#include "paint/stroke.h"
#include "paper/paper_events.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qm {

class TPaper;
class TFlowImage;
class CPatMngrBase;
struct TEventFileData;

// Result codes of opening a recording for replay.
enum class TReplayOpen : int32_t {
    success = 0,
    failure = 1,     // also: the first action is not a paper size
    fileError = 2,
    packetError = 3,
    versionError = 4,
    protectedRefused = 5,
};
// The message the caller shows for each code.
const char* replayOpenMessage(TReplayOpen code);

// Result of one replay step.
enum class TReplayStep : int32_t { more = 0, idle = 1, end = 2, error = 3 };

inline constexpr const char* kRecordingException =
    "ｲﾍﾞﾝﾄ記録中に例外が発生しました!\r以降のｲﾍﾞﾝﾄ記録は停止します...";
inline constexpr const char* kBadPacketMessage = "ｲﾍﾞﾝﾄﾊﾟｹｯﾄが不正です!";
inline constexpr const char* kReplayPacketError = "ﾊﾟｹｯﾄｴﾗｰによりｲﾍﾞﾝﾄ再生できません!";
inline constexpr const char* kAppendFailed =
    "ｲﾍﾞﾝﾄ追記ﾓｰﾄﾞに移行できませんでした!\r以降のｲﾍﾞﾝﾄは記録されません...";
inline constexpr const char* kEndMarkNotRemoved = "Alert: failed to remove EventFin!";

class CEventMngr final : public PaperEvents {
public:
    static constexpr uint8_t kFormatCode = 17;
    static constexpr uint16_t kVersionMajor = 3;
    static constexpr uint16_t kVersionMinor = 3;

    enum State : uint8_t { idle = 0, recording = 1, replaying = 2, finished = 3 };

    CEventMngr(TPaper& paper, uint32_t segmentSize = TEventStream::kDefaultSegmentSize);
    ~CEventMngr() override;

    // Starts a new recording: the stream cleared, the ring of both depths, the version record.
    bool beginRecording(TStroke* stroke, const CPatMngrBase* tones, int32_t backDepth,
                        int32_t forwardDepth);

    // ---- PaperEvents ----
    bool isRecording() const override { return state == recording; }
    TStroke* replayStroke() override { return &replayStroke_; }
    const CPatMngrBase* replayTones() const override { return &replayTones_.tones(); }
    void recordNewPaper(int32_t width, int32_t height, int32_t extra) override;
    void takeStartState() override;
    void recordStrokeBegin(float x, float y, float pressure) override;
    void recordStrokePoint(float x, float y, float pressure) override;
    void recordStrokeEnd() override;
    void recordPaperColor(uint32_t color) override;
    void recordLayerEvent(int32_t code, int32_t layer, int32_t value = 0) override;
    void recordNewLayer(int32_t index, int32_t width, int32_t height, uint8_t opacity,
                        uint8_t mode, uint16_t flags) override;
    void recordLayerAttribute(int32_t layer, TLayerAttribute which, uint8_t value) override;
    void recordLayerBlendOption(int32_t layer, bool noise, uint8_t amount) override;
    void recordLayerName(int32_t layer, const std::string& name) override;
    void recordLayerOffset(int32_t layer, int32_t dx, int32_t dy) override;
    void recordLayerMove(int32_t layer, int32_t to) override;
    void recordPaperOperation(uint8_t sub, int32_t a = 0, int32_t b = 0) override;
    void recordPaperResize(uint8_t sub, const TPaperResize& resize) override;
    void recordCrop(int32_t layer, const TRect& rect) override;
    void recordLayerValues(uint8_t sub, int32_t layer, int32_t value, int32_t a,
                           int32_t b) override;
    void recordNewNamedLayer(const TNewLayerChoice& choice) override;
    void recordLayerMoveWithMask(int32_t layer, int32_t slot, int32_t dx, int32_t dy) override;
    void recordImagePlacement(uint8_t sub, const TImagePlacement& placement) override;
    void recordFilter(uint8_t number, std::span<const uint8_t> record, const TMTC* first,
                      const TMTC* second) override;
    void recordAreaFill(uint8_t sub, int32_t layer, int32_t value, TPoint first,
                        TPointF second) override;
    void recordPolygonFill(int32_t layer, std::span<const TPointF> points) override;
    void recordText(const TTextRecords& records, uint8_t sub, const TChannelEventHead& head,
                    const TChannel& channel) override;
    void recordChannel(uint8_t sub, const TChannelEventHead& head,
                       const TChannel& channel) override;
    void recordSelection(uint8_t sub, int32_t layer, int32_t slot, int32_t a, int32_t b) override;
    void recordMaskName(int32_t slot, const std::string& name) override;
    void recordSelectShape(uint8_t sub, const TSelectShape& shape) override;
    void recordSelectLasso(int32_t layer, int32_t slot, MaskCombine mode,
                           std::span<const TPointF> points) override;
    void recordColourRange(const TColourRangeChoice& choice, const TChannelEventHead& head,
                           const TChannel& channel) override;
    int32_t undoCount() const override;
    int32_t redoCount() const override;
    bool recordUndo() override;
    bool recordRedo() override;
    void clearUndo() override;
    bool resizeHistory(int32_t undoDepth, int32_t redoDepth) override;

    // ---- the stream ----
    const TEventStream& stream() const { return stream_; }
    uint32_t committedEnd() const { return committedEnd_; }
    uint32_t eventCount() const { return eventCount_; }
    // The recording as a file holds it: the committed stream, its event count and format.
    TEventFileData fileData() const;
    // The same for a paper file, which never holds the end mark: a replayed recording keeps
    // the one it was read with until recording goes on.
    TEventFileData paperFileData() const;
    // Appends the end mark as an event (state finished) before a save, and removes it after.
    bool appendEndMark();
    bool removeEndMark();
    // Saves the recording: the redo history dropped, the end mark appended for the file and
    // removed again. thumbnailKind 0 writes no thumbnail, 1 a plain and 2 a scrambled one.
    bool saveToFile(const std::string& path, int thumbnailKind, bool compressed);
    // The same with the protected mark in the file only (the caller has asked first); false
    // with a message when the recording is protected already or the mark cannot be set.
    bool saveProtectedToFile(const std::string& path, int thumbnailKind);
    // How a replayed recording is written back in render mode: recordings of a format code
    // below 16 as an uncompressed ".qme", newer ones as ".qm3" with a scrambled thumbnail.
    const char* writeBackExtension() const { return formatCode < 16 ? ".qme" : ".qm3"; }
    bool writeBack(const std::string& pathWithoutExtension)
    {
        const bool current = formatCode >= 16;
        return saveToFile(pathWithoutExtension + writeBackExtension(), current ? 2 : 0, current);
    }

    // ---- protection ----
    // Walks every packet: in test mode reports whether a paper flag word carries the
    // protected mark; in set mode sets or clears it in every such word. False (with a
    // message) at an unknown packet.
    bool walkProtection(bool set, bool mark, bool& isProtected);

    // ---- replay ----
    // Installs a loaded recording and replays its first event (the paper size).
    TReplayOpen openForReplay(TEventFileData data, TFlowImage& flow, bool refuseProtected = false);
    TReplayOpen openEventFile(const std::string& path, TFlowImage& flow,
                              bool refuseProtected = false);
    TReplayStep replayStep(TFlowImage& flow);
    // Replays to the end; the final step's result.
    TReplayStep replayAll(TFlowImage& flow);
    void finishOpenStroke(TFlowImage& flow);
    void setPaused(bool on) { paused_ = on; }
    void setWaitMode(bool on) { waitMode_ = on; }
    int32_t replayProgress() const;
    uint32_t replayEventCount() const { return replayEventCount_; }
    // Continues recording at the end of the replay; false for a protected recording (then
    // recording stops) or outside a replay.
    bool switchToAppend();
    // Stops recording for good.
    void stopRecording();
    // Takes a recording loaded with a paper (whose picture came from its layers) and goes on
    // recording at its end.
    bool continueRecording(TEventFileData data);

    // ---- for the crash journal ----
    // Called whenever the committed stream changed (an event committed, undone or redone, the
    // recording begun, continued or stopped).
    std::function<void()> onCommitted;
    // Counts the times the stream was started afresh.
    uint32_t streamGeneration() const { return generation_; }
    // The committed bytes below the returned offset are unchanged since the last call (of
    // the same generation); the next call starts from the committed end.
    uint32_t takeUnchangedPrefix()
    {
        const uint32_t prefix = unchangedBelow_;
        unchangedBelow_ = committedEnd_;
        return prefix;
    }

    uint8_t state = idle;
    uint8_t appended = 0;
    uint8_t isProtectedStream = 0;
    uint8_t formatCode = kFormatCode;
    uint16_t headerFlags = 0;
    std::string missingOperation; // what the last replay error needed and this program lacks
    // The largest paper or layer side a replayed recording may ask for.
    int32_t maxSide = 10000;

private:
    // ---- recording ----
    void setCommittedEnd(uint32_t end)
    {
        committedEnd_ = end;
        unchangedBelow_ = std::min(unchangedBelow_, end);
    }
    void startStream()
    {
        stream_.clear();
        ++generation_;
        committedEnd_ = unchangedBelow_ = 0;
    }
    void notifyCommitted()
    {
        if (onCommitted)
            onCommitted();
    }
    struct TStateCopy {
        bool written = false;
        std::vector<uint8_t> bytes;
    };
    bool writePacket(uint8_t category, uint8_t sub, std::span<const uint8_t> payload);
    void writeStateRecord(uint8_t sub, std::span<const uint8_t> bytes);
    void writeStateRecords(bool forStroke);
    void commit();
    bool guarded(const std::function<bool()>& write);
    void forgetWrittenState();
    void writeToneState();
    // Writes the start state first when it waits for the next action; false when not recording.
    bool readyToRecord();
    // Calls fn(offset, category, sub, payload length) for each packet from `from` to `to`;
    // false (with the message) at a packet that cannot be walked.
    bool forEachPacket(uint32_t from, uint32_t to,
                       const std::function<void(uint32_t, uint8_t, uint8_t, uint32_t)>& fn);
    void flushPoints(uint8_t category);
    // Recording goes on after a replay or a loaded recording: the version record and the
    // start state again before the next edit, so what follows replays under this program's
    // rules.
    void markResumed();
    void writeVersionRecord();
    // Where the last event begins when it is the end mark; the committed end otherwise.
    uint32_t trailingEndMark() const;
    // Writes an action packet (after the state records) as one event.
    void writeAction(uint8_t category, uint8_t sub, std::span<const uint8_t> payload);
    void writeLayerAction(uint8_t sub, std::span<const uint8_t> payload)
    {
        writeAction(eventCategory::layer, sub, payload);
    }

    // ---- replay ----
    bool readCode(uint8_t& category, uint8_t& sub);
    bool readPayload(uint8_t category, uint8_t sub, std::vector<uint8_t>& payload);
    bool replayPacket(TFlowImage& flow, uint8_t category, uint8_t sub,
                      const std::vector<uint8_t>& payload);
    bool applyState(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayPaper(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayLayer(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    // The layer window's operations: duplicate, move, offset, attributes, name.
    bool replayLayerWindow(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayPoints(TFlowImage& flow, uint8_t category, const std::vector<uint8_t>& payload);
    bool replayAreaFill(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayChannel(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replaySelection(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    void writeSelectAction(uint8_t sub, std::span<const uint8_t> payload)
    {
        writeAction(eventCategory::selection, sub, payload);
    }
    // The stack's operations: paper operations, layer operations and placed pictures.
    bool replayStackPaper(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayStackLayer(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayPlacement(TFlowImage& flow, uint8_t sub, const std::vector<uint8_t>& payload);
    bool replayFilter(TFlowImage& flow, uint8_t category, uint8_t sub,
                      const std::vector<uint8_t>& payload);
    // Writes a fill's action (after the state records, the stroke's among them) as one event.
    void writeFillAction(uint8_t category, uint8_t sub, std::span<const uint8_t> payload);
    void drawPendingPoints(TFlowImage& flow, size_t count);
    void endReplayStroke(TFlowImage& flow);
    void commitReplayedEvent();
    // Clears everything a replay leaves behind, so the next one starts from nothing.
    void resetReplay();
    bool missing(const char* what);

    TPaper& paper_;
    TStroke* stroke_ = nullptr;
    const CPatMngrBase* tones_ = nullptr;
    TEventStream stream_;
    CRingBufDWORD starts_;
    uint32_t committedEnd_ = 0;
    uint32_t eventCount_ = 0;
    uint32_t generation_ = 0;
    uint32_t unchangedBelow_ = 0;
    std::array<TStateCopy, 256> lastState_{};
    std::set<int32_t> recordedTones_; // serials whose definition is in the stream
    bool strokeOpen_ = false;
    bool startStatePending_ = false;
    std::vector<float> points_; // points not yet written: x, y, pressure
    uint32_t pointsInStroke_ = 0, chunksInStroke_ = 0;

    // replay
    TStroke replayStroke_;
    TReplayTones replayTones_;
    std::array<TMTC, 2> auxiliaryImages_; // from category 0 subs 128 and 129
    uint32_t replayPosition_ = 0;
    uint32_t replayEventStart_ = 0;
    uint32_t replayEventCount_ = 0;
    bool firstEventRead_ = false;
    bool endReached_ = false;
    bool endMarkRead_ = false; // the replay met the end mark (endMarkStart_ is where)
    bool replayStrokeOpen_ = false;
    bool replayStrokeBegun_ = false;
    bool paused_ = false;
    bool waitMode_ = false;
    bool strokeEndsAfterPoints_ = false;
    int32_t replayGeneration_ = 2;
    uint32_t endMarkStart_ = 0;
    std::vector<TStrokePoint> pendingPoints_; // read but not yet drawn
    uint16_t streamVersion_ = 0x0303; // major << 8 | minor of the replayed stream
};

// The paper's recorder as the program makes it: recording from the start with the live stroke
// and the tone list, its history max(8, undoDepth + 34) deep both ways.
std::function<std::unique_ptr<PaperEvents>(TPaper&)>
eventRecorder(TStroke* liveStroke, const CPatMngrBase* tones, int32_t undoDepth);

} // namespace qm

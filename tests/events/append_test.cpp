// Recording goes on after a replay however the replay ended, and after a loaded recording:
// nothing replayed is lost, the end mark never stays inside the stream, and what is appended
// replays under the current version rules.
#include "../paper/paper_fixture.h"
#include "events/event_mngr.h"
#include "paper/paper.h"
#include "paperfile/paper_file.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm {

namespace {

using test::drawStroke;

// A live paper with three strokes and a colour change.
void drawSomething(test::RecordedPaper& live)
{
    ASSERT_TRUE(live.paper->initPaper("live", live.flow, 64, 48));
    drawStroke(live, 10, 0x2040C0);
    live.paper->setPaperColor(0xF0E0D0, true);
    drawStroke(live, 25, 0xC04020);
    drawStroke(live, 38, 0x20A040);
}

std::vector<uint8_t> committedBytes(const CEventMngr& events)
{
    return events.stream().copy(0, events.committedEnd());
}

// The recording as a file would hold it, with its end mark, as a replay reads it.
TEventFileData withEndMark(test::RecordedPaper& live)
{
    EXPECT_TRUE(live.events().appendEndMark());
    TEventFileData data = live.events().fileData();
    EXPECT_TRUE(live.events().removeEndMark());
    return data;
}

bool endsWithEndMark(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 2 && bytes[bytes.size() - 2] == eventCategory::paper &&
           bytes.back() == paperOperation::end;
}

void expectSameLayers(TPaper& a, TPaper& b)
{
    ASSERT_EQ(a.layerCount(), b.layerCount());
    for (int32_t i = 0; i < a.layerCount(); ++i)
        test::expectSameLayer(*a.layer(i), *b.layer(i));
}

} // namespace

TEST(AppendAfterReplay, AStreamWithoutEndMarkKeepsEveryEvent)
{
    test::RecordedPaper live;
    drawSomething(live);
    const std::vector<uint8_t> recorded = committedBytes(live.events());

    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    ASSERT_TRUE(replay.events().switchToAppend());
    EXPECT_EQ(committedBytes(replay.events()), recorded);
    EXPECT_EQ(replay.events().eventCount(), live.events().eventCount());

    // And the same after a replay that did meet its end mark: the mark goes, nothing else.
    test::RecordedPaper marked;
    ASSERT_EQ(marked.events().openForReplay(withEndMark(live), marked.flow), TReplayOpen::success);
    ASSERT_EQ(marked.events().replayAll(marked.flow), TReplayStep::end);
    ASSERT_TRUE(marked.events().switchToAppend());
    EXPECT_EQ(committedBytes(marked.events()), recorded);
    EXPECT_EQ(marked.events().eventCount(), live.events().eventCount());
}

TEST(AppendAfterReplay, AStoppedOrFailedReplayCutsWhereItStopped)
{
    test::RecordedPaper live;
    drawSomething(live);
    const TEventFileData data = withEndMark(live);

    // Stopped after two steps (the paper size was the first event).
    test::RecordedPaper stopped;
    ASSERT_EQ(stopped.events().openForReplay(data, stopped.flow), TReplayOpen::success);
    ASSERT_EQ(stopped.events().replayStep(stopped.flow), TReplayStep::more);
    ASSERT_EQ(stopped.events().replayStep(stopped.flow), TReplayStep::more);
    stopped.events().finishOpenStroke(stopped.flow);
    const uint32_t replayed = stopped.events().replayEventCount();
    ASSERT_TRUE(stopped.events().switchToAppend());
    EXPECT_EQ(stopped.events().eventCount(), replayed);
    const std::vector<uint8_t> kept = committedBytes(stopped.events());
    ASSERT_LT(kept.size(), data.stream.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), data.stream.begin()));
    // What was kept replays to what the stopped paper shows.
    drawStroke(stopped, 30, 0x0000FF);
    test::RecordedPaper again;
    ASSERT_EQ(again.events().openForReplay(stopped.events().fileData(), again.flow),
              TReplayOpen::success);
    ASSERT_EQ(again.events().replayAll(again.flow), TReplayStep::end);
    expectSameLayers(*stopped.paper, *again.paper);

    // A damaged packet after the first stroke: recording goes on before it.
    TEventFileData damaged = data;
    test::RecordedPaper probe;
    ASSERT_EQ(probe.events().openForReplay(data, probe.flow), TReplayOpen::success);
    ASSERT_EQ(probe.events().replayStep(probe.flow), TReplayStep::more);
    probe.events().finishOpenStroke(probe.flow);
    ASSERT_TRUE(probe.events().switchToAppend());
    const uint32_t cut = probe.events().committedEnd();
    // After the first stroke, a well-formed packet that cannot be carried out: deleting a layer
    // the paper does not have.
    const uint8_t deleteLayer50[] = {eventCategory::layer, 1, 50, 0, 0, 0};
    damaged.stream.insert(damaged.stream.begin() + cut, std::begin(deleteLayer50),
                          std::end(deleteLayer50));
    ++damaged.eventCount;
    test::RecordedPaper failed;
    ASSERT_EQ(failed.events().openForReplay(damaged, failed.flow), TReplayOpen::success);
    EXPECT_EQ(failed.events().replayAll(failed.flow), TReplayStep::error);
    failed.events().finishOpenStroke(failed.flow);
    ASSERT_TRUE(failed.events().switchToAppend());
    EXPECT_EQ(failed.events().committedEnd(), cut);
    EXPECT_FALSE(endsWithEndMark(committedBytes(failed.events())));
}

TEST(AppendAfterReplay, RecordingThatResumesWritesTheVersionRecordAgain)
{
    test::RecordedPaper live;
    drawSomething(live);
    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(withEndMark(live), replay.flow), TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    ASSERT_TRUE(replay.events().switchToAppend());
    const uint32_t resumedAt = replay.events().committedEnd();
    // Nothing is written until the next edit: an untouched replay saves as it was read.
    EXPECT_EQ(replay.events().stream().writeEnd(), resumedAt);
    drawStroke(replay, 30, 0x0000FF);
    // Category 0 sub 0, then major 3, minor 3, no extension flags and 6 reserved bytes.
    const std::vector<uint8_t> version = replay.events().stream().copy(resumedAt, 14);
    const std::vector<uint8_t> expected = {0, 0, 3, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(version, expected);
    // Somewhere before the stroke, the recording-start mark (category 2 sub 254).
    const std::vector<uint8_t> appended = replay.events().stream().copy(
        resumedAt, replay.events().committedEnd() - resumedAt);
    bool markFound = false;
    for (size_t i = 14; i + 1 < appended.size() && !markFound; ++i)
        markFound = appended[i] == eventCategory::paper &&
                    appended[i + 1] == paperOperation::recordingStart;
    EXPECT_TRUE(markFound);

    test::RecordedPaper again;
    ASSERT_EQ(again.events().openForReplay(replay.events().fileData(), again.flow),
              TReplayOpen::success);
    ASSERT_EQ(again.events().replayAll(again.flow), TReplayStep::end);
    expectSameLayers(*replay.paper, *again.paper);
}

TEST(AppendAfterReplay, APaperFileNeverKeepsTheEndMark)
{
    test::RecordedPaper live;
    drawSomething(live);
    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(withEndMark(live), replay.flow), TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    // Exported straight after the replay, still in the finished state.
    EXPECT_FALSE(endsWithEndMark(replay.events().paperFileData().stream));
    EXPECT_EQ(replay.events().paperFileData().stream, committedBytes(live.events()));
    ByteWriter file;
    ASSERT_EQ(encodePaperFile(*replay.paper, paperFileOption::all, file), PaperFileError::None);

    // Loaded, drawn on, saved, loaded again: the new stroke is in the recording.
    test::RecordedPaper loaded;
    ASSERT_EQ(loadPaperBytes(file.data(), *loaded.paper, loaded.flow), PaperFileError::None);
    drawStroke(loaded, 44, 0x800080);
    ByteWriter resaved;
    ASSERT_EQ(encodePaperFile(*loaded.paper, paperFileOption::all, resaved), PaperFileError::None);
    test::RecordedPaper reloaded;
    ASSERT_EQ(loadPaperBytes(resaved.data(), *reloaded.paper, reloaded.flow), PaperFileError::None);
    test::RecordedPaper replayed;
    ASSERT_EQ(replayed.events().openForReplay(reloaded.events().paperFileData(), replayed.flow),
              TReplayOpen::success);
    ASSERT_EQ(replayed.events().replayAll(replayed.flow), TReplayStep::end);
    expectSameLayers(*loaded.paper, *replayed.paper);
}

TEST(AppendAfterReplay, AnOldPaperFileWithTheEndMarkInsideHeals)
{
    test::RecordedPaper live;
    drawSomething(live);
    TEventFileData marked = withEndMark(live);
    test::RecordedPaper loaded;
    ASSERT_TRUE(loaded.paper->initPaper("x", loaded.flow, 64, 48));
    ASSERT_TRUE(loaded.events().continueRecording(marked));
    EXPECT_EQ(committedBytes(loaded.events()), committedBytes(live.events()));
    EXPECT_EQ(loaded.events().eventCount(), live.events().eventCount());
}

} // namespace qm

namespace qm {

// Streams of the first generation (stroke start category 16) size "wc", "blur", "eraser" and
// "blur2" by their fixed ratio, not by the minimum size they carry.
TEST(ReplayedStrokeFormat, FirstGenerationStreamsUseTheFixedRatio)
{
    for (int kind : {1, 2, 3, 4}) {
        SCOPED_TRACE(kind);
        test::RecordedPaper live;
        ASSERT_TRUE(live.paper->initPaper("gen0", live.flow, 64, 48));
        // Something under the blurs and the eraser to work on.
        drawStroke(live, 20, 0x3050F0);
        drawStroke(live, 26, 0xF05030);
        TStroke& s = live.stroke;
        s.resetToDefaults(kind);
        s.setKind(kind);
        s.setWidth(10);
        s.setIfSize(true);
        s.setMinSize(90); // far from any fixed ratio
        s.strokeFormat = 0;
        live.paper->beginStroke(live.flow, s, true, 6, 24, 0.1f);
        for (float x = 10; x < 58; x += 4)
            live.paper->continueStroke(live.flow, s, true, nullptr, x, 24, 0.1f);
        TRect rect;
        live.paper->endStroke(live.flow, s, true, rect, nullptr);

        // The recorder writes the current generation (23); make the last stroke generation 0.
        TEventFileData data = live.events().fileData();
        size_t at = 0, lastStart = 0;
        while (at + 2 <= data.stream.size()) {
            const uint8_t c = data.stream[at], sub = data.stream[at + 1];
            const int64_t n = payloadLength(c, sub, [&](uint32_t off, uint8_t* o, uint32_t k) {
                if (at + 2 + off + k > data.stream.size())
                    return false;
                std::copy_n(data.stream.begin() + ptrdiff_t(at + 2 + off), k, o);
                return true;
            });
            ASSERT_GE(n, 0);
            if (c == 23)
                lastStart = at;
            at += 2 + size_t(n);
        }
        ASSERT_GT(lastStart, 0u);
        data.stream[lastStart] = 16;

        test::RecordedPaper replay;
        ASSERT_EQ(replay.events().openForReplay(data, replay.flow), TReplayOpen::success);
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
        expectSameLayers(*live.paper, *replay.paper);
    }
}

} // namespace qm

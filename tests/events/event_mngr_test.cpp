// The recorder's packets and the player's rules, on small hand-made streams.
#include "../paper/paper_fixture.h"
#include "core/byte_io.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "events/legacy_replay.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm {

namespace {

struct Recorder : test::RecordedPaper {
    explicit Recorder(bool init = true)
    {
        if (init)
            paper->initPaper("t", flow, 64, 48);
        stroke.resetToDefaults(0);
        stroke.setWidth(3);
    }

    // The packets of the committed stream, as (category, sub) pairs.
    std::vector<std::pair<int, int>> codes()
    {
        std::vector<std::pair<int, int>> out;
        const TEventFileData data = events().fileData();
        size_t at = 0;
        while (at + 2 <= data.stream.size()) {
            const uint8_t c = data.stream[at], s = data.stream[at + 1];
            const int64_t n = payloadLength(c, s, [&](uint32_t off, uint8_t* o, uint32_t k) {
                if (at + 2 + off + k > data.stream.size())
                    return false;
                std::copy_n(data.stream.begin() + ptrdiff_t(at + 2 + off), k, o);
                return true;
            });
            out.push_back({c, s});
            if (n < 0)
                break;
            at += 2 + size_t(n);
        }
        return out;
    }
    void strokeOf(int points)
    {
        paper->beginStroke(flow, stroke, true, 5, 5, 0.5f);
        for (int i = 1; i < points; ++i)
            paper->continueStroke(flow, stroke, true, nullptr, 5.0f + float(i), 5, 0.5f);
        TRect rect;
        paper->endStroke(flow, stroke, true, rect, nullptr);
    }

};

int countOf(const std::vector<std::pair<int, int>>& codes, int c, int s)
{
    int n = 0;
    for (auto& p : codes)
        n += p.first == c && p.second == s;
    return n;
}

} // namespace

TEST(EventRecording, StrokesAreChunkedBySixteenPoints)
{
    Recorder r;
    r.strokeOf(16);
    auto codes = r.codes();
    EXPECT_EQ(countOf(codes, 18, 16), 1);
    EXPECT_EQ(countOf(codes, 17, 16), 0);
    r.strokeOf(17);
    codes = r.codes();
    EXPECT_EQ(countOf(codes, 17, 16), 1);
    EXPECT_EQ(countOf(codes, 18, 1), 1);
    EXPECT_EQ(countOf(codes, 23, 0), 2);
}

TEST(EventRecording, UndoDropsTheEventAndTheNextEditWritesItsStateAgain)
{
    Recorder r;
    const uint32_t before = r.events().eventCount();
    r.paper->setPaperColor(0x112233, true);
    EXPECT_EQ(r.events().eventCount(), before + 1);
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(r.paper->undo(r.flow, layer, rect));
    EXPECT_EQ(r.events().eventCount(), before);
    EXPECT_EQ(r.events().redoCount(), 1);
    const int colourRecords = countOf(r.codes(), 0, 2);
    r.strokeOf(3);
    EXPECT_EQ(countOf(r.codes(), 0, 2), colourRecords + 1);
    // The new edit took the place of the undone one: nothing to redo any more.
    EXPECT_EQ(r.events().redoCount(), 0);
    EXPECT_FALSE(r.paper->redo(r.flow, layer, rect));
}

TEST(EventReplay, FirstActionMustBeAPaperSizeAndChunksHoldOneToSixteenPoints)
{
    auto streamOf = [](std::initializer_list<std::vector<uint8_t>> packets) {
        TEventFileData data;
        for (const auto& p : packets)
            data.stream.insert(data.stream.end(), p.begin(), p.end());
        data.eventCount = 2;
        data.formatCode = 17;
        return data;
    };
    ByteWriter size;
    size.u8(2), size.u8(8), size.i32(32), size.i32(24), size.zeros(20);
    {
        Recorder r(false);
        EXPECT_EQ(r.events().openForReplay(streamOf({{2, 1, 0, 0, 0, 0}, size.data()}), r.flow),
                  TReplayOpen::failure);
    }
    for (uint8_t count : {uint8_t(0), uint8_t(17)}) {
        Recorder r(false);
        std::vector<uint8_t> chunk = {18, count};
        chunk.resize(2 + size_t(count) * 12, 0);
        ASSERT_EQ(r.events().openForReplay(streamOf({size.data(), {23, 0, 0, 0, 0, 0}, chunk}),
                                           r.flow),
                  TReplayOpen::success);
        EXPECT_EQ(r.events().replayAll(r.flow), TReplayStep::error);
    }
    {
        // A text record alone is read and changes nothing; the filter after it runs.
        Recorder r(false);
        ASSERT_EQ(r.events().openForReplay(
                      streamOf({size.data(), {0, 33, 2, 0, 'a', 0}, {32, 0, 0, 0, 0, 0}}), r.flow),
                  TReplayOpen::success);
        EXPECT_EQ(r.events().replayAll(r.flow), TReplayStep::end);
        EXPECT_EQ(r.events().missingOperation, "");
    }
    {
        // The floor without the picture its parameters take from a file says so.
        Recorder r(false);
        std::vector<uint8_t> floor = {38, 40};
        floor.resize(2 + 50, 0);
        floor[2 + 4] = 63;
        floor.resize(floor.size() + 63, 0);
        floor[2 + 50 + 49] = 1; // the floor's picture from a file
        ASSERT_EQ(r.events().openForReplay(streamOf({size.data(), floor}), r.flow),
                  TReplayOpen::success);
        EXPECT_EQ(r.events().replayAll(r.flow), TReplayStep::error);
        ASSERT_FALSE(r.window.sink.messages.empty());
        EXPECT_EQ(r.window.sink.messages.front(),
                  "再生に必要な画像オブジェクトが不足しています! (38, 40)");
    }
}

TEST(EventReplay, WaitModeDrawsOnePointPerStep)
{
    Recorder live;
    live.strokeOf(10);
    TEventFileData data = live.events().fileData();
    for (bool wait : {false, true}) {
        Recorder r(false);
        ASSERT_EQ(r.events().openForReplay(data, r.flow), TReplayOpen::success);
        r.events().setWaitMode(wait);
        int steps = 0;
        while (r.events().replayStep(r.flow) == TReplayStep::more)
            ++steps;
        EXPECT_GE(steps, wait ? 10 : 1);
        if (!wait) {
            EXPECT_LE(steps, 2); // the start mark, then the whole stroke
        }
    }
}

TEST(EventReplay, ProtectedRecordingsAreRefusedOrNotContinued)
{
    Recorder live;
    live.strokeOf(4);
    bool isProtected = true;
    ASSERT_TRUE(live.events().walkProtection(false, false, isProtected));
    EXPECT_FALSE(isProtected);
    ASSERT_TRUE(live.events().walkProtection(true, true, isProtected));
    TEventFileData data = live.events().fileData();
    ASSERT_TRUE(live.events().walkProtection(true, false, isProtected));

    Recorder refused(false);
    EXPECT_EQ(refused.events().openForReplay(data, refused.flow, true),
              TReplayOpen::protectedRefused);
    Recorder r(false);
    ASSERT_EQ(r.events().openForReplay(data, r.flow), TReplayOpen::success);
    EXPECT_TRUE(r.paper->locked);
    r.events().replayAll(r.flow);
    EXPECT_FALSE(r.events().switchToAppend());
    EXPECT_FALSE(r.events().isRecording());
}

TEST(LegacyReplay, PlaysAStrokeOnTheLegacyEngineAndSwitchesBack)
{
    TEventPacket packets;
    ByteWriter paperSize;
    paperSize.u16(40), paperSize.u16(30);
    ASSERT_TRUE(packets.appendPacket(512, paperSize.data()));
    ByteWriter stroke;
    stroke.u8(0);                                  // layer
    stroke.u8(0x20), stroke.u8(0x40), stroke.u8(0x80); // colour
    stroke.u8(0);                                  // options
    for (int v : {3 * 256, 0, 256, 0, 0, 0})
        stroke.u16(uint16_t(v));
    stroke.i16(5), stroke.i16(10), stroke.i16(1024); // first point
    stroke.u16(3);
    for (int16_t x : {10, 15, 20})
        stroke.i16(x), stroke.i16(10), stroke.i16(1024);
    ASSERT_TRUE(packets.appendPacket(0, stroke.data()));
    packets.appendEndCode();

    Recorder r(false);
    TLegacyReplay replay(*r.paper, r.flow);
    ASSERT_TRUE(replay.open(packets.bytes()));
    EXPECT_FALSE(r.paper->isCurrentEngine());
    EXPECT_EQ(replay.playAll(), TReplayStep::end);
    EXPECT_TRUE(r.paper->isCurrentEngine());
    EXPECT_EQ(r.paper->width, 40);
    // The pen's coverage became the colour over the layer's white.
    const uint32_t pixel = r.paper->layer(0)->image()->GetPixel(12, 10);
    EXPECT_NE(pixel & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FALSE(r.events().isRecording());
}

} // namespace qm

// Broken recordings: every cut and many damaged bytes of a real recording end with an error
// or a short replay, never a crash, a hang or an unbounded allocation (the sanitizer build
// runs this too).
#include "../paper/paper_fixture.h"
#include "core/byte_io.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qm {

namespace {

// How one damaged recording ended.
struct TOutcome {
    bool read = false; // the file's bytes were accepted
    TReplayOpen opened = TReplayOpen::failure;
    TReplayStep last = TReplayStep::more; // the final replay step
    int64_t steps = 0;
};

struct Player : test::RecordedPaper {
    Player() { events().maxSide = 256; }
    // Reads and replays whatever the bytes hold, one step at a time. Each step consumes at
    // least one packet of two bytes or more (or draws the points already read), so a replay
    // still going after as many steps as its stream has bytes is going round in circles: its
    // last step stays `more`.
    TOutcome playStepwise(std::span<const uint8_t> bytes)
    {
        TOutcome out;
        TEventFileData data;
        out.read = readEventFileBytes(bytes, data) == EventFileError::None;
        if (!out.read) return out;
        const int64_t maxSteps = int64_t(data.stream.size()) + 16;
        out.opened = events().openForReplay(std::move(data), flow);
        if (out.opened != TReplayOpen::success) return out;
        do
            out.last = events().replayStep(flow), ++out.steps;
        while (out.last == TReplayStep::more && out.steps < maxSteps);
        return out;
    }
};

// Whatever a replay left must still be a paper: at least one layer once it has a size, the
// display as large as the paper and showing what its layers make, and a full recomposite that
// changes nothing on screen.
void expectPaperStillComposites(Player& p)
{
    TPaper& paper = *p.paper;
    if (paper.initialised == 0) {
        EXPECT_EQ(paper.layerCount(), 0);
        return;
    }
    ASSERT_GE(paper.layerCount(), 1);
    ASSERT_GT(paper.width, 0);
    ASSERT_GT(paper.height, 0);
    ASSERT_LE(paper.width, p.events().maxSide);
    ASSERT_LE(paper.height, p.events().maxSide);
    ASSERT_EQ(paper.displayImage.width(), paper.width);
    ASSERT_EQ(paper.displayImage.height(), paper.height);
    EXPECT_TRUE(test::sameImage(paper.displayImage, p.freshComposite()))
        << "the display drifted from the layers during the replay";
    paper.refreshAll(p.flow, paper.currentLayerIndex(), false);
    ASSERT_EQ(paper.displayImage.width(), paper.width);
    ASSERT_EQ(paper.displayImage.height(), paper.height);
    EXPECT_TRUE(test::sameImage(paper.displayImage, p.freshComposite()));
}

std::vector<uint8_t> sampleRecording(bool compressed)
{
    Player live;
    live.paper->initPaper("s", live.flow, 48, 40);
    live.stroke.resetToDefaults(5);
    live.stroke.setKind(5);
    live.stroke.setWidth(6);
    live.paper->beginStroke(live.flow, live.stroke, true, 5, 5, 0.3f);
    for (int i = 0; i < 20; ++i)
        live.paper->continueStroke(live.flow, live.stroke, true, nullptr, 5.0f + 2 * i, 5.0f + i,
                                   0.8f);
    TRect rect;
    live.paper->endStroke(live.flow, live.stroke, true, rect, nullptr);
    live.paper->setPaperColor(0x406080, true);
    // Every packet of the layer window, so the cuts and damaged bytes reach them too.
    TPaper& p = *live.paper;
    p.createLayer(live.flow, 1, 48, 40, true, 255, 3, true);
    p.setLayerOpacity(live.flow, 1, 77, true);
    p.setLayerMode(live.flow, 1, 0, true);
    p.setLayerVisible(live.flow, 0, false, true);
    p.setLayerProtectAlpha(live.flow, 1, true, true);
    p.setLayerBlendOption(live.flow, 1, true, 99, true);
    p.renameLayer(1, "cut here", true);
    p.setLayerOffset(live.flow, 1, 5, -3, true);
    p.duplicateLayer(live.flow, 0, true);
    p.moveLayer(live.flow, 2, 0, true);
    live.events().appendEndMark();
    ByteWriter out;
    const TEventFileData data = live.events().fileData();
    if (compressed)
        writeCompressedSection(out, data);
    else
        writeUncompressedSection(out, data);
    return out.data();
}

} // namespace

TEST(MalformedRecording, CutsAndDamagedBytesEndTheReplayAndLeaveAPaperThatComposites)
{
    int endings[4] = {0, 0, 0, 0};
    for (bool compressed : {true, false}) {
        const std::vector<uint8_t> good = sampleRecording(compressed);
        {
            Player p;
            const TOutcome out = p.playStepwise(good);
            ASSERT_EQ(out.opened, TReplayOpen::success);
            ASSERT_EQ(out.last, TReplayStep::end);
            expectPaperStillComposites(p);
            EXPECT_EQ(p.paper->layerCount(), 3);
        }
        // A cut recording never replays to its end.
        for (size_t cut = 0; cut < good.size(); cut += 7) {
            SCOPED_TRACE("compressed " + std::to_string(compressed) + " cut " +
                         std::to_string(cut));
            Player p;
            const TOutcome out = p.playStepwise({good.data(), cut});
            if (out.read && out.opened == TReplayOpen::success) {
                EXPECT_EQ(out.last, TReplayStep::error)
                    << "last step " << int(out.last) << " after " << out.steps << " steps";
            }
            expectPaperStillComposites(p);
            if (HasFatalFailure()) return;
        }
        std::mt19937 rng(5);
        for (int trial = 0; trial < 300; ++trial) {
            SCOPED_TRACE("compressed " + std::to_string(compressed) + " trial " +
                         std::to_string(trial));
            std::vector<uint8_t> bad = good;
            for (int k = 0; k < 1 + int(rng() % 4); ++k)
                bad[rng() % bad.size()] ^= uint8_t(1 + rng() % 255);
            Player p;
            const TOutcome out = p.playStepwise(bad);
            if (out.read && out.opened == TReplayOpen::success) {
                EXPECT_TRUE(out.last == TReplayStep::end || out.last == TReplayStep::error)
                    << "last step " << int(out.last) << " after " << out.steps << " steps";
                ++endings[int(out.last)];
                // A replay that has ended stays ended.
                EXPECT_EQ(p.events().replayStep(p.flow), out.last);
            }
            expectPaperStillComposites(p);
            if (HasFatalFailure()) return;
        }
    }
    // The damage is varied enough to reach both endings (most damaged compressed sections
    // are refused when they are read).
    EXPECT_GT(endings[int(TReplayStep::end)], 0);
    EXPECT_GT(endings[int(TReplayStep::error)], 0);
}

TEST(MalformedRecording, AbsurdSizesAreRefusedBeforeAnythingIsMade)
{
    for (int32_t side : {0, -5, 257, 100000}) {
        TEventFileData data;
        ByteWriter w;
        w.u8(2), w.u8(8), w.i32(side), w.i32(16), w.zeros(20);
        data.stream = w.data();
        data.eventCount = 1;
        data.formatCode = 17;
        Player p;
        EXPECT_EQ(p.events().openForReplay(data, p.flow), TReplayOpen::failure) << side;
        EXPECT_EQ(p.paper->layerCount(), 0);
    }
}

} // namespace qm

namespace qm {

namespace {

// A recording of a paper with two layers, then one more packet.
TEventFileData withPacket(std::vector<uint8_t> packet)
{
    Player live;
    live.paper->initPaper("s", live.flow, 32, 24);
    live.paper->createLayer(live.flow, 1, 32, 24, true, 255, 3, true);
    TEventFileData data = live.events().fileData();
    data.stream.insert(data.stream.end(), packet.begin(), packet.end());
    ++data.eventCount;
    return data;
}

std::vector<uint8_t> packet(uint8_t sub, std::initializer_list<int> fields)
{
    ByteWriter w;
    w.u8(4), w.u8(sub);
    for (int b : fields)
        w.u8(uint8_t(b));
    return w.data();
}

// Replays to the end or to the first error; the layer count afterwards.
int32_t replayExpecting(TEventFileData data, TReplayStep expected)
{
    Player player;
    EXPECT_EQ(player.events().openForReplay(std::move(data), player.flow), TReplayOpen::success);
    EXPECT_EQ(player.events().replayAll(player.flow), expected);
    return player.paper->layerCount();
}

} // namespace

TEST(MalformedRecording, LayerWindowPacketsForAMissingLayerOrCutShortStopTheReplay)
{
    // The same packets for layer 0 replay; for layer 2 (or with a value the layer cannot
    // take) they stop the replay with an error.
    const std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> cases = {
        {packet(3, {0, 0, 0, 0}), packet(3, {2, 0, 0, 0})}, // duplicate
        {packet(4, {0, 0, 1, 0}), packet(4, {0, 0, 2, 0})}, // move
        {packet(4, {1, 0, 0, 0}), packet(4, {0xFF, 0xFF, 0, 0})},
        {packet(12, {0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         packet(12, {2, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {packet(12, {0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         packet(12, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {packet(16, {0, 0, 3, 255, 1, 40}), packet(16, {2, 0, 3, 255, 1, 40})}, // opacity
        {packet(17, {0, 0, 3, 255, 1, 5}), packet(17, {2, 0, 3, 255, 1, 5})},   // mode
        {packet(17, {0, 0, 3, 255, 1, 5}), packet(17, {0, 0, 3, 255, 1, 99})},
        {packet(18, {0, 0, 3, 255, 0, 0}), packet(18, {2, 0, 3, 255, 0, 0})}, // visible
        {packet(20, {0, 0, 3, 255, 3, 0}), packet(20, {2, 0, 3, 255, 3, 0})}, // protect
        {packet(19, {0, 0, 2, 0, 'a', 0}), packet(19, {2, 0, 2, 0, 'a', 0})}, // name
        {packet(21, {0, 0, 3, 255, 0x11, 0, 255, 0, 1, 0, 0, 0, 1, 0, 9, 0, 0, 0}),
         packet(21, {2, 0, 3, 255, 0x11, 0, 255, 0, 1, 0, 0, 0, 1, 0, 9, 0, 0, 0})},
        {packet(21, {0, 0, 3, 255, 0x11, 0, 255, 0, 1, 0, 0, 0, 1, 0, 9, 0, 0, 0}),
         packet(21, {0, 0, 3, 255, 0x11, 0, 255, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0})},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        replayExpecting(withPacket(cases[i].first), TReplayStep::end);
        EXPECT_EQ(replayExpecting(withPacket(cases[i].second), TReplayStep::error), 2);
    }
    // A name longer than the rest of the recording: the packet check refuses it up front.
    Player player;
    EXPECT_EQ(
        player.events().openForReplay(withPacket(packet(19, {0, 0, 40, 0, 'a', 'b'})), player.flow),
        TReplayOpen::packetError);
}

} // namespace qm

#include "events/stack_packets.h"

namespace qm {

namespace {

std::vector<uint8_t> codeAnd(uint8_t category, uint8_t sub, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes{category, sub};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

TImagePlacement picture(int32_t layer, int32_t w, int32_t h)
{
    TImagePlacement p;
    p.layer = layer;
    p.at = {3, 4};
    p.image.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        std::fill_n(p.image.row(y), w, 0xFF336699u);
    return p;
}

} // namespace

TEST(MalformedRecording, StackPacketsThatCannotBeMetStopTheReplay)
{
    // The paper is 32 × 24 with two layers; each pair is a packet that replays and one that
    // must stop the replay with an error.
    std::vector<uint8_t> wrongPixels = encodeImageBlock(picture(1, 4, 3));
    wrongPixels[18] = 44; // a pixel length that is not width × height × 4
    // With a layer's attributes in the placement record (its bytes 8 … 11); flags beyond the
    // two it knows are refused.
    TImagePlacement withAttributes = picture(1, 4, 3);
    withAttributes.attributes = TPlacedAttributes{3, 200, true, false};
    const std::vector<uint8_t> attributed = encodeImageBlock(withAttributes);
    EXPECT_EQ(attributed[22 + 8], 1);
    EXPECT_EQ(attributed[22 + 9], 3);
    EXPECT_EQ(attributed[22 + 10], 200);
    EXPECT_EQ(attributed[22 + 11], 1);
    std::vector<uint8_t> badFlags = attributed;
    badFlags[22 + 11] = 8;
    const std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> cases = {
        {codeAnd(2, 2, encodePaperResize({40, 30, 4, 0, 0})),
         codeAnd(2, 2, encodePaperResize({0, 30, 4, 0, 0}))},
        {codeAnd(2, 9, encodePaperResize({16, 12, 0, 0, 0})),
         codeAnd(2, 9, encodePaperResize({16, 9999, 0, 0, 0}))}, // past the replay's limit
        {codeAnd(2, 6, encodeCrop(0, {2, 2, 20, 20})),
         codeAnd(2, 6, encodeCrop(0, {40, 40, 50, 50}))},
        {codeAnd(2, 6, encodeCrop(0, {2, 2, 20, 20})),
         codeAnd(2, 6, encodeCrop(5, {2, 2, 20, 20}))},
        {codeAnd(2, 25, {1, 0, 0, 0}), codeAnd(2, 25, {7, 0, 0, 0})}, // show only
        {codeAnd(4, 5, {1, 0, 0, 0}), codeAnd(4, 5, {0, 0, 0, 0})},   // merge down
        {codeAnd(4, 10, encodeLayerValues({1, 2, 0, 0})),
         codeAnd(4, 10, encodeLayerValues({1, 7, 0, 0}))},
        {codeAnd(4, 36, {1, 0, 0, 0}), codeAnd(4, 36, {9, 0, 0, 0})}, // turn a layer
        {codeAnd(4, 39, encodeLayerValues({1, 0, 16, 12})),
         codeAnd(4, 39, encodeLayerValues({1, 0, -3, 12}))},
        {codeAnd(4, 11, encodeNamedLayer({1, 32, 24, 255, 3, true, false, "n"})),
         codeAnd(4, 11, encodeNamedLayer({1, 32, 24, 255, 99, true, false, "n"}))}, // no such mode
        {codeAnd(12, 1, encodeImageBlock(picture(1, 4, 3))), codeAnd(12, 1, wrongPixels)},
        {codeAnd(12, 1, attributed), codeAnd(12, 1, badFlags)},
        {codeAnd(12, 2, encodeImageBlock(picture(1, 4, 3))),
         codeAnd(12, 2, encodeImageBlock(picture(6, 4, 3)))},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        replayExpecting(withPacket(cases[i].first), TReplayStep::end);
        replayExpecting(withPacket(cases[i].second), TReplayStep::error);
    }
    // An image block cut short: the packet check refuses the recording up front.
    std::vector<uint8_t> cut = codeAnd(12, 1, encodeImageBlock(picture(1, 4, 3)));
    cut.resize(cut.size() - 6);
    Player player;
    EXPECT_EQ(player.events().openForReplay(withPacket(cut), player.flow),
              TReplayOpen::packetError);
}

} // namespace qm

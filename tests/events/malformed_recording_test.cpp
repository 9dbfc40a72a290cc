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

namespace qm {

namespace {

struct Player : test::RecordedPaper {
    Player() { events().maxSide = 256; }
    // Reads and replays whatever the bytes hold; true when it got to the end.
    bool play(std::span<const uint8_t> bytes)
    {
        TEventFileData data;
        if (readEventFileBytes(bytes, data) != EventFileError::None)
            return false;
        if (events().openForReplay(std::move(data), flow) != TReplayOpen::success)
            return false;
        return events().replayAll(flow) == TReplayStep::end;
    }
};

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

TEST(MalformedRecording, CutsAndDamagedBytesNeverCrash)
{
    for (bool compressed : {true, false}) {
        const std::vector<uint8_t> good = sampleRecording(compressed);
        ASSERT_TRUE(Player().play(good));
        for (size_t cut = 0; cut < good.size(); cut += 7)
            EXPECT_FALSE(Player().play({good.data(), cut})) << cut;
        std::mt19937 rng(5);
        for (int trial = 0; trial < 300; ++trial) {
            std::vector<uint8_t> bad = good;
            for (int k = 0; k < 1 + int(rng() % 4); ++k)
                bad[rng() % bad.size()] ^= uint8_t(1 + rng() % 255);
            Player().play(bad); // any outcome but a crash
        }
    }
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

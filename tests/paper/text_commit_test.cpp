// Text committed on a recording paper: drawn with the stroke as one event and one undo step,
// replayed from its channel alone (no glyph source on the replaying side), made into the
// selection, and nothing recorded when nothing was drawn.
#include "paper_fixture.h"

#include "text/fake_glyphs.h"
#include "text/font_record.h"
#include "text/text_raster.h"

#include <algorithm>

namespace qm::test {

namespace {

struct TextPaper : RecordedPaper {
    TextPaper()
    {
        paper->initPaper("text", flow, 60, 40);
        glyphs.glyphs['I'] = makeGlyph({{64, 64}, {64, 64}, {32, 64}, {64, 64}}, 0, 4, 4);
        glyphs.glyphs[' '] = TGlyphBitmap{0, 0, 0, 0, 3, 0, {}};
        stroke.resetToDefaults(1);
        stroke.setColor(0x2040C0u);
    }
    // The text rasterised at the origin, committed, as the text window does.
    bool commit(const std::string& text, bool intoSelection, TPoint origin = {10, 20})
    {
        TChannel coverage(paper->width, paper->height);
        TTextRequest request;
        request.font = {"Test Face", 12, 0, false, false};
        request.text = text;
        request.target = &coverage;
        request.originX = origin.x, request.originY = origin.y;
        request.glyphs = &glyphs;
        if (rasteriseText(request) <= 0) return false;
        TTextRecords records{encodeTextFont({request.font, 0, 0}), encodeText(text)};
        return paper->commitText(flow, stroke, records, intoSelection, origin, coverage,
                                 request.bounds);
    }
    CFakeGlyphs glyphs;
};

} // namespace

TEST(TextCommit, TextIsOneEventUndoesAndReplaysFromItsChannel)
{
    TextPaper live;
    const TMTC before = flatLayer(*live.paper->layer(0));
    const uint32_t events = live.events().eventCount();
    const int32_t steps = live.paper->undoMngr->UndoCount();
    ASSERT_TRUE(live.commit("I I", false));
    EXPECT_EQ(live.events().eventCount(), events + 1);
    EXPECT_EQ(live.paper->undoMngr->UndoCount(), steps + 1);
    const TMTC after = flatLayer(*live.paper->layer(0));
    // The first glyph's full-coverage pixel at (10, 16) (origin y 20 less the origin's 4) is
    // the pen colour; the half-covered one at (10, 18) is half way to it on the paper.
    EXPECT_EQ(after.pixel(10, 16) & 0xFFFFFFu, 0x2040C0u);
    EXPECT_EQ(after.pixel(10, 16) >> 24, 255u);
    EXPECT_NEAR(double(after.pixel(10, 18) >> 24), 255.0 * 32 / 64, 2.0);
    // The second I stands one advance (4) and a blank's (3) further on.
    EXPECT_EQ(after.pixel(17, 16) & 0xFFFFFFu, 0x2040C0u);
    EXPECT_TRUE(sameImage(live.paper->displayImage, live.freshComposite()));

    int32_t layer;
    TRect rect;
    ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
    EXPECT_TRUE(sameImage(flatLayer(*live.paper->layer(0)), before));
    ASSERT_TRUE(live.paper->redo(live.flow, layer, rect));
    EXPECT_TRUE(sameImage(flatLayer(*live.paper->layer(0)), after));

    RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    EXPECT_TRUE(sameImage(flatLayer(*replay.paper->layer(0)), after));
}

TEST(TextCommit, IntoTheSelectionTheTextBecomesTheMask)
{
    TextPaper live;
    ASSERT_TRUE(live.commit("I", true));
    ASSERT_TRUE(live.paper->hasSelection());
    const CMaskData* mask = live.paper->masks->CurrentMask();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->ValueAt(10, 16), 255);
    EXPECT_EQ(mask->ValueAt(30, 30), 0);
    RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    ASSERT_TRUE(replay.paper->hasSelection());
    EXPECT_EQ(replay.paper->masks->CurrentMask()->ValueAt(10, 16), 255);
}

TEST(TextCommit, BlanksOnlyRecordNothingAndDamagedRecordsStopTheReplay)
{
    TextPaper live;
    const uint32_t events = live.events().eventCount();
    EXPECT_FALSE(live.commit("   ", false));
    EXPECT_FALSE(live.commit("", false));
    EXPECT_EQ(live.events().eventCount(), events);

    ASSERT_TRUE(live.commit("I", false));
    TEventFileData data = live.events().fileData();
    // The font record follows "0, 32" in the stream; its last reserved word must be 0.
    std::vector<uint8_t> font = {0, 32};
    const std::vector<uint8_t> record = encodeTextFont({{"Test Face", 12, 0, false, false}, 0, 0});
    font.insert(font.end(), record.begin(), record.end());
    const auto found =
        std::search(data.stream.begin(), data.stream.end(), font.begin(), font.end());
    ASSERT_NE(found, data.stream.end());
    *(found + 2 + 66) = 1;
    RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(std::move(data), replay.flow), TReplayOpen::success);
    EXPECT_EQ(replay.events().replayAll(replay.flow), TReplayStep::error);
}

} // namespace qm::test

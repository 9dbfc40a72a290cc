// The filters as edits of a recording paper: each is one event and one undo step, undo gives
// the layer back exactly, the recording replays to the same layer, nothing outside the
// selection changes, and the previews leave the layer as it was.
#include "paper_fixture.h"

#include "core/byte_io.h"
#include "events/stack_packets.h"
#include "filters/filter_dispatch.h"
#include "paper/filter_session.h"

#include <filesystem>

namespace qm::test {

namespace {

// A layer with colour, soft edges and empty parts, on a 70 × 50 paper.
struct FilterPaper : RecordedPaper {
    FilterPaper()
    {
        paper->initPaper("filters", flow, 70, 50);
        for (const auto& [colour, y] : {std::pair{0xC03020u, 12.0f}, {0x2080E0u, 30.0f}}) {
            stroke.resetToDefaults(1);
            stroke.setWidth(14);
            stroke.setColor(colour);
            paper->beginStroke(flow, stroke, true, 4, y, 0.7f);
            paper->continueStroke(flow, stroke, true, nullptr, 66, y + 9, 1.0f);
            TRect rect;
            paper->endStroke(flow, stroke, true, rect, nullptr);
        }
    }
};

std::vector<TFilterParams> everyFilter()
{
    return {TBlurParams{},
            TStrongBlurParams{},
            TMotionBlurParams{0.6f, 5},
            TZoomBlurParams{30, 20, 4},
            TSharpenParams{},
            TStrongSharpenParams{},
            TAdjustableSharpenParams{0.5f},
            TLevelsParams{230, 10, 240, 100, 5},
            TGammaParams{1.6f, 1.6f, 1.6f},
            TBrightnessContrastParams{20.0f, -30},
            THueSaturationParams{40, -20, 10},
            TMonochromeParams{},
            TPosterizeParams{4},
            TNoiseParams{60, false},
            TMosaicParams{0, 5},
            TGaussianBlurParams{2.5f},
            TTwistParams{0.5f, 0.4f, false, 1.5f},
            TEmbossParams{1.5f, 0.7f},
            TWaveParams{0.5f, 2.0f, 3.0f, 4.0f, 2.0f},
            TTileParams{6},
            TCloudParams{},
            TRockParams{},
            TLightingParams{20, 0x00FFFEC7u, {defaultLight(0), defaultLight(2)}},
            TFloorParams{}};
}

TMTC wholeLayer(TPaper& paper, int32_t i)
{
    return flatLayer(*paper.layer(i));
}

} // namespace

TEST(FilterOps, EachFilterIsOneEventUndoesExactlyAndReplays)
{
    for (const TFilterParams& params : everyFilter()) {
        SCOPED_TRACE(int(filterNumberOf(params)));
        FilterPaper live;
        const TMTC before = wholeLayer(*live.paper, 0);
        const uint32_t events = live.events().eventCount();
        const int32_t steps = live.paper->undoMngr->UndoCount();
        ASSERT_TRUE(live.paper->applyFilter(live.flow, 0, params, true));
        EXPECT_EQ(live.events().eventCount(), events + 1);
        EXPECT_EQ(live.paper->undoMngr->UndoCount(), steps + 1);
        EXPECT_EQ(lastAction(live.events()).sub, int(filterNumberOf(params)));
        const TMTC after = wholeLayer(*live.paper, 0);
        EXPECT_FALSE(sameImage(before, after));
        EXPECT_TRUE(sameImage(live.paper->displayImage, live.freshComposite()));

        int32_t layer;
        TRect rect;
        ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
        EXPECT_TRUE(sameImage(wholeLayer(*live.paper, 0), before));
        ASSERT_TRUE(live.paper->redo(live.flow, layer, rect));
        EXPECT_TRUE(sameImage(wholeLayer(*live.paper, 0), after));

        RecordedPaper replay;
        ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
                  TReplayOpen::success);
        ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
            << replay.events().missingOperation;
        EXPECT_TRUE(sameImage(wholeLayer(*replay.paper, 0), after));
    }
}

TEST(FilterOps, NothingOutsideTheSelectionChanges)
{
    FilterPaper s;
    TSelectShape shape;
    shape.slot = -1;
    shape.first = {20, 10};
    shape.second = {45, 40};
    ASSERT_TRUE(s.paper->selectShape(TFillShape::ellipse, shape, true));
    const TMTC before = wholeLayer(*s.paper, 0);
    ASSERT_TRUE(s.paper->applyFilter(s.flow, 0, TGaussianBlurParams{3.0f}, true));
    const TMTC after = wholeLayer(*s.paper, 0);
    const CMaskData& mask = *s.paper->masks->CurrentMask();
    int changedInside = 0;
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 70; ++x) {
            if (mask.ValueAt(x, y) <= 0)
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            else
                changedInside += after.pixel(x, y) != before.pixel(x, y);
        }
    EXPECT_GT(changedInside, 50);
}

TEST(FilterOps, PreviewsLeaveTheLayerAsItWasAndShowWhatTheFilterWillDo)
{
    FilterPaper s;
    const TMTC before = wholeLayer(*s.paper, 0);
    const TFilterParams params = THueSaturationParams{90, 30, 0};
    {
        TFilterSession session(*s.paper, 0);
        ASSERT_TRUE(session.valid());
        const TRect shown = session.previewOnLayer(params, {10, 5, 40, 30});
        EXPECT_EQ(shown, (TRect{10, 5, 40, 30}));
        EXPECT_FALSE(sameImage(wholeLayer(*s.paper, 0), before));
        session.previewOnLayer(params, {30, 20, 60, 45}); // the first area goes back first
        EXPECT_EQ(wholeLayer(*s.paper, 0).pixel(12, 8), before.pixel(12, 8));
        session.restore();
        EXPECT_TRUE(sameImage(wholeLayer(*s.paper, 0), before));

        // The view-box preview is what the whole filter gives in that area.
        TMTC area;
        ASSERT_TRUE(session.previewArea(params, {5, 5, 35, 25}, area));
        EXPECT_TRUE(sameImage(wholeLayer(*s.paper, 0), before));
        std::unique_ptr<CLayerData> reference = CLayerData::make(0, 0);
        ASSERT_TRUE(reference->CloneFrom(*s.paper->layer(0)));
        ASSERT_TRUE(applyFilter(session.source(), *reference, nullptr, nullptr, params));
        const TMTC expected = flatLayer(*reference);
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 30; ++x)
                ASSERT_EQ(area.pixel(x, y), expected.pixel(x + 5, y + 5)) << x << "," << y;

        // Levels' histogram: three counts per pixel of the layer.
        const auto counts = session.histogram();
        uint64_t total = 0;
        for (uint32_t c : counts)
            total += c;
        EXPECT_EQ(total, 3u * 70 * 50);
        session.previewOnLayer(params, {0, 0, 70, 50});
    } // closing the session puts a preview back
    EXPECT_TRUE(sameImage(wholeLayer(*s.paper, 0), before));
}

TEST(FilterOps, RefusedParametersAndDamagedPacketsChangeNothing)
{
    FilterPaper s;
    const uint32_t events = s.events().eventCount();
    const TMTC before = wholeLayer(*s.paper, 0);
    EXPECT_FALSE(s.paper->applyFilter(s.flow, 0, TPosterizeParams{255}, true));
    EXPECT_FALSE(s.paper->applyFilter(s.flow, 3, TBlurParams{}, true)); // no such layer
    EXPECT_EQ(s.events().eventCount(), events);
    EXPECT_TRUE(sameImage(wholeLayer(*s.paper, 0), before));

    // Packets of a filter for a missing layer, of the wrong length's category, or of a
    // number no filter has, stop the replay.
    const auto replayWith = [&](uint8_t category, uint8_t sub, std::vector<uint8_t> payload) {
        TEventFileData data = s.events().fileData();
        data.stream.push_back(category);
        data.stream.push_back(sub);
        data.stream.insert(data.stream.end(), payload.begin(), payload.end());
        ++data.eventCount;
        RecordedPaper replay;
        if (replay.events().openForReplay(std::move(data), replay.flow) != TReplayOpen::success)
            return TReplayStep::error;
        return replay.events().replayAll(replay.flow);
    };
    EXPECT_EQ(replayWith(32, 0, {0, 0, 0, 0}), TReplayStep::end);   // a blur of layer 0
    EXPECT_EQ(replayWith(32, 0, {5, 0, 0, 0}), TReplayStep::error); // of layer 5
    EXPECT_EQ(replayWith(33, 21, encodeFilterRecord({0, 0, TPosterizeParams{300}})),
              TReplayStep::error);
    std::vector<uint8_t> lighting(50, 0);
    lighting[8] = 1; // one light, but no light record follows the head
    EXPECT_EQ(replayWith(38, 39, lighting), TReplayStep::error);
}

TEST(FilterOps, TheFloorsPicturesTravelWithItAndAreCheckedOnReplay)
{
    // Two small pictures as if loaded from files: stripes for the ceiling, a check for the
    // floor.
    TMTC ceiling(9, 7), floorPicture(6, 6);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x)
            ceiling.row(y)[x] = x % 3 == 0 ? 0xFF2040F0u : 0xFFF0E010u;
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            floorPicture.row(y)[x] = ((x / 3 + y / 3) & 1) ? 0xFF101010u : 0xFFE0E0E0u;
    TFloorParams floor;
    floor.pitch = 0.3f;
    floor.ceilingFromFile = floor.floorFromFile = true;

    FilterPaper live;
    const uint32_t events = live.events().eventCount();
    ASSERT_TRUE(live.paper->applyFilter(live.flow, 0, floor, true, &ceiling, &floorPicture));
    EXPECT_EQ(live.events().eventCount(), events + 1); // pictures and parameters: one event
    const TMTC after = wholeLayer(*live.paper, 0);
    const TEventFileData data = live.events().fileData();

    const auto replayOf = [](TEventFileData stream, TMTC* result) {
        RecordedPaper replay;
        if (replay.events().openForReplay(std::move(stream), replay.flow) != TReplayOpen::success)
            return TReplayStep::error;
        const TReplayStep step = replay.events().replayAll(replay.flow);
        if (result) *result = wholeLayer(*replay.paper, 0);
        return step;
    };
    TMTC replayed;
    ASSERT_EQ(replayOf(data, &replayed), TReplayStep::end);
    EXPECT_TRUE(sameImage(replayed, after));

    // The stream ends with: 0/128 block, 0/129 block, 38/40 packet. Find the first block by
    // its head, written here from the documented layout.
    const size_t blockBytes = 2 + kImageBlockHead + kPlacementRecord + 9 * 7 * 4;
    const size_t floorBytes = 2 + 50 + 63;
    const size_t secondBytes = 2 + kImageBlockHead + kPlacementRecord + 6 * 6 * 4;
    const size_t start = data.stream.size() - floorBytes - secondBytes - blockBytes;
    ASSERT_EQ(data.stream[start], 0);
    ASSERT_EQ(data.stream[start + 1], 128);
    ASSERT_EQ(data.stream[start + blockBytes + 1], 129);
    {
        // Without the ceiling's picture: the message, and the layer keeps what it had.
        TEventFileData cut = data;
        cut.stream.erase(cut.stream.begin() + std::ptrdiff_t(start),
                         cut.stream.begin() + std::ptrdiff_t(start + blockBytes));
        RecordedPaper replay;
        ASSERT_EQ(replay.events().openForReplay(std::move(cut), replay.flow),
                  TReplayOpen::success);
        EXPECT_EQ(replay.events().replayAll(replay.flow), TReplayStep::error);
        const auto& said = replay.window.sink.messages;
        EXPECT_NE(std::find(said.begin(), said.end(),
                            "再生に必要な画像オブジェクトが不足しています! (38, 40)"),
                  said.end());
    }
    {
        // A picture whose pixel count disagrees with its size stops the replay.
        TEventFileData damaged = data;
        damaged.stream[start + 2 + 2] = 10; // width 10 instead of 9
        EXPECT_EQ(replayOf(std::move(damaged), nullptr), TReplayStep::error);
    }
    {
        // The pictures belong to the one floor after them: a second floor needs its own.
        TEventFileData twice = data;
        twice.stream.insert(twice.stream.end(), data.stream.end() - std::ptrdiff_t(floorBytes),
                            data.stream.end());
        ++twice.eventCount;
        EXPECT_EQ(replayOf(std::move(twice), nullptr), TReplayStep::error);
    }
}

} // namespace qm::test

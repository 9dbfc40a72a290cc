// The fills on the paper: what they paint, that a replay gives the same layers without growing
// a region again, and that undo and redo give back each state exactly.
#include "paper_fixture.h"

#include "events/event_mngr.h"
#include "paper/paper.h"
#include "tone/grad_mngr.h"

#include <gtest/gtest.h>

#include <functional>

namespace qm {

namespace {

using Edit = std::function<void(test::RecordedPaper&)>;

// A 60 × 40 paper: a dark frame around x 10..49, y 8..31 on a light layer, and a second layer.
void prepare(test::RecordedPaper& d)
{
    ASSERT_TRUE(d.paper->initPaper("fill", d.flow, 60, 40));
    d.stroke.resetToDefaults(0);
    d.stroke.setWidth(2);
    d.stroke.setColor(0x202020);
    const std::vector<TPointF> frame = {{10, 8}, {49, 8}, {49, 31}, {10, 31}, {10, 8}};
    ASSERT_TRUE(d.paper->strokeOutline(d.flow, d.stroke, frame, nullptr));
}

std::vector<TMTC> layersOf(TPaper& p)
{
    std::vector<TMTC> out;
    for (int32_t i = 0; i < p.layerCount(); ++i)
        out.push_back(test::flatLayer(*p.layer(i)));
    return out;
}

void expectSame(const std::vector<TMTC>& a, const std::vector<TMTC>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(test::sameImage(a[i], b[i])) << "layer " << i;
}

// Live edit, then: the replay gives the same layers; undo gives the layers from before; redo
// the ones after.
void checkRecordedAndUndoable(const Edit& edit, const Edit& setUp = {})
{
    test::RecordedPaper live;
    prepare(live);
    if (setUp)
        setUp(live);
    const std::vector<TMTC> before = layersOf(*live.paper);
    edit(live);
    const std::vector<TMTC> after = layersOf(*live.paper);

    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end)
        << replay.events().missingOperation;
    {
        SCOPED_TRACE("replayed");
        expectSame(after, layersOf(*replay.paper));
    }
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
    {
        SCOPED_TRACE("undone");
        expectSame(before, layersOf(*live.paper));
    }
    ASSERT_TRUE(live.paper->redo(live.flow, layer, rect));
    SCOPED_TRACE("redone");
    expectSame(after, layersOf(*live.paper));
}

} // namespace

TEST(PaperFill, TheBucketFillsInsideTheFrameOnlyAndReplaysWithoutGrowingAgain)
{
    test::RecordedPaper d;
    prepare(d);
    const TMTC before = test::flatLayer(*d.paper->layer(0));
    d.stroke.setColor(0x3366CC);
    ASSERT_TRUE(d.paper->paintBucket(d.flow, d.stroke, {30, 20}, {20, false, false}));
    const TMTC after = test::flatLayer(*d.paper->layer(0));
    // The layer was transparent inside the frame: an exact match everywhere there, so every
    // pixel well inside is the opaque pen colour; outside the frame nothing changed.
    EXPECT_EQ(after.pixel(30, 20), 0xFF3366CCu);
    EXPECT_EQ(after.pixel(14, 12), 0xFF3366CCu);
    EXPECT_EQ(after.pixel(5, 5), before.pixel(5, 5));
    EXPECT_EQ(after.pixel(55, 35), before.pixel(55, 35));
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 60; ++x)
            if (x < 8 || x > 51 || y < 6 || y > 33)
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;

    // The recording carries the grown region, not the click.
    const test::TRecordedPacket action = test::lastAction(d.events());
    EXPECT_EQ(action.category, eventCategory::channel);
    EXPECT_EQ(action.sub, channelEvent::bucket);
}

TEST(PaperFill, EveryFillIsRecordedAndUndoable)
{
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        d.stroke.setColor(0xCC3300);
        d.stroke.setOpacity(0.6f);
        ASSERT_TRUE(d.paper->paintBucket(d.flow, d.stroke, {30, 20}, {20, false, true}));
    });
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        d.stroke.setColor(0x00AA44);
        ASSERT_TRUE(d.paper->paintBucket(d.flow, d.stroke, {30, 20}, {40, true, false}));
    });
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        d.stroke.setColor(0x112233);
        ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::rectangle, {3, 4},
                                       {21.0f, 33.0f}));
    });
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        d.stroke.setColor(0x884400);
        d.stroke.setOpacity(0.5f);
        ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::ellipse, {40, 2},
                                       {12.0f, 37.0f}));
    });
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        const std::vector<TPointF> star = {{30, 2}, {36.5f, 30}, {5, 12}, {55, 12}, {23.5f, 30}};
        ASSERT_TRUE(d.paper->fillPolygon(d.flow, d.stroke, true, star));
    });
    checkRecordedAndUndoable([](test::RecordedPaper& d) {
        d.stroke.setColor(0x0000FF);
        ASSERT_TRUE(d.paper->fillWholeLayer(d.flow, d.stroke, true, areaFillEvent::wholeLayer));
    });
    // On a moved second layer: a shape, and the bucket grown on the displayed picture.
    const Edit movedLayer = [](test::RecordedPaper& d) {
        ASSERT_GE(d.paper->createLayer(d.flow, 1, 60, 40, true, 255, 3, true), 0);
        ASSERT_TRUE(d.paper->setLayerOffset(d.flow, 1, 7, -3, true));
    };
    checkRecordedAndUndoable(
        [](test::RecordedPaper& d) {
            ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::ellipse, {10, 10},
                                           {50.0f, 30.0f}));
        },
        movedLayer);
    checkRecordedAndUndoable(
        [](test::RecordedPaper& d) {
            ASSERT_TRUE(d.paper->paintBucket(d.flow, d.stroke, {2, 2}, {20, true, false}));
        },
        movedLayer);
}

TEST(PaperFill, ShapesCoverWhatTheirGeometrySays)
{
    test::RecordedPaper d;
    ASSERT_TRUE(d.paper->initPaper("shapes", d.flow, 40, 30));
    d.stroke.resetToDefaults(0);
    d.stroke.setColor(0x010203);
    // A rectangle on whole pixels covers exactly its pixels, fully.
    ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::rectangle, {5, 6},
                                   {15.0f, 10.0f}));
    TMTC layer = test::flatLayer(*d.paper->layer(0));
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 6 && y < 10;
            ASSERT_EQ(layer.pixel(x, y) >> 24, inside ? 255u : 0u) << x << "," << y;
        }
    // An ellipse in 20 × 20: its centre is covered, the rectangle's corners are not.
    ASSERT_TRUE(d.paper->fillShape(d.flow, d.stroke, true, TFillShape::ellipse, {18, 5},
                                   {38.0f, 25.0f}));
    layer = test::flatLayer(*d.paper->layer(0));
    EXPECT_EQ(layer.pixel(28, 15) >> 24, 255u);
    EXPECT_EQ(layer.pixel(18, 5) >> 24, 0u);
    EXPECT_EQ(layer.pixel(37, 24) >> 24, 0u);
    // A polygon with every vertex on one row draws nothing and records nothing.
    const uint32_t events = d.events().eventCount();
    const std::vector<TPointF> flat = {{2, 20}, {12, 20}, {7, 20}};
    EXPECT_FALSE(d.paper->fillPolygon(d.flow, d.stroke, true, flat));
    EXPECT_TRUE(test::sameImage(layer, test::flatLayer(*d.paper->layer(0))));
    EXPECT_EQ(d.events().eventCount(), events);
}

TEST(PaperFill, TheMaskBoundsTheBucketAndDeleteFillsTheSelectionWithThePaperColour)
{
    test::RecordedPaper d;
    ASSERT_TRUE(d.paper->initPaper("mask", d.flow, 40, 30));
    d.stroke.resetToDefaults(0);
    d.stroke.setColor(0x00FF00);
    // A selection of the left half only.
    TChannel left(20, 30);
    for (int32_t y = 0; y < 30; ++y)
        std::fill_n(left.row(y), 20, uint8_t(255));
    std::unique_ptr<CMaskData> old;
    ASSERT_TRUE(d.paper->masks->ApplyChannel(d.paper->masks->CurrentIndex(), left,
                                             MaskCombine::Replace, {0, 0}, old));
    ASSERT_TRUE(d.paper->hasSelection());
    ASSERT_TRUE(d.paper->paintBucket(d.flow, d.stroke, {5, 5}, {20, false, false}));
    TMTC layer = test::flatLayer(*d.paper->layer(0));
    EXPECT_EQ(layer.pixel(19, 29), 0xFF00FF00u);
    EXPECT_EQ(layer.pixel(20, 0) >> 24, 0u); // the mask stopped it
    EXPECT_EQ(layer.pixel(39, 29) >> 24, 0u);

    // Delete with the selection: the paper colour over the selected half.
    d.stroke.setColor(0xFF00FF);
    ASSERT_TRUE(d.paper->fillWholeLayer(d.flow, d.stroke, true, areaFillEvent::clearSelection));
    layer = test::flatLayer(*d.paper->layer(0));
    EXPECT_EQ(layer.pixel(10, 10), 0xFF000000u | d.paper->paperColor);
    EXPECT_EQ(layer.pixel(30, 10) >> 24, 0u);
}

TEST(PaperFill, TheWandMakesTheRegionTheSelectionAndReplaysAndUndoesIt)
{
    test::RecordedPaper live;
    prepare(live);
    ASSERT_TRUE(live.paper->magicWand(live.flow, live.stroke, {30, 20}, {20, false, false},
                                      MaskCombine::Replace));
    const CMaskData& mask = *live.paper->masks->Mask(live.paper->masks->CurrentIndex());
    ASSERT_TRUE(mask.IsValid());
    // Inside the frame selected, the frame and outside not.
    EXPECT_EQ(mask.ValueAt(30, 20), 255);
    EXPECT_LE(mask.ValueAt(10, 20), 0);
    EXPECT_LE(mask.ValueAt(5, 5), 0);
    EXPECT_TRUE(live.paper->selectionActive);

    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(live.events().fileData(), replay.flow),
              TReplayOpen::success);
    ASSERT_EQ(replay.events().replayAll(replay.flow), TReplayStep::end);
    const CMaskData& again = *replay.paper->masks->Mask(replay.paper->masks->CurrentIndex());
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 60; ++x)
            ASSERT_EQ(again.ValueAt(x, y), mask.ValueAt(x, y)) << x << "," << y;

    int32_t layer;
    TRect rect;
    ASSERT_TRUE(live.paper->undo(live.flow, layer, rect));
    EXPECT_FALSE(live.paper->masks->Mask(live.paper->masks->CurrentIndex())->IsValid());
}

TEST(PaperFill, ADamagedFillPacketStopsTheReplay)
{
    test::RecordedPaper live;
    prepare(live);
    ASSERT_TRUE(live.paper->paintBucket(live.flow, live.stroke, {30, 20}, {20, false, false}));
    TEventFileData data = live.events().fileData();
    // The channel block is the last packet: its rectangle's right edge (head offset 34) goes
    // left of its left edge.
    const size_t payload = data.stream.size() - test::lastAction(live.events()).payload.size();
    data.stream[payload + 34] = 0;
    data.stream[payload + 35] = 0;
    test::RecordedPaper replay;
    ASSERT_EQ(replay.events().openForReplay(data, replay.flow), TReplayOpen::success);
    EXPECT_EQ(replay.events().replayAll(replay.flow), TReplayStep::error);
    EXPECT_FALSE(replay.window.sink.messages.empty());
}

TEST(PaperFill, TheGradationFillRunsAlongItsLineWithinTheSelection)
{
    // Black to white (the list's second entry) from x 10 to x 50: at pixel x the colour is the
    // grey of u = (x − 10) / 40, held at the ends.
    const auto useBlackToWhite = [](test::RecordedPaper& d) {
        CGradMngr gradations(d.config);
        gradations.Select(1);
        d.paper->takeGradation(gradations);
        d.stroke.setOpacity(1.0f);
    };
    checkRecordedAndUndoable(
        [](test::RecordedPaper& d) {
            ASSERT_TRUE(d.paper->fillGradation(d.flow, d.stroke, {10, 5}, {50, 5}, true));
            for (int32_t x : {0, 10, 20, 30, 40, 50, 59}) {
                const double u = std::clamp((x - 10) / 40.0, 0.0, 1.0);
                const uint32_t p = d.paper->layer(0)->image()->GetPixel(x, 33);
                EXPECT_NEAR(double(p & 0xFF), 255.0 * u, 1.0) << x;
                EXPECT_EQ(p >> 24, 255u);
            }
        },
        useBlackToWhite);
    // Within a selection: nothing changes outside it.
    checkRecordedAndUndoable(
        [](test::RecordedPaper& d) {
            const TMTC before = test::flatLayer(*d.paper->layer(0));
            ASSERT_TRUE(d.paper->fillGradation(d.flow, d.stroke, {0, 0}, {0, 39}, true));
            const TMTC after = test::flatLayer(*d.paper->layer(0));
            for (int32_t y = 0; y < 40; ++y)
                for (int32_t x = 0; x < 60; ++x) {
                    const bool inside = x >= 20 && x < 40 && y >= 10 && y < 30;
                    if (!inside)
                        ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
                }
            EXPECT_NE(after.pixel(30, 12), after.pixel(30, 28)) << "it runs top to bottom";
        },
        [&](test::RecordedPaper& d) {
            useBlackToWhite(d);
            ASSERT_TRUE(d.paper->selectShape(
                TFillShape::rectangle, {0, -1, MaskCombine::Replace, {20, 10}, {40, 30}}, true));
        });
}

} // namespace qm

#include "paper_fixture.h"

#include "layers/blend_mode_table.h"

namespace qm::test {

namespace {

uint32_t layerPixel(TPaper& paper, int32_t i, int32_t x, int32_t y)
{
    return paper.layer(i)->image()->GetPixel(x, y);
}

} // namespace

TEST(Paper, ZoomTableAndLimits)
{
    EXPECT_EQ(TPaper::zoomScaleOf(12), 1.0f);
    EXPECT_EQ(TPaper::zoomScaleOf(-8), 0.06001f);
    EXPECT_EQ(TPaper::zoomScaleOf(9), 8.0f);
    PaperFixture f;
    f.paper->zoomLevel = 9;
    EXPECT_FALSE(f.paper->canZoomIn());
    f.paper->zoomLevel = -8;
    EXPECT_FALSE(f.paper->canZoomOut());
    f.paper->zoomLevel = -7;
    EXPECT_TRUE(f.paper->canZoomOut());
    // Exact-pixel levels only while the anti-aliased view is on.
    f.paper->zoomLevel = 1;
    EXPECT_TRUE(f.paper->plainCopy());
    f.window.smoothZoom = true;
    EXPECT_FALSE(f.paper->plainCopy());
    f.paper->zoomLevel = 4;
    EXPECT_TRUE(f.paper->plainCopy());
}

TEST(Paper, GridTitleAndViewTransform)
{
    PaperFixture f(640, 480);
    f.paper->setGrid(true, 0, 1, false);
    EXPECT_EQ(f.paper->gridX, 2);
    EXPECT_EQ(f.paper->gridY, 2);

    f.paper->title = std::string(1, 'a');
    f.paper->locked = 1;
    f.paper->zoomLevel = -2;
    EXPECT_EQ(f.paper->buildTitle(), "<LOCKED> \"a\" w640 x h480 : 67%");

    // Both transforms are exact inverses, with and without rotation.
    f.paper->zoomLevel = 2;
    f.paper->scrollX = 7;
    f.paper->viewOriginX = -3;
    for (float degrees : {0.0f, 33.0f}) {
        f.paper->setRotationDegrees(degrees);
        f.paper->rotCenterX = 100.0f;
        const TPointF w = f.paper->paperToWindow(800, 600, 120.0f, 45.0f);
        const TPointF p = f.paper->windowToPaper(800, 600, w.x, w.y);
        EXPECT_NEAR(p.x, 120.0f, 1e-3f);
        EXPECT_NEAR(p.y, 45.0f, 1e-3f);
    }
    EXPECT_NEAR(f.paper->rotation, 33.0f * 3.14159265f / 180.0f, 1e-6f);
}

TEST(Paper, GridIsDrawnOverTheDisplay)
{
    PaperFixture f(40, 30);
    f.paper->setGrid(true, 10, 10, true);
    EXPECT_EQ(f.paper->displayImage.pixel(10, 3) & 0xFFFFFF, 0xD0D0D0u);
    EXPECT_EQ(f.paper->displayImage.pixel(3, 20) & 0xFFFFFF, 0xD0D0D0u);
    EXPECT_EQ(f.paper->displayImage.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Paper, OnePointStrokePaintsNothingAndEndStrokeWithoutRecordStillWrites)
{
    PaperFixture f;
    f.stroke.resetToDefaults(0);
    f.stroke.setWidth(6);
    f.stroke_({{30, 30}});
    EXPECT_EQ(f.paper->layer(0)->image()->GetPixel(30, 30), neutralColour(3));
    EXPECT_FALSE(f.window.strokeInProgress);

    // Without record: no undo saved, but the layer receives the stroke.
    f.stroke_({{10, 10}, {20, 12}, {30, 14}, {40, 16}}, false);
    EXPECT_FALSE(f.paper->canUndo(0));
    EXPECT_GT(layerPixel(*f.paper, 0, 20, 12) >> 24, 0u);
    EXPECT_TRUE(f.window.modified);
}

TEST(Paper, UndoRestoresAndMakesTheAffectedLayerCurrent)
{
    PaperFixture f;
    f.stroke.resetToDefaults(0);
    f.stroke.setWidth(4);
    const uint32_t before = layerPixel(*f.paper, 0, 25, 20);
    f.stroke_({{10, 20}, {20, 20}, {30, 20}, {40, 20}});
    ASSERT_NE(layerPixel(*f.paper, 0, 25, 20), before);

    const int32_t top = f.paper->layers->AddLayer(96, 64, true, 255, 3);
    f.paper->setCurrentLayer(f.flow, top);
    int32_t layer = -1;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(layer, 0);
    EXPECT_EQ(f.paper->currentLayerIndex(), 0);
    EXPECT_EQ(layerPixel(*f.paper, 0, 25, 20), before);
    EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));

    ASSERT_TRUE(f.paper->redo(f.flow, layer, rect));
    EXPECT_NE(layerPixel(*f.paper, 0, 25, 20), before);
    EXPECT_TRUE(sameImage(f.paper->displayImage, f.freshComposite()));
}

TEST(Paper, LayerEditsFollowTheEditCycle)
{
    PaperFixture f;
    // The only layer cannot go.
    EXPECT_FALSE(f.paper->deleteLayer(f.flow, 0, true));
    EXPECT_EQ(f.paper->layerCount(), 1);

    f.paper->setPaperColor(0x102030, true);
    EXPECT_EQ(f.paper->displayImage.pixel(5, 5) & 0xFFFFFF, 0x102030u);
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(f.paper->paperColor, 0xFFFFFFu);
    EXPECT_EQ(f.paper->displayImage.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);

    f.paper->layer(0)->image()->SetPixel(3, 4, 0xFF112233u);
    ASSERT_TRUE(f.paper->execLayerCommand(f.flow, 0, true, int32_t(TLayerCommand::flipLeftRight)));
    EXPECT_EQ(layerPixel(*f.paper, 0, 92, 4), 0xFF112233u);
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(layerPixel(*f.paper, 0, 3, 4), 0xFF112233u);
    EXPECT_FALSE(f.paper->execLayerCommand(f.flow, 0, true, 99));
    ASSERT_EQ(f.window.sink.messages.size(), 1u);
    EXPECT_EQ(f.window.sink.messages[0], kLayerCommandFailed);

    const int32_t second = f.paper->layers->AddLayer(96, 64, true, 255, 3);
    ASSERT_TRUE(f.paper->deleteLayer(f.flow, second, true));
    EXPECT_EQ(f.paper->layerCount(), 1);
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(f.paper->layerCount(), 2);
}

TEST(Paper, LegacyEnginePaintsAndUndoesPerLayer)
{
    PaperFixture f(64, 48, TPaintRoutine::legacy);
    EXPECT_FALSE(f.paper->undoMngr);
    EXPECT_EQ(f.paper->layer(0)->mode, 0);
    f.stroke.resetToDefaults(0);
    f.stroke.setWidth(3);
    const uint32_t before = layerPixel(*f.paper, 0, 20, 20);
    f.stroke_({{5, 20}, {15, 20}, {25, 20}, {35, 20}});
    EXPECT_NE(layerPixel(*f.paper, 0, 20, 20), before);
    ASSERT_TRUE(f.paper->canUndo(0));
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(f.paper->undo(f.flow, layer, rect));
    EXPECT_EQ(layerPixel(*f.paper, 0, 20, 20), before);

    f.paper->switchToCurrentEngine(f.flow);
    EXPECT_TRUE(f.paper->undoMngr);
    EXPECT_FALSE(f.paper->canRedo(0));
}

} // namespace qm::test

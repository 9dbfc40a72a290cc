// The Filter menu in a real main window: a filter without a dialog runs at once; a dialog's
// canvas preview shows on the layer and Cancel leaves the layer as it was; OK filters the
// layer as one undo step; the recording replays to the same layers.
#include "replay_check.h"
#include "ui/filter_dialogs.h"
#include "ui/generator_dialogs.h"
#include "window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace qm::ui::test {

namespace {

class FilterCommands : public WindowFixture {
  protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        forgetFilterDialogValues();
        setFilterPreviewClock([this] { return now; });
        stroke().color = 0x80A040; // mid values, which gamma and the blurs change
        press(at(20, 60));
        drag(at(150, 90));
        drag(at(280, 60));
        release(at(280, 60));
        before = layerImage();
    }
    void TearDown() override
    {
        setFilterPreviewClock(nullptr);
        setFloorPictureChooser(nullptr);
        WindowFixture::TearDown();
    }
    void run(const char* action)
    {
        QAction* a = main().action(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        main().refreshActions();
        ASSERT_TRUE(a->isEnabled()) << action;
        a->trigger();
    }
    TMTC layerImage() { return qm::test::flatLayer(*paper().layer(0)); }
    int32_t undoSteps() { return paper().undoMngr->UndoCount(); }

    int64_t now = 0;
    TMTC before;
};

} // namespace

TEST_F(FilterCommands, ACanvasPreviewShowsCancelKeepsTheLayerAndOkFiltersIt)
{
    const int32_t steps = undoSteps();
    bool previewed = false;
    const auto setGamma = [&](bool accept) {
        whenOpen<TFormGamma>([&, accept](TFormGamma& d) {
            auto* slider = d.findChild<QSlider*>(QStringLiteral("TrackGamma"));
            ASSERT_NE(slider, nullptr);
            slider->setValue(200); // γ = 2.0
            now += TCanvasPreviewDialog::kSettleMs;
            d.pollPreview();
            previewed = !qm::test::sameImage(layerImage(), before);
            if (accept)
                d.accept();
            else
                d.reject();
        });
    };
    setGamma(false);
    run("actFilterGamma");
    EXPECT_TRUE(previewed) << "the canvas showed the filter while the dialog was open";
    EXPECT_TRUE(qm::test::sameImage(layerImage(), before));
    EXPECT_EQ(undoSteps(), steps);

    setGamma(true);
    run("actFilterGamma");
    EXPECT_EQ(undoSteps(), steps + 1);
    const TMTC gamma = layerImage();
    // A mid-grey edge pixel of the stroke: 255 × (v / 255)² by the formula, truncated.
    int checked = 0;
    for (int32_t y = 0; y < gamma.height() && checked == 0; ++y)
        for (int32_t x = 0; x < gamma.width(); ++x) {
            const uint32_t v = before.pixel(x, y) & 0xFF, a = before.pixel(x, y) >> 24;
            if (a == 0 || v < 60 || v > 200) continue;
            const double expected = std::floor(255.0 * std::pow(v / 255.0, 2.0));
            EXPECT_EQ(gamma.pixel(x, y) & 0xFF, uint32_t(expected)) << x << "," << y;
            ++checked;
            break;
        }
    EXPECT_EQ(checked, 1);
    int32_t layer;
    TRect rect;
    ASSERT_TRUE(paper().undo(window->document().flow(), layer, rect));
    EXPECT_TRUE(qm::test::sameImage(layerImage(), before));
    ASSERT_TRUE(paper().redo(window->document().flow(), layer, rect));
    EXPECT_TRUE(qm::test::sameImage(layerImage(), gamma));
}

TEST_F(FilterCommands, FiltersWithAndWithoutDialogsRunAndReplay)
{
    const int32_t steps = undoSteps();
    run("actFilterBlur");
    EXPECT_EQ(undoSteps(), steps + 1);
    EXPECT_FALSE(qm::test::sameImage(layerImage(), before));
    whenOpen<TFormGauss>([](TFormGauss& d) {
        d.field()->setText(QStringLiteral("2.5"));
        d.accept();
    });
    run("actFilterGauss");
    EXPECT_EQ(undoSteps(), steps + 2);
    for (const char* action : {"actFilterSharp", "actFilterMono", "actFilterBlurStrong"})
        run(action);
    EXPECT_EQ(undoSteps(), steps + 5);
    expectReplayMatches(*window);
    expectRenderMatches(main(), *window, dir.path(), QStringLiteral("filters"));
}

TEST_F(FilterCommands, ThePatternsTheLightingAndTheFloorPaintRecordAndReplay)
{
    // Each generator through its menu command: one undo step that changes the layer.
    const auto runGenerator = [&](const char* action) {
        SCOPED_TRACE(action);
        const TMTC earlier = layerImage();
        const int32_t steps = undoSteps();
        run(action);
        EXPECT_EQ(undoSteps(), steps + 1);
        EXPECT_FALSE(qm::test::sameImage(layerImage(), earlier));
    };
    whenOpen<TFormTile>([](TFormTile& d) {
        d.findChild<QSlider*>(QStringLiteral("TrackWidth"))->setValue(9);
        d.findChild<QRadioButton*>(QStringLiteral("RadioShape1"))->click();
        d.accept();
    });
    runGenerator("actFilterTile");
    now += 777; // the cloud's seed
    whenOpen<TFormCloud>([](TFormCloud& d) {
        d.findChild<QCheckBox*>(QStringLiteral("CheckRepeat"))->setChecked(true);
        d.widthField()->setText(QStringLiteral("40"));
        d.heightField()->setText(QStringLiteral("30"));
        d.accept();
    });
    runGenerator("actFilterCloud");
    // The same seed, contrast and size give the same pattern: undo and run again.
    const TMTC cloud = layerImage();
    {
        int32_t layer;
        TRect rect;
        ASSERT_TRUE(paper().undo(window->document().flow(), layer, rect));
    }
    whenOpen<TFormCloud>([](TFormCloud& d) { d.accept(); });
    run("actFilterCloud");
    EXPECT_TRUE(qm::test::sameImage(layerImage(), cloud));
    now += 4321;
    whenOpen<TFormRock>([](TFormRock& d) {
        d.findChild<QSlider*>(QStringLiteral("TrackSoftness"))->setValue(30);
        d.accept();
    });
    runGenerator("actFilterRock");
    whenOpen<TFormLighting>([](TFormLighting& d) {
        auto* kind = d.findChild<QComboBox*>(QStringLiteral("ComboKind"));
        kind->setCurrentIndex(2);
        emit kind->activated(2);
        d.findChild<QSlider*>(QStringLiteral("TrackBrightness"))->setValue(60);
        d.accept();
    });
    runGenerator("actFilterLighting");
    // The floor with a picture from a file for the floor, the layer for the ceiling.
    const QString stonePath = dir.filePath(QStringLiteral("stone.png"));
    QImage stone(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            stone.setPixel(x, y, (x + y) % 2 ? 0xFF604020u : 0xFFE0C0A0u);
    ASSERT_TRUE(stone.save(stonePath));
    setFloorPictureChooser([&] { return stonePath; });
    whenOpen<TFormFloor>([](TFormFloor& d) {
        d.findChild<QPushButton*>(QStringLiteral("ButtonFile2"))->click();
        d.findChild<QSlider*>(QStringLiteral("TrackPitch"))->setValue(20);
        EXPECT_TRUE(std::get<TFloorParams>(d.params()).floorFromFile);
        d.accept();
    });
    runGenerator("actFilterFloor");
    // The picture travelled in the recording: the replay and the headless render need no file.
    ASSERT_TRUE(QFile::remove(stonePath));
    expectReplayMatches(*window);
    expectRenderMatches(main(), *window, dir.path(), QStringLiteral("generators"));
}

} // namespace qm::ui::test

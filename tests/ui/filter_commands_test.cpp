// The Filter menu in a real main window: a filter without a dialog runs at once; a dialog's
// canvas preview shows on the layer and Cancel leaves the layer as it was; OK filters the
// layer as one undo step; the recording replays to the same layers.
#include "replay_check.h"
#include "ui/filter_dialogs.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
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

} // namespace qm::ui::test

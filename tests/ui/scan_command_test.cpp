#include "tests/print/sane_test_config.h"
#include "ui/scan_dialog.h"
#include "window_fixture.h"

namespace qm::ui::test {

using ScanCommand = WindowFixture;

TEST_F(ScanCommand, AScanBecomesANewPaperOfTheScannedSize)
{
    qm::test::TSaneTestConfig config;
    config.write({{"test-picture", "\"Solid white\""}});
    setScanChooserHook([](const std::vector<TScanDevice>& devices) {
        EXPECT_EQ(devices.size(), 2u);
        return std::optional<TScanChoice>({"test:0", {TScanMode::colour, 100}});
    });
    const size_t before = main().drawWindows().size();
    main().refreshActions();
    ASSERT_TRUE(main().action(QStringLiteral("actScanner"))->isEnabled());
    main().action(QStringLiteral("actScanner"))->trigger();
    setScanChooserHook({});
    ASSERT_EQ(main().drawWindows().size(), before + 1);
    TDrawWindowWidget* scanned = main().activeDrawWindow();
    ASSERT_NE(scanned, window);
    TPaper& p = scanned->paper();
    // 80 × 100 mm at 100 dpi: 315 × 394 pixels, give or take the scanner's rounding.
    EXPECT_NEAR(p.width, 80 / 25.4 * 100, 1.0);
    EXPECT_NEAR(p.height, 100 / 25.4 * 100, 1.0);
    EXPECT_EQ(p.dpi, 100);
    const CLayerData* layer = p.layer(0);
    EXPECT_EQ(layer->image()->GetPixelOrDefault(p.width / 2, p.height / 2), 0xFFFFFFFFu);
    EXPECT_TRUE(scanned->document().events().eventCount() >= 2) << "the paper and the picture";
    scanned->modified = false;

    // No scanner: said plainly, no paper.
    config.write({}, false);
    main().action(QStringLiteral("actScanner"))->trigger();
    EXPECT_EQ(main().drawWindows().size(), before + 1);
    ASSERT_FALSE(hook.shown.isEmpty());
    EXPECT_EQ(hook.shown.back(), QStringLiteral("No scanner was found."));
}

} // namespace qm::ui::test

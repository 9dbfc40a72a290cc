#include "print/print_layout.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// A 600 dpi printer whose page is 6400 × 3200 printer pixels: in a 400 × 300 preview box the
// page fills the width at exactly 1/16, 200 preview pixels high, 50 from the top.
constexpr TPrinterFacts kWidePage{600, 600, 6400, 3200};
constexpr TPrintPaperFacts kPaper{600, 400, 150};

TEST(PrintLayout, InitialScalePrintsAtThePapersPhysicalSizeOrFillsThePageWidth)
{
    // 600 × 100 ÷ 150 = 400 %; 400 % × 600 px ÷ 100 ÷ 600 dpi × 2.54 = 10.16 cm across,
    // 400 % × 400 ÷ 100 ÷ 600 × 2.54 = 6.7733… cm down.
    TPrintLayout layout;
    layout.open({600, 600, 4800, 6600}, kPaper, 400, 300);
    EXPECT_EQ(layout.scale(), 400);
    EXPECT_NEAR(layout.printedWidthCm(), 10.16, 1e-9);
    EXPECT_NEAR(layout.printedHeightCm(), 6.773333, 1e-6);
    EXPECT_EQ(printedSizeLabel(layout.printedWidthCm(), layout.printedHeightCm()),
              "w 10.160000 x h 6.773333");

    // Without a resolution the picture fills the page width: 4800 × 100 ÷ 600 = 800 %.
    EXPECT_EQ(initialPrintScale({600, 600, 4800, 6600}, {600, 400, 0}), 800);
    EXPECT_EQ(initialPrintScale({600, 600, 4800, 6600}, {600, 400, -1}), 800);
    // Integer division: 600 × 100 ÷ 7 = 8571.4 → clamped; 4801 × 100 ÷ 600 = 800.16 → 800.
    EXPECT_EQ(initialPrintScale({600, 600, 4801, 6600}, {600, 400, 0}), 800);
    EXPECT_EQ(initialPrintScale({600, 600, 100, 100}, {601, 400, 0}), 50) << "16 % clamps up";
    EXPECT_EQ(initialPrintScale({600, 600, 100, 100}, {600, 400, 7}), 3000) << "8571 % clamps";
    EXPECT_EQ(initialPrintScale({300, 300, 100, 100}, {600, 400, 301}), 99);
    EXPECT_EQ(clampPrintScale(49), 50);
    EXPECT_EQ(clampPrintScale(3001), 3000);
}

TEST(PrintLayout, ScaleButtonsMoveToTheNeighbouringHundreds)
{
    EXPECT_EQ(printScaleDown(100), 100) << "nothing below 100";
    EXPECT_EQ(printScaleDown(250), 200);
    EXPECT_EQ(printScaleDown(300), 200);
    EXPECT_EQ(printScaleDown(101), 100);
    EXPECT_EQ(printScaleDown(75), 75);
    EXPECT_EQ(printScaleUp(250), 300);
    EXPECT_EQ(printScaleUp(300), 400);
    EXPECT_EQ(printScaleUp(50), 100);
    EXPECT_EQ(printScaleUp(2950), 3000);
    EXPECT_EQ(printScaleUp(3000), 3000) << "the track bar ends at 3000";

    TPrintLayout layout;
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(10);
    EXPECT_EQ(layout.scale(), 50);
    layout.scaleUp();
    EXPECT_EQ(layout.scale(), 100);
    layout.setScale(5000);
    layout.scaleDown();
    EXPECT_EQ(layout.scale(), 2900);
}

TEST(PrintLayout, ThePageIsFittedInThePreviewKeepingItsAspect)
{
    const TPreviewPage wide = fitPreviewPage(400, 300, kWidePage);
    EXPECT_EQ(wide.box, (TBox{0, 50, 400, 200}));
    EXPECT_DOUBLE_EQ(wide.factor(), 1.0 / 16);

    // A tall page fills the height: 3000 × 300 ÷ 6000 = 150 wide, (400 − 150) ÷ 2 = 125 in.
    const TPreviewPage tall = fitPreviewPage(400, 300, {600, 600, 3000, 6000});
    EXPECT_EQ(tall.box, (TBox{125, 0, 150, 300}));
    EXPECT_DOUBLE_EQ(tall.factor(), 0.05);

    // 4961 × 7016 (A4 at 600 dpi) in 301 × 301: 4961 × 301 ÷ 7016 = 212.83 → 212 wide,
    // (301 − 212) ÷ 2 = 44.5 → 44.
    const TPreviewPage a4 = fitPreviewPage(301, 301, {600, 600, 4961, 7016});
    EXPECT_EQ(a4.box, (TBox{44, 0, 212, 301}));

    EXPECT_TRUE(fitPreviewPage(400, 300, {0, 0, 0, 0}).box.isEmpty());
}

TEST(PrintLayout, CopiesAreCentredAndTiledByTheScaledPictureSize)
{
    TPrintLayout layout;
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(200);
    layout.setCopies(2, 1);
    // 600 × 2 ÷ 16 = 75, 400 × 2 ÷ 16 = 50 preview pixels a copy.
    EXPECT_EQ(layout.scaledSize(), (TPoint{75, 50}));
    layout.centre();
    // (400 − 2 × 75) ÷ 2 = 125, (200 − 50) ÷ 2 = 75.
    EXPECT_EQ(layout.positionOffset(), (TPoint{125, 75}));
    const std::vector<TBox> copies = layout.previewCopies();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0], (TBox{125, 125, 75, 50})) << "page origin (0, 50) + offset";
    EXPECT_EQ(copies[1], (TBox{200, 125, 75, 50}));

    // Scaled sizes truncate: 601 × 100 ÷ 100 ÷ 16 = 37.56 → 37.
    layout.open(kWidePage, {601, 401, 0}, 400, 300);
    layout.setScale(100);
    EXPECT_EQ(layout.scaledSize(), (TPoint{37, 25}));

    // More copies than fit: (400 − 7 × 75) ÷ 2 = −62.5 truncates towards zero to −62.
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(200);
    layout.setCopies(7, 5);
    layout.centre();
    EXPECT_EQ(layout.positionOffset(), (TPoint{-62, -25}));
    EXPECT_EQ(layout.previewCopy(6, 4), (TBox{-62 + 6 * 75, 50 - 25 + 4 * 50, 75, 50}));

    layout.setCopies(0, -3);
    EXPECT_EQ(layout.FPrintLoopX, 1);
    EXPECT_EQ(layout.FPrintLoopY, 1);
}

TEST(PrintLayout, DraggingShiftsTheCopiesAndReleasingKeepsTheMove)
{
    TPrintLayout layout;
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(200);
    layout.centre(); // (400 − 75) ÷ 2 = 162, (200 − 50) ÷ 2 = 75
    ASSERT_EQ(layout.positionOffset(), (TPoint{162, 75}));

    layout.dragTo(50, 50);
    EXPECT_EQ(layout.dragOffset(), (TPoint{0, 0})) << "no drag without a press";
    layout.beginDrag(10, 10);
    layout.dragTo(30, 5);
    EXPECT_EQ(layout.dragOffset(), (TPoint{20, -5}));
    EXPECT_EQ(layout.positionOffset(), (TPoint{162, 75})) << "moved only while held";
    EXPECT_EQ(layout.previewCopy(0, 0).x, 182);
    layout.endDrag(40, 0);
    EXPECT_FALSE(layout.dragging());
    EXPECT_EQ(layout.positionOffset(), (TPoint{192, 65}));
    EXPECT_EQ(layout.dragOffset(), (TPoint{0, 0}));
    EXPECT_EQ(layout.previewCopy(0, 0), (TBox{192, 115, 75, 50}));
}

TEST(PrintLayout, ConfirmTurnsThePreviewIntoPrinterPixels)
{
    TPrintLayout layout;
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(200);
    layout.setCopies(2, 1);
    layout.centre(); // offset (125, 75) preview pixels
    layout.confirm();
    EXPECT_EQ(layout.FPrintX, 125 * 16);
    EXPECT_EQ(layout.FPrintY, 75 * 16);
    EXPECT_EQ(layout.FPrintW, 1200) << "600 × 200 ÷ 100";
    EXPECT_EQ(layout.FPrintH, 800);
    const std::vector<TBox> page = layout.pageCopies();
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0], (TBox{2000, 1200, 1200, 800}));
    EXPECT_EQ(page[1], (TBox{2000 + 1200, 1200, 1200, 800}))
        << "the second copy starts one printed width to the right";

    // A factor that is no power of two: 300 preview pixels for 6400, factor 3/64.
    // 10 ÷ (3/64) = 213.3 → 213; −10 → −213 (towards zero); 333 % of 601 = 2001.33 → 2001.
    layout.open(kWidePage, {601, 401, 0}, 300, 300);
    layout.setScale(333);
    layout.setPositionOffset(10, -10);
    layout.confirm();
    EXPECT_EQ(layout.FPrintX, 213);
    EXPECT_EQ(layout.FPrintY, -213);
    EXPECT_EQ(layout.FPrintW, 2001);
    EXPECT_EQ(layout.FPrintH, 1335);
}

TEST(PrintLayout, ChangingThePrinterRefitsAndCentresAgain)
{
    TPrintLayout layout;
    layout.open(kWidePage, kPaper, 400, 300);
    layout.setScale(200);
    layout.setPositionOffset(3, 4);
    layout.changePrinter({1200, 1200, 6400, 6400}); // square page: 300 × 300 at x 50
    EXPECT_EQ(layout.scale(), 200) << "the scale stays";
    EXPECT_EQ(layout.previewPage().box, (TBox{50, 0, 300, 300}));
    // 600 × 200 ÷ 100 × 300 ÷ 6400 = 56.25 → 56; (300 − 56) ÷ 2 = 122.
    EXPECT_EQ(layout.scaledSize().x, 56);
    EXPECT_EQ(layout.positionOffset().x, 122);
    EXPECT_NEAR(layout.printedWidthCm(), 600 * 2.0 / 1200 * 2.54, 1e-9);
}

TEST(PrintLayout, CaptionAndLabelTexts)
{
    EXPECT_EQ(printCaption("印刷", "cat", 600, 400, 150), "印刷  (cat, w:600 x h:400, dpi:150)");
    EXPECT_EQ(printCaption("印刷", "cat", 600, 400, 0), "印刷  (cat, w:600 x h:400, dpi:---)");
    EXPECT_EQ(printerLabel("Printer", "PDF file: /tmp/a.pdf"), "Printer : PDF file: /tmp/a.pdf");
    EXPECT_EQ(pixelPairLabel(4961, 7016), "w 4961 x h 7016");
    EXPECT_EQ(printScaleLabel(400), "400 %");
    EXPECT_EQ(printedSizeLabel(1.5, 123.25), "w 1.500000 x h 123.250000");
}

} // namespace
} // namespace qm

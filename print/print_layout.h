// The page layout of a print: the printer's and the paper's facts, the print scale, the copies
// laid side by side across and down the page, and where they sit. The dialog edits it in
// preview pixels; confirming turns it into printer pixels.
//
// Preview arithmetic keeps the preview factor as the exact ratio previewPage / page, so that
// sizes and positions truncate the true quotient and never a rounded floating-point one.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

inline constexpr int32_t kMinPrintScale = 50;   // per cent
inline constexpr int32_t kMaxPrintScale = 3000; // per cent

// What the printer tells about its page: resolution in dots per inch and the printable page in
// printer pixels.
struct TPrinterFacts {
    int32_t dpiX = 0, dpiY = 0;
    int32_t pageWidth = 0, pageHeight = 0;

    double pageInchesX() const { return dpiX > 0 ? double(pageWidth) / dpiX : 0.0; }
    double pageInchesY() const { return dpiY > 0 ? double(pageHeight) / dpiY : 0.0; }
};

// What the printed paper tells: its size in pixels and its resolution (0 or less: none).
struct TPrintPaperFacts {
    int32_t width = 0, height = 0;
    int32_t dpi = 0;

    bool hasInches() const { return dpi > 0; }
    double inchesX() const { return dpi > 0 ? double(width) / dpi : 0.0; }
    double inchesY() const { return dpi > 0 ? double(height) / dpi : 0.0; }
};

int32_t clampPrintScale(int32_t percent);
// The scale a print starts at: the paper's physical size when it has a resolution, otherwise the
// page width filled. Kept within kMinPrintScale … kMaxPrintScale.
int32_t initialPrintScale(const TPrinterFacts& printer, const TPrintPaperFacts& paper);
// The next multiple of 100 above; at most kMaxPrintScale.
int32_t printScaleUp(int32_t percent);
// Above 100: the next multiple of 100 below (a multiple drops by 100); otherwise unchanged.
int32_t printScaleDown(int32_t percent);
// The printed size of the whole paper in centimetres (0 without a printer resolution).
double printedWidthCm(int32_t percent, const TPrintPaperFacts& paper, const TPrinterFacts& printer);
double printedHeightCm(int32_t percent, const TPrintPaperFacts& paper,
                       const TPrinterFacts& printer);

// The page as drawn in the preview box: fitted with its aspect ratio kept, centred along the
// other axis. The preview factor is factorNum / factorDen (preview pixels per printer pixel).
struct TPreviewPage {
    TBox box;
    int64_t factorNum = 0, factorDen = 1;

    double factor() const { return double(factorNum) / double(factorDen); }
    // A length in printer pixels … in preview pixels, and back (both truncated).
    int32_t toPreview(int64_t printerPixels) const;
    int32_t toPrinter(int64_t previewPixels) const;
};
TPreviewPage fitPreviewPage(int32_t boxWidth, int32_t boxHeight, const TPrinterFacts& printer);

class TPrintLayout {
  public:
    // Takes the facts, starts at the initial scale with one copy, centred.
    void open(const TPrinterFacts& printer, const TPrintPaperFacts& paper, int32_t boxWidth,
              int32_t boxHeight);
    // After the printer setup: new facts, the same scale and copies, centred again (the old
    // position was in the old preview's pixels).
    void changePrinter(const TPrinterFacts& printer);
    void setPreviewBox(int32_t boxWidth, int32_t boxHeight);

    const TPrinterFacts& printer() const { return printer_; }
    const TPrintPaperFacts& paper() const { return paper_; }
    const TPreviewPage& previewPage() const { return page_; }

    int32_t scale() const { return scale_; }
    void setScale(int32_t percent) { scale_ = clampPrintScale(percent); }
    void scaleUp() { scale_ = printScaleUp(scale_); }
    void scaleDown() { scale_ = printScaleDown(scale_); }
    double printedWidthCm() const { return qm::printedWidthCm(scale_, paper_, printer_); }
    double printedHeightCm() const { return qm::printedHeightCm(scale_, paper_, printer_); }

    // Copies across and down, each at least 1.
    void setCopies(int32_t across, int32_t down);

    // One copy in the preview: paper size × preview factor × scale factor, truncated.
    TPoint scaledSize() const;
    TPoint positionOffset() const { return {offsetX_, offsetY_}; }
    TPoint dragOffset() const { return {dragX_, dragY_}; }
    void setPositionOffset(int32_t x, int32_t y)
    {
        offsetX_ = x;
        offsetY_ = y;
    }
    // Copy (c, r) in preview box coordinates (not clipped), row by row.
    TBox previewCopy(int32_t column, int32_t row) const;
    std::vector<TBox> previewCopies() const;

    // The copies' block in the middle of the page (truncating towards zero).
    void centre();

    // A drag moves the copies by the distance from its start; releasing keeps the move.
    void beginDrag(int32_t x, int32_t y);
    void dragTo(int32_t x, int32_t y);
    void endDrag(int32_t x, int32_t y);
    bool dragging() const { return dragging_; }

    // Sets FPrintX … FPrintH from the preview: position in printer pixels, one copy's size.
    void confirm();
    // Every copy on the printed page in printer pixels, row by row (after confirm).
    std::vector<TBox> pageCopies() const;

    int32_t FPrintLoopX = 1, FPrintLoopY = 1;
    int32_t FPrintX = 0, FPrintY = 0;
    int32_t FPrintW = 0, FPrintH = 0;

  private:
    TPrinterFacts printer_;
    TPrintPaperFacts paper_;
    int32_t boxWidth_ = 0, boxHeight_ = 0;
    TPreviewPage page_;
    int32_t scale_ = 100;
    int32_t offsetX_ = 0, offsetY_ = 0;
    int32_t dragX_ = 0, dragY_ = 0;
    int32_t dragStartX_ = 0, dragStartY_ = 0;
    bool dragging_ = false;
};

// ---- the dialog's texts ----
// "<caption>  (<name>, w:<width> x h:<height>, dpi:<dpi>)", "dpi:---" without a resolution.
std::string printCaption(const std::string& caption, const std::string& paperName, int32_t width,
                         int32_t height, int32_t dpi);
// "<word> : <name>" (the printer in use).
std::string printerLabel(const std::string& word, const std::string& name);
// "w <x> x h <y>" (page size in printer pixels, printer resolution).
std::string pixelPairLabel(int32_t x, int32_t y);
// "w <cm> x h <cm>" with six decimals.
std::string printedSizeLabel(double widthCm, double heightCm);
// "<percent> %".
std::string printScaleLabel(int32_t percent);

} // namespace qm

#include "print/print_layout.h"

#include <algorithm>
#include <cstdio>

namespace qm {

namespace {

constexpr double kCmPerInch = 2.54;

template <typename... Args> std::string formatted(const char* format, Args... args)
{
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return {};
    std::string out(size_t(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(size_t(n));
    return out;
}

int32_t truncatedQuotient(int64_t num, int64_t den)
{
    // Integer division truncates towards zero, as the layout asks for negative offsets too.
    return den == 0 ? 0 : int32_t(num / den);
}

} // namespace

int32_t clampPrintScale(int32_t percent)
{
    return std::clamp(percent, kMinPrintScale, kMaxPrintScale);
}

int32_t initialPrintScale(const TPrinterFacts& printer, const TPrintPaperFacts& paper)
{
    int64_t percent = 100;
    if (paper.dpi > 0)
        percent = int64_t(printer.dpiX) * 100 / paper.dpi;
    else if (paper.width > 0)
        percent = int64_t(printer.pageWidth) * 100 / paper.width;
    return clampPrintScale(int32_t(std::clamp<int64_t>(percent, 0, kMaxPrintScale)));
}

int32_t printScaleUp(int32_t percent)
{
    return clampPrintScale((percent / 100 + 1) * 100);
}

int32_t printScaleDown(int32_t percent)
{
    if (percent <= 100) return percent;
    return percent % 100 == 0 ? percent - 100 : percent / 100 * 100;
}

double printedWidthCm(int32_t percent, const TPrintPaperFacts& paper, const TPrinterFacts& printer)
{
    if (printer.dpiX <= 0) return 0.0;
    return double(percent) * paper.width / 100.0 / printer.dpiX * kCmPerInch;
}

double printedHeightCm(int32_t percent, const TPrintPaperFacts& paper, const TPrinterFacts& printer)
{
    if (printer.dpiY <= 0) return 0.0;
    return double(percent) * paper.height / 100.0 / printer.dpiY * kCmPerInch;
}

int32_t TPreviewPage::toPreview(int64_t printerPixels) const
{
    return truncatedQuotient(printerPixels * factorNum, factorDen);
}

int32_t TPreviewPage::toPrinter(int64_t previewPixels) const
{
    return truncatedQuotient(previewPixels * factorDen, factorNum);
}

TPreviewPage fitPreviewPage(int32_t boxWidth, int32_t boxHeight, const TPrinterFacts& printer)
{
    TPreviewPage page;
    const int64_t pw = printer.pageWidth, ph = printer.pageHeight;
    if (pw <= 0 || ph <= 0 || boxWidth <= 0 || boxHeight <= 0) return page;
    if (pw * boxHeight >= ph * boxWidth) {
        // Relatively wider than the box: the width fills it.
        page.factorNum = boxWidth;
        page.factorDen = pw;
        page.box.width = boxWidth;
        page.box.height = int32_t(ph * boxWidth / pw);
        page.box.y = (boxHeight - page.box.height) / 2;
    } else {
        page.factorNum = boxHeight;
        page.factorDen = ph;
        page.box.height = boxHeight;
        page.box.width = int32_t(pw * boxHeight / ph);
        page.box.x = (boxWidth - page.box.width) / 2;
    }
    return page;
}

void TPrintLayout::open(const TPrinterFacts& printer, const TPrintPaperFacts& paper,
                        int32_t boxWidth, int32_t boxHeight)
{
    printer_ = printer;
    paper_ = paper;
    boxWidth_ = boxWidth;
    boxHeight_ = boxHeight;
    page_ = fitPreviewPage(boxWidth, boxHeight, printer);
    scale_ = initialPrintScale(printer, paper);
    FPrintLoopX = FPrintLoopY = 1;
    dragging_ = false;
    dragX_ = dragY_ = 0;
    centre();
}

void TPrintLayout::changePrinter(const TPrinterFacts& printer)
{
    printer_ = printer;
    page_ = fitPreviewPage(boxWidth_, boxHeight_, printer);
    centre();
}

void TPrintLayout::setPreviewBox(int32_t boxWidth, int32_t boxHeight)
{
    boxWidth_ = boxWidth;
    boxHeight_ = boxHeight;
    page_ = fitPreviewPage(boxWidth, boxHeight, printer_);
    centre();
}

void TPrintLayout::setCopies(int32_t across, int32_t down)
{
    FPrintLoopX = std::max(1, across);
    FPrintLoopY = std::max(1, down);
}

TPoint TPrintLayout::scaledSize() const
{
    // paper size × (previewPage / page) × (percent / 100), one truncation at the end.
    const int64_t den = 100 * page_.factorDen;
    return {truncatedQuotient(int64_t(paper_.width) * scale_ * page_.factorNum, den),
            truncatedQuotient(int64_t(paper_.height) * scale_ * page_.factorNum, den)};
}

TBox TPrintLayout::previewCopy(int32_t column, int32_t row) const
{
    const TPoint size = scaledSize();
    return {page_.box.x + offsetX_ + dragX_ + column * size.x,
            page_.box.y + offsetY_ + dragY_ + row * size.y, size.x, size.y};
}

std::vector<TBox> TPrintLayout::previewCopies() const
{
    std::vector<TBox> copies;
    copies.reserve(size_t(FPrintLoopX) * size_t(FPrintLoopY));
    for (int32_t r = 0; r < FPrintLoopY; ++r)
        for (int32_t c = 0; c < FPrintLoopX; ++c)
            copies.push_back(previewCopy(c, r));
    return copies;
}

void TPrintLayout::centre()
{
    const TPoint size = scaledSize();
    offsetX_ = (page_.box.width - size.x * FPrintLoopX) / 2;
    offsetY_ = (page_.box.height - size.y * FPrintLoopY) / 2;
}

void TPrintLayout::beginDrag(int32_t x, int32_t y)
{
    dragging_ = true;
    dragStartX_ = x;
    dragStartY_ = y;
    dragX_ = dragY_ = 0;
}

void TPrintLayout::dragTo(int32_t x, int32_t y)
{
    if (!dragging_) return;
    dragX_ = x - dragStartX_;
    dragY_ = y - dragStartY_;
}

void TPrintLayout::endDrag(int32_t x, int32_t y)
{
    if (!dragging_) return;
    dragTo(x, y);
    offsetX_ += dragX_;
    offsetY_ += dragY_;
    dragX_ = dragY_ = 0;
    dragging_ = false;
}

void TPrintLayout::confirm()
{
    FPrintX = page_.toPrinter(offsetX_);
    FPrintY = page_.toPrinter(offsetY_);
    FPrintW = truncatedQuotient(int64_t(paper_.width) * scale_, 100);
    FPrintH = truncatedQuotient(int64_t(paper_.height) * scale_, 100);
}

std::vector<TBox> TPrintLayout::pageCopies() const
{
    std::vector<TBox> copies;
    copies.reserve(size_t(FPrintLoopX) * size_t(FPrintLoopY));
    for (int32_t r = 0; r < FPrintLoopY; ++r)
        for (int32_t c = 0; c < FPrintLoopX; ++c)
            copies.push_back({FPrintX + c * FPrintW, FPrintY + r * FPrintH, FPrintW, FPrintH});
    return copies;
}

std::string printCaption(const std::string& caption, const std::string& paperName, int32_t width,
                         int32_t height, int32_t dpi)
{
    if (dpi <= 0)
        return formatted("%s  (%s, w:%d x h:%d, dpi:---)", caption.c_str(), paperName.c_str(),
                         int(width), int(height));
    return formatted("%s  (%s, w:%d x h:%d, dpi:%d)", caption.c_str(), paperName.c_str(),
                     int(width), int(height), int(dpi));
}

std::string printerLabel(const std::string& word, const std::string& name)
{
    return formatted("%s : %s", word.c_str(), name.c_str());
}

std::string pixelPairLabel(int32_t x, int32_t y)
{
    return formatted("w %d x h %d", int(x), int(y));
}

std::string printedSizeLabel(double widthCm, double heightCm)
{
    return formatted("w %3f x h %3f", widthCm, heightCm);
}

std::string printScaleLabel(int32_t percent)
{
    return formatted("%d %%", int(percent));
}

} // namespace qm

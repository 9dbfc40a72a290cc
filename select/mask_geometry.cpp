#include "select/mask_geometry.h"

#include "core/scale_image.h"

#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

namespace qm {

namespace {

// Sides beyond this are refused before any memory is asked for.
constexpr int64_t kMaxMaskSide = 65536;

// A new mask with the old one's identity, a coverage image of width × height (all 0) at the
// given offset; nullptr when it cannot be had.
std::unique_ptr<CMaskData> maskLike(const CMaskData& old, int64_t width, int64_t height,
                                    int64_t offsetX, int64_t offsetY)
{
    if (width <= 0 || height <= 0 || width > kMaxMaskSide || height > kMaxMaskSide ||
        std::llabs(offsetX) > kMaxMaskSide * 4 || std::llabs(offsetY) > kMaxMaskSide * 4)
        return nullptr;
    auto mask = std::make_unique<CMaskData>();
    if (!mask->createMask(int32_t(width), int32_t(height), old.coverage->messageSink()))
        return nullptr;
    mask->serial = old.serial;
    mask->name = old.name;
    mask->index = old.index;
    mask->offsetX = int32_t(offsetX);
    mask->offsetY = int32_t(offsetY);
    return mask;
}

// An empty mask stays empty; only its identity is carried over.
std::unique_ptr<CMaskData> emptyCopy(const CMaskData& old)
{
    auto mask = old.copy();
    if (mask)
        mask->serial = old.serial;
    return mask;
}

// The whole coverage as rows of bytes.
std::vector<uint8_t> flatCoverage(const CBlockVCH& coverage)
{
    const int32_t w = coverage.width(), h = coverage.height();
    std::vector<uint8_t> flat(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        coverage.ReadRow(0, y, w, flat.data() + size_t(y) * size_t(w));
    return flat;
}

// Writes the part of a row between its first and last non-zero byte (a new mask reads 0
// already, so empty stretches keep no memory).
bool writeCoverageRow(CBlockVCH& coverage, int32_t y, const std::vector<uint8_t>& row)
{
    const auto n = int32_t(row.size());
    int32_t first = 0, last = n - 1;
    while (first < n && row[size_t(first)] == 0)
        ++first;
    while (last >= first && row[size_t(last)] == 0)
        --last;
    if (first > last)
        return true;
    return coverage.WriteRow(first, y, last - first + 1, row.data() + first) == last - first + 1;
}

// Builds the new coverage row by row: source(x, y) gives the source pixel of destination
// (x, y).
template <typename SourceOf>
std::unique_ptr<CMaskData> remapped(const CMaskData& old, int64_t width, int64_t height,
                                    int64_t offsetX, int64_t offsetY, SourceOf&& sourceOf)
{
    auto mask = maskLike(old, width, height, offsetX, offsetY);
    if (!mask)
        return nullptr;
    const std::vector<uint8_t> flat = flatCoverage(*old.coverage);
    const int64_t stride = old.coverage->width();
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < int32_t(height); ++y) {
        for (int32_t x = 0; x < int32_t(width); ++x) {
            int64_t sx = 0, sy = 0;
            sourceOf(x, y, sx, sy);
            row[size_t(x)] = flat[size_t(sy * stride + sx)];
        }
        if (!writeCoverageRow(*mask->coverage, y, row))
            return nullptr;
    }
    mask->coverage->Optimize();
    return mask;
}

template <typename Build>
std::unique_ptr<CMaskData> guarded(Build&& build)
{
    try {
        return build();
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

// Area average between two tiled 8-bit images, a row at a time.
class CScaleMaskImage final : public CScaleImage8 {
public:
    CScaleMaskImage(const CBlockVCH& source, CBlockVCH& dest)
        : CScaleImage8(source.width(), source.height(), dest.width(), dest.height()),
          source_(source), dest_(dest)
    {
    }

protected:
    bool imagesReady() const override
    {
        return &source_ != &dest_ && source_.IsValid() && dest_.IsValid() &&
               source_.width() == sourceWidth() && source_.height() == sourceHeight() &&
               dest_.width() == destWidth() && dest_.height() == destHeight();
    }
    const uint8_t* sourceRow(int32_t x, int32_t y, int32_t count, uint8_t* scratch) override
    {
        if (source_.ReadRow(x, y, count, scratch) != count)
            throw std::out_of_range("mask row outside the source");
        return scratch;
    }
    void writeDestRow(int32_t x, int32_t y, int32_t count, const uint8_t* pixels) override
    {
        if (dest_.WriteRow(x, y, count, pixels) != count)
            throw std::runtime_error("mask row not written");
    }
    void scaleFinished() override { dest_.Optimize(); }

private:
    const CBlockVCH& source_;
    CBlockVCH& dest_;
};

} // namespace

std::unique_ptr<CMaskData> rotateMask90(const CMaskData& mask, TPaperSize paper, bool clockwise)
{
    return guarded([&]() -> std::unique_ptr<CMaskData> {
        if (paper.width <= 0 || paper.height <= 0)
            return nullptr;
        std::unique_ptr<CMaskData> turned;
        if (!mask.IsValid()) {
            turned = emptyCopy(mask);
        } else {
            const int64_t W = mask.width(), H = mask.height();
            const int64_t ox = mask.offsetX, oy = mask.offsetY;
            if (clockwise)
                // Destination (X, Y) of the H × W result shows source (Y, H − 1 − X).
                turned = remapped(mask, H, W, H - oy - paper.height, ox,
                                  [H](int64_t x, int64_t y, int64_t& sx, int64_t& sy) {
                                      sx = y;
                                      sy = H - 1 - x;
                                  });
            else
                turned = remapped(mask, H, W, oy, W - ox - paper.width,
                                  [W](int64_t x, int64_t y, int64_t& sx, int64_t& sy) {
                                      sx = W - 1 - y;
                                      sy = x;
                                  });
        }
        if (turned)
            turned->updateThumbnail(paper.height, paper.width);
        return turned;
    });
}

std::unique_ptr<CMaskData> flipMask(const CMaskData& mask, TPaperSize paper, TMaskFlip flip)
{
    return guarded([&]() -> std::unique_ptr<CMaskData> {
        if (paper.width <= 0 || paper.height <= 0)
            return nullptr;
        std::unique_ptr<CMaskData> flipped;
        if (!mask.IsValid()) {
            flipped = emptyCopy(mask);
        } else {
            const int64_t W = mask.width(), H = mask.height();
            const bool mirrorX = flip != TMaskFlip::TopBottom;
            const bool mirrorY = flip != TMaskFlip::LeftRight;
            // Paper x maps to paper W' − 1 − x and mask x to W − 1 − x, so the offset becomes
            // W − offset − paper width on each mirrored axis.
            const int64_t ox = mirrorX ? W - mask.offsetX - paper.width : mask.offsetX;
            const int64_t oy = mirrorY ? H - mask.offsetY - paper.height : mask.offsetY;
            flipped = remapped(mask, W, H, ox, oy,
                               [=](int64_t x, int64_t y, int64_t& sx, int64_t& sy) {
                                   sx = mirrorX ? W - 1 - x : x;
                                   sy = mirrorY ? H - 1 - y : y;
                               });
        }
        if (flipped)
            flipped->updateThumbnail(paper.width, paper.height);
        return flipped;
    });
}

std::unique_ptr<CMaskData> rescaleMask(const CMaskData& mask, TPaperSize oldPaper,
                                       TPaperSize newPaper)
{
    return guarded([&]() -> std::unique_ptr<CMaskData> {
        if (oldPaper.width <= 0 || oldPaper.height <= 0 || newPaper.width <= 0 ||
            newPaper.height <= 0)
            return nullptr;
        const double fx = double(newPaper.width) / oldPaper.width;
        const double fy = double(newPaper.height) / oldPaper.height;
        const double ox = std::floor(mask.offsetX * fx + 0.5);
        const double oy = std::floor(mask.offsetY * fy + 0.5);
        std::unique_ptr<CMaskData> scaled;
        if (!mask.IsValid()) {
            if ((scaled = emptyCopy(mask))) {
                scaled->offsetX = int32_t(ox);
                scaled->offsetY = int32_t(oy);
            }
        } else {
            const double w = std::floor(mask.width() * fx + 0.5);
            const double h = std::floor(mask.height() * fy + 0.5);
            if (!(w >= 1 && h >= 1 && w <= double(kMaxMaskSide) && h <= double(kMaxMaskSide)))
                return nullptr;
            scaled = maskLike(mask, int64_t(w), int64_t(h), int64_t(ox), int64_t(oy));
            if (!scaled || !CScaleMaskImage(*mask.coverage, *scaled->coverage)
                                 .Scale(mask.coverage->bounds(), scaled->coverage->bounds()))
                return nullptr;
        }
        if (scaled)
            scaled->updateThumbnail(newPaper.width, newPaper.height);
        return scaled;
    });
}

} // namespace qm

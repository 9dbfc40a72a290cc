#include "layers/layer_geometry.h"

#include "core/scale_image.h"
#include "layers/layer_geometry_rows.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace qm {

namespace {

// Floor division, for the half-pixel centre arithmetic of the turns (sizes may be odd and
// positions negative).
int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::unique_ptr<CLayerData> finished(std::unique_ptr<CLayerData> layer)
{
    layer->image()->Optimize();
    layer->UpdateThumbnail();
    return layer;
}

template <typename Build>
std::unique_ptr<CLayerData> guarded(Build&& build)
{
    try {
        return build();
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

TRotation16 TRotation16::ofDegrees(double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return {int64_t(std::trunc(std::cos(radians) * 65536.0)),
            int64_t(std::trunc(std::sin(radians) * 65536.0))};
}

std::unique_ptr<CLayerData> TrimLayer(const CLayerData& layer, bool& unchanged)
{
    unchanged = false;
    return guarded([&]() -> std::unique_ptr<CLayerData> {
        const CBlockVMTC* image = layer.image();
        if (!image || layer.paperWidth <= 0 || layer.paperHeight <= 0)
            return nullptr;
        // Content bounds do not depend on whether uniform blocks were optimised first: an
        // allocated uniform block counts exactly when its Fill would.
        TRect bounds;
        TRect r{0, 0, layer.paperWidth, layer.paperHeight};
        if (image->ContentBounds(bounds)) {
            r.left = std::min(bounds.left - layer.offsetX, 0);
            r.top = std::min(bounds.top - layer.offsetY, 0);
            r.right = std::max(bounds.right - layer.offsetX, layer.paperWidth);
            r.bottom = std::max(bounds.bottom - layer.offsetY, layer.paperHeight);
        }
        const int32_t block = image->blockWidth();
        if ((r.width() + block - 1) / block == image->blocksAcross() &&
            (r.height() + block - 1) / block == image->blocksDown()) {
            unchanged = true;
            return nullptr;
        }
        // CopyPart places the whole old image so that image pixel (offset + left, offset +
        // top) lands on (0, 0), and moves the offset with it to (−left, −top).
        auto trimmed = layer.CopyPart(r.width(), r.height(),
                                      TPoint{-layer.offsetX - r.left, -layer.offsetY - r.top});
        if (!trimmed)
            return nullptr;
        trimmed->id = layer.id;
        trimmed->CopyProperties(layer);
        if (!trimmed->SizeThumbnail(CLayerData::kThumbnailBox, CLayerData::kThumbnailBox))
            return nullptr;
        return finished(std::move(trimmed));
    });
}

std::unique_ptr<CLayerData> ScaleLayer(const CLayerData& layer, TPaperSize paper, int32_t width,
                                       int32_t height)
{
    return guarded([&]() -> std::unique_ptr<CLayerData> {
        const CBlockVMTC* image = layer.image();
        if (!image || width <= 0 || height <= 0 || image->width() <= 0 || image->height() <= 0)
            return nullptr;
        const int64_t d = int64_t(width) * layer.offsetX / image->width();
        const int64_t c = int64_t(height) * layer.offsetY / image->height();
        const int64_t newWidth = d + std::max<int64_t>(paper.width, width - d);
        const int64_t newHeight = c + std::max<int64_t>(paper.height, height - c);
        auto scaled = makeLayerLike(layer, newWidth, newHeight, paper, d, c, true);
        if (!scaled)
            return nullptr;
        CScaleLayerImage scaler(*image, *scaled->image());
        if (!scaler.Scale(image->bounds(), TBox{0, 0, width, height}))
            return nullptr;
        return finished(std::move(scaled));
    });
}

std::unique_ptr<CLayerData> RotateLayer90(const CLayerData& layer, TPaperSize paper,
                                          bool clockwise)
{
    return guarded([&]() -> std::unique_ptr<CLayerData> {
        const CBlockVMTC* image = layer.image();
        if (!image || image->width() <= 0 || image->height() <= 0)
            return nullptr;
        const int64_t W = image->width(), H = image->height();
        // Twice the old paper centre in old image coordinates, turned as continuous positions
        // (clockwise (x, y) → (H − y, x)), keeps whole-paper turns exact for odd sizes.
        const int64_t cx2 = 2 * int64_t(layer.offsetX) + layer.paperWidth;
        const int64_t cy2 = 2 * int64_t(layer.offsetY) + layer.paperHeight;
        const int64_t tx2 = clockwise ? 2 * H - cy2 : cy2;
        const int64_t ty2 = clockwise ? cx2 : 2 * W - cx2;
        // The new paper's top-left corner in the turned image (H × W).
        const int64_t px = floorDiv(tx2 - paper.width, 2), py = floorDiv(ty2 - paper.height, 2);
        const int64_t left = std::min<int64_t>(0, px), top = std::min<int64_t>(0, py);
        const int64_t right = std::max<int64_t>(H, px + paper.width);
        const int64_t bottom = std::max<int64_t>(W, py + paper.height);
        auto turned =
            makeLayerLike(layer, right - left, bottom - top, paper, px - left, py - top, true);
        if (!turned)
            return nullptr;
        if (!rotate90Blocks(*image, *turned->image(),
                            TPoint{int32_t(-left), int32_t(-top)}, clockwise))
            return nullptr;
        return finished(std::move(turned));
    });
}

std::unique_ptr<CLayerData> RotateLayer(const CLayerData& layer, TPaperSize paper, double degrees)
{
    return guarded([&]() -> std::unique_ptr<CLayerData> {
        const CBlockVMTC* image = layer.image();
        if (!image || image->width() <= 0 || image->height() <= 0 || !std::isfinite(degrees) ||
            paper.width <= 0 || paper.height <= 0)
            return nullptr;
        const TRotation16 r = TRotation16::ofDegrees(degrees);
        // The old paper centre in old image coordinates and the image corners relative to it.
        const int64_t centreX = int64_t(layer.offsetX) * 65536 + int64_t(layer.paperWidth) * 32768;
        const int64_t centreY = int64_t(layer.offsetY) * 65536 + int64_t(layer.paperHeight) * 32768;
        const int64_t cornersX[2] = {-centreX, int64_t(image->width()) * 65536 - centreX};
        const int64_t cornersY[2] = {-centreY, int64_t(image->height()) * 65536 - centreY};
        // Rotated corners in new paper coordinates (16.16): relative to the new paper centre,
        // plus half the new paper.
        const int64_t halfW = int64_t(paper.width) * 32768, halfH = int64_t(paper.height) * 32768;
        int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
        for (int64_t x : cornersX)
            for (int64_t y : cornersY) {
                const int64_t rx = ((x * r.c - y * r.s) >> 16) + halfW;
                const int64_t ry = ((x * r.s + y * r.c) >> 16) + halfH;
                minX = std::min(minX, rx);
                maxX = std::max(maxX, rx);
                minY = std::min(minY, ry);
                maxY = std::max(maxY, ry);
            }
        // Outward to whole pixels of the new paper's grid, then widened to cover the paper.
        const int64_t left = std::min<int64_t>(0, minX >> 16);
        const int64_t top = std::min<int64_t>(0, minY >> 16);
        const int64_t right = std::max<int64_t>(paper.width, (maxX + 65535) >> 16);
        const int64_t bottom = std::max<int64_t>(paper.height, (maxY + 65535) >> 16);
        auto rotated = makeLayerLike(layer, right - left, bottom - top, paper, -left, -top, true);
        if (!rotated)
            return nullptr;
        CBlockVMTC& dest = *rotated->image();
        // What lies outside the old image reads as transparent white, whatever the mode.
        dest.FillAll(kOutsidePixel);
        TRotationMap map;
        map.r = r;
        map.destOriginX = -left;
        map.destOriginY = -top;
        map.halfW = halfW;
        map.halfH = halfH;
        map.centreX = centreX;
        map.centreY = centreY;
        if (!rotateBilinear(*image, dest, map))
            return nullptr;
        return finished(std::move(rotated));
    });
}

} // namespace qm

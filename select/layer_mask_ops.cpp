#include "select/layer_mask_ops.h"

#include "core/pixel_math.h"

#include <vector>

namespace qm {

namespace {

// The overlap of the mask and the layer's image in image coordinates, and the shift from
// image to mask-local positions.
bool overlapOf(const CLayerData& layer, const CMaskData& mask, TBox& box, TPoint& toMask)
{
    // Image position (x, y) is paper (x − layer offset), mask (x − layer offset + mask offset).
    toMask = {mask.offsetX - layer.offsetX, mask.offsetY - layer.offsetY};
    box = {-toMask.x, -toMask.y, mask.width(), mask.height()};
    return mask.IsValid() && clipBoxToSize(box, layer.imageWidth(), layer.imageHeight());
}

// Applies fn(alpha, coverage) → alpha to every pixel of the overlap, row by row.
template <typename Fn>
void mapAlphaUnderMask(CBlockVMTC& image, const CMaskData& mask, TBox box, TPoint toMask, Fn&& fn)
{
    std::vector<uint8_t> alpha(size_t(box.width)), coverage(size_t(box.width));
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        image.ReadChannelRow(box.x, y, box.width, 3, alpha.data());
        mask.coverage->ReadRow(box.x + toMask.x, y + toMask.y, box.width, coverage.data());
        for (int32_t i = 0; i < box.width; ++i)
            alpha[size_t(i)] = fn(alpha[size_t(i)], coverage[size_t(i)]);
        image.WriteChannelRow(box.x, y, box.width, 3, alpha.data());
    }
}

} // namespace

bool maskToAlpha(CLayerData& layer, const CMaskData& mask)
{
    CBlockVMTC* image = layer.image();
    if (!image)
        return false;
    TBox box;
    TPoint toMask;
    if (!overlapOf(layer, mask, box, toMask)) {
        image->SetAlpha(image->bounds(), 0);
    } else {
        // The four parts of the image around the mask's rectangle lose all alpha.
        const int32_t w = image->width(), h = image->height();
        image->SetAlpha({0, 0, w, box.y}, 0);
        image->SetAlpha({0, box.y + box.height, w, h - box.y - box.height}, 0);
        image->SetAlpha({0, box.y, box.x, box.height}, 0);
        image->SetAlpha({box.x + box.width, box.y, w - box.x - box.width, box.height}, 0);
        mapAlphaUnderMask(*image, mask, box, toMask,
                          [](uint8_t a, uint8_t m) { return MulTable[m][a]; });
    }
    image->Optimize();
    layer.UpdateThumbnail();
    return true;
}

uint8_t erasedAlpha(uint8_t alpha, uint8_t coverage, int variant)
{
    const uint32_t a = alpha, m = coverage;
    if (m == 255)
        return 0;
    if (m == 0)
        return alpha;
    if (variant == 0) {
        if (a == 255)
            return uint8_t(255 - m);
        return uint8_t((255 - m) * a * 255 / (65025 - a * m));
    }
    return uint8_t(a * (255 - m) / 255);
}

bool eraseByMask(CLayerData& layer, const CMaskData& mask, int variant)
{
    CBlockVMTC* image = layer.image();
    if (!image)
        return false;
    TBox box;
    TPoint toMask;
    if (overlapOf(layer, mask, box, toMask)) {
        mapAlphaUnderMask(*image, mask, box, toMask,
                          [variant](uint8_t a, uint8_t m) { return erasedAlpha(a, m, variant); });
        image->Optimize();
    }
    layer.UpdateThumbnail();
    return true;
}

} // namespace qm

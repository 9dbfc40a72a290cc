#include "layers/composite.h"

#include "layers/composite_rows.h"

#include <array>

namespace qm {

namespace {

constexpr int32_t kBlock = CBlockVMTC::kBlock;

// Visits the parts of the image that can change the picture: the content region clipped to
// the box, block part by block part, skipping transparent uniform blocks. fn(block, part, dx,
// dy) gets each part in image coordinates and the shift to picture coordinates.
template <typename Fn>
void forEachVisiblePart(const CBlockVMTC& image, const TMTC& picture, TBox box, TPoint at, Fn&& fn)
{
    if (!image.IsValid() || !picture.IsValid())
        return;
    // Clip the box and the point against both images first, as a copy would be.
    if (!clipCopy(image.width(), image.height(), picture.width(), picture.height(), at, box))
        return;
    const int32_t dx = at.x - box.x, dy = at.y - box.y;
    image.contentRegion().forEachIntersection(box, [&](TBox piece) {
        image.forEachBlockPart(piece, [&](const TBlockInfo& b, const TBox& part) {
            if (!b.allocated && (b.fill >> 24) == 0)
                return;
            fn(b, part, dx, dy);
        });
    });
}

// The same, row by row: rowFn(pictureRow, layerRow, count), a uniform block giving a row of
// its Fill.
template <typename RowFn>
void forEachVisibleRowPair(const CBlockVMTC& image, TMTC& picture, TBox box, TPoint at,
                           RowFn&& rowFn)
{
    std::array<uint32_t, kBlock> fillRow;
    forEachVisiblePart(image, picture, box, at,
                       [&](const TBlockInfo& b, const TBox& part, int32_t dx, int32_t dy) {
                           if (!b.allocated)
                               fillRow.fill(b.fill);
                           for (int32_t y = part.y; y < part.y + part.height; ++y) {
                               const uint32_t* s = b.allocated
                                                       ? image.blockRow(b, y & (kBlock - 1)) +
                                                             (part.x & (kBlock - 1))
                                                       : fillRow.data();
                               rowFn(picture.row(y + dy) + part.x + dx, s, part.width);
                           }
                       });
}

// The blend option: each pixel is composited only when the generator's next number is below
// Mul255(amount, source alpha). Every visited pixel draws one number.
template <BlendMode M>
void compositeRowNoise(uint32_t* dest, const uint32_t* source, int32_t count, uint32_t opacity,
                       uint32_t amount, CLayerRandom& random)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t threshold = Mul255(amount, source[i] >> 24);
        if (random.Next() < threshold)
            dest[i] = compositeMode<M>(dest[i], source[i], opacity);
    }
}

void compositeWithNoise(const CBlockVMTC& image, const TCompositeStyle& style, TMTC& picture,
                        TBox box, TPoint at)
{
    CLayerRandom random = style.random;
    withMode(style.mode, [&]<BlendMode M>() {
        forEachVisibleRowPair(image, picture, box, at,
                              [&](uint32_t* d, const uint32_t* s, int32_t n) {
                                  compositeRowNoise<M>(d, s, n, style.opacity, style.blendAmount,
                                                       random);
                              });
    });
}

TCompositeStyle styleWithPattern(const CLayerData& layer, TPattern pattern, Clock& clock)
{
    TCompositeStyle style = TCompositeStyle::of(layer);
    if (pattern == TPattern::Fresh)
        style.random.Initialise(clock.milliseconds(), CLayerData::kRandomLow,
                                CLayerData::kRandomHigh);
    return style;
}

// Legacy functions: multiply, add and subtract ignore the pixel's alpha.
uint32_t legacyPixel(uint32_t mode, uint32_t pixel, uint32_t source, uint32_t opacity)
{
    switch (mode & 0x7F) {
    case 0: PaintMultiply(&pixel, source, opacity); break;
    case 1: PaintAdd(&pixel, source, opacity); break;
    case 2: PaintSubtract(&pixel, source, opacity); break;
    default: PaintNormal(&pixel, source, opacity * (source >> 24) / 255); break;
    }
    return pixel;
}

} // namespace

TCompositeStyle TCompositeStyle::of(const CLayerData& layer)
{
    TCompositeStyle style;
    style.mode = layer.mode & 0x7Fu;
    style.opacity = layer.opacity;
    style.blendNoise = layer.blendNoise != 0;
    style.blendAmount = layer.blendAmount;
    style.random = layer.random;
    return style;
}

void compositeImage(const CBlockVMTC& image, const TCompositeStyle& style, TMTC& picture,
                    TBox box, TPoint at)
{
    if (style.opacity == 0 || !modeInfo(style.mode))
        return;
    if (style.blendNoise) {
        compositeWithNoise(image, style, picture, box, at);
        return;
    }
    const CompositeRectFn rect = compositeRectOf(style.mode);
    const CompositeFillRowFn fillRow = compositeFillRowOf(style.mode);
    const ptrdiff_t pictureStride = picture.RowStep();
    forEachVisiblePart(image, picture, box, at,
                       [&](const TBlockInfo& b, const TBox& part, int32_t dx, int32_t dy) {
                           uint32_t* d = picture.row(part.y + dy) + part.x + dx;
                           if (b.allocated) {
                               rect(d, pictureStride,
                                    image.blockRow(b, part.y & (kBlock - 1)) +
                                        (part.x & (kBlock - 1)),
                                    kBlock, part.width, part.height, style.opacity);
                               return;
                           }
                           for (int32_t y = 0; y < part.height; ++y, d += pictureStride)
                               fillRow(d, b.fill, part.width, style.opacity);
                       });
}

void compositeImageLegacy(const CBlockVMTC& image, uint32_t mode, uint32_t opacity,
                          TMTC& picture, TBox box, TPoint at)
{
    forEachVisibleRowPair(image, picture, box, at, [&](uint32_t* d, const uint32_t* s, int32_t n) {
        for (int32_t i = 0; i < n; ++i)
            d[i] = legacyPixel(mode, d[i], s[i], opacity);
    });
}

bool CompositeLayer(const CLayerData& layer, TMTC& picture, TBox box, TPoint at, TPattern pattern,
                    Clock& clock)
{
    if (!layer.image())
        return false;
    compositeImage(*layer.image(), styleWithPattern(layer, pattern, clock), picture, box, at);
    return true;
}

bool CompositeLayerLegacy(const CLayerData& layer, TMTC& picture, TBox box, TPoint at)
{
    if (!layer.image())
        return false;
    compositeImageLegacy(*layer.image(), layer.mode, layer.opacity, picture, box, at);
    return true;
}

void compositeFlat(const TMTC& image, const TCompositeStyle& style, TMTC& picture, TBox box,
                   TPoint at)
{
    if (style.opacity == 0 || !modeInfo(style.mode) || !image.IsValid() || !picture.IsValid())
        return;
    if (!clipCopy(image.width(), image.height(), picture.width(), picture.height(), at, box))
        return;
    if (style.blendNoise) {
        CLayerRandom random = style.random;
        withMode(style.mode, [&]<BlendMode M>() {
            for (int32_t y = 0; y < box.height; ++y)
                compositeRowNoise<M>(picture.row(at.y + y) + at.x, image.row(box.y + y) + box.x,
                                     box.width, style.opacity, style.blendAmount, random);
        });
        return;
    }
    compositeRectOf(style.mode)(picture.row(at.y) + at.x, picture.RowStep(),
                                image.row(box.y) + box.x, image.RowStep(), box.width, box.height,
                                style.opacity);
}

void compositeFlatLegacy(const TMTC& image, uint32_t mode, uint32_t opacity, TMTC& picture,
                         TBox box, TPoint at)
{
    if (!image.IsValid() || !picture.IsValid() ||
        !clipCopy(image.width(), image.height(), picture.width(), picture.height(), at, box))
        return;
    for (int32_t y = 0; y < box.height; ++y) {
        uint32_t* d = picture.row(at.y + y) + at.x;
        const uint32_t* s = image.row(box.y + y) + box.x;
        for (int32_t i = 0; i < box.width; ++i)
            d[i] = legacyPixel(mode, d[i], s[i], opacity);
    }
}

bool CompositeStrokeLayer(TMTC& picture, const TMTC& working, TPoint at, TPattern pattern,
                          const CLayerData& layer, TBox box, Clock& clock)
{
    compositeFlat(working, styleWithPattern(layer, pattern, clock), picture, box, at);
    return true;
}

bool CompositeStrokeLayerLegacy(TMTC& picture, const TMTC& working, TPoint at,
                                const CLayerData& layer, TBox box)
{
    if ((layer.mode & 0x7F) > 3)
        return false;
    compositeFlatLegacy(working, layer.mode, layer.opacity, picture, box, at);
    return true;
}

bool CompositeInto(CBlockVMTC& target, const CLayerData& source, TBox box, TPoint at)
{
    if (!source.image())
        return false;
    const TCompositeStyle style = TCompositeStyle::of(source);
    if (style.opacity == 0 || !modeInfo(style.mode))
        return false;
    bool ok = false;
    if (style.blendNoise) {
        CLayerRandom random = style.random;
        withMode(style.mode, [&]<BlendMode M>() {
            ok = target.Merge(*source.image(), at, box, true,
                              [&](uint32_t* d, const uint32_t* s, int32_t n) {
                                  compositeRowNoise<M>(d, s, n, style.opacity, style.blendAmount,
                                                       random);
                              });
        });
    } else {
        const CompositeRowFn row = compositeRowOf(style.mode);
        ok = target.Merge(*source.image(), at, box, true,
                          [&](uint32_t* d, const uint32_t* s, int32_t n) {
                              row(d, s, n, style.opacity);
                          });
    }
    target.Optimize();
    return ok;
}

bool LegacyMergeDown(const CLayerData& upper, CBlockVMTC& lowerImage)
{
    const CBlockVMTC* image = upper.image();
    if (!image)
        return false;
    const uint32_t mode = upper.mode, opacity = upper.opacity;
    const bool ok = lowerImage.Merge(*image, {0, 0}, image->bounds(), true,
                                     [&](uint32_t* d, const uint32_t* s, int32_t n) {
                                         for (int32_t i = 0; i < n; ++i)
                                             d[i] = legacyPixel(mode, d[i], s[i], opacity) |
                                                    0xFF000000u;
                                     });
    lowerImage.Optimize();
    return ok;
}

} // namespace qm

#include "core/image_ops.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qm {

namespace {

bool clipFor(const CDibCore& image, TBox& box)
{
    return image.IsValid() && clipBoxToSize(box, image.width(), image.height());
}

template <typename P>
P* rowOf(const CDibCore& image, int32_t y)
{
    return reinterpret_cast<P*>(image.rowBytes(y));
}

template <typename P>
void flipVerticalT(CDibCore& image, const TBox& box)
{
    const size_t bytes = size_t(box.width) * sizeof(P);
    std::vector<P> buffer(size_t(box.width));
    for (int32_t top = box.y, bottom = box.y + box.height - 1; top < bottom; ++top, --bottom) {
        P* a = rowOf<P>(image, top) + box.x;
        P* b = rowOf<P>(image, bottom) + box.x;
        std::memcpy(buffer.data(), a, bytes);
        std::memcpy(a, b, bytes);
        std::memcpy(b, buffer.data(), bytes);
    }
}

template <typename P>
void flipHorizontalT(CDibCore& image, const TBox& box)
{
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        P* p = rowOf<P>(image, y) + box.x;
        std::reverse(p, p + box.width);
    }
}

template <typename P>
void rotate180T(CDibCore& image, const TBox& box)
{
    // Swap row pairs reversed; an odd middle row is reversed in place.
    for (int32_t top = box.y, bottom = box.y + box.height - 1; top <= bottom; ++top, --bottom) {
        P* a = rowOf<P>(image, top) + box.x;
        if (top == bottom) {
            std::reverse(a, a + box.width);
            break;
        }
        P* b = rowOf<P>(image, bottom) + box.x;
        for (int32_t i = 0; i < box.width; ++i)
            std::swap(a[i], b[box.width - 1 - i]);
    }
}

template <typename Op>
bool dispatchByDepth(CDibCore& image, TBox box, Op op)
{
    if (!clipFor(image, box))
        return false;
    if (image.BytesPerPixel() == 4)
        op(uint32_t{}, box);
    else
        op(uint8_t{}, box);
    return true;
}

} // namespace

bool fillAll(TChannel& image, uint8_t value)
{
    return fillRect(image, image.bounds(), value);
}

bool fillAll(TMTC& image, uint32_t value)
{
    return fillRect(image, image.bounds(), value);
}

bool fillRect(TChannel& image, TBox box, uint8_t value)
{
    if (!clipFor(image, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y)
        std::memset(image.row(y) + box.x, value, size_t(box.width));
    return true;
}

bool fillRect(TMTC& image, TBox box, uint32_t value)
{
    if (!clipFor(image, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y)
        std::fill_n(image.row(y) + box.x, box.width, value);
    return true;
}

bool maskedSet(TMTC& image, TBox box, uint32_t mask, uint32_t value)
{
    if (!clipFor(image, box))
        return false;
    const uint32_t keep = ~mask;
    const uint32_t set = value & mask;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint32_t* p = image.row(y) + box.x;
        for (int32_t x = 0; x < box.width; ++x)
            p[x] = (p[x] & keep) | set;
    }
    return true;
}

bool xorRect(TChannel& image, TBox box, uint8_t value)
{
    if (!clipFor(image, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint8_t* p = image.row(y) + box.x;
        for (int32_t x = 0; x < box.width; ++x)
            p[x] ^= value;
    }
    return true;
}

bool xorRect(TMTC& image, TBox box, uint32_t value)
{
    if (!clipFor(image, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint32_t* p = image.row(y) + box.x;
        for (int32_t x = 0; x < box.width; ++x)
            p[x] ^= value;
    }
    return true;
}

bool copyRect(CDibCore& dest, TPoint at, const CDibCore& source, TBox box)
{
    if (!dest.IsValid() || !source.IsValid() || dest.BytesPerPixel() != source.BytesPerPixel() ||
        !clipCopy(source.width(), source.height(), dest.width(), dest.height(), at, box))
        return false;
    const int32_t bpp = source.BytesPerPixel();
    const size_t bytes = size_t(box.width) * size_t(bpp);
    for (int32_t y = 0; y < box.height; ++y)
        std::memmove(dest.rowBytes(at.y + y) + at.x * bpp, source.rowBytes(box.y + y) + box.x * bpp,
                     bytes);
    return true;
}

bool blendRect(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t alpha)
{
    if (alpha == 0)
        return false;
    if (alpha == 255)
        return copyRect(dest, at, source, box);
    return forEachRowPair(dest, at, source, box,
                          [alpha](uint32_t* d, const uint32_t* s, int32_t n) {
                              paintNormalRow(d, s, n, alpha);
                          });
}

bool blendRectHalf(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t alpha)
{
    if (alpha == 0)
        return false;
    if (alpha == 255)
        return copyRect(dest, at, source, box);
    return blendRectWith(dest, at, source, box, alpha, Blend32Half);
}

bool colourKeyedCopy(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t key,
                     uint32_t alpha)
{
    key &= 0x00FFFFFFu;
    return forEachRowPair(dest, at, source, box,
                          [key, alpha](uint32_t* d, const uint32_t* s, int32_t n) {
                              for (int32_t i = 0; i < n; ++i)
                                  if ((s[i] & 0x00FFFFFFu) != key)
                                      PaintNormal(d + i, s[i], alpha);
                          });
}

bool channelToColour(TMTC& dest, TPoint at, const TChannel& source, TBox box)
{
    return channelPaint(dest, at, source, box, [](uint8_t v, uint32_t* p) {
        *p = v ? (0xFF000000u | uint32_t(v) << 16 | uint32_t(v) << 8 | v) : 0u;
    });
}

bool flipVertical(CDibCore& image, TBox box)
{
    return dispatchByDepth(image, box, [&](auto pixel, const TBox& b) {
        flipVerticalT<decltype(pixel)>(image, b);
    });
}

bool flipHorizontal(CDibCore& image, TBox box)
{
    return dispatchByDepth(image, box, [&](auto pixel, const TBox& b) {
        flipHorizontalT<decltype(pixel)>(image, b);
    });
}

bool rotate180(CDibCore& image, TBox box)
{
    return dispatchByDepth(image, box, [&](auto pixel, const TBox& b) {
        rotate180T<decltype(pixel)>(image, b);
    });
}

namespace {

bool checkerboardFrom(TMTC& image, TBox box, int32_t cellWidth, int32_t cellHeight,
                      uint32_t first, uint32_t second, int32_t originX, int32_t originY)
{
    if (cellWidth <= 0 || cellHeight <= 0 || !clipFor(image, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        const int32_t cellRow = (y - originY) / cellHeight;
        uint32_t* p = image.row(y);
        for (int32_t x = box.x; x < box.x + box.width; ++x) {
            const int32_t cellColumn = (x - originX) / cellWidth;
            p[x] = ((cellColumn + cellRow) & 1) ? second : first;
        }
    }
    return true;
}

} // namespace

bool checkerboard(TMTC& image, TBox box, int32_t cellWidth, int32_t cellHeight, uint32_t first,
                  uint32_t second)
{
    // Cells are counted from the box's own corner (before clipping).
    return checkerboardFrom(image, box, cellWidth, cellHeight, first, second, box.x, box.y);
}

bool checkerboardAligned(TMTC& image, TBox box, int32_t cellWidth, int32_t cellHeight,
                         uint32_t first, uint32_t second)
{
    return checkerboardFrom(image, box, cellWidth, cellHeight, first, second, 0, 0);
}

} // namespace qm

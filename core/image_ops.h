// Whole-image and rectangle operations on plain images.
//
// Every rectangle is clipped to the image first; an empty clip returns false and does nothing.
// Copies between two images use the copy clipping rule (see copy_clip.h).
// 32-bit pixels are 0xAARRGGBB (memory order B, G, R, A), not premultiplied.
#pragma once

#include "core/copy_clip.h"
#include "core/dib_core.h"
#include "core/pixel_math.h"

namespace qm {

// ---- fills and bit operations ----
bool fillAll(TChannel& image, uint8_t value);
bool fillAll(TMTC& image, uint32_t value);
bool fillRect(TChannel& image, TBox box, uint8_t value);
bool fillRect(TMTC& image, TBox box, uint32_t value);
// Every pixel becomes (value AND mask) OR (pixel AND NOT mask).
bool maskedSet(TMTC& image, TBox box, uint32_t mask, uint32_t value);
inline bool setAlpha(TMTC& image, TBox box, uint8_t alpha)
{
    return maskedSet(image, box, 0xFF000000u, uint32_t(alpha) << 24);
}
bool xorRect(TChannel& image, TBox box, uint8_t value);
bool xorRect(TMTC& image, TBox box, uint32_t value);

// Calls fn(uint32_t* pixel, value, user) for every pixel of the box.
template <typename Fn, typename User>
bool applyPixelFn(TMTC& image, TBox box, Fn&& fn, uint32_t value, User user)
{
    if (!image.IsValid() || !clipBoxToSize(box, image.width(), image.height()))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint32_t* p = image.row(y) + box.x;
        for (int32_t x = 0; x < box.width; ++x)
            fn(p + x, value, user);
    }
    return true;
}

// Calls fn(uint8_t* pixel, value) for every pixel of the box.
template <typename Fn>
bool applyPixelFn(TChannel& image, TBox box, Fn&& fn, uint32_t value)
{
    if (!image.IsValid() || !clipBoxToSize(box, image.width(), image.height()))
        return false;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        uint8_t* p = image.row(y) + box.x;
        for (int32_t x = 0; x < box.width; ++x)
            fn(p + x, value);
    }
    return true;
}

// ---- copies and blends (source box of `source` to `at` in `dest`) ----

// Plain row copy; both images must have the same bytes per pixel.
bool copyRect(CDibCore& dest, TPoint at, const CDibCore& source, TBox box);

// Calls rowFn(uint32_t* dest, const uint32_t* source, count) for each clipped row pair.
template <typename RowFn>
bool forEachRowPair(TMTC& dest, TPoint at, const TMTC& source, TBox box, RowFn&& rowFn)
{
    if (!dest.IsValid() || !source.IsValid() ||
        !clipCopy(source.width(), source.height(), dest.width(), dest.height(), at, box))
        return false;
    for (int32_t y = 0; y < box.height; ++y)
        rowFn(dest.row(at.y + y) + at.x, source.row(box.y + y) + box.x, box.width);
    return true;
}

// General blend: every destination pixel is painted with fn(dest pixel, source colour, alpha).
template <typename Fn>
bool blendRectWith(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t alpha, Fn&& fn)
{
    return forEachRowPair(dest, at, source, box,
                          [&](uint32_t* d, const uint32_t* s, int32_t n) {
                              for (int32_t i = 0; i < n; ++i)
                                  fn(d + i, s[i], alpha);
                          });
}

// Alpha 255 copies all four bytes; alpha 0 does nothing; otherwise PaintNormal at alpha.
bool blendRect(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t alpha);
// The preview variant: Blend32Half instead of PaintNormal.
bool blendRectHalf(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t alpha);
// Copies source pixels whose colour (low 24 bits) differs from the key, through PaintNormal.
bool colourKeyedCopy(TMTC& dest, TPoint at, const TMTC& source, TBox box, uint32_t key,
                     uint32_t alpha);
// A non-zero channel byte v gives the pixel (v, v, v, 255), a zero byte gives 0x00000000.
bool channelToColour(TMTC& dest, TPoint at, const TChannel& source, TBox box);

// Calls fn(uint8_t channelValue, uint32_t* pixel) for each clipped pair.
template <typename Fn>
bool channelPaint(TMTC& dest, TPoint at, const TChannel& source, TBox box, Fn&& fn)
{
    if (!dest.IsValid() || !source.IsValid() ||
        !clipCopy(source.width(), source.height(), dest.width(), dest.height(), at, box))
        return false;
    for (int32_t y = 0; y < box.height; ++y) {
        const uint8_t* s = source.row(box.y + y) + box.x;
        uint32_t* d = dest.row(at.y + y) + at.x;
        for (int32_t x = 0; x < box.width; ++x)
            fn(s[x], d + x);
    }
    return true;
}

// ---- geometry in place ----
bool flipVertical(CDibCore& image, TBox box);
bool flipHorizontal(CDibCore& image, TBox box);
bool rotate180(CDibCore& image, TBox box);

// ---- checkerboards ----
// Cells of cellWidth × cellHeight counted from the box's corner; even (column + row) gets first.
bool checkerboard(TMTC& image, TBox box, int32_t cellWidth, int32_t cellHeight, uint32_t first,
                  uint32_t second);
// The same with cells aligned to multiples of the cell size in image coordinates.
bool checkerboardAligned(TMTC& image, TBox box, int32_t cellWidth, int32_t cellHeight,
                         uint32_t first, uint32_t second);

} // namespace qm

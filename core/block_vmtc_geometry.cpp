// Flips, quarter turns and downscales of the tiled colour image.
#include "core/block_vmtc.h"

#include "core/block_box_filter.h"
#include "core/image_ops.h"
#include "core/image_scale.h"

namespace qm {

namespace {

// Flips go through a flat copy of the whole picture, then back, then give back uniform blocks.
template <typename Op>
bool throughFlatCopy(CBlockVMTC& image, TBox box, Op op)
{
    if (!image.IsValid() || !clipBoxToSize(box, image.width(), image.height()))
        return false;
    TMTC flat(image.width(), image.height());
    if (!flat.IsValid())
        return false;
    image.ExportTo(flat, {0, 0}, false, 255, image.bounds());
    op(flat, box);
    const bool ok = image.ImportFrom(flat, {0, 0}, 255, flat.bounds());
    image.Optimize();
    return ok;
}

} // namespace

bool CBlockVMTC::FlipHorizontal(TBox box)
{
    return throughFlatCopy(*this, box, [](TMTC& f, TBox b) { flipHorizontal(f, b); });
}

bool CBlockVMTC::FlipVertical(TBox box)
{
    return throughFlatCopy(*this, box, [](TMTC& f, TBox b) { flipVertical(f, b); });
}

bool CBlockVMTC::Rotate180(TBox box)
{
    return throughFlatCopy(*this, box, [](TMTC& f, TBox b) { rotate180(f, b); });
}

bool CBlockVMTC::Rotate90To(TMTC& dest, bool clockwise) const
{
    if (!IsValid() || !dest.Resize(height_, width_))
        return false;
    // Destination (X, Y) reads source (Y, H−1−X) clockwise and (W−1−Y, X) counter-clockwise.
    for (int32_t y = 0; y < dest.height(); ++y) {
        uint32_t* d = dest.row(y);
        for (int32_t x = 0; x < dest.width(); ++x)
            d[x] = clockwise ? GetPixelClamped(y, height_ - 1 - x)
                             : GetPixelClamped(width_ - 1 - y, x);
    }
    return true;
}

bool CBlockVMTC::Rotate90To(CBlockVMTC& dest, TPoint offset, bool clockwise) const
{
    if (!IsValid() || !dest.IsValid())
        return false;
    TBox target{offset.x, offset.y, height_, width_};
    if (!clipBoxToSize(target, dest.width(), dest.height()))
        return false;
    bool ok = true;
    for (int32_t y = target.y; y < target.y + target.height; ++y)
        for (int32_t x = target.x; x < target.x + target.width; ++x) {
            const int32_t X = x - offset.x, Y = y - offset.y;
            ok &= dest.SetPixel(x, y,
                                clockwise ? GetPixelClamped(Y, height_ - 1 - X)
                                          : GetPixelClamped(width_ - 1 - Y, X));
        }
    dest.Optimize();
    return ok;
}

bool CBlockVMTC::DownscaleTo(TMTC& dest, TBox box, TBox part) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        !clipBoxToSize(box, width_, height_))
        return false;
    boxFilterDownscaleTiled<3>(
        *this, box, dest.width(), dest.height(), part,
        [&dest](int32_t x, int32_t y, uint32_t means) {
            uint32_t& out = dest.row(y)[x];
            out = (out & 0xFF000000u) | means; // colour replaced, alpha kept
        });
    return true;
}

bool CBlockVMTC::DownscaleTo(CBlockVMTC& dest) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        width_ <= 0 || height_ <= 0)
        return false;
    bool ok = true;
    supersampleDownscale(
        width_, height_, dest.width(), dest.height(),
        [this](int32_t x, int32_t y) { return GetPixel(x, y); },
        [&](int32_t x, int32_t y, uint32_t mean) { ok &= dest.SetPixel(x, y, mean); });
    dest.Optimize();
    return ok;
}

} // namespace qm

// Flips, quarter turns and downscales of the tiled colour image.
#include "core/block_vmtc.h"

#include "core/image_ops.h"

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

bool CBlockVMTC::DownscaleTo(TMTC& dest) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        width_ <= 0 || height_ <= 0)
        return false;
    // Steps in 22.10 fixed point; each destination pixel averages (sx+1) × (sy+1) samples.
    const int64_t stepX = (int64_t(width_) << 10) / dest.width();
    const int64_t stepY = (int64_t(height_) << 10) / dest.height();
    const int32_t countX = width_ / dest.width() + 1;
    const int32_t countY = height_ / dest.height() + 1;
    const uint32_t samples = uint32_t(countX * countY);
    for (int32_t y = 0; y < dest.height(); ++y) {
        const int32_t sy0 = int32_t((stepY * y) >> 10);
        uint32_t* d = dest.row(y);
        for (int32_t x = 0; x < dest.width(); ++x) {
            const int32_t sx0 = int32_t((stepX * x) >> 10);
            uint32_t sb = 0, sg = 0, sr = 0;
            for (int32_t j = 0; j < countY; ++j)
                for (int32_t i = 0; i < countX; ++i) {
                    const uint32_t p = GetPixelClamped(sx0 + i, sy0 + j);
                    sb += p & 0xFF;
                    sg += (p >> 8) & 0xFF;
                    sr += (p >> 16) & 0xFF;
                }
            d[x] = (d[x] & 0xFF000000u) | (sr / samples) << 16 | (sg / samples) << 8 |
                   (sb / samples);
        }
    }
    return true;
}

bool CBlockVMTC::DownscaleTo(CBlockVMTC& dest) const
{
    if (!IsValid() || !dest.IsValid() || dest.width() <= 0 || dest.height() <= 0 ||
        width_ <= 0 || height_ <= 0)
        return false;
    const int64_t stepX = (int64_t(width_) * 1024) / dest.width();
    const int64_t stepY = (int64_t(height_) * 1024) / dest.height();
    const int64_t quarterX = stepX / 4, quarterY = stepY / 4;
    bool ok = true;
    for (int32_t y = 0; y < dest.height(); ++y)
        for (int32_t x = 0; x < dest.width(); ++x) {
            uint32_t sum[4] = {};
            for (int32_t j = 0; j < 4; ++j) {
                const int32_t sy = int32_t((stepY * y + quarterY * j) >> 10);
                for (int32_t i = 0; i < 4; ++i) {
                    const uint32_t p = GetPixelClamped(int32_t((stepX * x + quarterX * i) >> 10), sy);
                    for (int k = 0; k < 4; ++k)
                        sum[k] += (p >> (8 * k)) & 0xFF;
                }
            }
            ok &= dest.SetPixel(x, y,
                                (sum[3] / 16) << 24 | (sum[2] / 16) << 16 | (sum[1] / 16) << 8 |
                                    (sum[0] / 16));
        }
    dest.Optimize();
    return ok;
}

} // namespace qm

#include "filters/filter_sampling.h"

namespace qm {

uint32_t sampleBilinear(const CBlockVMTC& image, int64_t px, int64_t py, bool wrap)
{
    const int32_t w = image.width(), h = image.height();
    if (w <= 0 || h <= 0)
        return 0;
    // Arithmetic shifts floor, so the fraction is always the distance to the left neighbour.
    const int64_t ix = px >> 16, iy = py >> 16;
    const uint32_t fx = uint32_t(px >> 8) & 0xFF, fy = uint32_t(py >> 8) & 0xFF;
    int64_t x0 = ix, x1 = ix + 1, y0 = iy, y1 = iy + 1;
    if (wrap) {
        x0 = wrapCoordinate(x0, w);
        x1 = wrapCoordinate(x1, w);
        y0 = wrapCoordinate(y0, h);
        y1 = wrapCoordinate(y1, h);
    } else if (x0 < 0 || y0 < 0 || x1 >= w || y1 >= h) {
        return 0;
    }
    const uint32_t p00 = image.GetPixel(int32_t(x0), int32_t(y0));
    const uint32_t p10 = image.GetPixel(int32_t(x1), int32_t(y0));
    const uint32_t p01 = image.GetPixel(int32_t(x0), int32_t(y1));
    const uint32_t p11 = image.GetPixel(int32_t(x1), int32_t(y1));
    const uint32_t w00 = (255 - fy) * (255 - fx), w10 = (255 - fy) * fx;
    const uint32_t w01 = fy * (255 - fx), w11 = fy * fx;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = (w00 * ((p00 >> shift) & 0xFF) + w10 * ((p10 >> shift) & 0xFF) +
                            w01 * ((p01 >> shift) & 0xFF) + w11 * ((p11 >> shift) & 0xFF)) >>
                           16;
        out |= c << shift;
    }
    return out;
}

uint32_t sampleNearestWrapped(const CBlockVMTC& image, int64_t px, int64_t py)
{
    const int32_t w = image.width(), h = image.height();
    if (w <= 0 || h <= 0)
        return 0;
    return image.GetPixel(wrapCoordinate(px >> 16, w), wrapCoordinate(py >> 16, h));
}

} // namespace qm

#include "filters/floor.h"

#include "filters/generator_paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// A picture the planes repeat, as rows of pixels (the layer's source copy or a loaded image).
struct TPicture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t key = 0; // the top-left colour, see-through with the transparent-colour option
};

bool pictureOf(const TMTC& image, TPicture& out)
{
    if (!image.IsValid() || image.width() <= 0 || image.height() <= 0)
        return false;
    out.width = image.width();
    out.height = image.height();
    out.pixels.resize(size_t(out.width) * size_t(out.height));
    for (int32_t y = 0; y < out.height; ++y)
        std::copy_n(image.row(y), out.width, out.pixels.data() + size_t(y) * size_t(out.width));
    out.key = out.pixels[0] & 0x00FFFFFFu;
    return true;
}

bool pictureOf(const TFilterFrame& frame, TPicture& out)
{
    out.width = frame.width();
    out.height = frame.height();
    if (out.width <= 0 || out.height <= 0)
        return false;
    out.pixels.resize(size_t(out.width) * size_t(out.height));
    for (int32_t y = 0; y < out.height; ++y)
        frame.sourceRow(0, y, out.width, out.pixels.data() + size_t(y) * size_t(out.width));
    out.key = out.pixels[0] & 0x00FFFFFFu;
    return true;
}

// The whole-pixel part of a plane coordinate wrapped into 0 … size − 1; exact for any finite
// value, 0 for the rest.
int32_t wrapCoordinate(double v, int32_t size)
{
    if (!std::isfinite(v))
        return 0;
    double r = std::fmod(std::floor(v), double(size));
    if (r < 0)
        r += size;
    const int32_t i = int32_t(r);
    return i >= size ? 0 : i;
}

// Everything a grid point needs, fixed for one application.
struct TFloorView {
    double cx = 0, cy = 0, z0 = 0, screen = 0, ceiling = 0;
    double cosPitch = 1, sinPitch = 0, cosHeading = 1, sinHeading = 0;
    double nearLimit = 0, farLimit = 1;
    int32_t W = 0, H = 0;
    uint32_t farColour = 0, farAlpha = 255;
    bool transparent = false, toHorizon = false;
    const TPicture* ceilingPicture = nullptr;
    const TPicture* floorPicture = nullptr;
};

// The colour (0xAARRGGBB) seen through grid point (i, j); j counts up from the picture's
// bottom edge, as the camera's vertical axis does.
uint32_t gridColour(const TFloorView& f, int32_t i, int32_t j)
{
    const double x = i - (f.W + 1) / 2.0, y = j - (f.H + 1) / 2.0;
    const double K = y * f.cosPitch - f.screen * f.sinPitch;
    const double N = y * f.sinPitch + f.screen * f.cosPitch;
    const double R = x * f.cosHeading - N * f.sinHeading;
    const double S = x * f.sinHeading + N * f.cosHeading;
    double u, v;
    if (K == 0.0) {
        u = 0.0;
        v = 1073741824.0; // the horizon: as far as a ray can go
    } else {
        const double t = ((K > 0.0 ? f.ceiling : 0.0) - f.z0) / K;
        u = f.cx + t * R;
        v = f.cy + t * S;
    }
    const double du = u - f.cx, dv = v - f.cy;
    const double raw = std::sqrt(du * du + dv * dv);
    if (!f.toHorizon && !(raw <= f.farLimit))
        return 0; // beyond the far distance: nothing drawn
    const double distance = std::isfinite(raw) ? std::clamp(raw, f.nearLimit, f.farLimit) : f.farLimit;
    const TPicture& picture = K >= 0.0 ? *f.ceilingPicture : *f.floorPicture;
    if (K >= 0.0)
        v = -v;
    const uint32_t texel = picture.pixels[size_t(wrapCoordinate(v, picture.height)) * size_t(picture.width) +
                                          size_t(wrapCoordinate(u, picture.width))];
    if (f.transparent && (texel & 0x00FFFFFFu) == picture.key)
        return 0;
    const uint32_t I = std::min(uint32_t(std::floor(distance) * 255.0 / f.farLimit), 255u);
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= Lerp255((f.farColour >> shift) & 0xFF, (texel >> shift) & 0xFF, I) << shift;
    // The far colour's opacity is the density: a thin fog lets the distance fade away.
    return out | Lerp255(f.farAlpha, texel >> 24, I) << 24;
}

// The mean of four corner colours, colour weighted by alpha.
uint32_t cornerMean(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    const uint32_t corners[4] = {a, b, c, d};
    uint32_t sumA = 0, sum[3] = {0, 0, 0};
    for (uint32_t p : corners) {
        const uint32_t alpha = p >> 24;
        sumA += alpha;
        for (int k = 0; k < 3; ++k)
            sum[k] += alpha * ((p >> (8 * k)) & 0xFF);
    }
    if (sumA == 0)
        return 0;
    uint32_t out = (sumA / 4) << 24;
    for (int k = 0; k < 3; ++k)
        out |= (sum[k] / sumA) << (8 * k);
    return out;
}

} // namespace

bool applyFloor(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                const TRect* clip, const TFloorParams& p, const TMTC* ceilingPicture,
                const TMTC* floorPicture)
{
    if (!std::isfinite(p.cameraHeight) || !std::isfinite(p.heading) || !std::isfinite(p.pitch))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    TPicture fromLayer, ceilingImage, floorImage;
    const bool needLayer = !p.ceilingFromFile || !p.floorFromFile;
    if (needLayer && !pictureOf(frame, fromLayer))
        return false;
    if (p.ceilingFromFile && (!ceilingPicture || !pictureOf(*ceilingPicture, ceilingImage)))
        return false;
    if (p.floorFromFile && (!floorPicture || !pictureOf(*floorPicture, floorImage)))
        return false;

    TFloorView f;
    f.W = frame.width();
    f.H = frame.height();
    const double M = double(std::max(f.W, f.H));
    f.cx = M * p.cameraX / 100.0;
    f.cy = M * p.cameraZ / 100.0;
    f.z0 = M * double(p.cameraHeight) / 100.0;
    f.screen = M * p.screenDistance / 100.0;
    f.ceiling = M * p.ceiling / 100.0;
    f.cosPitch = std::cos(double(p.pitch));
    f.sinPitch = std::sin(double(p.pitch));
    f.cosHeading = std::cos(double(p.heading));
    f.sinHeading = std::sin(double(p.heading));
    const int32_t nearLimit = (f.W + f.H) / 4;
    const double farSlider = std::max(int32_t(p.farDistance), 1) / 100.0;
    f.nearLimit = nearLimit;
    f.farLimit = std::max(std::floor(nearLimit + 199.0 * nearLimit * std::pow(farSlider, 1.5)), 1.0);
    f.farColour = p.farColour;
    f.farAlpha = uint32_t(std::clamp(int64_t(p.density) * 255 / 100, int64_t(0), int64_t(255)));
    f.transparent = p.transparentColour;
    f.toHorizon = p.toHorizon;
    f.ceilingPicture = p.ceilingFromFile ? &ceilingImage : &fromLayer;
    f.floorPicture = p.floorFromFile ? &floorImage : &fromLayer;

    // Two rows of grid points at a time: the pixel row between them takes the mean of its
    // four corners. Layer row y lies between grid rows H − y − 1 and H − y.
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    std::vector<uint32_t> upper(size_t(n) + 1), lower(size_t(n) + 1);
    const bool keepAlpha = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        for (int32_t i = 0; i <= n; ++i) {
            upper[size_t(i)] = gridColour(f, x0 + i, f.H - y);
            lower[size_t(i)] = gridColour(f, x0 + i, f.H - y - 1);
        }
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            const uint32_t c = cornerMean(upper[size_t(i)], upper[size_t(i) + 1], lower[size_t(i)],
                                          lower[size_t(i) + 1]);
            if (p.keepLayer)
                dest[i] = paintOver(dest[i], c, MulTable[c >> 24][m[i]], keepAlpha);
            else
                dest[i] = writeResult(c, dest[i], m[i], keepAlpha);
        }
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TFloorParams& p)
{
    return applyFloor(source, layer, mask, clip, p, nullptr, nullptr);
}

} // namespace qm

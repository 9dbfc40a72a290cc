#include "filters/distort_filters.h"

#include "filters/filter_sampling.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace qm {

namespace {

// The wave's π, as its phase slider uses it.
constexpr double kWavePi = 3.14159;
// Parameters beyond these are not a picture any dialog makes; they are refused before any
// conversion to integers could overflow.
constexpr double kLimit = 1.0e6;

bool finiteAndBounded(std::initializer_list<float> values)
{
    return std::all_of(values.begin(), values.end(),
                       [](float v) { return std::isfinite(v) && std::abs(v) <= kLimit; });
}

uint32_t sampleAt(const CBlockVMTC& image, int64_t px, int64_t py, TSampling sampling)
{
    return sampling == TSampling::Bilinear ? sampleBilinear(image, px, py, true)
                                           : sampleNearestWrapped(image, px, py);
}

// Protect-alpha writes the colour with the mask weight; otherwise the sample is the pixel.
uint32_t writeDisplaced(uint32_t sample, uint32_t p, uint32_t m, bool protectAlpha)
{
    return protectAlpha ? writeColourKeepAlpha(sample, p, m) : sample;
}

} // namespace

bool applyTwist(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                const TRect* clip, const TTwistParams& p, TSampling sampling)
{
    if (!finiteAndBounded({p.centreFractionX, p.centreFractionY, p.turns}))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    if (p.turns == 0.0f)
        return true;
    const int32_t W = frame.width(), H = frame.height();
    const int64_t cx = int64_t(std::floor(double(W) * p.centreFractionX));
    const int64_t cy = int64_t(std::floor(double(H) * p.centreFractionY));
    const double u = double(W / 2) + std::abs(double(cx - W / 2));
    const double v = double(H / 2) + std::abs(double(cy - H / 2));
    const double R = p.centreOnly ? std::min(u, v) : std::sqrt(u * u + v * v);
    if (!(R > 0.0))
        return true;
    const double turn = 2.0 * M_PI * double(p.turns);
    const bool protect = frame.protectAlpha();
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        const double dy = double(y - cy);
        if (p.centreOnly && !(std::abs(dy) < R))
            return;
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            const double dx = double(x0 + i - cx);
            if (p.centreOnly && !(std::abs(dx) < R))
                continue;
            const double rho = std::sqrt(dx * dx + dy * dy);
            if (!(rho < R))
                continue;
            const double angle = turn * (1.0 - rho / R);
            const double c = std::cos(angle), s = std::sin(angle);
            const double sx = double(cx) + (dx * c - dy * s);
            const double sy = double(cy) + (dx * s + dy * c);
            dest[i] = writeDisplaced(sampleAt(source, toFixed(sx), toFixed(sy), sampling), dest[i],
                                     m[i], protect);
        }
    });
}

bool applyWave(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
               const TRect* clip, const TWaveParams& p, TSampling sampling)
{
    if (!finiteAndBounded({p.phase, p.rowWaves, p.columnWaves, p.rowStrength, p.columnStrength}))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    if (p.columnWaves * p.columnStrength == 0.0f && p.rowWaves * p.rowStrength == 0.0f)
        return true;
    const int32_t W = frame.width(), H = frame.height();
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    // The column offsets depend on x only: one table for the whole application.
    std::vector<int64_t> colX(static_cast<size_t>(n)), colY(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const double alpha =
            double(p.columnWaves) * (double(p.phase) + 2.0 * kWavePi * (x0 + i) / W);
        colX[size_t(i)] = toFixed(double(p.columnStrength) * std::cos(alpha));
        colY[size_t(i)] = toFixed(double(p.columnStrength) * std::sin(alpha));
    }
    const bool protect = frame.protectAlpha();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        const double beta = double(p.rowWaves) * (double(p.phase) + 2.0 * kWavePi * y / H);
        const int64_t rowX = toFixed(double(p.rowStrength) * std::cos(beta));
        const int64_t rowY = toFixed(double(p.rowStrength) * std::sin(beta));
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            const int64_t px = int64_t(x0 + i) * 65536 + colX[size_t(i)] + rowX;
            const int64_t py = int64_t(y) * 65536 + colY[size_t(i)] + rowY;
            dest[i] = writeDisplaced(sampleAt(source, px, py, sampling), dest[i], m[i], protect);
        }
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TTwistParams& p)
{
    return applyTwist(source, layer, mask, clip, p, TSampling::Bilinear);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TWaveParams& p)
{
    return applyWave(source, layer, mask, clip, p, TSampling::Bilinear);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TEmbossParams& p)
{
    if (!finiteAndBounded({p.height, p.angle}))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const int64_t ux = toFixed(double(p.height) * std::cos(double(p.angle)));
    const int64_t uy = toFixed(double(p.height) * std::sin(double(p.angle)));
    const bool keepAlpha = frame.protectAlpha();
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            const int64_t px = int64_t(x0 + i) * 65536, py = int64_t(y) * 65536;
            const uint32_t t = sampleBilinear(source, px - ux, py - uy, true);
            const uint32_t u = sampleBilinear(source, px + ux, py + uy, true);
            uint32_t v = ((t >> 24) + (u >> 24)) / 2 << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                // Integer division halves towards zero.
                const int32_t d = int32_t((t >> shift) & 0xFF) - int32_t((u >> shift) & 0xFF);
                v |= uint32_t(128 + d / 2) << shift;
            }
            dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

} // namespace qm

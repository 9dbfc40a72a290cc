#include "filters/blur_filters.h"

#include "filters/filter_sampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// Running sums of a set of samples: ΣA and Σ A·C per colour channel.
struct TAlphaSums {
    uint64_t a = 0, b = 0, g = 0, r = 0;
    void add(uint32_t p)
    {
        const uint32_t alpha = p >> 24;
        a += alpha;
        b += alpha * (p & 0xFF);
        g += alpha * ((p >> 8) & 0xFF);
        r += alpha * ((p >> 16) & 0xFF);
    }
    // Colour the alpha-weighted mean, alpha ΣA / count (ΣA must be non-zero).
    uint32_t mean(uint64_t count) const
    {
        return uint32_t(a / count) << 24 | uint32_t(r / a) << 16 | uint32_t(g / a) << 8 |
               uint32_t(b / a);
    }
};

// The box of radius r (1 for 3 × 3, 2 for 5 × 5) from column sums over the 2r + 1 rows.
bool boxBlur(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
             const TRect* clip, int32_t r)
{
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const bool keepAlpha = frame.protectAlpha();
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    const int32_t span = std::max(n, 0) + 2 * r; // columns x0 − r … x0 + n + r − 1
    const uint32_t pixels = uint32_t((2 * r + 1) * (2 * r + 1));
    std::vector<uint32_t> row(static_cast<size_t>(span));
    std::vector<uint32_t> colA(static_cast<size_t>(span)), colB(static_cast<size_t>(span)), colG(static_cast<size_t>(span)),
        colR(static_cast<size_t>(span));
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        std::fill(colA.begin(), colA.end(), 0u);
        std::fill(colB.begin(), colB.end(), 0u);
        std::fill(colG.begin(), colG.end(), 0u);
        std::fill(colR.begin(), colR.end(), 0u);
        for (int32_t dy = -r; dy <= r; ++dy) {
            frame.sourceRow(x0 - r, y + dy, span, row.data());
            for (int32_t i = 0; i < span; ++i) {
                const uint32_t p = row[size_t(i)], a = p >> 24;
                colA[size_t(i)] += a;
                colB[size_t(i)] += a * (p & 0xFF);
                colG[size_t(i)] += a * ((p >> 8) & 0xFF);
                colR[size_t(i)] += a * ((p >> 16) & 0xFF);
            }
        }
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            uint32_t sa = 0, sb = 0, sg = 0, sr = 0;
            for (int32_t k = 0; k <= 2 * r; ++k) {
                sa += colA[size_t(i + k)];
                sb += colB[size_t(i + k)];
                sg += colG[size_t(i + k)];
                sr += colR[size_t(i + k)];
            }
            if (sa == 0)
                continue;
            const uint32_t v = (sa / pixels) << 24 | (sr / sa) << 16 | (sg / sa) << 8 | sb / sa;
            dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

// Averages `count` whole-pixel samples at 16.16 positions start + k·step.
template <typename Frame>
bool lineBlurRows(Frame& frame, const CBlockVMTC& source, int64_t count,
                  void (*positions)(int32_t, int32_t, const void*, int64_t&, int64_t&, int64_t&,
                                    int64_t&),
                  const void* context)
{
    const bool keepAlpha = frame.protectAlpha();
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            int64_t px, py, sx, sy;
            positions(x0 + i, y, context, px, py, sx, sy);
            TAlphaSums sums;
            for (int64_t k = 0; k < count; ++k, px += sx, py += sy)
                sums.add(pixelOrTransparent(source, wholeTowardsZero(px), wholeTowardsZero(py)));
            if (sums.a == 0)
                continue;
            dest[i] = writeResult(sums.mean(uint64_t(count)), dest[i], m[i], keepAlpha);
        }
    });
}

struct TMotionLine {
    int64_t cx, cy, sx, sy;
};

struct TZoomLine {
    int32_t cx, cy, amount;
    double g;
};

} // namespace

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TBlurParams&)
{
    return boxBlur(source, layer, mask, clip, 1);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TStrongBlurParams&)
{
    return boxBlur(source, layer, mask, clip, 2);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMotionBlurParams& p)
{
    if (p.amount < 0 || p.amount > 10000 || !std::isfinite(p.angle))
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const double c = std::cos(double(p.angle)), s = std::sin(double(p.angle));
    const TMotionLine line{toFixed(p.amount * c), toFixed(p.amount * s), toFixed(-2.0 * c / 3.0),
                           toFixed(-2.0 * s / 3.0)};
    const int64_t count = int64_t(3) * p.amount + 1;
    return lineBlurRows(
        frame, source, count,
        [](int32_t x, int32_t y, const void* ctx, int64_t& px, int64_t& py, int64_t& sx,
           int64_t& sy) {
            const auto& l = *static_cast<const TMotionLine*>(ctx);
            px = int64_t(x) * 65536 + l.cx;
            py = int64_t(y) * 65536 + l.cy;
            sx = l.sx;
            sy = l.sy;
        },
        &line);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TZoomBlurParams& p)
{
    if (p.amount < 0 || p.amount > 10000)
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const int32_t hw = frame.width() / 2, hh = frame.height() / 2;
    double g = std::sqrt(double(hw) * hw + double(hh) * hh);
    if (g == 0.0)
        g = 1.0; // a single pixel: no direction to zoom along
    const TZoomLine line{p.centreX, p.centreY, p.amount, g};
    return lineBlurRows(
        frame, source, int64_t(2) * p.amount + 1,
        [](int32_t x, int32_t y, const void* ctx, int64_t& px, int64_t& py, int64_t& sx,
           int64_t& sy) {
            const auto& l = *static_cast<const TZoomLine*>(ctx);
            const int64_t ox = toFixed((double(x) - l.cx) * l.amount / l.g / 2.0);
            const int64_t oy = toFixed((double(y) - l.cy) * l.amount / l.g / 2.0);
            px = int64_t(x) * 65536 - ox;
            py = int64_t(y) * 65536 - oy;
            sx = l.amount > 0 ? ox / l.amount : 0;
            sy = l.amount > 0 ? oy / l.amount : 0;
        },
        &line);
}

} // namespace qm

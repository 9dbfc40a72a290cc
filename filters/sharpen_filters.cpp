#include "filters/sharpen_filters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

bool fixedSharpen(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                  const TRect* clip, const TPixelMatrix& w)
{
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    const int32_t H = frame.height();
    const int32_t sum = w.above + w.self + w.below == 0 ? 1 : w.above + w.self + w.below;
    std::vector<uint32_t> up(static_cast<size_t>(n)), mid(static_cast<size_t>(n)), down(static_cast<size_t>(n));
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, std::max(y - 1, 0), n, up.data());
        frame.sourceRow(x0, y, n, mid.data());
        frame.sourceRow(x0, std::min(y + 1, H - 1), n, down.data());
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            uint32_t v = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int32_t c = (w.above * int32_t((up[size_t(i)] >> shift) & 0xFF) +
                                   w.self * int32_t((mid[size_t(i)] >> shift) & 0xFF) +
                                   w.below * int32_t((down[size_t(i)] >> shift) & 0xFF)) /
                                  sum;
                v |= uint32_t(std::clamp(c, 0, 255)) << shift;
            }
            dest[i] = writeColourKeepAlpha(v, dest[i], m[i]);
        }
    });
}

} // namespace

double sharpenCentreWeight(double strength)
{
    const double u = 1.0 - strength;
    return 15.9 * u * u * u + 4.1;
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TSharpenParams&)
{
    return fixedSharpen(source, layer, mask, clip, kSharpenWeights);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TStrongSharpenParams&)
{
    return fixedSharpen(source, layer, mask, clip, kStrongSharpenWeights);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TAdjustableSharpenParams& p)
{
    // Beyond 1 the centre weight falls towards the neighbours' sum and the divisor to 0.
    if (!std::isfinite(p.strength) || p.strength > 1.0f)
        return false;
    if (p.strength <= 0.0f)
        return true;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const double w = sharpenCentreWeight(p.strength), divisor = w - 4.0;
    const bool keepAlpha = frame.protectAlpha();
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    const int32_t W = frame.width(), H = frame.height();
    // One extra column either side, taken from the clamped edge.
    std::vector<uint32_t> up(size_t(n + 2)), mid(size_t(n + 2)), down(size_t(n + 2));
    const auto readClamped = [&](int32_t y, std::vector<uint32_t>& row) {
        frame.sourceRow(x0, std::clamp(y, 0, H - 1), n, row.data() + 1);
        const int32_t sy = std::clamp(y, 0, H - 1);
        row[0] = source.GetPixel(std::max(x0 - 1, 0), sy);
        row[size_t(n + 1)] = source.GetPixel(std::min(x0 + n, W - 1), sy);
    };
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        readClamped(y - 1, up);
        readClamped(y, mid);
        readClamped(y + 1, down);
        for (int32_t i = 0; i < n; ++i) {
            if (m[i] == 0)
                continue;
            const size_t j = size_t(i + 1);
            uint32_t v = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const auto ch = [shift](uint32_t px) { return double((px >> shift) & 0xFF); };
                const double c = (w * ch(mid[j]) - ch(up[j]) - ch(down[j]) - ch(mid[j - 1]) -
                                  ch(mid[j + 1])) /
                                 divisor;
                const double t = std::trunc(c);
                v |= uint32_t(t <= 0.0 ? 0 : t >= 255.0 ? 255 : int32_t(t)) << shift;
            }
            dest[i] = writeResult(v, dest[i], m[i], keepAlpha);
        }
    });
}

} // namespace qm

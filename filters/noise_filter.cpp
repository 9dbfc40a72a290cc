#include "filters/noise_filter.h"

#include "filters/filter_random.h"

#include <algorithm>
#include <vector>

namespace qm {

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TNoiseParams& p)
{
    if (p.amount < 0)
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    TFilterRandom random(0);
    const int32_t half = p.amount / 2;
    const int32_t x0 = frame.workRect().left, n = std::max(frame.workRect().width(), 0);
    std::vector<uint32_t> src(static_cast<size_t>(n));
    const auto offsetChannel = [](uint32_t px, int shift, int32_t offset) {
        return uint32_t(std::clamp(int32_t((px >> shift) & 0xFF) + offset, 0, 255)) << shift;
    };
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, y, n, src.data());
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t s = src[size_t(i)];
            // Only these pixels draw numbers: the sequence depends on which pixels are visible.
            if ((s >> 24) == 0 || m[i] == 0)
                continue;
            int32_t r, g, b;
            if (p.monochrome) {
                r = g = b = random.below(p.amount) - half;
            } else {
                r = random.below(p.amount) - half;
                g = random.below(p.amount) - half;
                b = random.below(p.amount) - half;
            }
            const uint32_t v = offsetChannel(s, 16, r) | offsetChannel(s, 8, g) |
                               offsetChannel(s, 0, b);
            dest[i] = writeColourKeepAlpha(v, dest[i], m[i]);
        }
    });
}

} // namespace qm

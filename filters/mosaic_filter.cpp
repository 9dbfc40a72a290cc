#include "filters/mosaic_filter.h"

#include <algorithm>
#include <vector>

namespace qm {

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMosaicParams& p)
{
    if (p.blockSize < 2)
        return false;
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    if (frame.empty())
        return true;
    const int64_t size = p.blockSize;
    const TRect& work = frame.workRect();
    const int32_t W = frame.width(), H = frame.height();
    // Block columns covering the work rectangle, each spanning [bx·size, bx·size + size).
    const int32_t firstBlock = int32_t(work.left / size);
    const int32_t lastBlock = int32_t((work.right - 1) / size);
    const int32_t blocks = lastBlock - firstBlock + 1;
    const int32_t rowLeft = int32_t(std::max<int64_t>(firstBlock * size, 0));
    const int32_t rowRight = int32_t(std::min<int64_t>((lastBlock + 1) * size, W));
    const int32_t rowWidth = rowRight - rowLeft;
    std::vector<uint32_t> row(static_cast<size_t>(rowWidth));
    std::vector<uint32_t> colour(static_cast<size_t>(blocks));
    std::vector<uint8_t> hasColour(static_cast<size_t>(blocks));
    int64_t bandTop = -1;
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        const int64_t top = (y / size) * size;
        if (top != bandTop) {
            // A new band of blocks: sum its rows once.
            bandTop = top;
            std::vector<uint64_t> sa(static_cast<size_t>(blocks)), sb(static_cast<size_t>(blocks)), sg(static_cast<size_t>(blocks)),
                sr(static_cast<size_t>(blocks)), count(static_cast<size_t>(blocks));
            const int32_t bottom = int32_t(std::min<int64_t>(top + size, H));
            for (int32_t sy = int32_t(top); sy < bottom; ++sy) {
                frame.sourceRow(rowLeft, sy, rowWidth, row.data());
                for (int32_t i = 0; i < rowWidth; ++i) {
                    const size_t b = size_t((rowLeft + i) / size - firstBlock);
                    const uint32_t px = row[size_t(i)], a = px >> 24;
                    sa[b] += a;
                    sb[b] += uint64_t(a) * (px & 0xFF);
                    sg[b] += uint64_t(a) * ((px >> 8) & 0xFF);
                    sr[b] += uint64_t(a) * ((px >> 16) & 0xFF);
                    ++count[b];
                }
            }
            for (size_t b = 0; b < size_t(blocks); ++b) {
                // A wholly transparent block has no colour to spread; it is left alone.
                hasColour[b] = sa[b] != 0;
                if (hasColour[b])
                    colour[b] = uint32_t(sa[b] / count[b]) << 24 | uint32_t(sr[b] / sa[b]) << 16 |
                                uint32_t(sg[b] / sa[b]) << 8 | uint32_t(sb[b] / sa[b]);
            }
        }
        const bool keepAlpha = frame.protectAlpha();
        for (int32_t i = 0; i < work.width(); ++i) {
            const size_t b = size_t((work.left + i) / size - firstBlock);
            if (m[i] == 0 || !hasColour[b])
                continue;
            dest[i] = writeResult(colour[b], dest[i], m[i], keepAlpha);
        }
    });
}

} // namespace qm

// The box filter of image_scale.h read straight from the blocks of a tiled image.
//
// boxFilterDownscale asks for every sample through a pixel callback, which for a tiled image
// means a block lookup per sample; a thumbnail of a large layer reads every pixel once or
// more that way. This version gives exactly the same bytes: for each destination row it first
// sums the source rows down every source column it needs (one block at a time, a block
// without storage adding its Fill times the number of rows it covers), then adds those column
// sums across each destination pixel. The lane sums are 32-bit as in the generic filter; the
// additions are only regrouped, and unsigned sums wrap alike in any order, so the means are
// the same even for sample counts large enough to wrap.
#pragma once

#include "core/image_scale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm {

// The low `Lanes` bytes of a pixel, each in its own 16-bit lane, so that one 64-bit add sums
// all of them (the summing loop then vectorises and needs no per-byte shifts).
template <int Lanes>
inline uint64_t spreadLanes(uint32_t p)
{
    static_assert(Lanes >= 1 && Lanes <= 4);
    uint64_t q = p;
    q = (q | (q << 16)) & 0x0000FFFF0000FFFFull;
    q = (q | (q << 8)) & 0x00FF00FF00FF00FFull;
    return Lanes == 4 ? q : q & ((uint64_t(1) << (16 * Lanes)) - 1);
}

// Same contract as boxFilterDownscale, with the source image in place of pixelAt: Image is a
// tiled image (CBlockImageOf) read without allocating; blocks without storage read as their
// Fill, as GetPixel gives them.
template <int Lanes, typename Image, typename Store>
void boxFilterDownscaleTiled(const Image& source, TBox box, int32_t destWidth, int32_t destHeight,
                             TBox part, Store&& store)
{
    using Pixel = decltype(source.GetPixel(0, 0));
    const int32_t sourceWidth = source.width(), sourceHeight = source.height();
    if (!source.IsValid() || sourceWidth <= 0 || sourceHeight <= 0 ||
        !clipBoxToSize(part, destWidth, destHeight))
        return;
    const int64_t stepX = (int64_t(box.width) << 10) / destWidth;
    const int64_t stepY = (int64_t(box.height) << 10) / destHeight;
    const int32_t countX = box.width / destWidth + 1;
    const int32_t countY = box.height / destHeight + 1;
    const uint32_t samples = uint32_t(countX) * uint32_t(countY);
    const auto clampX = [&](int64_t x) {
        return int32_t(std::clamp<int64_t>(x, 0, sourceWidth - 1));
    };
    const auto clampY = [&](int64_t y) {
        return int32_t(std::clamp<int64_t>(y, 0, sourceHeight - 1));
    };

    // The source columns any destination pixel of the part reads (clamping keeps order).
    const int32_t low = clampX(box.x + ((stepX * part.x) >> 10));
    const int32_t high = clampX(box.x + ((stepX * (part.x + part.width - 1)) >> 10) + countX - 1);
    const int32_t shift = source.blockShift(), mask = source.blockMask();
    const int32_t across = source.blocksAcross();
    const auto& blocks = source.blocks();
    std::vector<uint32_t> columns(size_t(high - low + 1) * Lanes);
    std::vector<uint64_t> spread(size_t(source.blockWidth()));

    for (int32_t y = part.y; y < part.y + part.height; ++y) {
        const int64_t sy = box.y + ((stepY * y) >> 10);
        std::fill(columns.begin(), columns.end(), 0u);
        // The clamped rows never decrease with j, so rows in one block row come together.
        for (int32_t j = 0; j < countY;) {
            const int32_t blockRow = clampY(sy + j) >> shift;
            int32_t end = j + 1;
            while (end < countY && (clampY(sy + end) >> shift) == blockRow)
                ++end;
            const auto rowsHere = uint32_t(end - j);
            for (int32_t bx = low >> shift; bx <= high >> shift; ++bx) {
                const auto& block = blocks[size_t(bx + blockRow * across)];
                const int32_t x0 = std::max(low, bx << shift);
                const int32_t x1 = std::min(high, ((bx + 1) << shift) - 1);
                uint32_t* column = &columns[size_t(x0 - low) * Lanes];
                const int32_t n = x1 - x0 + 1;
                if (!block.allocated) {
                    const auto fill = uint32_t(Pixel(block.fill));
                    uint32_t add[Lanes];
                    for (int k = 0; k < Lanes; ++k)
                        add[k] = ((fill >> (8 * k)) & 0xFF) * rowsHere;
                    for (int32_t i = 0; i < n; ++i)
                        for (int k = 0; k < Lanes; ++k)
                            column[i * Lanes + k] += add[k];
                    continue;
                }
                // A group is one block row plus any rows clamped onto the last one, far fewer
                // than the 257 rows of 255 that fill a 16-bit lane; emptying the lanes into
                // the columns every 256 rows keeps that true for any block size.
                for (int32_t r = j; r < end; r += 256) {
                    const int32_t chunkEnd = std::min(end, r + 256);
                    for (int32_t i = 0; i < n; ++i)
                        spread[size_t(i)] = 0;
                    for (int32_t t = r; t < chunkEnd; ++t) {
                        const Pixel* row =
                            source.blockRow(block, clampY(sy + t) & mask) + (x0 & mask);
                        for (int32_t i = 0; i < n; ++i)
                            spread[size_t(i)] += spreadLanes<Lanes>(uint32_t(row[i]));
                    }
                    for (int32_t i = 0; i < n; ++i)
                        for (int k = 0; k < Lanes; ++k)
                            column[i * Lanes + k] +=
                                uint32_t(spread[size_t(i)] >> (16 * k)) & 0xFFFF;
                }
            }
            j = end;
        }
        for (int32_t x = part.x; x < part.x + part.width; ++x) {
            const int64_t sx = box.x + ((stepX * x) >> 10);
            uint32_t sum[Lanes] = {};
            if (sx >= 0 && sx + countX <= sourceWidth) {
                const uint32_t* column = &columns[size_t(sx - low) * Lanes];
                for (int32_t i = 0; i < countX * Lanes; i += Lanes)
                    for (int k = 0; k < Lanes; ++k)
                        sum[k] += column[i + k];
            } else {
                for (int32_t i = 0; i < countX; ++i) {
                    const uint32_t* column = &columns[size_t(clampX(sx + i) - low) * Lanes];
                    for (int k = 0; k < Lanes; ++k)
                        sum[k] += column[k];
                }
            }
            uint32_t means = 0;
            for (int k = 0; k < Lanes; ++k)
                means |= (sum[k] / samples) << (8 * k);
            store(x, y, means);
        }
    }
}

} // namespace qm

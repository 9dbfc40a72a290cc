#include "paint/brush_rows.h"

#include "core/pixel_math.h"
#include "paint/brush_plot.h"

namespace qm {

namespace {

// Written in 16-bit lanes so that plain x86-64 vectorises it with 16-bit multiplies.
inline void mixColourRowBody(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count)
{
    const uint16_t cb = uint16_t(colour & 0xFF);
    const uint16_t cg = uint16_t((colour >> 8) & 0xFF);
    const uint16_t cr = uint16_t((colour >> 16) & 0xFF);
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = row[i];
        const uint16_t w = weight[i];
        const uint16_t rest = uint16_t(255 - w);
        const uint16_t sb = uint16_t(cb * w + uint16_t(p & 0xFF) * rest);
        const uint16_t sg = uint16_t(cg * w + uint16_t((p >> 8) & 0xFF) * rest);
        const uint16_t sr = uint16_t(cr * w + uint16_t((p >> 16) & 0xFF) * rest);
        const uint32_t b = uint16_t(sb + 1 + (sb >> 8)) >> 8;
        const uint32_t g = uint16_t(sg + 1 + (sg >> 8)) >> 8;
        const uint32_t r = uint16_t(sr + 1 + (sr >> 8)) >> 8;
        row[i] = (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
}

} // namespace

void mixColourRowPortable(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count)
{
    mixColourRowBody(row, weight, colour, count);
}

__attribute__((target("avx2"))) void mixColourRowAvx2(uint32_t* row, const uint8_t* weight,
                                                      uint32_t colour, int32_t count)
{
    mixColourRowBody(row, weight, colour, count);
}

void mixColourRowReference(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        row[i] = mixColour(row[i], colour, weight[i]);
}

void mixColourRow(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count)
{
    if (cpuHasAvx2())
        mixColourRowAvx2(row, weight, colour, count);
    else
        mixColourRowPortable(row, weight, colour, count);
}

void blendOverRow(uint32_t* row, const uint8_t* weight, uint32_t colour, int32_t count)
{
    // Over an opaque pixel the blend is a plain mix (w = 255 gives the colour itself), so
    // opaque stretches go through the vector kernel.
    int32_t i = 0;
    while (i < count) {
        int32_t end = i;
        // Eight at a time while all are opaque, then one by one.
        while (end + 8 <= count && (row[end] & row[end + 1] & row[end + 2] & row[end + 3] &
                                    row[end + 4] & row[end + 5] & row[end + 6] & row[end + 7]) >>
                                           24 ==
                                       255)
            end += 8;
        while (end < count && (row[end] >> 24) == 255)
            ++end;
        if (end > i) {
            mixColourRow(row + i, weight + i, colour, end - i);
            i = end;
            continue;
        }
        row[i] = blendOver(row[i], colour, weight[i]);
        ++i;
    }
}

} // namespace qm

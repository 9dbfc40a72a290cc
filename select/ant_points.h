// The marching ants: the outline of a mask as four lists of edge points, and the rule that
// draws them into a 32-bit BGRA surface (0xAARRGGBB) in black and white stripes that crawl.
#pragma once

#include "core/dib_core.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

// An append-only list of points in blocks of 1024, so appending never moves what is there.
class CPointList {
public:
    static constexpr int32_t kBlockPoints = 1024;

    CPointList() { clear(); }
    void append(int32_t x, int32_t y);
    // Frees every block and starts again with one empty block.
    void clear();
    int32_t size() const { return (int32_t(blocks_.size()) - 1) * kBlockPoints + (kBlockPoints - free_); }
    bool empty() const { return size() == 0; }
    TPoint at(int32_t i) const
    {
        const auto& block = *blocks_[size_t(i / kBlockPoints)];
        return block[size_t(i % kBlockPoints)];
    }
    int32_t blockCount() const { return int32_t(blocks_.size()); }

private:
    std::vector<std::unique_ptr<std::array<TPoint, kBlockPoints>>> blocks_;
    int32_t free_ = kBlockPoints;
};

class CAntPoints {
public:
    static constexpr uint8_t kBasePattern = 204; // 11001100: two black, two white

    // Clears the lists and collects the edges of the non-zero pixels of a channel.
    void extract(const TChannel& channel);
    void clear();
    bool HasAnts() const { return !left.empty() && !right.empty() && !top.empty() && !bottom.empty(); }
    // One animation step: the pattern rotates right by one bit.
    void step() { pattern = uint8_t((pattern >> 1) | (pattern << 7)); }

    uint8_t pattern = kBasePattern;
    TPoint offset{};
    CPointList left, right, top, bottom;
};

// The view the ants are drawn in: its scale and rotation in 16.16 fixed point.
struct TAntsView {
    int32_t scale = 65536;
    int32_t sine = 0;
    int32_t cosine = 65536;
};

// Draws the ants into the surface: each point is taken to view coordinates by toView
// (x, y → TPointF), truncated after adding 0.01, moved by the ants offset, kept only inside
// the clip box; right and bottom edges shift by one pixel (outwards below scale 1.0, inwards
// otherwise); each point draws a run of ⌊z + 0.625⌋ pixels when zoomed in (one otherwise)
// along the edge's direction in the rotated view.
template <typename ToView>
void drawAnts(const CAntPoints& ants, TMTC& surface, TBox clip, const TAntsView& view,
              ToView&& toView)
{
    if (!ants.HasAnts() || !surface.IsValid())
        return;
    const int32_t z = view.scale;
    const int32_t run = z > 0xFFFF ? (z + 40960) >> 16 : 1;
    const int32_t shift = z < 65536 ? 1 : -1;
    const auto plot = [&](int32_t x, int32_t y) {
        if (!surface.contains(x, y))
            return;
        const uint32_t bit = 0x80u >> ((x + y) & 7);
        surface.row(y)[x] = (bit & ants.pattern) ? 0xFF000000u : 0xFFFFFFFFu;
    };
    const auto drawList = [&](const CPointList& list, bool alongY, bool shiftX, bool shiftY) {
        // Left and right edges run down the rotated view's y axis, top and bottom along x.
        const int64_t stepX = alongY ? view.sine : view.cosine;
        const int64_t stepY = alongY ? view.cosine : -int64_t(view.sine);
        for (int32_t i = 0; i < list.size(); ++i) {
            const TPoint p = list.at(i);
            const TPointF v = toView(float(p.x), float(p.y));
            int32_t x = int32_t(v.x + 0.01f) + ants.offset.x;
            int32_t y = int32_t(v.y + 0.01f) + ants.offset.y;
            if (x < clip.x || y < clip.y || x >= clip.x + clip.width || y >= clip.y + clip.height)
                continue;
            x += shiftX ? shift : 0;
            y += shiftY ? shift : 0;
            int64_t ax = int64_t(x) * 65536, ay = int64_t(y) * 65536;
            for (int32_t k = 0; k < run; ++k, ax += stepX, ay += stepY)
                plot(int32_t((ax + 0x6000) / 0x10000), int32_t((ay + 0x6000) / 0x10000));
        }
    };
    drawList(ants.left, true, false, false);
    drawList(ants.top, false, false, false);
    drawList(ants.right, true, true, false);
    drawList(ants.bottom, false, false, true);
}

} // namespace qm

// The marching ants: the outline of a mask as four lists of edge points, and the rule that
// draws them into a 32-bit BGRA surface (0xAARRGGBB) in black and white stripes that crawl.
//
// A big selection has millions of edge points but a window shows only a part of them, and the
// ants are redrawn on every animation tick. So extraction also builds, for each list, a line
// index: the lists hold their points line by line (rows for left and right edges, columns for
// top and bottom edges), and the index keeps each point's coordinate along its line in 16 bits
// with marks of where each line's points lie. Drawing maps the clip box back to the paper and
// reads only the parts of lines that can land in it.
#pragma once

#include "core/dib_core.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace qm {

// An append-only list of points in blocks of 1024, so appending never moves what is there.
class CPointList {
  public:
    static constexpr int32_t kBlockPoints = 1024;

    CPointList() { clear(); }
    void append(int32_t x, int32_t y)
    {
        if (free_ == 0) addBlock();
        (*blocks_.back())[size_t(kBlockPoints - free_)] = {x, y};
        --free_;
    }
    // Frees every block and starts again with one empty block.
    void clear();
    int32_t size() const
    {
        return (int32_t(blocks_.size()) - 1) * kBlockPoints + (kBlockPoints - free_);
    }
    bool empty() const { return size() == 0; }
    TPoint at(int32_t i) const
    {
        const auto& block = *blocks_[size_t(i / kBlockPoints)];
        return block[size_t(i % kBlockPoints)];
    }
    int32_t blockCount() const { return int32_t(blocks_.size()); }

    // fn(const TPoint* points, int32_t n) for the points begin … end − 1, in stretches that
    // each lie in one block.
    template <typename Fn> void forStretches(int32_t begin, int32_t end, Fn&& fn) const
    {
        while (begin < end) {
            const int32_t offset = begin % kBlockPoints;
            const int32_t n = std::min(end - begin, kBlockPoints - offset);
            fn(blocks_[size_t(begin / kBlockPoints)]->data() + offset, n);
            begin += n;
        }
    }

  private:
    void addBlock();

    std::vector<std::unique_ptr<std::array<TPoint, kBlockPoints>>> blocks_;
    int32_t free_ = kBlockPoints;
};

// The line index of one list, whose points lie line by line, each line sorted along it: every
// point's coordinate along its line, and every 128 pixels along each line a mark with the index
// of the line's first point at or past that position.
class TLineIndex {
  public:
    static constexpr int32_t kShift = 7;
    static constexpr int32_t kMaxExtent = 65535; // coordinates along a line fit 16 bits

    // Starts an index of `lines` lines whose coordinates go from 0 to extent (at most
    // kMaxExtent); lines are then filled in order: beginLine, point for each point, endLine.
    void reset(int32_t lines, int32_t extent);
    void beginLine(int32_t line)
    {
        base_ = size_t(line) * size_t(perLine_);
        next_ = 0;
    }
    void point(int32_t along)
    {
        const int32_t k = std::min(along >> kShift, perLine_ - 2);
        while (next_ <= k)
            marks_[base_ + size_t(next_++)] = int32_t(along_.size());
        along_.push_back(uint16_t(along));
    }
    void endLine()
    {
        while (next_ < perLine_)
            marks_[base_ + size_t(next_++)] = int32_t(along_.size());
    }

    int32_t lines() const { return lines_; }
    int32_t size() const { return int32_t(along_.size()); }
    // True once every line has been ended.
    bool complete() const { return lines_ > 0 && marks_.back() == size(); }
    const uint16_t* along() const { return along_.data(); }
    int32_t lineEnd(int32_t line) const { return marks_[size_t(line) * perLine_ + perLine_ - 1]; }
    // An index of the line before which no point of the line is at `from` or more.
    int32_t startFor(int32_t line, int32_t from) const
    {
        const int32_t k = std::clamp(from >> kShift, 0, perLine_ - 2);
        return marks_[size_t(line) * perLine_ + size_t(k)];
    }
    // An index of the line from which on no point of the line is at `to` or less.
    int32_t endFor(int32_t line, int32_t to) const
    {
        const int32_t k = std::clamp((to >> kShift) + 1, 0, perLine_ - 1);
        return marks_[size_t(line) * perLine_ + size_t(k)];
    }

    // Asks the processor to fetch what a line holds between from and to into the cache.
    void prefetch(int32_t line, int32_t from, int32_t to) const
    {
        const int32_t end = endFor(line, to);
        for (int32_t i = startFor(line, from); i < end; i += 32) // 32 coordinates to a cache line
            __builtin_prefetch(along_.data() + i);
    }

  private:
    int32_t lines_ = 0;
    int32_t perLine_ = 0; // one mark per 128 pixels and one for the line's end
    std::vector<int32_t> marks_;
    std::vector<uint16_t> along_;
    size_t base_ = 0;
    int32_t next_ = 0;
};

class CAntPoints {
  public:
    static constexpr uint8_t kBasePattern = 204; // 11001100: two black, two white

    // Clears the lists and collects the edges of the non-zero pixels of a channel: left and
    // right edges row by row from the top, top and bottom edges column by column from the
    // left, each line in increasing order.
    void extract(const TChannel& channel);
    void clear();
    bool HasAnts() const
    {
        return !left.empty() && !right.empty() && !top.empty() && !bottom.empty();
    }
    // One animation step: the pattern rotates right by one bit.
    void step() { pattern = uint8_t((pattern >> 1) | (pattern << 7)); }

    // The line indexes: rows for left and right, columns for top and bottom.
    struct TIndex {
        TLineIndex left, right, top, bottom;
    };
    const TIndex& index() const { return index_; }
    // True while the indexes describe the lists (they were filled by extract, from a channel
    // within the 16-bit extent, and not appended to since); drawing walks every point otherwise.
    bool indexed() const;

    uint8_t pattern = kBasePattern;
    TPoint offset{};
    CPointList left, right, top, bottom;

  private:
    TIndex index_;
};

// The view the ants are drawn in: its scale and rotation in 16.16 fixed point.
struct TAntsView {
    int32_t scale = 65536;
    int32_t sine = 0;
    int32_t cosine = 65536;
};

// Any 32-bit surface the ants can be drawn into, such as a window's own image: row y starts
// at pixels + y × stride (stride in pixels, negative for bottom-up storage).
struct TAntsSurface {
    uint32_t* pixels = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;

    static TAntsSurface of(TMTC& image)
    {
        if (!image.IsValid() || image.width() <= 0 || image.height() <= 0) return {};
        const int32_t stride =
            image.height() > 1 ? int32_t(image.row(1) - image.row(0)) : image.width();
        return {image.row(0), stride, image.width(), image.height()};
    }
    bool valid() const { return pixels != nullptr && width > 0 && height > 0; }
    bool contains(int32_t x, int32_t y) const
    {
        return uint32_t(x) < uint32_t(width) && uint32_t(y) < uint32_t(height);
    }
    uint32_t& at(int32_t x, int32_t y) const { return pixels[int64_t(y) * stride + x]; }
};

// The part of the paper whose points can land in a clip box: the clip box (widened by the
// truncation and a safety margin) taken back to paper coordinates is a parallelogram, and each
// row (column) of it is one span of x (y). Found from the view transform alone, which must be
// affine (scale, rotation and translation, as a paper's view is): its matrix is read off
// toView at three corners of a square and checked at the square's other corner, edge middles
// and centre.
class TAntsCulling {
  public:
    static constexpr int32_t kProbe = 4096; // side of the square the transform is read off

    // False when the transform is not affine or not invertible, or the box is empty; draw
    // everything then.
    template <typename ToView> bool build(ToView& toView, TBox clip, TPoint offset)
    {
        std::array<TPointF, 9> probes; // row-major over 0, kProbe / 2, kProbe
        for (int32_t j = 0; j < 3; ++j)
            for (int32_t i = 0; i < 3; ++i)
                probes[size_t(j * 3 + i)] = toView(float(i * kProbe / 2), float(j * kProbe / 2));
        return fit(probes, clip, offset);
    }
    // The lines 0 … count − 1 (rows, or columns when byColumns) that can hold visible points;
    // false when none can.
    bool lines(bool byColumns, int32_t count, int32_t& first, int32_t& last) const;
    // The span lo … hi of a line (x along a row, y along a column) that can hold visible
    // points; both within ±2³⁰.
    bool span(bool byColumns, int32_t line, int32_t& lo, int32_t& hi) const;

  private:
    bool fit(const std::array<TPointF, 9>& probes, TBox clip, TPoint offset);

    // An edge of the parallelogram, seen from rows or from columns: its two ends ordered
    // across the lines, and how far it moves along them per unit across.
    struct TEdge {
        double acrossLo = 0, acrossHi = 0, alongLo = 0, alongHi = 0, slope = 0;
        bool flat = false; // parallel to the lines
    };

    std::array<double, 4> px_{}, py_{}; // the parallelogram's corners in paper coordinates
    double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
    std::array<std::array<TEdge, 4>, 2> edges_{}; // for rows, for columns
};

// The four lists: left and right edges are kept in rows and their runs go down the rotated
// view's y axis; top and bottom edges are kept in columns and run along its x axis. Right
// edges shift in x, bottom edges in y.
struct TLeftEdges {
    static constexpr bool inRows = true, shiftX = false, shiftY = false;
};
struct TTopEdges {
    static constexpr bool inRows = false, shiftX = false, shiftY = false;
};
struct TRightEdges {
    static constexpr bool inRows = true, shiftX = true, shiftY = false;
};
struct TBottomEdges {
    static constexpr bool inRows = false, shiftX = false, shiftY = true;
};

// The part lo … hi of a line that can hold visible points.
struct TAntsSpan {
    bool visible = false;
    int32_t lo = 0, hi = 0;
};

// Draws the ants into the surface: each point is taken to view coordinates by toView
// (x, y → TPointF), truncated after adding 0.01, moved by the ants offset, kept only inside
// the clip box; right and bottom edges shift by one pixel (outwards below scale 1.0, inwards
// otherwise); each point draws a run of ⌊z + 0.625⌋ pixels when zoomed in (one otherwise)
// along the edge's direction in the rotated view. The surface ends up as if the lists were
// drawn left, top, right, bottom, point by point (a pixel's colour depends only on its
// position, so the order in which they are drawn changes nothing).
//
// toView must be affine (see TAntsCulling) for drawing to skip what cannot be seen; the same
// points are drawn as by walking every one of them, which is what happens for any other
// transform or when the lists were not built by extract. For speed, toView should be a
// function object the compiler can inline.
template <typename ToView>
void drawAnts(const CAntPoints& ants, TAntsSurface surface, TBox clip, const TAntsView& view,
              ToView&& viewTransform)
{
    if (!ants.HasAnts() || !surface.valid() || clip.isEmpty()) return;
    // A copy of our own, so that the compiler sees that drawing does not change it.
    const std::decay_t<ToView> toView = viewTransform;
    const int32_t z = view.scale;
    const int32_t run = z > 0xFFFF ? (z + 40960) >> 16 : 1;
    const int32_t shift = z < 65536 ? 1 : -1;
    const TPoint offset = ants.offset;
    std::array<uint32_t, 8> colours; // by (x + y) mod 8
    for (uint32_t i = 0; i < 8; ++i)
        colours[i] = ((0x80u >> i) & ants.pattern) ? 0xFF000000u : 0xFFFFFFFFu;
    const int32_t clipRight = int32_t(std::min<int64_t>(int64_t(clip.x) + clip.width, INT32_MAX));
    const int32_t clipBottom = int32_t(std::min<int64_t>(int64_t(clip.y) + clip.height, INT32_MAX));

    // n points of one list, whose paper coordinates are xOf(i), yOf(i), in chunks: the view
    // positions of a chunk with the clip test and, for one-pixel runs, the pixel positions,
    // in a loop without branches that the compiler can vectorise; then the pixels. Longer
    // runs step in 16.16 pixel by pixel.
    const auto drawPoints = [&](auto kind, int32_t n, auto xOf, auto yOf) {
        using Kind = decltype(kind);
        constexpr int32_t kChunk = 64;
        std::array<int32_t, kChunk> wx, wy, inside;
        const int32_t shiftX = Kind::shiftX ? shift : 0, shiftY = Kind::shiftY ? shift : 0;
        const int64_t stepX = Kind::inRows ? view.sine : view.cosine;
        const int64_t stepY = Kind::inRows ? view.cosine : -int64_t(view.sine);
        for (int32_t done = 0; done < n; done += kChunk) {
            const int32_t m = std::min(kChunk, n - done);
            if (run != 1) {
                for (int32_t i = 0; i < m; ++i) {
                    const TPointF v = toView(float(xOf(done + i)), float(yOf(done + i)));
                    const int32_t x = int32_t(v.x + 0.01f) + offset.x;
                    const int32_t y = int32_t(v.y + 0.01f) + offset.y;
                    if (x < clip.x || x >= clipRight || y < clip.y || y >= clipBottom) continue;
                    int64_t ax = int64_t(x + shiftX) * 65536, ay = int64_t(y + shiftY) * 65536;
                    for (int32_t k = 0; k < run; ++k, ax += stepX, ay += stepY) {
                        const int32_t px = int32_t((ax + 0x6000) / 0x10000);
                        const int32_t py = int32_t((ay + 0x6000) / 0x10000);
                        if (surface.contains(px, py))
                            surface.at(px, py) = colours[size_t((px + py) & 7)];
                    }
                }
                continue;
            }
            // One pixel: (v · 65536 + 0x6000) / 0x10000 truncated towards zero is v for v ≥ 0
            // and v + 1 below. The sums wrap (unsigned) for points far outside, which are
            // not drawn anyway.
            for (int32_t i = 0; i < m; ++i) {
                const TPointF v = toView(float(xOf(done + i)), float(yOf(done + i)));
                const int32_t x = int32_t(uint32_t(int32_t(v.x + 0.01f)) + uint32_t(offset.x));
                const int32_t y = int32_t(uint32_t(int32_t(v.y + 0.01f)) + uint32_t(offset.y));
                const int32_t sx = int32_t(uint32_t(x) + uint32_t(shiftX));
                const int32_t sy = int32_t(uint32_t(y) + uint32_t(shiftY));
                const int32_t px = sx - (sx >> 31), py = sy - (sy >> 31);
                wx[size_t(i)] = px;
                wy[size_t(i)] = py;
                inside[size_t(i)] = (x >= clip.x) & (x < clipRight) & (y >= clip.y) &
                                    (y < clipBottom) & (uint32_t(px) < uint32_t(surface.width)) &
                                    (uint32_t(py) < uint32_t(surface.height));
            }
            for (int32_t i = 0; i < m; ++i)
                if (inside[size_t(i)])
                    surface.at(wx[size_t(i)], wy[size_t(i)]) =
                        colours[size_t((wx[size_t(i)] + wy[size_t(i)]) & 7)];
        }
    };

    // Without the index, or for a transform that is not affine: every point of every list.
    TAntsCulling culling;
    if (!ants.indexed() || !culling.build(toView, clip, offset)) {
        const auto all = [&](auto kind, const CPointList& list) {
            list.forStretches(0, list.size(), [&](const TPoint* p, int32_t n) {
                const auto xOf = [p](int32_t i) { return p[i].x; };
                const auto yOf = [p](int32_t i) { return p[i].y; };
                drawPoints(kind, n, xOf, yOf);
            });
        };
        all(TLeftEdges{}, ants.left);
        all(TTopEdges{}, ants.top);
        all(TRightEdges{}, ants.right);
        all(TBottomEdges{}, ants.bottom);
        return;
    }

    // One line's points that lie in lo … hi along it: the marks bound them to within one
    // mark's distance at each end, and only those ends are read point by point.
    const auto drawSpan = [&](auto kind, const TLineIndex& index, int32_t line, int32_t lo,
                              int32_t hi) {
        const uint16_t* along = index.along();
        int32_t begin = index.startFor(line, lo);
        int32_t end = index.endFor(line, hi);
        while (begin < end && along[begin] < lo)
            ++begin;
        while (end > begin && along[end - 1] > hi)
            --end;
        const uint16_t* a = along + begin;
        const auto alongOf = [a](int32_t i) { return int32_t(a[i]); };
        const auto lineOf = [line](int32_t) { return line; };
        if constexpr (decltype(kind)::inRows)
            drawPoints(kind, end - begin, alongOf, lineOf);
        else
            drawPoints(kind, end - begin, lineOf, alongOf);
    };

    // The lists are drawn in pairs that share their lines, left with right and top with
    // bottom, so that both write into the same part of the surface while it is in the cache.
    const auto drawPair = [&](auto kindA, const TLineIndex& indexA, auto kindB,
                              const TLineIndex& indexB) {
        const bool byColumns = !decltype(kindA)::inRows;
        int32_t first = 0, last = -1;
        if (!culling.lines(byColumns, indexA.lines(), first, last)) return;
        // Each line's points lie elsewhere in memory: those of the lines a few ahead are
        // fetched while this one is drawn.
        constexpr int32_t kAhead = 4;
        std::array<TAntsSpan, kAhead + 1> spans;
        const auto prepare = [&](int32_t line) {
            TAntsSpan& span = spans[size_t(line % (kAhead + 1))];
            span.visible = line <= last && culling.span(byColumns, line, span.lo, span.hi);
            if (span.visible) {
                indexA.prefetch(line, span.lo, span.hi);
                indexB.prefetch(line, span.lo, span.hi);
            }
        };
        for (int32_t line = first; line < first + kAhead; ++line)
            prepare(line);
        for (int32_t line = first; line <= last; ++line) {
            prepare(line + kAhead);
            const TAntsSpan& span = spans[size_t(line % (kAhead + 1))];
            if (!span.visible) continue;
            drawSpan(kindA, indexA, line, span.lo, span.hi);
            drawSpan(kindB, indexB, line, span.lo, span.hi);
        }
    };
    const CAntPoints::TIndex& index = ants.index();
    drawPair(TLeftEdges{}, index.left, TRightEdges{}, index.right);
    drawPair(TTopEdges{}, index.top, TBottomEdges{}, index.bottom);
}

// The same into a plain colour image.
template <typename ToView>
void drawAnts(const CAntPoints& ants, TMTC& surface, TBox clip, const TAntsView& view,
              ToView&& toView)
{
    drawAnts(ants, TAntsSurface::of(surface), clip, view, std::forward<ToView>(toView));
}

} // namespace qm

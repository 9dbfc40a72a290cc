// The content region of a tiled colour image: at most four rectangles that together cover
// every block that is not fully transparent. Compositing only visits these rectangles.
#pragma once

#include "core/rect.h"

#include <array>

namespace qm {

class TRectSet {
public:
    static constexpr int kMaxRects = 4;

    void setBounds(int32_t width, int32_t height)
    {
        width_ = width;
        height_ = height;
    }
    void clear() { count_ = 0; }

    // Adds a rectangle: clipped to the bounds; merged into a touching member if there is one,
    // appended while there is room, otherwise merged into the nearest member; then members
    // that touch are merged until none do.
    void add(const TRect& rect);

    int count() const { return count_; }
    const TRect& operator[](int i) const { return rects_[size_t(i)]; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // Squared gap between two rectangles; 0 when they touch or overlap.
    static int64_t gap(const TRect& a, const TRect& b);

    // Calls fn(TBox part) for each non-empty intersection of the box with a member.
    template <typename Fn>
    void forEachIntersection(const TBox& box, Fn&& fn) const
    {
        for (int i = 0; i < count_; ++i) {
            TRect part;
            if (intersectRect(toRect(box), rects_[size_t(i)], part))
                fn(toBox(part));
        }
    }

private:
    void mergeTouching();
    void removeAt(int index);

    int32_t width_ = 0;
    int32_t height_ = 0;
    int count_ = 0;
    std::array<TRect, kMaxRects> rects_{};
};

} // namespace qm

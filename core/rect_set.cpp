#include "core/rect_set.h"

namespace qm {

namespace {

int64_t area(const TRect& r)
{
    return int64_t(r.right - r.left) * (r.bottom - r.top);
}

int64_t axisGap(int32_t aLow, int32_t aHigh, int32_t bLow, int32_t bHigh)
{
    if (aHigh < bLow)
        return int64_t(bLow) - aHigh;
    if (bHigh < aLow)
        return int64_t(aLow) - bHigh;
    return 0;
}

} // namespace

int64_t TRectSet::gap(const TRect& a, const TRect& b)
{
    const int64_t gx = axisGap(a.left, a.right, b.left, b.right);
    const int64_t gy = axisGap(a.top, a.bottom, b.top, b.bottom);
    return gx * gx + gy * gy;
}

void TRectSet::add(const TRect& rect)
{
    TRect r;
    if (!intersectRect(rect, TRect{0, 0, width_, height_}, r))
        return;

    int target = -1;
    for (int i = 0; i < count_ && target < 0; ++i)
        if (gap(rects_[size_t(i)], r) == 0)
            target = i;

    if (target < 0) {
        if (count_ < kMaxRects) {
            rects_[size_t(count_++)] = r;
            return;
        }
        // Nearest member; among equal gaps the smaller one grows.
        int64_t bestGap = 0;
        for (int i = 0; i < count_; ++i) {
            const int64_t g = gap(rects_[size_t(i)], r);
            if (target < 0 || g < bestGap ||
                (g == bestGap && area(rects_[size_t(i)]) < area(rects_[size_t(target)]))) {
                target = i;
                bestGap = g;
            }
        }
    }

    rects_[size_t(target)] = unionRect(rects_[size_t(target)], r);
    mergeTouching();
}

void TRectSet::mergeTouching()
{
    bool merged = true;
    while (merged) {
        merged = false;
        for (int i = 0; i < count_ && !merged; ++i)
            for (int j = i + 1; j < count_ && !merged; ++j)
                if (gap(rects_[size_t(i)], rects_[size_t(j)]) == 0) {
                    rects_[size_t(i)] = unionRect(rects_[size_t(i)], rects_[size_t(j)]);
                    removeAt(j);
                    merged = true;
                }
    }
}

void TRectSet::removeAt(int index)
{
    for (int k = index; k + 1 < count_; ++k)
        rects_[size_t(k)] = rects_[size_t(k + 1)];
    --count_;
}

} // namespace qm

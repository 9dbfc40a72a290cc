// Rectangles and points shared by every image operation.
// TRect has exclusive right/bottom edges; TBox is position plus size. Both 32-bit signed.
#pragma once

#include <algorithm>
#include <cstdint>

namespace qm {

struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A point in paper pixels with a fractional part (stroke points, polygon corners).
struct TPointF {
    float x = 0.0f;
    float y = 0.0f;
};

struct TRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool isEmpty() const { return left >= right || top >= bottom; }
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

struct TBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const TBox&, const TBox&) = default;
};

inline TRect toRect(const TBox& b)
{
    return {b.x, b.y, b.x + b.width, b.y + b.height};
}

inline TBox toBox(const TRect& r)
{
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Intersection in rect form; false (and an empty result) unless left < right and top < bottom.
inline bool intersectRect(const TRect& a, const TRect& b, TRect& out)
{
    out = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (out.left < out.right && out.top < out.bottom)
        return true;
    out = {};
    return false;
}

inline bool intersectBox(const TBox& a, const TBox& b, TBox& out)
{
    TRect r;
    const bool nonEmpty = intersectRect(toRect(a), toRect(b), r);
    out = toBox(r);
    return nonEmpty;
}

// Clips a box to an image of the given size; false when nothing is left.
inline bool clipBoxToSize(TBox& box, int32_t width, int32_t height)
{
    return intersectBox(box, TBox{0, 0, width, height}, box);
}

inline TRect moved(TRect r, int32_t dx, int32_t dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

inline TRect unionRect(const TRect& a, const TRect& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace qm

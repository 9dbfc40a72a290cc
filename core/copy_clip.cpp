#include "core/copy_clip.h"

namespace qm {

namespace {

// One axis of the rule; pos/len is the source span, at the destination start.
bool clipAxis(int32_t sourceSize, int32_t destSize, int32_t& at, int32_t& pos, int32_t& len)
{
    if (pos >= sourceSize || pos + len <= 0)
        return false;
    if (pos < 0) {
        len += pos;
        at -= pos;
        pos = 0;
    }
    if (pos + len > sourceSize)
        len = sourceSize - pos;

    if (at >= destSize || at + len <= 0)
        return false;
    if (at < 0) {
        len += at;
        pos -= at;
        at = 0;
    }
    if (at + len > destSize)
        len = destSize - at;
    return len > 0;
}

} // namespace

bool clipCopy(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight,
              TPoint& destPoint, TBox& sourceBox)
{
    // The rule handles x against the source, y against the source, then both against the
    // destination; the axes are independent, so doing each axis at once gives the same result.
    return clipAxis(sourceWidth, destWidth, destPoint.x, sourceBox.x, sourceBox.width) &&
           clipAxis(sourceHeight, destHeight, destPoint.y, sourceBox.y, sourceBox.height);
}

} // namespace qm

#include "tone/color_slot_group.h"

#include "core/pixel_math.h"

#include <algorithm>

namespace qm {

int32_t fixedQuotient(int64_t a, int64_t b)
{
    if (b == 0)
        return 0;
    const int64_t whole = a / b;
    const int64_t rest = a % b;
    return int32_t((whole << 16) + (rest << 16) / b);
}

void TColorStop::write(ByteWriter& out) const
{
    out.u8(present);
    out.u8(inUse);
    out.u8(hasAlpha);
    out.u8(alpha);
    out.i32(number);
    out.u32(colour | 0xFF000000u);
    out.i32(length);
    out.i32(start);
    out.i32(span);
}

bool TColorStop::read(ByteReader& in)
{
    if (in.remaining() < kBytes)
        return false;
    present = in.u8();
    inUse = in.u8();
    hasAlpha = in.u8();
    alpha = in.u8();
    number = in.i32();
    colour = in.u32();
    length = in.i32();
    start = in.i32();
    span = in.i32();
    return !in.failed();
}

bool CColorSlotGroup::append(uint32_t colour, int32_t length, bool hasAlpha, uint8_t alpha)
{
    if (int32_t(stops.size()) >= kMaxStops)
        return false;
    TColorStop stop;
    stop.number = int32_t(stops.size());
    stop.colour = colour | 0xFF000000u;
    stop.length = length;
    stop.hasAlpha = hasAlpha;
    stop.alpha = hasAlpha ? alpha : 255;
    stops.push_back(stop);
    return true;
}

bool CColorSlotGroup::Normalize()
{
    normalised_ = false;
    first_ = last_ = -1;
    inUse_ = 0;
    for (int32_t i = 0; i < int32_t(stops.size()); ++i)
        if (stops[size_t(i)].counts()) {
            if (first_ < 0)
                first_ = i;
            last_ = i;
            ++inUse_;
        }
    if (first_ < 0)
        return false;
    if (first_ == last_) {
        total_ = kFixedOne;
        stops[0].start = 0;
        stops[0].span = kFixedOne;
        return normalised_ = true;
    }
    int64_t sum = 0;
    for (int32_t i = first_; i < last_; ++i)
        if (stops[size_t(i)].counts())
            sum += std::max(0, stops[size_t(i)].length); // a damaged file's negative length adds nothing
    if (sum <= 0)
        return false;
    total_ = int32_t(std::min<int64_t>(sum, INT32_MAX));
    int32_t running = 0;
    for (int32_t i = first_; i < last_; ++i) {
        TColorStop& s = stops[size_t(i)];
        if (!s.counts())
            continue;
        s.start = running;
        s.span = fixedQuotient(std::max(0, s.length), sum);
        running += s.span;
    }
    stops[size_t(last_)].start = kFixedOne;
    stops[size_t(last_)].span = 0;
    return normalised_ = true;
}

uint32_t CColorSlotGroup::ColorAt(int32_t t) const
{
    if (stops.empty())
        return 0;
    if (!normalised_ || inUse_ <= 1 || t <= 0)
        return stops.front().withAlpha();
    if (t >= kFixedOne)
        return stops[size_t(last_ >= 0 ? last_ : lastIndex())].withAlpha();
    const int32_t candidates = std::min<int32_t>(inUse_ - 1, int32_t(stops.size()) - 1);
    for (int32_t i = 0; i < candidates; ++i) {
        const TColorStop& a = stops[size_t(i)];
        if (int64_t(a.start) + a.span < t)
            continue;
        const TColorStop& b = stops[size_t(i + 1)];
        const int64_t d = a.span > 0 ? fixedQuotient(t - a.start, a.span) : 0;
        const uint32_t ca = a.withAlpha(), cb = b.withAlpha();
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int32_t x = int32_t((ca >> shift) & 0xFF);
            const int32_t y = int32_t((cb >> shift) & 0xFF);
            out |= uint32_t((x + int32_t((d * (y - x)) >> 16)) & 0xFF) << shift;
        }
        return out;
    }
    return stops[size_t(last_)].withAlpha();
}

bool CColorSlotGroup::InsertStop(int32_t before, int32_t position, bool hasAlpha, uint32_t colour)
{
    if (int32_t(stops.size()) >= kMaxStops || before <= 0 || before > lastIndex())
        return false;
    TColorStop stop;
    stop.number = int32_t(stops.size());
    stop.colour = colour | 0xFF000000u;
    stop.hasAlpha = hasAlpha;
    stop.alpha = hasAlpha ? uint8_t(colour >> 24) : 255;
    stop.start = position;
    stops.insert(stops.begin() + before, stop);
    // The stop starts where asked: the lengths around it follow, then everything is renormalised.
    return MoveStop(before, position);
}

bool CColorSlotGroup::InsertStopAt(int32_t position)
{
    if (position <= 0 || position >= kFixedOne)
        return false;
    int32_t before = 0;
    while (before <= lastIndex() && stops[size_t(before)].start < position)
        ++before;
    return InsertStop(before, position, true, ColorAt(position));
}

bool CColorSlotGroup::MoveStop(int32_t index, int32_t position)
{
    if (index <= 0 || index >= lastIndex())
        return false;
    TColorStop& previous = stops[size_t(index - 1)];
    TColorStop& stop = stops[size_t(index)];
    const int32_t nextStart = stops[size_t(index + 1)].start;
    previous.length = position - previous.start;
    stop.length = nextStart - position;
    // The spans follow the new lengths (and the total, when their sum changed).
    return Normalize();
}

bool CColorSlotGroup::DragStop(int32_t index, int32_t position)
{
    if (index <= 0 || index >= lastIndex())
        return false;
    const int32_t low = stops[size_t(index - 1)].start + 100;
    const int32_t high = stops[size_t(index + 1)].start - 100;
    if (low > high)
        return false;
    return MoveStop(index, std::clamp(position, low, high));
}

bool CColorSlotGroup::RemoveStop(int32_t index)
{
    if (index <= 0 || index >= lastIndex())
        return false;
    stops[size_t(index - 1)].length = stops[size_t(index + 1)].start - stops[size_t(index - 1)].start;
    stops.erase(stops.begin() + index);
    return Normalize();
}

bool CColorSlotGroup::SetStopColor(int32_t index, uint32_t colour, bool hasAlpha, uint8_t alpha)
{
    if (index < 0 || index > lastIndex())
        return false;
    TColorStop& s = stops[size_t(index)];
    s.colour = colour | 0xFF000000u;
    s.hasAlpha = hasAlpha;
    s.alpha = hasAlpha ? alpha : 255;
    return true;
}

int32_t CColorSlotGroup::NearestStop(int32_t position) const
{
    if (stops.empty())
        return -1;
    int32_t after = 0;
    while (after <= lastIndex() && stops[size_t(after)].start < position)
        ++after;
    if (after > lastIndex())
        return lastIndex();
    if (after == 0)
        return 0;
    const int64_t toBefore = int64_t(position) - stops[size_t(after - 1)].start;
    const int64_t toAfter = int64_t(stops[size_t(after)].start) - position;
    return toBefore < toAfter ? after - 1 : after; // a tie goes to the later one
}

bool CColorSlotGroup::StopsIn(int32_t from, int32_t to, int32_t& first, int32_t& last) const
{
    first = last = -1;
    for (int32_t i = 0; i <= lastIndex(); ++i) {
        const int32_t s = stops[size_t(i)].start;
        if (s >= from && s <= to) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return first >= 0;
}

bool CColorSlotGroup::CopyTo(CColorSlotGroup& other) const
{
    if (!std::all_of(stops.begin(), stops.end(), [](const TColorStop& s) { return s.counts(); }))
        return false;
    other.stops = stops;
    other.name = name;
    other.Normalize();
    return true;
}

CColorSlotGroup CColorSlotGroup::Compacted() const
{
    CColorSlotGroup copy;
    copy.name = name;
    for (const TColorStop& s : stops)
        if (s.counts())
            copy.stops.push_back(s);
    copy.Normalize();
    return copy;
}

bool CColorSlotGroup::RenderStrip(TMTC& image, TBox box) const
{
    if (!image.IsValid() || !clipBoxToSize(box, image.width(), image.height()))
        return false;
    const int32_t w = box.width;
    for (int32_t i = 0; i < w; ++i) {
        const int32_t t = w > 1 ? int32_t((int64_t(i) << 16) / (w - 1)) : 0;
        const uint32_t pixel = ColorRefToPixel(ColorAt(t));
        for (int32_t y = box.y; y < box.y + box.height; ++y)
            image.row(y)[box.x + i] = pixel;
    }
    return true;
}

} // namespace qm

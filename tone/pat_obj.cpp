#include "tone/pat_obj.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace qm {

namespace {

std::atomic<int32_t> patternSerial{1};

int64_t wrapped(int64_t value, int64_t size)
{
    const int64_t m = value % size;
    return m < 0 ? m + size : m;
}

// ⌊value⌋ as an integer, saturated; NaN gives `fallback`.
int32_t floorClamped(float value, int32_t fallback)
{
    if (std::isnan(value))
        return fallback;
    return int32_t(std::clamp(std::floor(value), -1.0e9f, 1.0e9f));
}

} // namespace

int32_t NextPatternSerial()
{
    return patternSerial.fetch_add(1, std::memory_order_relaxed);
}

// ---- CPatObj ----

uint8_t* CPatObj::TileAddress(int32_t x, int32_t y) const
{
    if (!channel_.IsValid())
        return nullptr;
    return channel_.row(int32_t(wrapped(y, height_))) + wrapped(x, width_);
}

uint8_t CPatObj::wrappedTileValue(int64_t x, int64_t y) const
{
    return channel_.row(int32_t(wrapped(y, height_)))[wrapped(x, width_)];
}

void CPatObj::Reset()
{
    ready_ = false;
    originX_ = originY_ = 0;
    width_ = height_ = 0;
    scale_ = kDefaultScale;
    name_.clear();
    channel_.Release();
    inverted_ = false;
    RenewSerial();
}

bool CPatObj::FillFromChannel(const TChannel& channel)
{
    if (!channel.IsValid() || channel.width() <= 0 || channel.height() <= 0)
        return false;
    TChannel copy;
    if (!copy.Resize(channel.width(), channel.height()))
        return false;
    for (int32_t y = 0; y < channel.height(); ++y)
        std::copy_n(channel.row(y), channel.width(), copy.row(y));
    channel_ = std::move(copy);
    width_ = channel_.width();
    height_ = channel_.height();
    ready_ = true;
    return true;
}

bool CPatObj::DrawInto(TChannel& dest, int32_t x0, int32_t y0) const
{
    if (!ready_ || !dest.IsValid())
        return false;
    for (int32_t j = 0; j < dest.height(); ++j) {
        uint8_t* row = dest.row(j);
        for (int32_t i = 0; i < dest.width(); ++i)
            row[i] = ValueAt(x0 + i, y0 + j);
    }
    return true;
}

bool CPatObj::DrawAt(TMTC& dest, int32_t x, int32_t y) const
{
    if (!ready_ || !dest.IsValid())
        return false;
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right = int32_t(std::min<int64_t>(int64_t(x) + width_, dest.width()));
    const int32_t bottom = int32_t(std::min<int64_t>(int64_t(y) + height_, dest.height()));
    if (left >= right || top >= bottom)
        return false;
    for (int32_t j = top; j < bottom; ++j) {
        uint32_t* row = dest.row(j);
        const uint8_t* tile = channel_.row(j - y);
        for (int32_t i = left; i < right; ++i) {
            const uint32_t grey = 255u - uint32_t(tile[i - x] ^ (inverted_ ? 255 : 0));
            row[i] = 0xFF000000u | grey * 0x010101u;
        }
    }
    return true;
}

void CPatObj::copyBaseFrom(const CPatObj& other)
{
    ready_ = false;
    originX_ = other.originX_;
    originY_ = other.originY_;
    scale_ = other.scale_;
    format_ = other.format_;
    name_ = other.name_;
    inverted_ = other.inverted_;
    if (other.channel_.IsValid()) {
        FillFromChannel(other.channel_); // sets width and height
    } else {
        width_ = height_ = 0;
        channel_.Release();
    }
    ready_ = other.ready_ && channel_.IsValid();
}

// ---- CPat8 ----

uint8_t CPat8::ValueAt(int32_t x, int32_t y) const
{
    if (!channel_.IsValid())
        return 0;
    const uint8_t value = wrappedTileValue(int64_t(x) + originX_, int64_t(y) + originY_);
    return inverted_ ? uint8_t(value ^ 255) : value;
}

SScaleRange CPat8::ScaleRange() const
{
    const int32_t side = std::min(width_, height_);
    if (side <= 0)
        return {100, 100};
    return {std::clamp(1000 / side, 1, 100), 200};
}

std::unique_ptr<CPatObj> CPat8::Clone() const
{
    auto copy = std::make_unique<CPat8>();
    copy->copyBaseFrom(*this);
    return copy;
}

// ---- CPat8Tone ----

CPat8Tone::CPat8Tone() : CPat8(PatKind::Tone)
{
    channel_.Resize(kTileSide, kTileSide);
    width_ = height_ = kTileSide;
}

bool CPat8Tone::Configure(const SToneAttr& attr, CToneMaker& shared)
{
    CToneMaker& maker = ownMaker_ ? *ownMaker_ : shared;
    if (!maker.Configure(attr.shape, attr.blur, attr.percent, attr.angle, attr.period()))
        return false;
    TChannel tile(kTileSide, kTileSide);
    if (!tile.IsValid() || !maker.RenderTile(tile, 0, 0))
        return false;
    channel_ = std::move(tile);
    width_ = height_ = kTileSide;
    attr_ = attr;
    ready_ = true;
    return true;
}

void CPat8Tone::MakeOwnMaker()
{
    if (!ownMaker_)
        ownMaker_ = std::make_unique<CToneMaker>();
}

uint8_t CPat8Tone::ValueAt(int32_t x, int32_t y) const
{
    uint8_t value = 0;
    if (ownMaker_ && ownMaker_->isValid())
        value = ownMaker_->ToneAt(int32_t(int64_t(x) - originX_), int32_t(int64_t(y) - originY_));
    else if (channel_.IsValid())
        value = wrappedTileValue(int64_t(x) - originX_, int64_t(y) - originY_);
    else
        return 0;
    return inverted_ ? uint8_t(value ^ 255) : value;
}

SScaleRange CPat8Tone::ScaleRange() const
{
    if (!(attr_.dpi > 0.0f) || !(attr_.lines > 0.0f))
        return {100, 100};
    const int32_t low = std::clamp(floorClamped(attr_.lines * 350.0f / attr_.dpi, 1), 1, 100);
    const int32_t high = std::clamp(floorClamped(attr_.lines * 12750.0f / attr_.dpi, 100), 100, 200);
    return {low, high};
}

std::unique_ptr<CPatObj> CPat8Tone::Clone() const
{
    auto copy = std::make_unique<CPat8Tone>();
    copy->copyBaseFrom(*this);
    copy->attr_ = attr_;
    return copy;
}

} // namespace qm

#include "tone/tone_mngr.h"

#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace qm {

CToneMngr::CToneMngr(bool withBuiltIns)
{
    scratch_.Resize(kScratchSide, kScratchSide);
    if (withBuiltIns) {
        AddDotGrid(2, 8);
        AddDotGrid(3, 16);
        Select(0);
    }
}

int32_t CToneMngr::AddTone(const SToneAttr& attr, bool regenerate, const TChannel* channel)
{
    try {
        auto tone = std::make_unique<CPat8Tone>();
        if (channel) {
            if (regenerate &&
                !maker_.Configure(attr.shape, attr.blur, attr.percent, attr.angle, attr.period()))
                return -1;
            if (!tone->FillFromChannel(*channel))
                return -1;
            tone->SetAttr(attr);
        } else if (!tone->Configure(attr, maker_)) {
            return -1;
        }
        tone->SetName(attr.name);
        return append(std::move(tone));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int32_t CToneMngr::AddPattern(const TChannel& channel, int32_t scale, TPoint origin)
{
    try {
        auto pattern = std::make_unique<CPat8>();
        if (!pattern->FillFromChannel(channel))
            return -1;
        const SScaleRange range = pattern->ScaleRange();
        pattern->SetScale(std::clamp(scale, range.minimum, range.maximum));
        pattern->SetOrigin(origin.x, origin.y);
        return append(std::move(pattern));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int32_t CToneMngr::AddDotGrid(int32_t radius, int32_t spacing, int32_t height, int32_t width)
{
    if (radius <= 0 || spacing <= 0 || !scratch_.IsValid())
        return -1;
    height = std::clamp(height, 1, 255);
    width = std::clamp(width, 1, kScratchSide);
    for (int32_t y = 0; y < scratch_.height(); ++y)
        std::fill_n(scratch_.row(y), scratch_.width(), uint8_t(0));

    const double start = double(spacing) * std::sqrt(2.0) / 2.0;
    const double r2 = double(radius) * radius;
    for (double cy = start; cy <= double(width); cy += spacing) {
        for (double cx = start; cx <= double(width); cx += spacing) {
            const int32_t left = std::max(int32_t(std::floor(cx - radius)), 0);
            const int32_t top = std::max(int32_t(std::floor(cy - radius)), 0);
            const int32_t right = std::min(int32_t(std::ceil(cx + radius)), kScratchSide);
            const int32_t bottom = std::min(int32_t(std::ceil(cy + radius)), kScratchSide);
            for (int32_t py = top; py < bottom; ++py) {
                uint8_t* row = scratch_.row(py);
                for (int32_t px = left; px < right; ++px) {
                    // 5 × 5 samples at the centres of the sub-pixels.
                    int32_t inside = 0;
                    for (int32_t j = 0; j < 5; ++j) {
                        const double dy = double(py) + (j + 0.5) / 5.0 - cy;
                        for (int32_t i = 0; i < 5; ++i) {
                            const double dx = double(px) + (i + 0.5) / 5.0 - cx;
                            if (dx * dx + dy * dy <= r2)
                                ++inside;
                        }
                    }
                    const auto value = uint8_t(height * inside / 25);
                    row[px] = std::max(row[px], value);
                }
            }
        }
    }

    TChannel tile(width, width);
    if (!tile.IsValid())
        return -1;
    for (int32_t y = 0; y < width; ++y)
        std::copy_n(scratch_.row(y), width, tile.row(y));
    const int32_t index = AddPattern(tile, 100, {0, 0});
    if (index >= 0)
        mutableAt(index)->SetName("Dot r" + std::to_string(radius) + " s" + std::to_string(spacing));
    return index;
}

TChannel InvertedBrightness(const TMTC& image)
{
    TChannel channel;
    if (!image.IsValid() || !channel.Resize(image.width(), image.height()))
        return channel;
    for (int32_t y = 0; y < image.height(); ++y) {
        const uint32_t* source = image.row(y);
        uint8_t* dest = channel.row(y);
        for (int32_t x = 0; x < image.width(); ++x)
            dest[x] = uint8_t(Luma(source[x]) ^ 255u);
    }
    return channel;
}

int32_t CToneMngr::AddImagePattern(const TMTC& image, std::string name)
{
    try {
        const TChannel channel = InvertedBrightness(image);
        const int32_t index = AddPattern(channel, 100, {0, 0});
        if (index >= 0)
            mutableAt(index)->SetName(std::move(name));
        return index;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

bool CToneMngr::Retone(int32_t i, const SToneAttr& attr, bool renewSerial)
{
    CPatObj* pattern = mutableAt(i);
    if (!pattern || pattern->kind() != PatKind::Tone)
        return false;
    auto& tone = static_cast<CPat8Tone&>(*pattern);
    if (!tone.Configure(attr, maker_))
        return false;
    if (renewSerial)
        tone.RenewSerial();
    changed(i);
    return true;
}

std::unique_ptr<CPatObj> CToneMngr::makeWorking(const CPatObj& pattern)
{
    if (pattern.kind() != PatKind::Tone)
        return makeWorkingBitmap(pattern);
    const auto& tone = static_cast<const CPat8Tone&>(pattern);
    SToneAttr attr = tone.attr();
    if (pattern.scale() != 100)
        attr.dpi = float(pattern.scale()) * attr.dpi / 100.0f;
    auto working = std::make_unique<CPat8Tone>();
    working->MakeOwnMaker();
    // A tone whose stored attributes cannot be generated (a damaged file) still paints its tile.
    if (!working->Configure(attr, maker_))
        return makeWorkingBitmap(pattern);
    working->SetName(pattern.name());
    working->SetOrigin(pattern.originX(), pattern.originY());
    working->SetInverted(pattern.inverted());
    working->SetScale(pattern.scale());
    return working;
}

} // namespace qm

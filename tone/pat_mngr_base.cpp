#include "tone/pat_mngr_base.h"

#include "core/scale_image.h"

#include <algorithm>
#include <new>

namespace qm {

const CPatObj* CPatMngrBase::at(int32_t i) const
{
    return mutableAt(i);
}

CPatObj* CPatMngrBase::mutableAt(int32_t i) const
{
    return i >= 0 && i < count() ? list_[size_t(i)].get() : nullptr;
}

int32_t CPatMngrBase::append(std::unique_ptr<CPatObj> pattern)
{
    if (!pattern)
        return -1;
    try {
        list_.push_back(std::move(pattern));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return count() - 1;
}

bool CPatMngrBase::Select(int32_t i)
{
    if (list_.empty()) {
        current_ = -1;
        rebuildWorking();
        return false;
    }
    current_ = std::clamp(i, 0, count() - 1);
    rebuildWorking();
    return true;
}

bool CPatMngrBase::Remove(int32_t i)
{
    if (!mutableAt(i))
        return false;
    list_.erase(list_.begin() + i);
    if (i < current_)
        --current_;
    else if (i == current_)
        Select(current_);
    return true;
}

void CPatMngrBase::Clear()
{
    list_.clear();
    current_ = -1;
    rebuildWorking();
}

int32_t CPatMngrBase::Duplicate(int32_t i)
{
    const CPatObj* pattern = at(i);
    if (!pattern)
        return -1;
    try {
        return append(pattern->Clone());
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

bool CPatMngrBase::Rename(int32_t i, std::string name)
{
    CPatObj* pattern = mutableAt(i);
    if (!pattern)
        return false;
    pattern->SetName(std::move(name));
    pattern->RenewSerial();
    changed(i);
    return true;
}

bool CPatMngrBase::SetOrigin(int32_t i, int32_t x, int32_t y)
{
    CPatObj* pattern = mutableAt(i);
    if (!pattern)
        return false;
    pattern->SetOrigin(std::clamp(x, 0, std::max(pattern->width() - 1, 0)),
                       std::clamp(y, 0, std::max(pattern->height() - 1, 0)));
    pattern->RenewSerial();
    changed(i);
    return true;
}

bool CPatMngrBase::SetScale(int32_t i, int32_t scale)
{
    CPatObj* pattern = mutableAt(i);
    if (!pattern)
        return false;
    const SScaleRange range = pattern->ScaleRange();
    pattern->SetScale(std::clamp(scale, range.minimum, range.maximum));
    pattern->RenewSerial();
    changed(i);
    return true;
}

bool CPatMngrBase::SetInverted(int32_t i, bool inverted)
{
    CPatObj* pattern = mutableAt(i);
    if (!pattern)
        return false;
    pattern->SetInverted(inverted);
    pattern->RenewSerial();
    changed(i);
    return true;
}

void CPatMngrBase::changed(int32_t i)
{
    if (i == current_)
        rebuildWorking();
}

void CPatMngrBase::rebuildWorking()
{
    working_.reset();
    workingMaker_ = nullptr;
    const CPatObj* pattern = current();
    if (pattern) {
        try {
            working_ = makeWorking(*pattern);
        } catch (const std::bad_alloc&) {
            working_.reset();
        }
    }
    if (working_ && working_->kind() == PatKind::Tone) {
        const auto& tone = static_cast<const CPat8Tone&>(*working_);
        if (tone.maker() && tone.maker()->isValid()) {
            workingMaker_ = tone.maker();
            workingOriginX_ = tone.originX();
            workingOriginY_ = tone.originY();
            workingXor_ = tone.inverted() ? 255 : 0;
        }
    }
}

std::unique_ptr<CPatObj> CPatMngrBase::makeWorking(const CPatObj& pattern)
{
    return makeWorkingBitmap(pattern);
}

std::unique_ptr<CPatObj> CPatMngrBase::makeWorkingBitmap(const CPatObj& pattern)
{
    if (!pattern.channel().IsValid())
        return nullptr;
    auto working = std::make_unique<CPat8>();
    const int32_t scale = pattern.scale();
    if (scale == 100 || scale <= 0) {
        if (!working->FillFromChannel(pattern.channel()))
            return nullptr;
    } else {
        const int32_t w = std::max<int32_t>(int32_t(int64_t(scale) * pattern.width() / 100), 1);
        const int32_t h = std::max<int32_t>(int32_t(int64_t(scale) * pattern.height() / 100), 1);
        TChannel scaled(w, h);
        if (!scaled.IsValid())
            return nullptr;
        CScaleImageCH scaler(pattern.channel(), scaled);
        if (!scaler.Scale(pattern.channel().bounds(), scaled.bounds()))
            return nullptr;
        if (!working->FillFromChannel(scaled))
            return nullptr;
    }
    working->SetName(pattern.name());
    working->SetOrigin(pattern.originX(), pattern.originY());
    working->SetInverted(pattern.inverted());
    working->SetScale(scale);
    return working;
}

void CPatMngrBase::WeightRow(int32_t x, int32_t y, uint8_t* coverage, int32_t count) const
{
    if (!working_)
        return;
    for (int32_t i = 0; i < count; ++i)
        coverage[i] = uint8_t(Mul255(coverage[i], workingValue(int64_t(x) + i + x0_, int64_t(y) + y0_)));
}

} // namespace qm

#include "select/select_mng.h"

#include "core/image_ops.h"

#include <algorithm>

namespace qm {

bool TSelectMng::resize(int32_t paperWidth, int32_t paperHeight)
{
    paperWidth_ = std::max(paperWidth, 0);
    paperHeight_ = std::max(paperHeight, 0);
    for (auto& s : slots_)
        s.reset();
    flags_.fill(false);
    ants_ = {};
    // The preview: 48 on the longer side, ⌊48 · short / long⌋ + 1 on the other.
    const int32_t longer = std::max(paperWidth_, paperHeight_);
    const int32_t shorter = std::min(paperWidth_, paperHeight_);
    const int32_t other = longer > 0 ? int32_t(int64_t(kPreviewSide) * shorter / longer) + 1 : 1;
    return paperWidth_ >= paperHeight_ ? preview_.Resize(kPreviewSide, other)
                                       : preview_.Resize(other, kPreviewSide);
}

TChannel* TSelectMng::slot(int index)
{
    if (index < 0 || index >= kSlots)
        return nullptr;
    auto& s = slots_[size_t(index)];
    if (!s) {
        auto channel = std::make_unique<TChannel>();
        if (!channel->Resize(paperWidth_, paperHeight_))
            return nullptr;
        fillAll(*channel, 0);
        s = std::move(channel);
    }
    return s.get();
}

} // namespace qm

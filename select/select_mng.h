// The paper's scratch area for its own region operations: 32 slots of paper-sized 8-bit
// channels with a flag each, a small preview picture and an ants outline. Not part of the
// mask list. Slots get their memory only when first used, since a large paper would
// otherwise hold 32 full-size channels for nothing.
#pragma once

#include "select/ant_points.h"

#include <array>
#include <memory>

namespace qm {

// An outline with whether it is shown.
struct TAnts {
    CAntPoints points;
    bool visible = false;
};

class TSelectMng {
public:
    static constexpr int kSlots = 32;
    static constexpr int32_t kPreviewSide = 48;

    TSelectMng(int32_t paperWidth, int32_t paperHeight) { resize(paperWidth, paperHeight); }

    // Drops every slot's contents and sizes the preview for the new paper.
    bool resize(int32_t paperWidth, int32_t paperHeight);
    // The slot's channel, cleared to 0 and sized to the paper on first use; nullptr for an
    // index outside 0..31 or when memory runs out.
    TChannel* slot(int index);
    bool flag(int index) const { return index >= 0 && index < kSlots && flags_[size_t(index)]; }
    void setFlag(int index, bool value)
    {
        if (index >= 0 && index < kSlots)
            flags_[size_t(index)] = value;
    }

    TTC& preview() { return preview_; }
    TAnts& ants() { return ants_; }
    int32_t paperWidth() const { return paperWidth_; }
    int32_t paperHeight() const { return paperHeight_; }

private:
    int32_t paperWidth_ = 0, paperHeight_ = 0;
    std::array<std::unique_ptr<TChannel>, kSlots> slots_;
    std::array<bool, kSlots> flags_{};
    TTC preview_;
    TAnts ants_;
};

} // namespace qm

// The list of gradations: entries of stops and options, the fixed two-colour entry that
// follows the pen's colours, and the working copy that painting uses.
#pragma once

#include "files/app_profile.h"
#include "tone/gradation.h"

#include <memory>
#include <vector>

namespace qm {

inline constexpr const char* kFixedGradationName = "** 2色固定 **";

struct CGradObj {
    CGradObj();
    void renewSerial();

    int32_t serial;
    CColorSlotGroup stops;
    TGradOptions options;
};

class CGradMngr {
public:
    // The fixed two-colour entry (black → white, options from the settings) at index 0, then
    // black → white, black → yellow, blue → green → red and three hard bands.
    explicit CGradMngr(const TConfigSettings& settings);

    int32_t count() const { return int32_t(list_.size()); }
    int32_t fixedIndex() const { return fixedIndex_; }
    int32_t currentIndex() const { return current_; }
    CGradObj* entry(int32_t i);
    // The working copy: compacted, normalised stops and the options, for painting.
    const CColorSlotGroup& working() const { return working_; }
    const TGradOptions& workingOptions() const { return workingOptions_; }

    // Clamped into the list; rebuilds the working copy.
    void Select(int32_t i);
    bool Remove(int32_t i);
    int32_t Duplicate(int32_t i);
    bool ReplaceStops(int32_t i, const CColorSlotGroup& stops, bool renewSerial);
    int32_t add(std::unique_ptr<CGradObj> entry);
    bool SetOptions(const TGradOptions& options);
    // The current entry's options into the settings.
    void StoreOptions(TConfigSettings& settings) const;
    // The fixed entry's two stops become the pen's second colour and drawing colour
    // (COLORREFs).
    void setFixedColours(uint32_t second, uint32_t drawing);

private:
    void rebuildWorking();

    std::vector<std::unique_ptr<CGradObj>> list_;
    int32_t fixedIndex_ = -1;
    int32_t current_ = -1;
    CColorSlotGroup working_;
    TGradOptions workingOptions_;
};

} // namespace qm

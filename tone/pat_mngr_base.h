// The owning list of patterns, the current one and the working pattern painting looks up.
//
// The working pattern is the current pattern prepared for painting: scaled to its zoom, and for
// a tone with a generator of its own (so that later work on the list cannot change what a
// stroke in progress paints). It is rebuilt whenever the current pattern changes.
#pragma once

#include "core/pixel_math.h"
#include "core/rect.h"
#include "tone/pat_obj.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class CPatMngrBase {
public:
    CPatMngrBase() = default;
    virtual ~CPatMngrBase() = default;
    CPatMngrBase(const CPatMngrBase&) = delete;
    CPatMngrBase& operator=(const CPatMngrBase&) = delete;

    int32_t count() const { return int32_t(list_.size()); }
    const CPatObj* at(int32_t i) const;
    int32_t currentIndex() const { return current_; }
    const CPatObj* current() const { return at(current_); }
    const CPatObj* working() const { return working_.get(); }

    // Clamps i into the list, makes it current and rebuilds the working pattern. An empty list
    // leaves no current pattern (−1) and returns false.
    bool Select(int32_t i);
    // False for an index outside the list. Removing the current pattern selects its successor
    // (or the new last one).
    bool Remove(int32_t i);
    void Clear();
    // A deep copy of pattern i appended with a new serial; its index, or −1.
    int32_t Duplicate(int32_t i);
    bool Rename(int32_t i, std::string name);
    // The option panel's values; each takes a new serial. The scale is clamped into the
    // pattern's scale range, the origin into 0..width−1 × 0..height−1.
    bool SetOrigin(int32_t i, int32_t x, int32_t y);
    bool SetScale(int32_t i, int32_t scale);
    bool SetInverted(int32_t i, bool inverted);

    // Added to every lookup.
    void SetOffset(int32_t x0, int32_t y0) { x0_ = x0, y0_ = y0; }
    int32_t offsetX() const { return x0_; }
    int32_t offsetY() const { return y0_; }

    // c weighted by the working pattern: Mul255 (c, p) with p its value at (x + x0, y + y0);
    // c unchanged without a working pattern.
    uint32_t Weight(int32_t x, int32_t y, uint32_t c) const
    {
        if (!working_)
            return c;
        return Mul255(c, workingValue(int64_t(x) + x0_, int64_t(y) + y0_));
    }
    // Weight over a row of coverage values, in place.
    void WeightRow(int32_t x, int32_t y, uint8_t* coverage, int32_t count) const;

protected:
    // Appends and returns the new index (−1 for none).
    int32_t append(std::unique_ptr<CPatObj> pattern);
    CPatObj* mutableAt(int32_t i) const;
    // Rebuilds the working pattern when i is the current index.
    void changed(int32_t i);
    void rebuildWorking();
    // The working form of a pattern; null when it cannot be made. The base makes bitmaps (a tone
    // becomes a bitmap of its stored tile).
    virtual std::unique_ptr<CPatObj> makeWorking(const CPatObj& pattern);
    static std::unique_ptr<CPatObj> makeWorkingBitmap(const CPatObj& pattern);

private:
    uint8_t workingValue(int64_t x, int64_t y) const
    {
        if (workingMaker_) {
            const uint8_t v = workingMaker_->ToneAt(int32_t(x - workingOriginX_),
                                                    int32_t(y - workingOriginY_));
            return uint8_t(v ^ workingXor_);
        }
        return working_->ValueAt(int32_t(x), int32_t(y));
    }

    std::vector<std::unique_ptr<CPatObj>> list_;
    int32_t current_ = -1;
    std::unique_ptr<CPatObj> working_;
    // The tone fast path: straight to the generator, no virtual call per pixel.
    const CToneMaker* workingMaker_ = nullptr;
    int32_t workingOriginX_ = 0;
    int32_t workingOriginY_ = 0;
    uint8_t workingXor_ = 0;
    int32_t x0_ = 0;
    int32_t y0_ = 0;
};

} // namespace qm

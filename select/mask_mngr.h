// A paper's list of selection masks, the current one, and the outline the ants show.
// An index of −1 means the current mask. Operations that replace a mask hand the old one back
// through `replaced` (the caller gives it to the undo manager or lets it go).
#pragma once

#include "select/ant_points.h"
#include "select/mask_data.h"

#include <memory>
#include <vector>

namespace qm {

enum class MaskCombine : uint8_t { Replace = 0, Add = 1, Subtract = 2, Intersect = 3 };

inline constexpr const char* kMaskNameWord = "ﾏｽｸ";
inline constexpr const char* kBrightnessNameWord = "明度";
inline constexpr const char* kExtendMaskFailedMessage = "makeExtendMask: exception!";
inline constexpr const char* kZoomMaskFailedNote = "makeZoomMask: Exception!\n";

class CMaskMngr : public UndoMaskTarget {
public:
    // One empty mask, current, named with counter value 1.
    CMaskMngr(int32_t paperWidth, int32_t paperHeight, MessageSink* messages = nullptr);
    ~CMaskMngr() override;

    void setPaperSize(int32_t width, int32_t height);
    int32_t paperWidth() const { return paperWidth_; }
    int32_t paperHeight() const { return paperHeight_; }

    // ---- the list ----
    int32_t Count() const { return int32_t(masks_.size()); }
    int32_t CurrentIndex() const { return current_; }
    // i = Count appends an empty mask first; other indices outside the list are ignored.
    void SetCurrent(int32_t i);
    CMaskData* Mask(int32_t i);
    const CMaskData* Mask(int32_t i) const;
    CMaskData* CurrentMask() { return Mask(current_); }
    bool HasAnyMask() const { return !masks_.empty(); }
    int32_t LastValidIndex() const;
    int32_t nameCounter() const { return nameCounter_; }
    void setNameCounter(int32_t counter) { nameCounter_ = counter; } // a loaded paper's

    int32_t InsertEmpty(int32_t i);
    int32_t InsertMask(int32_t i, std::unique_ptr<CMaskData> mask);
    int32_t Duplicate(int32_t i);
    int32_t Move(int32_t to, int32_t from);
    std::unique_ptr<CMaskData> ClearAt(int32_t i);
    std::unique_ptr<CMaskData> Remove(int32_t i);
    // Replaces mask i and hands the old one back; out of range, appends and returns nullptr.
    std::unique_ptr<CMaskData> Put(int32_t i, std::unique_ptr<CMaskData> mask);
    bool CopyFrom(int32_t dest, int32_t src);

    // ---- building and combining ----
    // A new mask from the channel at `origin` (mask-local = paper + origin) combined with
    // mask i by `mode` replaces it, keeping its name; false when nothing was built.
    bool ApplyChannel(int32_t i, const TChannel& channel, MaskCombine mode, TPoint origin,
                      std::unique_ptr<CMaskData>& replaced);
    bool Combine(int32_t dest, int32_t src, MaskCombine mode, std::unique_ptr<CMaskData>& replaced);
    bool Invert(int32_t i, std::unique_ptr<CMaskData>& replaced);
    bool CropToPaper(int32_t i, std::unique_ptr<CMaskData>& replaced);
    // Grow or shrink by n = 1..32.
    bool Grow(int32_t i, int n, std::unique_ptr<CMaskData>& replaced);
    bool Shrink(int32_t i, int n, std::unique_ptr<CMaskData>& replaced);

    // Rescaling every mask with the paper to newWidth × newHeight: mode 1 nearest neighbour,
    // mode 2 smooth. One form builds a new manager (nullptr on failure, with a debug note), the
    // other replaces the masks in place; empty masks stay empty, names are kept.
    std::unique_ptr<CMaskMngr> Zoomed(int32_t newWidth, int32_t newHeight, int mode) const;
    bool Zoom(int32_t newWidth, int32_t newHeight, int mode);

    bool UpdateThumbnail(int32_t i);
    void UpdateThumbnails();
    int64_t MemorySize() const;

    // ---- ants ----
    bool ShowAnts(int32_t i);
    bool ShowAntsLocal(int32_t i);
    void HideAnts();
    bool HasAnts() const { return ants_.HasAnts(); }
    int32_t antsIndex() const { return antsIndex_; }
    void StepAnts() { ants_.step(); }
    void SetAntsOffset(TPoint p) { ants_.offset = p; }
    TPoint AntsOffset() const { return ants_.offset; }
    const CAntPoints& ants() const { return ants_; }

    // ---- what the undo manager needs ----
    int32_t count() const override { return Count(); }
    int32_t serialAt(int32_t index) const override;
    const UndoMaskObject* maskAt(int32_t index) const override { return Mask(index); }
    int32_t indexOfSerial(int32_t serial) const override;
    std::unique_ptr<UndoMaskObject> extract(int32_t index) override { return Remove(index); }
    bool insert(int32_t index, std::unique_ptr<UndoMaskObject>& mask) override;
    std::unique_ptr<UndoMaskObject> put(int32_t index, std::unique_ptr<UndoMaskObject>& mask) override;
    int32_t current() const override { return current_; }
    void setCurrent(int32_t index) override { SetCurrent(index); }
    bool move(int32_t to, int32_t from) override { return Move(to, from) >= 0; }
    bool reapply(int32_t index, int32_t operation) override;
    bool offset(int32_t index, int32_t dx, int32_t dy) override;
    void selectionFlags(int32_t& first, int32_t& second) const override;
    void setSelectionFlags(int32_t first, int32_t second) override;
    std::string name(int32_t index) const override;
    bool setName(int32_t index, const std::string& name) override;

    // The two display flags of the selection (shown, in effect) that undo exchanges live in
    // the paper; bound here they are read and written there.
    void bindSelectionFlags(uint8_t* shown, uint8_t* active)
    {
        shownFlag_ = shown;
        activeFlag_ = active;
    }

    MessageSink& messageSink() const { return messages_ ? *messages_ : stderrMessageSink(); }

private:
    int32_t resolve(int32_t i) const { return i == -1 ? current_ : i; }
    bool validIndex(int32_t i) const { return i >= 0 && i < Count(); }
    std::unique_ptr<CMaskData> newEmpty();
    void renumber();
    // Replaces mask i by `mask`, which takes the old one's name.
    void replaceKeepingName(int32_t i, std::unique_ptr<CMaskData> mask,
                            std::unique_ptr<CMaskData>& replaced);
    // A new mask covering `rect` (paper coordinates), all 0.
    std::unique_ptr<CMaskData> maskOver(const TRect& rect);
    std::unique_ptr<CMaskData> rebased(std::unique_ptr<CMaskData> mask);
    std::unique_ptr<CMaskData> croppedToPaper(const CMaskData& mask);
    bool replaceByMorphology(int32_t i, int n, bool grow, std::unique_ptr<CMaskData>& replaced);
    std::unique_ptr<CMaskData> zoomedMask(const CMaskData& mask, int32_t fx, int32_t fy, int mode,
                                          int32_t newWidth, int32_t newHeight) const;

    int32_t paperWidth_, paperHeight_;
    std::vector<std::unique_ptr<CMaskData>> masks_;
    int32_t current_ = 0;
    int32_t nameCounter_ = 0;
    int32_t antsIndex_ = -1;
    CAntPoints ants_;
    int32_t selectionFlags_[2] = {0, 0}; // used while no paper's flags are bound
    uint8_t* shownFlag_ = nullptr;
    uint8_t* activeFlag_ = nullptr;
    MessageSink* messages_;
};

// Copies the coverage of one mask into another where they overlap on the paper.
void copyCoverage(const CMaskData& from, CMaskData& to);

} // namespace qm

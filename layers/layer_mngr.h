// The layers of one paper, bottom (index 0) to top, and which one is current. The paper and
// the undo manager change the stack only through these operations; every removal keeps the
// current index inside the list (−1 once it is empty), and every structural change rewrites
// the layers' own index fields.
#pragma once

#include "core/clock.h"
#include "core/message_sink.h"
#include "layers/layer_data.h"
#include "layers/layer_undo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// Texts shown when a layer cannot be added.
inline constexpr const char* kBadLayerIndexMessage = "不正なﾚｲﾔｲﾝﾃﾞｯｸｽです!";
inline constexpr const char* kLayerInitFailedMessage = "ﾚｲﾔの初期化に失敗しました!";
inline constexpr const char* kLayerAddFailedMessage = "ﾚｲﾔの追加に失敗しました!";
// The word generated layer names start with.
inline constexpr const char* kLayerNameWord = "ﾚｲﾔ";

// Makes a layer's own undo history (legacy painting engine only).
using LayerUndoFactory = std::function<std::unique_ptr<LayerUndo>()>;

// A layer found by its ID: index −1 and no layer when there is none.
struct TFoundLayer {
    int32_t index = -1;
    CLayerData* layer = nullptr;
    explicit operator bool() const { return layer != nullptr; }
};

class CLayerMngr {
  public:
    static constexpr int32_t kMaxLayers = 10000;

    // messages may be null (standard error then); the clock seeds new layers' generators.
    explicit CLayerMngr(MessageSink* messages = nullptr, Clock& clock = systemClock());
    ~CLayerMngr();
    CLayerMngr(const CLayerMngr&) = delete;
    CLayerMngr& operator=(const CLayerMngr&) = delete;

    // Frees any layers and starts over with room for `capacity` of them.
    bool Construct(int32_t capacity);
    void SetPaperSize(int32_t width, int32_t height);
    // Without a factory, layers asked to keep their own undo history get none.
    void setLayerUndoFactory(LayerUndoFactory factory) { undoFactory_ = std::move(factory); }

    int32_t Count() const { return int32_t(layers_.size()); }
    int32_t LastIndex() const { return Count() - 1; }
    bool IsIndex(int32_t index) const { return index >= 0 && index < Count(); }
    // nullptr for an invalid index.
    CLayerData* Get(int32_t index);
    const CLayerData* Get(int32_t index) const;
    bool CanAdd() const { return Count() < maxLayers_; }

    int32_t current() const { return current_; }
    // Makes a valid index current; returns the current index either way.
    int32_t SetCurrent(int32_t index);
    void ClampCurrent();
    void Renumber();

    // A new layer with an image of width × height inserted before `index` (appended when
    // index is past the top). Returns its position, or −1 after showing why; the list is
    // then unchanged. ownUndo asks for the layer's own undo history (legacy engine only).
    int32_t CreateLayer(int32_t index, int32_t width, int32_t height, bool visible, uint8_t opacity,
                        uint8_t mode, bool ownUndo = false);
    int32_t AddLayer(int32_t width, int32_t height, bool visible, uint8_t opacity, uint8_t mode,
                     bool ownUndo = false);

    // The insertions take the layer only when they succeed (−1 leaves it with the caller).
    // InsertAt puts it before a valid index, else on top; returns the position.
    int32_t InsertAt(int32_t index, std::unique_ptr<CLayerData>&& layer);
    // InsertAt for a layer coming back (undo, merge); a negative index is refused.
    int32_t InsertExisting(int32_t index, std::unique_ptr<CLayerData>&& layer);
    // Takes a layer out without freeing it; nullptr for an invalid index.
    std::unique_ptr<CLayerData> Extract(int32_t index);
    std::unique_ptr<CLayerData> ExtractAndFix(int32_t index);
    bool Delete(int32_t index);
    // Puts a layer where another was and hands the old one out; nullptr (the new layer left
    // with the caller) for an invalid index or a null layer.
    std::unique_ptr<CLayerData> Replace(int32_t index, std::unique_ptr<CLayerData>&& layer);
    // Moves the layer at `from` to `to` (clamped into the list); the new index, or −1 when
    // to = from or from is invalid.
    int32_t Move(int32_t to, int32_t from);
    // Frees every layer; returns how many there were.
    int32_t Clear();
    // Makes the layer at `to` a copy of the one at `from`.
    bool CopyLayer(int32_t to, int32_t from);
    // Exchanges a layer of this list with one of another (or of this) list.
    bool SwapWith(int32_t index, CLayerMngr& other, int32_t otherIndex, bool renumberOther);

    // ---- IDs ----
    int32_t IdAt(int32_t index) const;   // −1 for an invalid index
    int32_t IndexOfId(int32_t id) const; // −1 when absent
    TFoundLayer FindById(int32_t id);

    // ---- visibility ----
    int32_t VisibleCount() const;
    int32_t FirstVisible() const; // −1 when none is
    // Each layer's visibility, bottom first; empty when there are no layers.
    std::vector<uint8_t> SaveVisibility() const;
    void ToggleAllVisibility();
    void SetAllVisibility(bool visible);
    // Shows the layer at index and hides every other; false (nothing changed) when invalid.
    bool ShowOnly(int32_t index);

    // ---- memory ----
    void FreeLayerUndos();
    int64_t MemoryUsed() const;
    int64_t LayerUndoMemory() const;

    // ---- names ----
    // "ﾚｲﾔ" followed by n + the name counter.
    std::string DefaultName(int32_t n) const;
    // Counts on by `step` and gives the layer at index the next generated name.
    bool NameNew(int32_t index, int32_t step);
    bool CopyName(int32_t to, int32_t from);

    int32_t maxLayers() const { return maxLayers_; }
    int32_t paperWidth() const { return paperWidth_; }
    int32_t paperHeight() const { return paperHeight_; }
    int32_t thumbWidth() const { return thumbWidth_; }
    int32_t thumbHeight() const { return thumbHeight_; }
    int32_t nameCounter() const { return nameCounter_; }
    void setNameCounter(int32_t counter) { nameCounter_ = counter; } // a loaded paper's
    MessageSink& messageSink() const { return messages_ ? *messages_ : stderrMessageSink(); }
    Clock& clock() const { return *clock_; }

  private:
    std::vector<std::unique_ptr<CLayerData>> layers_;
    int32_t maxLayers_ = kMaxLayers;
    int32_t current_ = -1;
    int32_t paperWidth_ = 0;
    int32_t paperHeight_ = 0;
    int32_t thumbWidth_ = CLayerData::kThumbnailBox;
    int32_t thumbHeight_ = CLayerData::kThumbnailBox;
    int32_t nameCounter_ = 0;
    MessageSink* messages_ = nullptr;
    Clock* clock_ = nullptr;
    LayerUndoFactory undoFactory_;
};

} // namespace qm

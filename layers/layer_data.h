// One layer of a paper: a tiled 32-bit image whose alpha byte is the layer's per-pixel
// transparency, plus what decides how it is drawn. The image may be larger than the paper;
// (offsetX, offsetY) is where the paper's top-left pixel lies inside it.
//
// Layers are known to undo records, masks and events by their ID, a process-wide number
// handed out once per created layer; positions in the list change, IDs do not.
#pragma once

#include "core/block_vmtc.h"
#include "core/dib_core.h"
#include "core/rect.h"
#include "layers/layer_random.h"
#include "layers/layer_undo.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

class CLayerData {
  public:
    // The box a new layer's thumbnail is fitted into.
    static constexpr int32_t kThumbnailBox = 33;
    // The blend option's generator draws from 0 .. 254.
    static constexpr uint32_t kRandomLow = 0;
    static constexpr uint32_t kRandomHigh = 255;

    CLayerData() = default;
    ~CLayerData();
    CLayerData(const CLayerData&) = delete;
    CLayerData& operator=(const CLayerData&) = delete;

    // A created layer without an image.
    static std::unique_ptr<CLayerData> make(int32_t index, uint32_t seed,
                                            std::unique_ptr<LayerUndo> undo = nullptr);

    // Resets the record to a new layer: the next ID, empty name, hidden, opaque, mode 0, no
    // image; the blend option's generator starts from `seed` (the caller reads the clock).
    void Create(int32_t index, uint32_t seed, std::unique_ptr<LayerUndo> undo = nullptr);

    // A transparent image of the mode's neutral colour, the paper taken to be the image,
    // visible, opaque. On failure false, and the old image stays.
    bool CreateImage(int32_t width, int32_t height, uint8_t mode);
    // Makes this layer a copy of the other: image (same size, block by block), thumbnail,
    // properties, offset, paper size, and the other's own undo history when both keep one.
    // ID and index stay. On failure false, and nothing has changed.
    bool CopyContents(const CLayerData& other);
    // CopyContents from a layer that has an image; false when it has none.
    bool CloneFrom(const CLayerData& other);
    // Name, visibility, opacity, protection, mode, blend option and generator state.
    void CopyProperties(const CLayerData& other);

    // A blank thumbnail for the paper fitted into width × height, keeping the aspect ratio.
    // False (the old thumbnail kept) without a paper size or memory.
    bool SizeThumbnail(int32_t width, int32_t height);
    // Box-filters the part of the image the paper shows into the thumbnail.
    bool UpdateThumbnail();
    // The same, redone only where a changed rectangle of the paper shows in the thumbnail.
    bool UpdateThumbnail(const TRect& changedOnPaper);

    // The image's rectangle in paper coordinates.
    TRect ImageRectOnPaper() const;
    bool IsLargerThanPaper() const;
    // Whether the paper lies inside the image at the current offset; with clamp the offset is
    // moved to the nearest one that does (0 where the image is smaller than the paper).
    // Returns the answer from before clamping.
    bool OffsetInRange(bool clamp);

    // A new layer of the same mode and index with an image of width × height holding this
    // whole image at `shift`; its offset is this one's plus shift, its paper this one's. It
    // keeps an own undo history (empty) when this one has one. nullptr on failure.
    std::unique_ptr<CLayerData> CopyPart(int32_t width, int32_t height, TPoint shift) const;

    bool SetAlphaAll(uint8_t alpha);
    bool InvertAlpha();
    // Every colour becomes the mode's neutral colour; alpha kept.
    bool ResetColourToNeutral();
    // Puts another image in place without copying; returns the old one.
    std::unique_ptr<CBlockVMTC> SwapImage(std::unique_ptr<CBlockVMTC> image);

    // Bytes of allocated image blocks plus the thumbnail's.
    int64_t MemoryUsed() const;

    // ---- the own undo history (legacy painting engine only) ----
    bool recordUndo(TBox box);
    bool recordUndoAll();
    bool undo(TBox& changed);
    bool redo(TBox& changed);
    bool canUndo() const;
    bool canRedo() const;
    int64_t undoMemoryUsed() const;
    void freeLayerUndo() { layerUndo_.reset(); }

    CBlockVMTC* image() { return image_.get(); }
    const CBlockVMTC* image() const { return image_.get(); }
    TMTC* thumbnail() { return thumbnail_.get(); }
    const TMTC* thumbnail() const { return thumbnail_.get(); }
    LayerUndo* layerUndo() { return layerUndo_.get(); }
    const LayerUndo* layerUndo() const { return layerUndo_.get(); }

    int32_t imageWidth() const { return image_ ? image_->width() : 0; }
    int32_t imageHeight() const { return image_ ? image_->height() : 0; }

    int32_t index = 0;   // position in the manager's list, kept up to date by the manager
    int32_t id = -1;     // −1 until created; a replacement may take the ID of what it replaces
    std::string name;    // UTF-8
    int32_t offsetX = 0; // the paper's origin inside the image
    int32_t offsetY = 0;
    int32_t paperWidth = 0;
    int32_t paperHeight = 0;
    uint8_t visible = 0;      // 0 or 1
    uint8_t protectAlpha = 0; // painting keeps the alpha bytes
    uint8_t opacity = 255;
    uint8_t mode = 0;       // blend mode number; lookups use mode AND 0x7F
    uint8_t blendNoise = 0; // the blend option: draw only where the generator says so
    uint8_t blendAmount = 255;
    CLayerRandom random;

  private:
    static int32_t takeNextId();

    std::unique_ptr<CBlockVMTC> image_;
    std::unique_ptr<TMTC> thumbnail_;
    std::unique_ptr<LayerUndo> layerUndo_;
};

} // namespace qm

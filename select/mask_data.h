// One selection mask: 8-bit coverage (0 = outside, 255 = fully selected) tiled in 64 × 64
// blocks, at an offset from the paper: mask-local coordinate = paper coordinate + offset.
#pragma once

#include "core/block_vch.h"
#include "core/dib_core.h"
#include "core/message_sink.h"
#include "core/pixel_math.h"
#include "layers/layer_data.h"
#include "undo/undo_targets.h"

#include <memory>
#include <string>

namespace qm {

inline constexpr const char* kCreateMaskFailedMessage = "CMaskData::createMask: exception!";

class CMaskData : public UndoMaskObject {
public:
    CMaskData();
    ~CMaskData() override;

    // A new coverage image of width × height, all 0; false (after telling the user) when it
    // cannot be had, the mask then empty.
    bool createMask(int32_t width, int32_t height, MessageSink& messages);

    // Non-empty: there is a coverage image and it is valid.
    bool IsValid() const { return coverage && coverage->IsValid(); }
    int32_t width() const { return IsValid() ? coverage->width() : 0; }
    int32_t height() const { return IsValid() ? coverage->height() : 0; }
    // The mask's rectangle in paper coordinates.
    TRect Bounds() const { return {-offsetX, -offsetY, width() - offsetX, height() - offsetY}; }
    bool insidePaper(int32_t paperWidth, int32_t paperHeight) const;
    // The smallest rectangle (paper coordinates) holding all non-zero coverage.
    bool ContentBounds(TRect& bounds) const;
    // The coverage at a paper position, −1 outside the mask's rectangle.
    int32_t ValueAt(int32_t x, int32_t y) const;
    // mul(coverage, w) at a mask-local position, 0 outside.
    uint32_t WeightAt(int32_t x, int32_t y, uint32_t w) const
    {
        if (!IsValid() || x < 0 || y < 0 || x >= coverage->width() || y >= coverage->height())
            return 0;
        return MulTable[coverage->GetPixel(x, y)][w & 0xFF];
    }

    // A mask the size of the layer's image at the layer's offset, from its brightness
    // (mul(A, L), or mul(A, 255 − L) inverted) or its alpha; named "明度(layer)" or
    // "ﾏｽｸ(layer)".
    bool FromLayerBrightness(const CLayerData& layer, bool inverted, MessageSink& messages);
    bool FromLayerAlpha(const CLayerData& layer, MessageSink& messages);
    // Every alpha of the layer becomes 0, then the coverage where mask and layer overlap.
    bool ToLayerAlpha(CLayerData& layer) const;
    // alpha = mul(coverage, alpha) for every pixel of an image at the paper's origin that
    // lies under the mask.
    bool ClipAlpha(TMTC& image) const;

    // A deep copy with a new serial and the same name, offset and thumbnail.
    std::unique_ptr<CMaskData> copy() const;
    // The coverage of the whole mask as a flat channel.
    bool toChannel(TChannel& channel) const;
    // The thumbnail of the whole paper, 33 pixels on its longer side.
    bool updateThumbnail(int32_t paperWidth, int32_t paperHeight);

    int64_t memoryUsed() const override { return IsValid() ? coverage->MemoryUsed() : 0; }
    std::unique_ptr<UndoMaskObject> clone() const override { return copy(); }

    int32_t index = 0;
    int32_t serial;
    std::unique_ptr<CBlockVCH> coverage;
    TTC thumbnail;
    std::string name;
    int32_t offsetX = 0;
    int32_t offsetY = 0;

private:
    static int32_t nextSerial();
};

// How an edit of a layer is weighted by the selection: with the selection enabled and a
// non-empty current mask, a pixel written at layer position (x, y) with coverage c counts
// mul(c, mask) at the matching mask position (0 skips the pixel); otherwise c as it is.
class TMaskClip {
public:
    TMaskClip() = default;
    TMaskClip(bool selectionEnabled, const CMaskData* mask, int32_t layerOffsetX,
              int32_t layerOffsetY)
        : mask_(selectionEnabled && mask && mask->IsValid() ? mask : nullptr),
          dx_(mask ? mask->offsetX - layerOffsetX : 0), dy_(mask ? mask->offsetY - layerOffsetY : 0)
    {
    }
    bool active() const { return mask_ != nullptr; }
    uint32_t weight(int32_t x, int32_t y, uint32_t coverage) const
    {
        return mask_ ? mask_->WeightAt(x + dx_, y + dy_, coverage) : coverage;
    }

private:
    const CMaskData* mask_ = nullptr;
    int32_t dx_ = 0, dy_ = 0;
};

} // namespace qm

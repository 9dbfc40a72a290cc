// The event recorder of a paper, as the paper drives it. Every recording edit tells it what
// happened before the edit saves its undo record; undo and redo keep both histories in step.
#pragma once

#include "core/dib_core.h"
#include "paper/fill_options.h"
#include "paper/select_options.h"
#include "paper/stack_options.h"

#include <cstdint>
#include <span>
#include <string>

namespace qm {

class TStroke;
class CPatMngrBase;

// The layer attributes the layer window sets one at a time, by the sub-code of their event.
enum class TLayerAttribute : uint8_t { opacity = 16, mode = 17, visible = 18, protectAlpha = 20 };

// The layer events of the layer mask (a layer's alpha): filled with a value, negated.
namespace layerMaskEvent {
inline constexpr uint8_t fill = 24;
inline constexpr uint8_t negate = 25;
} // namespace layerMaskEvent

class PaperEvents {
public:
    virtual ~PaperEvents() = default;

    virtual bool isRecording() const = 0;
    // The stroke a recording of the current format is replayed with, and its screentones.
    virtual TStroke* replayStroke() = 0;
    virtual const CPatMngrBase* replayTones() const { return nullptr; }

    virtual void recordNewPaper(int32_t width, int32_t height, int32_t extra) = 0;
    // The state the recording starts from (after a new paper).
    virtual void takeStartState() = 0;
    virtual void recordStrokeBegin(float x, float y, float pressure) = 0;
    virtual void recordStrokePoint(float x, float y, float pressure) = 0;
    virtual void recordStrokeEnd() = 0;
    virtual void recordPaperColor(uint32_t color) = 0;
    // A layer event (1 delete, 2 clear, 3 duplicate, 24 and 25 the layer mask, 32 … 35 the
    // layer commands) for a layer index, with the value some of them carry.
    virtual void recordLayerEvent(int32_t code, int32_t layer, int32_t value = 0) = 0;
    // A new layer: position, size, opacity, mode and flags (bit 0 visible).
    virtual void recordNewLayer(int32_t index, int32_t width, int32_t height, uint8_t opacity,
                                uint8_t mode, uint16_t flags) = 0;
    // The layer window's edits, each recorded while the layer still has its old attributes
    // (the packets carry them beside the new value).
    virtual void recordLayerAttribute(int32_t layer, TLayerAttribute which, uint8_t value) = 0;
    virtual void recordLayerBlendOption(int32_t layer, bool noise, uint8_t amount) = 0;
    virtual void recordLayerName(int32_t layer, const std::string& name) = 0;
    // The layer's offset changes by (dx, dy).
    virtual void recordLayerOffset(int32_t layer, int32_t dx, int32_t dy) = 0;
    virtual void recordLayerMove(int32_t layer, int32_t to) = 0;

    // The stack's operations: a paper operation without a payload or with two values, a new
    // paper size, a crop, a layer operation with a value and two numbers (12-byte form), a
    // new layer from the dialog, a picture placed on the paper.
    virtual void recordPaperOperation(uint8_t sub, int32_t a = 0, int32_t b = 0) = 0;
    virtual void recordPaperResize(uint8_t sub, const TPaperResize& resize) = 0;
    virtual void recordCrop(int32_t layer, const TRect& rect) = 0;
    virtual void recordLayerValues(uint8_t sub, int32_t layer, int32_t value, int32_t a,
                                   int32_t b) = 0;
    virtual void recordNewNamedLayer(const TNewLayerChoice& choice) = 0;
    // The move tool's move of a layer together with a selection slot: the offset's change.
    virtual void recordLayerMoveWithMask(int32_t layer, int32_t slot, int32_t dx, int32_t dy) = 0;
    virtual void recordImagePlacement(uint8_t sub, const TImagePlacement& placement) = 0;
    // A filter by its number with its parameter record (the category follows from the
    // record's length), and the pictures it paints with (the floor's), written before it.
    virtual void recordFilter(uint8_t number, std::span<const uint8_t> record,
                              const TMTC* first, const TMTC* second) = 0;

    // The fills, each written with the stroke state it paints with: an area fill (a shape
    // between two paper points, or a whole layer), a polygon, a coverage channel.
    virtual void recordAreaFill(uint8_t sub, int32_t layer, int32_t value, TPoint first,
                                TPointF second) = 0;
    virtual void recordPolygonFill(int32_t layer, std::span<const TPointF> points) = 0;
    virtual void recordChannel(uint8_t sub, const TChannelEventHead& head,
                               const TChannel& channel) = 0;
    // Text: its font and text records, then its channel, as one event.
    virtual void recordText(const TTextRecords& records, uint8_t sub,
                            const TChannelEventHead& head, const TChannel& channel) = 0;

    // The selection operations: the short form (a slot) or the long form (a slot and two
    // values) by the sub-code, a mask's name, a shape or a lasso made into a selection, and
    // the colour range with the channel it gave.
    virtual void recordSelection(uint8_t sub, int32_t layer, int32_t slot, int32_t a,
                                 int32_t b) = 0;
    virtual void recordMaskName(int32_t slot, const std::string& name) = 0;
    virtual void recordSelectShape(uint8_t sub, const TSelectShape& shape) = 0;
    virtual void recordSelectLasso(int32_t layer, int32_t slot, MaskCombine mode,
                                   std::span<const TPointF> points) = 0;
    virtual void recordColourRange(const TColourRangeChoice& choice, const TChannelEventHead& head,
                                   const TChannel& channel) = 0;

    virtual int32_t undoCount() const = 0;
    virtual int32_t redoCount() const = 0;
    virtual bool recordUndo() = 0;
    virtual bool recordRedo() = 0;
    virtual void clearUndo() = 0;
    // Both histories of the recorder; false when it could not resize them.
    virtual bool resizeHistory(int32_t undoDepth, int32_t redoDepth) = 0;
};

} // namespace qm

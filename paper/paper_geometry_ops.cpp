// The paper's geometry: the canvas size, the rescales, the crop and the quarter turns replace
// or turn the whole stack; one layer can be turned, rotated or scaled. The whole-stack
// replacements build the new stack beside the old one so that undo can keep the old; when
// both do not fit, the user chooses between doing it without undo and not at all.
#include "paper/paper.h"

#include "core/debug_output.h"
#include "layers/layer_geometry.h"
#include "layers/layer_list_resize.h"
#include "select/mask_geometry.h"
#include "undo/layer_history.h"
#include "undo/undo_kinds.h"

#include <bit>
#include <cmath>
#include <new>

namespace qm {

namespace {

std::string formatted(const char* pattern, const char* word)
{
    const std::string text = pattern;
    const size_t at = text.find("%s");
    return at == std::string::npos ? text : text.substr(0, at) + word + text.substr(at + 2);
}

// A whole mask list while undo keeps it.
class TKeptMasks final : public UndoMaskList {
  public:
    explicit TKeptMasks(std::unique_ptr<CMaskMngr> masks) : masks(std::move(masks)) {}
    int64_t memoryUsed() const override { return masks ? masks->MemorySize() : 0; }
    std::unique_ptr<UndoMaskList> clone() const override
    {
        // The same size in the nearest-neighbour mode copies every coverage byte.
        if (!masks) return nullptr;
        std::unique_ptr<CMaskMngr> copy =
            masks->Zoomed(masks->paperWidth(), masks->paperHeight(), 1);
        return copy ? std::make_unique<TKeptMasks>(std::move(copy)) : nullptr;
    }
    std::unique_ptr<CMaskMngr> masks;
};

} // namespace

// ---- the whole-stack replacements ----

std::unique_ptr<UndoMaskList> TPaper::swapMaskList(std::unique_ptr<UndoMaskList> list)
{
    auto* kept = dynamic_cast<TKeptMasks*>(list.get());
    if (!kept || !kept->masks) return list;
    std::swap(masks, kept->masks);
    masks->bindSelectionFlags(&selectionShown, &selectionActive);
    if (undoMngr) undoMngr->SetMaskManager(masks.get());
    return list;
}

bool TPaper::replaceStack(TFlowImage& flow, const TStackChange& change, bool record)
{
    const auto build = [&](std::unique_ptr<CLayerMngr>& stack,
                           std::unique_ptr<CMaskMngr>& newMasks) {
        try {
            stack = change.buildStack();
            if (stack && change.buildMasks) newMasks = change.buildMasks();
        } catch (const std::bad_alloc&) {
            stack.reset();
        }
        return stack && (!change.buildMasks || newMasks);
    };
    std::unique_ptr<CLayerMngr> stack;
    std::unique_ptr<CMaskMngr> newMasks;
    bool built = build(stack, newMasks);
    const int64_t budget = services_.memoryBudget;
    const bool fits =
        built && (budget <= 0 || layers->MemoryUsed() + stack->MemoryUsed() <= budget);
    bool keepUndo = record && undoMngr != nullptr;
    if (!fits) {
        if (!change.askWhenShort) {
            if (record) messages().showMessage(formatted(kOutOfMemoryFailed, change.what));
            return false;
        }
        if (keepUndo) {
            std::string question = formatted(kNoUndoQuestion, kNoUndoWord);
            if (window.modified) question += std::string("\r") + kSaveFirstAdvice;
            if (change.ask && !change.ask(question))
                return false; // Cancel: paper, layers and undo as they were
            // Without undo: its history goes first, which frees what it kept.
            stack.reset();
            newMasks.reset();
            clearUndo();
            keepUndo = false;
            built = build(stack, newMasks);
        }
        if (!built) {
            if (record) messages().showMessage(kOutOfMemoryMessage);
            return false;
        }
    }
    // Only a change that really happens is recorded.
    if (record && change.recordEvent) change.recordEvent();
    const TPoint oldSize{width, height};
    const int32_t current = layers->current();
    std::unique_ptr<CLayerMngr> old = swapLayerList(std::move(stack));
    std::unique_ptr<UndoMaskList> oldMasks;
    if (newMasks) oldMasks = swapMaskList(std::make_unique<TKeptMasks>(std::move(newMasks)));
    setPaperSize(change.newSize.x, change.newSize.y);
    shiftView(change.move.x, change.move.y);
    if (keepUndo) {
        if (!undoMngr->RecordLayerList(change.undoKind, std::move(old), oldSize.x, oldSize.y,
                                       change.move.x, change.move.y, std::move(oldMasks)))
            clearUndo();
    }
    old.reset();
    layers->SetCurrent(current);
    rebuildSelectionOutline();
    refreshAll(flow, current, true);
    window.layersChanged();
    window.selectionChanged();
    setModified(true);
    return true;
}

bool TPaper::resizeCanvas(TFlowImage& flow, const TPaperResize& resize, bool record,
                          const TAskWithoutUndo& askWithoutUndo)
{
    if (resize.width <= 0 || resize.height <= 0 ||
        (resize.width == width && resize.height == height))
        return false;
    const TPoint at = canvasAnchorOffset(resize.anchor, width, height, resize.width, resize.height);
    const TPoint shift{-at.x, -at.y};
    const TPaperSize size{resize.width, resize.height};
    TStackChange change;
    change.undoKind = kUndoCanvasSize;
    change.what = kNoUndoWord;
    change.newSize = {resize.width, resize.height};
    change.move = at;
    change.ask = askWithoutUndo;
    change.buildStack = [&] {
        // Unless asked to cut them, layers keep what lies outside the new canvas.
        return resize.trimLayers ? makeResizeLayer(*layers, shift, size)
                                 : makeResizeLayerEx(*layers, shift, size, true);
    };
    change.recordEvent = [&] { eventMngr->recordPaperResize(paperEvent::canvasSize, resize); };
    return replaceStack(flow, change, record);
}

bool TPaper::rescalePaper(TFlowImage& flow, uint8_t sub, const TPaperResize& resize, bool record,
                          const TAskWithoutUndo& askWithoutUndo)
{
    if ((sub != paperEvent::resolution && sub != paperEvent::resample) || resize.width <= 0 ||
        resize.height <= 0 || (resize.width == width && resize.height == height))
        return false;
    const TPaperSize size{resize.width, resize.height};
    const TZoomKind kind =
        sub == paperEvent::resolution ? TZoomKind::AreaAverage : TZoomKind::Supersample;
    TStackChange change;
    change.undoKind = kUndoResample;
    change.what = kNoUndoWord;
    change.newSize = {resize.width, resize.height};
    change.ask = askWithoutUndo;
    change.buildStack = [&] { return makeZoomLayer(*layers, size, kind); };
    // The selection is rescaled with the picture, smoothly for the averaging kind.
    change.buildMasks = [&] {
        return masks->Zoomed(resize.width, resize.height, sub == paperEvent::resolution ? 2 : 1);
    };
    change.recordEvent = [&] { eventMngr->recordPaperResize(sub, resize); };
    if (!replaceStack(flow, change, record)) return false;
    if (resize.dpi > 0) dpi = resize.dpi;
    return true;
}

bool TPaper::cropPaper(TFlowImage& flow, int32_t layer, TRect rect, bool record)
{
    if (!intersectRect(rect, {0, 0, width, height}, rect)) return false;
    if (rect.width() <= 0 || rect.height() <= 0 || !layers->IsIndex(layer) ||
        (rect.width() == width && rect.height() == height))
        return false;
    const TPaperSize size{rect.width(), rect.height()};
    TStackChange change;
    change.undoKind = kUndoCrop;
    change.what = kCropWord;
    change.askWhenShort = false;
    change.newSize = {rect.width(), rect.height()};
    change.move = {-rect.left, -rect.top};
    change.buildStack = [&] { return makeResizeLayer(*layers, {rect.left, rect.top}, size); };
    change.recordEvent = [&] { eventMngr->recordCrop(layer, rect); };
    if (layer != layers->current()) setCurrentLayer(flow, layer);
    return replaceStack(flow, change, record);
}

// ---- quarter turns of the paper ----

bool TPaper::quarterTurn(bool clockwise)
{
    const TPaperSize turned{height, width};
    std::vector<std::unique_ptr<CLayerData>> made;
    std::vector<std::unique_ptr<CMaskData>> turnedMasks;
    try {
        for (int32_t i = 0; i < layers->Count(); ++i) {
            made.push_back(RotateLayer90(*layers->Get(i), turned, clockwise));
            if (!made.back()) return false;
        }
        for (int32_t i = 0; i < masks->Count(); ++i) {
            const CMaskData* mask = masks->Mask(i);
            turnedMasks.push_back(mask && mask->IsValid()
                                      ? rotateMask90(*mask, {width, height}, clockwise)
                                      : nullptr);
            if (mask && mask->IsValid() && !turnedMasks.back()) return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int32_t i = 0; i < int32_t(made.size()); ++i)
        layers->Replace(i, std::move(made[size_t(i)]));
    for (int32_t i = 0; i < int32_t(turnedMasks.size()); ++i)
        if (turnedMasks[size_t(i)]) {
            std::unique_ptr<UndoMaskObject> mask = std::move(turnedMasks[size_t(i)]);
            masks->put(i, mask);
        }
    setPaperSize(turned.width, turned.height);
    return true;
}

bool TPaper::turnPaper(TFlowImage& flow, bool clockwise, bool record)
{
    if (const CLayerData* current = currentLayer();
        current && flow.holds(*current, currentLayerIndex()))
        flow.reload(*layers->Get(currentLayerIndex()), current->image()->bounds());
    const int32_t oldWidth = width, oldHeight = height;
    bool turned = false;
    try {
        turned = quarterTurn(clockwise);
    } catch (const std::bad_alloc&) {
        if (record) messages().showMessage(formatted(kOutOfMemoryFailed, kTurnWord));
        return false;
    } catch (const std::exception&) {
        if (record) messages().showMessage(formatted(kUnexpectedFailed, kTurnWord));
        return false;
    }
    if (!turned) {
        if (record) messages().showMessage(formatted(kOutOfMemoryFailed, kTurnWord));
        return false;
    }
    const uint8_t sub = clockwise ? paperEvent::turnClockwise : paperEvent::turnCounterClockwise;
    if (record) {
        if (recording()) eventMngr->recordPaperOperation(sub);
        if (undoMngr) undoMngr->RecordPaperTransform(sub, oldWidth, oldHeight);
    }
    rebuildSelectionOutline();
    refreshAll(flow, currentLayerIndex(), true);
    window.layersChanged();
    window.selectionChanged();
    setModified(true);
    return true;
}

void TPaper::toggleTransform(int32_t operation)
{
    // Undo asks for the other turn, redo for the same one again; both are lossless.
    if (operation == paperEvent::turnClockwise || operation == paperEvent::turnCounterClockwise) {
        if (!quarterTurn(operation == paperEvent::turnClockwise))
            messages().showMessage(formatted(kOutOfMemoryFailed, kTurnWord));
        rebuildSelectionOutline();
    }
}

// ---- one layer ----

bool TPaper::replaceTransformed(TFlowImage& flow, int32_t i, std::unique_ptr<CLayerData> made,
                                const std::function<void()>& recordEvent, bool record)
{
    if (!made) {
        if (record) messages().showMessage(kOutOfMemoryMessage);
        return false;
    }
    if (record && recording()) recordEvent();
    std::unique_ptr<CLayerData> old = layers->Replace(i, std::move(made));
    if (record && undoMngr) undoMngr->RecordReplaced(kUndoTransformLayer, std::move(old));
    old.reset();
    flow.forget();
    stackChanged(flow, i);
    return true;
}

bool TPaper::turnLayer(TFlowImage& flow, int32_t i, bool clockwise, bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image()) return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    std::unique_ptr<CLayerData> made;
    try {
        made = RotateLayer90(*layer, {width, height}, clockwise);
    } catch (const std::bad_alloc&) {
        made.reset();
    }
    const uint8_t sub =
        clockwise ? layerStackEvent::turnClockwise : layerStackEvent::turnCounterClockwise;
    return replaceTransformed(
        flow, i, std::move(made), [&] { eventMngr->recordLayerEvent(sub, i); }, record);
}

bool TPaper::rotateLayer(TFlowImage& flow, int32_t i, float degrees, bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image() || !std::isfinite(degrees) || degrees == 0.0f ||
        std::abs(degrees) > 360.0f)
        return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    std::unique_ptr<CLayerData> made;
    try {
        made = RotateLayer(*layer, {width, height}, degrees);
    } catch (const std::bad_alloc&) {
        made.reset();
    }
    return replaceTransformed(
        flow, i, std::move(made),
        [&] {
            eventMngr->recordLayerValues(layerStackEvent::rotate, i, 0,
                                         std::bit_cast<int32_t>(degrees), 0);
        },
        record);
}

bool TPaper::scaleLayer(TFlowImage& flow, int32_t i, int32_t newWidth, int32_t newHeight,
                        bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image() || newWidth <= 0 || newHeight <= 0 ||
        newWidth > kMaxLayerOffset || newHeight > kMaxLayerOffset ||
        (newWidth == layer->imageWidth() && newHeight == layer->imageHeight()))
        return false;
    if (flow.holds(*layer, i)) flow.reload(*layer, layer->image()->bounds());
    std::unique_ptr<CLayerData> made;
    try {
        made = ScaleLayer(*layer, {width, height}, newWidth, newHeight);
    } catch (const std::bad_alloc&) {
        made.reset();
    }
    return replaceTransformed(
        flow, i, std::move(made),
        [&] { eventMngr->recordLayerValues(layerStackEvent::scale, i, 0, newWidth, newHeight); },
        record);
}

} // namespace qm

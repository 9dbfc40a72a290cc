// The document. Every change to the picture goes through its paper: it records the edit with
// the event recorder, saves what undo needs, changes the layers and refreshes what the window
// shows. Live input (record set) and replay (record clear) call the same operations.
//
// Coordinates are paper pixels unless stated; layer images may be larger than the paper and
// sit at their offset (paper point + offset = image point).
#pragma once

#include "core/clock.h"
#include "core/dib_core.h"
#include "layers/layer_mngr.h"
#include "paint/brush.h"
#include "paint/brush_plot.h"
#include "paint/stroke.h"
#include "paper/draw_window.h"
#include "paper/fill_options.h"
#include "paper/flow_image.h"
#include "paper/paper_events.h"
#include "paper/select_options.h"
#include "paper/stack_options.h"
#include "filters/filter_params.h"
#include "select/mask_mngr.h"
#include "select/select_mng.h"
#include "tone/color_slot_group.h"
#include "tone/gradation.h"
#include "undo/undo_mngr_ex.h"
#include "undo/undo_targets.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace qm {

class CFillMngr;
class CGradMngr;
class CPatMngrBase;
struct TConfigSettings;
class TPaper;

// The paper's painting engine: the current one, or the version 1.1 one while such a recording
// plays back (no undo manager then; each layer keeps its own history).
enum class TPaintRoutine : uint8_t { current, legacy };

// What the program lends a paper: all borrowed, any may be null.
struct TPaperServices {
    TStroke* liveStroke = nullptr;              // the main window's stroke, edited by the pen window
    const CPatMngrBase* tones = nullptr;        // the screentone list
    const CGradMngr* gradations = nullptr;      // the gradation window's current entry
    const TConfigSettings* config = nullptr;    // undo depth and grid spacing
    Clock* clock = nullptr;                     // seeds the blend option of the display
    TPaintRoutine defaultRoutine = TPaintRoutine::current;
    // Bytes the old and the new stack of a whole-stack replacement may take together while
    // undo keeps the old one; 0 for no limit.
    int64_t memoryBudget = 0;
    // Makes the paper's event recorder; without it the paper records nothing.
    std::function<std::unique_ptr<PaperEvents>(TPaper&)> makeEvents;
};

// Texts the paper shows.
inline constexpr const char* kUndoEventFailed = "failed to undo event!";
inline constexpr const char* kRedoEventFailed = "failed to redo event!";
inline constexpr const char* kEventStateRepaired = "ｲﾍﾞﾝﾄ状態の問題を修正しました!";
inline constexpr const char* kEventRecordProblem = "ｲﾍﾞﾝﾄ記録に問題が検出されました!";
inline constexpr const char* kLayerCommandFailed = "Failed to execute layer command!";
inline constexpr const char* kNotImplemented = "not implemented!";
inline constexpr const char* kUndoDepthFailed = "ｱﾝﾄﾞｩ回数の変更に失敗しました!";
inline constexpr const char* kLayerCreateFailed = "ﾒﾓﾘ不足により正常に実行できませんでした！";
inline constexpr const char* kMergeAllFailed = "例外の発生により正常に実行できませんでした！";
inline constexpr const char* kExceptionMessage = "例外発生のため実行できません！";
inline constexpr const char* kOutOfMemoryMessage = "メモリ不足のため実行できませんでした！";
inline constexpr const char* kLayerMoveFailed = "ﾚｲﾔ移動に失敗しました！";
// The whole-stack replacements: the question when undo cannot be kept, and its second line
// when the paper has unsaved changes; crop's and the quarter turns' failures.
inline constexpr const char* kNoUndoQuestion = "ﾒﾓﾘ不足のため%sは実行できませんがよろしいですか?";
inline constexpr const char* kNoUndoWord = "ｱﾝﾄﾞｩ";
inline constexpr const char* kSaveFirstAdvice = "*実行前にﾌｧｲﾙを保存しておくことをおすすめします*";
inline constexpr const char* kOutOfMemoryFailed = "ﾒﾓﾘ不足により%sの実行に失敗しました！";
inline constexpr const char* kUnexpectedFailed = "予期しない例外により%sの実行に失敗しました！";
inline constexpr const char* kCropWord = "切り抜き";
inline constexpr const char* kTurnWord = "回転";

// A layer name must fit a 16-bit length with its terminator, rounded up to even.
inline constexpr size_t kMaxLayerNameBytes = 65533;
// Keeps every sum of an offset and a paper coordinate far inside 32 bits.
inline constexpr int32_t kMaxLayerOffset = 1 << 20;

// Where paper points land in a window of a given size at the paper's zoom and rotation: a
// plain value, so loops over many points (the ants) call no function per point.
struct TPaperToWindow {
    float scale = 1.0f;
    bool rotated = false;
    float scrollX = 0.0f, scrollY = 0.0f; // unrotated: window = (paper − scroll) · scale + origin
    float originX = 0.0f, originY = 0.0f;
    float centreX = 0.0f, centreY = 0.0f; // rotated: about this paper point …
    float sine = 0.0f, cosine = 1.0f;
    float windowX = 0.0f, windowY = 0.0f; // … which lands here
    TPointF operator()(float x, float y) const
    {
        if (!rotated)
            return {(x - scrollX) * scale + originX, (y - scrollY) * scale + originY};
        // The rotation matrix is orthonormal: its inverse is its transpose.
        const float dx = x - centreX, dy = y - centreY;
        const float cx = cosine * dx + sine * dy;
        const float cy = cosine * dy - sine * dx;
        return {cx * scale + windowX, cy * scale + windowY};
    }
};

// Layer commands of execLayerCommand.
enum class TLayerCommand : int32_t { flipLeftRight = 7, flipTopBottom = 8, negate = 9, halfTurn = 10 };

class TPaper final : public UndoPaper {
public:
    static constexpr int32_t kMinZoomLevel = -8;
    static constexpr int32_t kMaxZoomLevel = 9;
    static constexpr uint32_t kGridColor = 0xD0D0D0;

    // create: the paper with its managers. A manager that cannot be made stays null (the
    // debugger output says so) and the paper works without it.
    TPaper(TDrawWindow& window, const TPaperServices& services);
    ~TPaper() override;
    TPaper(const TPaper&) = delete;
    TPaper& operator=(const TPaper&) = delete;

    // The picture as it is saved and exported: every visible layer over the paper colour,
    // opaque, without the grid the display draws as a viewing aid.
    TMTC picture();

    // ---- life and set-up ----
    // A new paper: title, size, the first layer cleared, the new-paper event.
    bool initPaper(const std::string& title, TFlowImage& flow, int32_t width, int32_t height,
                   int32_t extra = 0);
    void setPaperSize(TFlowImage& flow, int32_t width, int32_t height);
    void setPaintRoutine(TPaintRoutine routine);
    bool isCurrentEngine() const { return paintRoutine == TPaintRoutine::current; }
    void switchToCurrentEngine(TFlowImage& flow);
    bool setUndoDepth();

    // ---- layers ----
    int32_t currentLayerIndex() const { return layers->current(); }
    int32_t topLayerIndex() const { return layers->Count() - 1; }
    int32_t layerCount() const { return layers->Count(); }
    CLayerData* layer(int32_t i) { return layers->Get(i); }
    CLayerData* currentLayer() { return layers->Get(layers->current()); }
    void setCurrentLayer(TFlowImage& flow, int32_t i);
    bool contentExtent(int32_t& width, int32_t& height) const;

    // ---- strokes ----
    TStroke& currentStroke();
    void beginStroke(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                     float pressure);
    void beginStrokeCompat(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                           float pressure);
    bool continueStroke(TFlowImage& flow, TStroke& stroke, bool record, ViewSink* view, float x,
                        float y, float pressure);
    // rect: the stroke's rectangle in the layer's image.
    void endStroke(TFlowImage& flow, TStroke& stroke, bool record, TRect& rect, ViewSink* view);
    void lineStroke(TFlowImage& flow, TStroke& stroke, float x0, float y0, float x1, float y1,
                    ViewSink* view);
    // A whole recorded stroke at full pressure through the points of a shape's outline, on
    // the current layer.
    bool strokeOutline(TFlowImage& flow, TStroke& stroke, std::span<const TPointF> points,
                       ViewSink* view);
    // After a stroke: the layer's thumbnail and the navigator.
    void strokeDone(const TRect& rect);

    // ---- undo ----
    bool canUndo(int32_t layerIndex) const;
    bool canRedo(int32_t layerIndex) const;
    bool undo(TFlowImage& flow, int32_t& layerIndex, TRect& rect);
    bool redo(TFlowImage& flow, int32_t& layerIndex, TRect& rect);
    void clearUndo();
    // rect is in the layer's image.
    void saveUndoRect(int32_t layerIndex, const TRect& rect, int kind);

    // ---- edits ----
    void setPaperColor(uint32_t color, bool record);
    bool deleteLayer(TFlowImage& flow, int32_t i, bool record);
    bool clearLayer(TFlowImage& flow, int32_t i, bool record);
    bool execLayerCommand(TFlowImage& flow, int32_t i, bool record, int32_t command);
    // A new layer inserted before `index` (on top past the end), visible, filled with its
    // mode's neutral colour (transparent under the current engine), made current. Its index,
    // or −1 when the stack is full or memory runs out.
    int32_t createLayer(TFlowImage& flow, int32_t index, int32_t w, int32_t h, bool visible,
                        uint8_t opacity, uint8_t mode, bool record);

    // ---- the layer window's edits ----
    // Each refuses (false; nothing recorded, no undo step) a layer that does not exist or a
    // value the layer already has. Otherwise it records the event, saves undo, changes the
    // layer, marks the window modified, redraws what shows and tells the layer window.
    bool setLayerOpacity(TFlowImage& flow, int32_t i, uint8_t opacity, bool record);
    // Also refuses a mode number outside the blend mode table.
    bool setLayerMode(TFlowImage& flow, int32_t i, uint8_t mode, bool record);
    bool setLayerVisible(TFlowImage& flow, int32_t i, bool visible, bool record);
    // Painting keeps the layer's alpha bytes while this is on.
    bool setLayerProtectAlpha(TFlowImage& flow, int32_t i, bool on, bool record);
    // The blend option: draw only where the layer's generator says so, at this amount.
    bool setLayerBlendOption(TFlowImage& flow, int32_t i, bool noise, uint8_t amount,
                             bool record);
    // Also refuses a name with a zero byte or longer than kMaxLayerNameBytes.
    bool renameLayer(int32_t i, const std::string& name, bool record);
    // (x, y) becomes the layer's offset: where the paper's top-left pixel lies in the layer's
    // image, so the image shows at (−x, −y) on the paper. Each must lie within
    // ±kMaxLayerOffset.
    bool setLayerOffset(TFlowImage& flow, int32_t i, int32_t x, int32_t y, bool record);
    // A copy of layer i (pixels, attributes, name, offset) goes above it and becomes current.
    // False also when the stack is full or memory runs out (the message says so when record is
    // set).
    bool duplicateLayer(TFlowImage& flow, int32_t i, bool record);
    // The layer at `from` goes to index `to` (both valid, different) and is current afterwards.
    bool moveLayer(TFlowImage& flow, int32_t from, int32_t to, bool record);

    // ---- the layer stack ----
    // A layer from the new-layer dialog: name (empty: the next default name), mode, and
    // opaque in the mode's neutral colour when asked. Its index, or −1.
    int32_t createNamedLayer(TFlowImage& flow, const TNewLayerChoice& choice, bool record);
    // Layer i merged into the one below (kind 0: the upper mode's merge; 1 and 2: the merges
    // that take both modes into account); the result is current.
    bool mergeDown(TFlowImage& flow, int32_t i, int kind, bool record);
    // Every visible layer becomes one opaque layer of the picture they make over the paper;
    // hidden layers stay as they are.
    bool mergeAll(TFlowImage& flow, bool record);
    bool setAllVisible(TFlowImage& flow, bool visible, bool record);
    bool showOnlyLayer(TFlowImage& flow, int32_t i, bool record);
    bool invertVisibility(TFlowImage& flow, bool record);
    // The flip, negation or half turn of every visible layer's whole image.
    bool transformVisible(TFlowImage& flow, TLayerCommand command, bool record);
    // The layer keeps only what the slot's selection covers.
    bool cutOutside(TFlowImage& flow, int32_t i, int32_t slot, bool record);
    // What the active selection covers is taken out of the layer (the caller has put it on
    // the clipboard first).
    bool cutSelection(TFlowImage& flow, int32_t i, int32_t slot, bool record);
    // The layer's offset grows by (dx, dy) and the slot's selection moves with the picture.
    bool moveLayerWithSelection(TFlowImage& flow, int32_t i, int32_t slot, int32_t dx, int32_t dy,
                                bool record);
    // What Copy puts on the clipboard: the part of layer i under the selection in effect (its
    // alpha weighted by the coverage), or the part on the paper without one; with wholeLayer
    // the layer's whole image. `at` is where the picture lies on the paper.
    bool copyPicture(int32_t i, bool wholeLayer, TImagePlacement& out) const;
    // A picture as a new layer inserted before placement.layer, or laid over that layer.
    bool placeImage(TFlowImage& flow, uint8_t sub, const TImagePlacement& placement, bool record);

    // ---- filters ----
    // The filter over layer i's work rectangle (through the selection in effect), from a
    // copy of the layer taken first. False, with nothing recorded and the layer as it was,
    // when the filter refuses its parameters or memory runs out.
    // The floor's two pictures come along where it names them (null: none).
    bool applyFilter(TFlowImage& flow, int32_t i, const TFilterParams& params, bool record,
                     const TMTC* first = nullptr, const TMTC* second = nullptr);

    // ---- the paper's geometry ----
    // The whole-stack replacements. The canvas size moves the old picture by its anchor; the
    // rescales (sub paperEvent::resolution averages areas, paperEvent::resample supersamples)
    // scale every layer and mask to the new size. `askWithoutUndo` answers whether to go on
    // without undo when the new stack cannot be kept (null: go on).
    using TAskWithoutUndo = std::function<bool(const std::string& question)>;
    bool resizeCanvas(TFlowImage& flow, const TPaperResize& resize, bool record,
                      const TAskWithoutUndo& askWithoutUndo = nullptr);
    bool rescalePaper(TFlowImage& flow, uint8_t sub, const TPaperResize& resize, bool record,
                      const TAskWithoutUndo& askWithoutUndo = nullptr);
    // The paper becomes the rectangle (paper coordinates); `layer` is the current layer then.
    bool cropPaper(TFlowImage& flow, int32_t layer, TRect rect, bool record);
    // The whole paper turned by a quarter; width and height exchange.
    bool turnPaper(TFlowImage& flow, bool clockwise, bool record);
    // One layer turned by a quarter about the paper's centre, rotated by any angle or scaled
    // to a new image size.
    bool turnLayer(TFlowImage& flow, int32_t i, bool clockwise, bool record);
    bool rotateLayer(TFlowImage& flow, int32_t i, float degrees, bool record);
    bool scaleLayer(TFlowImage& flow, int32_t i, int32_t newWidth, int32_t newHeight, bool record);

    // ---- fills ----
    // The current mask holds a selection.
    bool hasSelection() const;
    // The paint bucket at a paper point: the region grown on the current layer (or the
    // displayed picture), bounded by a non-empty current mask, painted with the stroke.
    bool paintBucket(TFlowImage& flow, TStroke& stroke, TPoint at, const TSeedFillOptions& options);
    // The magic wand: the region (never bounded by the mask) combined into the current mask.
    bool magicWand(TFlowImage& flow, TStroke& stroke, TPoint at, const TSeedFillOptions& options,
                   MaskCombine mode);
    // What both end in, and what a replay calls: the channel painted onto the head's layer
    // with the stroke, or made into a selection (the wand's sub-codes).
    bool applyChannel(TFlowImage& flow, TStroke& stroke, uint8_t sub,
                      const TChannelEventHead& head, const TChannel& channel, bool record,
                      const std::function<void()>& recordEvent = {});
    // The text tool's commit: `coverage` (the paper's size) drawn at `bounds` around the
    // origin, painted onto the current layer with the stroke or made into the current
    // selection slot, recorded with the text's records. False, with nothing recorded, when
    // nothing was drawn.
    bool commitText(TFlowImage& flow, TStroke& stroke, const TTextRecords& records,
                    bool intoSelection, TPoint origin, const TChannel& coverage,
                    const TRect& bounds);
    // A rectangle or an ellipse between two paper points, filled with the stroke's colour
    // and opacity through its plotting (selection, tone, gradation).
    bool fillShape(TFlowImage& flow, TStroke& stroke, bool record, TFillShape shape, TPoint first,
                   TPointF second);
    bool fillPolygon(TFlowImage& flow, TStroke& stroke, bool record,
                     std::span<const TPointF> points);
    // The whole current layer with the pen colour (areaFillEvent::wholeLayer, the Insert key),
    // the selection with the pen colour (fillSelection) or with the paper colour
    // (clearSelection, Delete); the last two need a selection.
    bool fillWholeLayer(TFlowImage& flow, TStroke& stroke, bool record, uint8_t sub);

    // ---- selection ----
    // Each Selection command is one edit: recorded, saved for undo, the outline rebuilt and
    // the selection window told. A slot of −1 is the current mask. False, with nothing
    // recorded, when there is nothing to do (no such mask, an empty mask where a selection is
    // needed, an unchanged value).
    // The current mask becomes the current layer's whole rectangle; the selection is switched
    // on and shown.
    bool selectAll(bool record);
    bool clearMask(int32_t slot, bool record);
    bool invertMask(int32_t slot, bool record);
    // A new empty mask (a copy of the slot's) at the slot, made current.
    bool insertMask(int32_t slot, bool record);
    bool duplicateMask(int32_t slot, bool record);
    // The last mask is never taken away: it is emptied instead by clearMask.
    bool removeMask(int32_t slot, bool record);
    bool setCurrentMask(int32_t slot, bool record);
    bool cropMaskToPaper(int32_t slot, bool record);
    bool moveMask(int32_t from, int32_t to, bool record);
    // The mask's top-left corner to a paper position.
    bool setMaskPosition(int32_t slot, TPoint topLeft, bool record);
    bool combineMasks(int32_t dest, int32_t src, MaskCombine mode, bool record);
    // By n = 1 … 32; `byDialog` records the dialog's form of the event.
    bool growMask(int32_t slot, int n, bool grow, bool byDialog, bool record);
    bool renameMask(int32_t slot, const std::string& name, bool record);
    // The outline shown (the selection still applies), and the selection in effect.
    bool setSelectionShown(bool on, bool record);
    bool setSelectionActive(bool on, bool record);
    // A rectangle or an ellipse, or a closed polygon (paper points), combined into the mask.
    bool selectShape(TFillShape kind, const TSelectShape& shape, bool record);
    bool selectPolygon(int32_t slot, std::span<const TPointF> points, MaskCombine mode,
                       bool record);
    // A new mask after the current one from a layer's brightness (dark selected) or alpha.
    bool maskFromLayer(int32_t layer, bool brightness, bool record);
    // The layer's alpha becomes the current mask's coverage.
    bool copySelectionToLayerMask(TFlowImage& flow, int32_t layer, bool record);
    // A new layer above with the selected part of the layer; `split` also takes that part
    // out of the layer.
    bool layerFromSelection(TFlowImage& flow, int32_t layer, bool split, bool record);
    // The channel the colour range's picks give (the dialog's preview); `rect` is where it
    // lies on the paper. False when no pixel is above 1.
    bool colourRangeChannel(const TColourRangeChoice& choice, TChannel& channel, TRect& rect,
                            TColorMaskResult& counts);
    // The same made the mask of the choice's slot.
    bool colourRange(const TColourRangeChoice& choice, bool record);

    // The thumbnails and the outline of masks that came from elsewhere (a loaded file).
    void rebuildSelectionOutline();

    // ---- the layer mask (a layer's alpha) ----
    bool fillLayerMask(TFlowImage& flow, int32_t layer, uint8_t value, bool record);
    bool negateLayerMask(TFlowImage& flow, int32_t layer, bool record);

    // The gradation fill: the current gradation from `start` to `end` (paper pixels) over the
    // current layer, through the selection and the tone, at the stroke's opacity.
    bool fillGradation(TFlowImage& flow, TStroke& stroke, TPoint start, TPoint end, bool record);
    // The gradation window's current entry becomes the paper's gradation (stops and options).
    void takeGradation(const CGradMngr& gradations);

    // The gradation's stops (the events put a recording's stops here).
    CColorSlotGroup& gradationStops() { return gradationStops_; }

    // ---- display ----
    TPointF windowToPaper(int32_t clientWidth, int32_t clientHeight, float x, float y) const;
    TPointF paperToWindow(int32_t clientWidth, int32_t clientHeight, float x, float y) const
    {
        return paperToWindowMap(clientWidth, clientHeight)(x, y);
    }
    TPaperToWindow paperToWindowMap(int32_t clientWidth, int32_t clientHeight) const;
    TPoint paperToWindowInt(int32_t clientWidth, int32_t clientHeight, float x, float y) const;
    // Composes the stroke (when one is in progress), recomposites the rectangle and shows it.
    void updateRect(TFlowImage& flow, ViewSink* view, const TRect& rect, const TStroke* stroke);
    // Gathers what updateRect would refresh until the batch ends, then refreshes the union
    // once: a recording replayed to its end shows nothing on the way, so the display is
    // composited once instead of once per point.
    class TDisplayBatch {
    public:
        explicit TDisplayBatch(TPaper& paper) : paper_(paper) { ++paper_.displayBatches_; }
        ~TDisplayBatch();
        TDisplayBatch(const TDisplayBatch&) = delete;
        TDisplayBatch& operator=(const TDisplayBatch&) = delete;

    private:
        TPaper& paper_;
    };
    // Reloads the flow image from the layer and rebuilds the whole display.
    void refreshAll(TFlowImage& flow, int32_t layerIndex, bool resetSize);
    // Shows a rectangle of the display (clamped to the paper); nothing without a view.
    void blitRect(ViewSink* view, const TRect& rect);
    // Whether the window may copy the display straight (no rotation, no shrinking zoom; with
    // the anti-aliased view only the exact-pixel zooms).
    bool plainCopy() const;
    void invalidate(bool erase) { window.invalidate(erase); }
    static float zoomScaleOf(int32_t level);
    static bool isExactZoom(int32_t level);
    float zoomScale() const { return zoomScaleOf(zoomLevel); }
    bool canZoomIn() const { return zoomLevel < kMaxZoomLevel; }
    bool canZoomOut() const { return zoomLevel >= kMinZoomLevel + 1; }
    void setRotationDegrees(float degrees);
    void setRotationRadians(float radians);
    void setGrid(bool shown, int32_t x, int32_t y, bool redraw);
    std::string buildTitle() const;
    void setModified(bool flag) { window.modified = flag; }
    void setMemoryBudget(int64_t bytes) { services_.memoryBudget = bytes; }

    // ---- UndoPaper ----
    uint32_t paperColour() const override { return paperColor; }
    void setPaperColour(uint32_t colour) override;
    void toggleTransform(int32_t operation) override;
    std::unique_ptr<CLayerMngr> swapLayerList(std::unique_ptr<CLayerMngr> list) override;
    std::unique_ptr<UndoMaskList> swapMaskList(std::unique_ptr<UndoMaskList> list) override;
    CLayerMngr& layerList() override { return *layers; }
    TPoint paperSize() const override { return {width, height}; }
    void setPaperSize(int32_t w, int32_t h) override;
    void shiftView(int32_t dx, int32_t dy) override;

    // ---- fields ----
    std::string title;
    TPaintRoutine paintRoutine = TPaintRoutine::current;
    TDrawWindow& window;
    uint32_t paperColor = 0xFFFFFF; // 0x00RRGGBB
    int32_t dpi = 0;
    int32_t width = 0, height = 0;
    uint8_t selectionShown = 0;
    uint8_t selectionActive = 0;
    uint8_t eventOutputOff = 0;
    uint8_t locked = 0;
    uint8_t initialised = 0;
    uint8_t gridShown = 0;
    int32_t gridX = 25, gridY = 25;
    std::unique_ptr<CGradation> gradation;
    int32_t viewOriginX = 0, viewOriginY = 0;
    int32_t scrollX = 0, scrollY = 0;
    int32_t zoomLevel = 0;
    float rotation = 0.0f;
    float rotCenterX = 0.0f, rotCenterY = 0.0f;
    float rotationDeg = 0.0f;
    float rotSin = 0.0f, rotCos = 1.0f;
    TTC displayImage;
    TTC displayWork; // the zoomed view's second picture; sized by the view when it needs it
    TMTC previewImage;
    std::unique_ptr<CLayerMngr> layers;
    std::unique_ptr<CMaskMngr> masks;
    std::unique_ptr<TSelectMng> selectMng;
    std::unique_ptr<CUndoMngrEx> undoMngr;
    std::unique_ptr<PaperEvents> eventMngr;
    uint8_t stepAxis = 1;
    int32_t lastStepAxis = -1;
    float lastDabX = 0.0f, lastDabY = 0.0f;
    int32_t newPaperExtra = 0; // passed on to the new-paper event

private:
    MessageSink& messages() { return window.messages(); }
    // ---- fills ----
    TPlotter plotterFor(const TStroke& stroke, const CLayerData& layer) const;
    // The layer a fill paints, current and held by the flow image; null when it cannot be.
    CLayerData* fillTarget(TFlowImage& flow, int32_t index);
    // The flow image's rectangle into the layer, shown, thumbnail and navigator refreshed.
    void fillDone(TFlowImage& flow, CLayerData& layer, const TRect& inLayer);
    bool growRegion(TPoint at, const TSeedFillOptions& options, bool barrier, TChannel& region,
                    TRect& rect);
    bool selectChannel(uint8_t sub, const TChannelEventHead& head, const TChannel& channel,
                       const std::function<void()>& recordEvent,
                       bool record);
    // ---- selection ----
    int32_t slotOf(int32_t slot) const { return slot == -1 ? masks->CurrentIndex() : slot; }
    bool hasMaskAt(int32_t slot) const { return masks && masks->Mask(slot) != nullptr; }
    bool selectionAt(int32_t slot) const;
    // After every mask edit: the outline of the current mask, the thumbnail, the window.
    void selectionEdited(int32_t slot);
    // The short and the long form of the selection event, when recording; for the current
    // layer unless one is given.
    void recordSelect(uint8_t sub, int32_t slot, int32_t a = 0, int32_t b = 0, int32_t layer = -1);
    // One of the two switches of the selection, with its event and undo step.
    bool setSelectionFlag(uint8_t TPaper::*flag, uint8_t sub, bool on, bool record);
    // A replaced mask to the undo manager (kind 47).
    void saveMaskUndo(int32_t slot, std::unique_ptr<CMaskData> replaced, bool record);
    // A coverage channel lying at `onPaper` combined into the slot's mask as part of the
    // frame's rectangle (paper coordinates).
    bool applySelection(int32_t slot, const TChannel& channel, const TRect& onPaper,
                        const TRect& frame, MaskCombine mode, bool record);
    // Where a layer's image lies on the paper.
    static TRect layerFrame(const CLayerData& layer);
    bool selectFiller(int32_t slot, const CFillMngr& filler, MaskCombine mode,
                      const std::function<void()>& recordEvent, bool record);
    bool changeLayerAlpha(TFlowImage& flow, int32_t layer, int undoKind,
                          const std::function<void()>& recordEvent,
                          const std::function<bool(CLayerData&)>& change, bool record);
    // The filler of a rectangle or an ellipse between two points; null for another shape.
    static std::unique_ptr<CFillMngr> shapeFiller(TFillShape shape, TPointF p1, TPointF p2);
    bool renderArea(TFlowImage& flow, TStroke& stroke, int32_t index, const CFillMngr& filler,
                    uint32_t colour, bool record, const std::function<void()>& recordEvent);
    Clock& clock() { return services_.clock ? *services_.clock : systemClock(); }
    bool recording() const { return eventMngr && eventMngr->isRecording(); }
    int32_t undoDepthSetting() const;
    void makeUndoManager();
    void startStroke(TFlowImage& flow, TStroke& stroke, bool record, float x, float y,
                     float pressure, bool compat);
    void paintSegment(TFlowImage& flow, TStroke& stroke, bool legacyWalk);
    void reselectRoutines(TFlowImage& flow, const TStroke& stroke);
    // The whole layer recomposited and shown; the flow image reloaded from it.
    // The whole display recomposited from the layers and shown in the window's view.
    void updateAll();
    // The end of every layer window edit: the display recomposited when the change shows
    // there, the window marked modified, the layer window told.
    void layerEditDone(bool recomposite);
    // One byte of a layer's record through the edit cycle; false (nothing done) for a missing
    // layer or an unchanged value.
    // The flip, negation or half turn of a layer's whole image, its offset following.
    static bool applyLayerCommand(CLayerData& layer, TLayerCommand command);
    // After a change of the stack: layer `current` made current, the display rebuilt, the
    // layer window told, the window marked modified.
    void stackChanged(TFlowImage& flow, int32_t current);
    bool changeVisibility(TFlowImage& flow, uint8_t sub, int32_t layer, bool record);
    // A transformed layer in place of layer i, with its event and undo record (kind 35).
    bool replaceTransformed(TFlowImage& flow, int32_t i, std::unique_ptr<CLayerData> made,
                            const std::function<void()>& recordEvent, bool record);
    // A whole-stack replacement: how to build the new stack (and masks, for the rescales),
    // the new paper size, how far the old picture moves on the paper, the event.
    struct TStackChange {
        int undoKind = 0;
        const char* what = "";
        bool askWhenShort = true; // false: fail with a message instead of asking
        TPoint newSize{0, 0};
        TPoint move{0, 0};
        std::function<std::unique_ptr<CLayerMngr>()> buildStack;
        std::function<std::unique_ptr<CMaskMngr>()> buildMasks;
        std::function<void()> recordEvent;
        TAskWithoutUndo ask;
    };
    // The paper takes the new stack; undo keeps the old one when both fit, otherwise the user
    // is asked whether to go on without undo.
    bool replaceStack(TFlowImage& flow, const TStackChange& change, bool record);
    // Every layer and mask turned by a quarter, the paper's sides exchanged; false, with
    // nothing changed, when memory runs out.
    bool quarterTurn(bool clockwise);
    bool setLayerByte(int32_t i, uint8_t CLayerData::*field, uint8_t value,
                      TLayerAttribute attribute, int undoKind, bool record);
    void refreshAfterUndoStep(TFlowImage& flow, int kind, int32_t layerIndex, TRect rect,
                              uint16_t word);
    void applyRefreshWord(TFlowImage& flow, int32_t layerIndex, TRect rect, uint16_t word);
    bool stepLegacyUndo(bool undo, int32_t& layerIndex, TRect& rect);
    void drawGrid(TBox box);
    // The navigator's picture redone where the display changed.
    void refreshPreview(const TRect& onPaper);

    int32_t displayBatches_ = 0;
    TRect batchedDisplay_{}; // on the paper; empty when nothing waits
    TPaperServices services_;
    CColorSlotGroup gradationStops_; // the gradation's stops, copied at creation
    TBrushCanvas canvas_;
};

} // namespace qm

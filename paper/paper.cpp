// The paper: creation, size, engines, layers and the whole-layer edits.
#include "paper/paper.h"

#include "core/debug_output.h"
#include "files/app_profile.h"
#include "layers/blend_mode_table.h"
#include "tone/grad_mngr.h"
#include "undo/layer_history.h"
#include "undo/undo_kinds.h"

#include <algorithm>

namespace qm {

namespace {

constexpr int32_t kInitialLayerCapacity = 24;
constexpr uint8_t kCurrentFirstLayerMode = 3;
constexpr uint8_t kLegacyFirstLayerMode = 0;

} // namespace

TPaper::TPaper(TDrawWindow& owner, const TPaperServices& services)
    : paintRoutine(services.defaultRoutine), window(owner), services_(services)
{
    gradation = std::make_unique<CGradation>();
    if (services_.gradations)
        takeGradation(*services_.gradations);
    gradation->setStops(&gradationStops_);
    displayImage.Resize(1, 1);
    displayWork.Resize(1, 1);
    previewImage.Resize(1, 1);

    layers = std::make_unique<CLayerMngr>(&messages(), clock());
    layers->Construct(kInitialLayerCapacity);
    masks = std::make_unique<CMaskMngr>(0, 0, &messages());
    masks->bindSelectionFlags(&selectionShown, &selectionActive);
    if (isCurrentEngine())
        makeUndoManager();
    else
        setPaintRoutine(TPaintRoutine::legacy);
    if (services_.makeEvents)
        eventMngr = services_.makeEvents(*this);
    if (!eventMngr && services_.makeEvents)
        debugOutput("failed to create eventMngr!");
}

TPaper::~TPaper()
{
    // A stroke in progress must not call back into a paper that is gone.
    if (services_.liveStroke)
        services_.liveStroke->reselectRoutines = nullptr;
    window.stroke.reselectRoutines = nullptr;
}

int32_t TPaper::undoDepthSetting() const
{
    return services_.config ? services_.config->undoMax : TConfigSettings{}.undoMax;
}

void TPaper::makeUndoManager()
{
    const int32_t depth = undoDepthSetting();
    undoMngr = std::make_unique<CUndoMngrEx>(this, CUndoMngrEx::kExtraRecords, depth, depth,
                                             layers.get(), masks.get(), &messages());
    layers->setLayerUndoFactory(nullptr);
}

// ---- life and set-up ----

bool TPaper::initPaper(const std::string& newTitle, TFlowImage& flow, int32_t w, int32_t h,
                       int32_t extra)
{
    TWaitCursor wait(window);
    title = newTitle;
    setPaperSize(flow, w, h);
    const uint8_t mode = isCurrentEngine() ? kCurrentFirstLayerMode : kLegacyFirstLayerMode;
    const int32_t index = layers->AddLayer(w, h, true, 255, mode, !isCurrentEngine());
    if (index < 0)
        return false;
    layers->Get(index)->visible = 1;
    layers->NameNew(index, 1);
    setCurrentLayer(flow, index);
    clearLayer(flow, index, false);
    gradation->SetLine({0, 0}, {w << 16, 0});
    newPaperExtra = extra;
    if (recording()) {
        eventMngr->recordNewPaper(w, h, extra);
        eventMngr->takeStartState();
    }
    initialised = 1;
    invalidate(true);
    return true;
}

void TPaper::setPaperSize(TFlowImage& flow, int32_t w, int32_t h)
{
    setPaperSize(w, h);
    flow.paperWidth = w;
    flow.paperHeight = h;
}

void TPaper::setPaperSize(int32_t w, int32_t h)
{
    width = std::max(w, 0);
    height = std::max(h, 0);
    layers->SetPaperSize(width, height);
    masks->setPaperSize(width, height);
    if (selectMng)
        selectMng->resize(width, height);
    else
        selectMng = std::make_unique<TSelectMng>(width, height);
    displayImage.Resize(std::max(width, 1), std::max(height, 1));
    // The navigator's copy fits a 160-pixel square.
    const int32_t side = 160, longer = std::max({width, height, 1});
    previewImage.Resize(std::max(1, width * side / longer), std::max(1, height * side / longer));
}

void TPaper::setPaintRoutine(TPaintRoutine routine)
{
    paintRoutine = routine;
    if (routine == TPaintRoutine::legacy) {
        undoMngr.reset();
        layers->setLayerUndoFactory([this] {
            return std::make_unique<CLayerHistory>(kLayerUndoLimit, kLayerRedoLimit, &messages());
        });
    }
}

void TPaper::switchToCurrentEngine(TFlowImage& flow)
{
    paintRoutine = TPaintRoutine::current;
    makeUndoManager();
    selectMng.reset();
    layers->FreeLayerUndos();
    refreshAll(flow, currentLayerIndex(), false);
}

bool TPaper::setUndoDepth()
{
    if (!undoMngr)
        return false;
    const int32_t depth = undoDepthSetting();
    if (eventMngr) {
        const int32_t events = std::max(8, depth + 34);
        if (!eventMngr->resizeHistory(events, events)) {
            messages().showMessage(kUndoDepthFailed);
            return false;
        }
    }
    undoMngr->SetLimits(depth, depth);
    return true;
}

// ---- layers ----

void TPaper::setCurrentLayer(TFlowImage& flow, int32_t i)
{
    const int32_t now = layers->SetCurrent(i);
    if (CLayerData* layer = layers->Get(now)) {
        flow.takeLazily(*layer, now, width, height);
        if (services_.liveStroke)
            services_.liveStroke->setKeepAlpha(layer->protectAlpha != 0);
    }
    window.layersChanged();
}

bool TPaper::contentExtent(int32_t& w, int32_t& h) const
{
    w = h = 0;
    for (int32_t i = 0; i < layers->Count(); ++i) {
        w = std::max(w, layers->Get(i)->imageWidth());
        h = std::max(h, layers->Get(i)->imageHeight());
    }
    return layers->Count() > 0;
}

// ---- whole-layer edits ----

void TPaper::setPaperColor(uint32_t color, bool record)
{
    color &= 0xFFFFFFu;
    if (record) {
        if (recording())
            eventMngr->recordPaperColor(color);
        if (undoMngr)
            undoMngr->RecordPaperColour(color);
    }
    paperColor = color;
    updateAll();
    setModified(true);
}

bool TPaper::deleteLayer(TFlowImage& flow, int32_t i, bool record)
{
    if (layers->Count() <= 1 || !layers->IsIndex(i))
        return false;
    if (record && recording())
        eventMngr->recordLayerEvent(1, i);
    std::unique_ptr<CLayerData> removed = layers->ExtractAndFix(i);
    if (record && undoMngr)
        undoMngr->RecordDeleted(i, std::move(removed)); // keeps the layer, or frees it
    removed.reset();
    setCurrentLayer(flow, layers->current());
    updateAll();
    setModified(true);
    return true;
}

bool TPaper::clearLayer(TFlowImage& flow, int32_t i, bool record)
{
    CLayerData* layer = layers->Get(i);
    if (!layer || !layer->image())
        return false;
    if (record) {
        if (recording())
            eventMngr->recordLayerEvent(2, i);
        saveUndoRect(i, toRect(layer->image()->bounds()), kUndoClearLayer);
    }
    layer->image()->FillAll(neutralColour(layer->mode & 0x7F));
    if (flow.holds(*layer, i))
        flow.reload(*layer, layer->image()->bounds());
    updateAll();
    setModified(true);
    return true;
}

bool TPaper::applyLayerCommand(CLayerData& layer, TLayerCommand command)
{
    CBlockVMTC* image = layer.image();
    if (!image)
        return false;
    const TBox all = image->bounds();
    bool done = false;
    switch (command) {
    case TLayerCommand::flipLeftRight: done = image->FlipHorizontal(all); break;
    case TLayerCommand::flipTopBottom: done = image->FlipVertical(all); break;
    case TLayerCommand::negate: done = image->Xor(all, 0x00FFFFFFu); break;
    case TLayerCommand::halfTurn: done = image->Rotate180(all); break;
    }
    if (!done)
        return false;
    // The paper keeps showing the same part of the flipped or turned image, as the undo does.
    if (command == TLayerCommand::flipLeftRight || command == TLayerCommand::halfTurn)
        layer.offsetX = image->width() - layer.offsetX - layer.paperWidth;
    if (command == TLayerCommand::flipTopBottom || command == TLayerCommand::halfTurn)
        layer.offsetY = image->height() - layer.offsetY - layer.paperHeight;
    return true;
}

bool TPaper::execLayerCommand(TFlowImage& flow, int32_t i, bool record, int32_t command)
{
    CLayerData* layer = layers->Get(i);
    if (command < int32_t(TLayerCommand::flipLeftRight) || command > int32_t(TLayerCommand::halfTurn) ||
        !layer || !applyLayerCommand(*layer, TLayerCommand(command))) {
        messages().showMessage(kLayerCommandFailed);
        return false;
    }
    CBlockVMTC* image = layer->image();
    if (record) {
        // Applied first, then saved: these commands undo themselves.
        static constexpr int32_t eventOf[] = {32, 33, 35, 34};
        if (recording())
            eventMngr->recordLayerEvent(eventOf[command - 7], i);
        saveUndoRect(i, toRect(image->bounds()), command);
    }
    setModified(true);
    updateAll();
    strokeDone(toRect(image->bounds()));
    if (flow.holds(*layer, i))
        flow.reload(*layer, image->bounds());
    return true;
}

int32_t TPaper::createLayer(TFlowImage& flow, int32_t index, int32_t w, int32_t h, bool visible,
                            uint8_t opacity, uint8_t mode, bool record)
{
    if (!layers->CanAdd() || !modeInfo(mode & 0x7F))
        return -1;
    if (record && recording())
        eventMngr->recordNewLayer(index, w, h, opacity, mode, visible ? 1 : 0);
    const int32_t at = layers->CreateLayer(index, w, h, visible, opacity, mode, !isCurrentEngine());
    CLayerData* layer = layers->Get(at);
    if (!layer) {
        if (record) {
            messages().showMessage(kLayerCreateFailed);
            clearUndo();
        }
        return -1;
    }
    layer->visible = 1;
    layers->NameNew(at, 1); // names count up and are never reused
    if (record && undoMngr)
        undoMngr->RecordInserted(kUndoNewLayer, at, *layer);
    layer->image()->FillAll(neutralColour(mode & 0x7F));
    layer->SetAlphaAll(isCurrentEngine() ? 0 : 255);
    layer->UpdateThumbnail();
    setCurrentLayer(flow, at);
    updateAll();
    setModified(true);
    return at;
}

// ---- UndoPaper ----

void TPaper::setPaperColour(uint32_t colour)
{
    paperColor = colour & 0xFFFFFFu;
}

std::unique_ptr<CLayerMngr> TPaper::swapLayerList(std::unique_ptr<CLayerMngr> list)
{
    if (!list)
        return nullptr;
    std::swap(layers, list);
    if (!isCurrentEngine())
        setPaintRoutine(paintRoutine); // the new list makes the layers' own histories too
    if (undoMngr)
        undoMngr->SetLayerManager(layers.get());
    return list;
}

void TPaper::shiftView(int32_t dx, int32_t dy)
{
    // The picture moved by (dx, dy) on the paper: the selection moves with it and the view
    // keeps showing the same part of it.
    scrollX += dx;
    scrollY += dy;
    if (dx != 0 || dy != 0)
        for (int32_t i = 0; i < masks->Count(); ++i)
            masks->offset(i, dx, dy);
}

} // namespace qm

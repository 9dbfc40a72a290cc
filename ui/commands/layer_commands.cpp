// The Layer menu: new layers, duplicate, delete, paste, the merges, the visibility of all
// layers, turning, rotating and scaling a layer, and the layer mask. Each runs one paper
// operation on the active drawing window, which records it and keeps it undoable.
#include "layers/blend_mode_table.h"
#include "ui/clipboard_picture.h"
#include "ui/commands/commands.h"
#include "ui/commands/paper_edit.h"
#include "ui/draw_window.h"
#include "ui/main_window.h"
#include "ui/stack_dialogs.h"
#include "ui/ui_text.h"

#include <QInputDialog>
#include <QMenu>

#include <cmath>

namespace qm::ui {

namespace {

// What the dialogs offer next: the last accepted values while the program runs.
TNewLayerChoice gNewLayer;
double gRotateDegrees = 15.0;
int gScalePercent = 100;

using TEdit = std::function<void(TPaper&, TFlowImage&, int32_t current)>;

void newLayerFromDialog(TMainForm& main)
{
    TPaper& paper = main.activeDrawWindow()->paper();
    TNewLayerChoice choice = gNewLayer;
    choice.name = paper.layers->DefaultName(1);
    TFormNewLayer dialog(choice, &main);
    if (dialog.exec() != QDialog::Accepted) return;
    choice = dialog.choice();
    gNewLayer.mode = choice.mode;
    gNewLayer.opacity = choice.opacity;
    gNewLayer.neutralFill = choice.neutralFill;
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        choice.index = p.currentLayerIndex() + 1;
        choice.width = p.width;
        choice.height = p.height;
        // The default name is what the layer gets anyway; only a chosen one is kept.
        if (choice.name == p.layers->DefaultName(1)) choice.name.clear();
        p.createNamedLayer(flow, choice, true);
    });
}

// The picture on the clipboard placed as a new layer above the current one, or over the
// current layer: a copy from this program where it was copied (a layer with its attributes),
// a picture from elsewhere centred on what the window shows.
void paste(TMainForm& main, uint8_t sub)
{
    TClipboardPicture picture;
    if (!pictureFromClipboard(picture)) {
        showWarning(TMainForm::tr("The clipboard holds no picture."));
        return;
    }
    TImagePlacement placement;
    placement.image = std::move(picture.image);
    if (sub == placeEvent::newLayer) {
        placement.name = picture.name;
        placement.attributes = picture.attributes;
    }
    runPaperEdit(main, [&](TDrawWindowWidget& w, TPaper& p, TFlowImage& flow) {
        const TPointF centre =
            p.windowToPaper(w.width(), w.height(), w.width() / 2.0f, w.height() / 2.0f);
        placement.at = picture.copiedAt.value_or(
            TPoint{int32_t(std::lround(centre.x)) - placement.image.width() / 2,
                   int32_t(std::lround(centre.y)) - placement.image.height() / 2});
        placement.layer =
            sub == placeEvent::newLayer ? p.currentLayerIndex() + 1 : p.currentLayerIndex();
        p.placeImage(flow, sub, placement, true);
    });
}

void rotateByAngle(TMainForm& main)
{
    bool ok = false;
    const double degrees = QInputDialog::getDouble(&main, TMainForm::tr("Rotate Layer"),
                                                   TMainForm::tr("Angle (degrees, clockwise):"),
                                                   gRotateDegrees, -360.0, 360.0, 1, &ok);
    if (!ok) return;
    gRotateDegrees = degrees;
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        p.rotateLayer(flow, p.currentLayerIndex(), float(degrees), true);
    });
}

void scaleLayer(TMainForm& main)
{
    bool ok = false;
    const int percent =
        QInputDialog::getInt(&main, TMainForm::tr("Scale Layer"), TMainForm::tr("Scale (%):"),
                             gScalePercent, 1, 1000, 1, &ok);
    if (!ok) return;
    gScalePercent = percent;
    runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
        const CLayerData* layer = p.currentLayer();
        if (!layer) return;
        const auto scaled = [&](int32_t side) {
            return std::max(1, int32_t(std::lround(double(side) * percent / 100.0)));
        };
        p.scaleLayer(flow, p.currentLayerIndex(), scaled(layer->imageWidth()),
                     scaled(layer->imageHeight()), true);
    });
}

} // namespace

void addLayerCommands(TMainForm& main, QMenu& menu)
{
    const auto add = [&main, &menu](const char* name, const QString& text, TEdit edit,
                                    const QKeySequence& keys = {}) {
        return main.addCommand(
            menu, name, text,
            [&main, edit] {
                runPaperEdit(main, [&](TDrawWindowWidget&, TPaper& p, TFlowImage& flow) {
                    edit(p, flow, p.currentLayerIndex());
                });
            },
            keys);
    };
    const auto newLayerOfMode = [](BlendMode mode) {
        return [mode](TPaper& p, TFlowImage& flow, int32_t i) {
            p.createLayer(flow, i + 1, p.width, p.height, true, 255, uint8_t(mode), true);
        };
    };

    main.addCommand(
        menu, "actLayerCreate", TMainForm::tr("&New Layer..."),
        [&main] { newLayerFromDialog(main); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    add("actCreateLayerStd", TMainForm::tr("New &Normal Layer"), newLayerOfMode(BlendMode::Normal));
    add("actCreateLayerMul", TMainForm::tr("New &Multiply Layer"),
        newLayerOfMode(BlendMode::Multiply));
    add("actCreateLayerAdd", TMainForm::tr("New &Add Layer"), newLayerOfMode(BlendMode::Add));
    add("actCreateLayerSub", TMainForm::tr("New &Subtract Layer"),
        newLayerOfMode(BlendMode::Subtract));
    add("actDeleteCurLayer", TMainForm::tr("&Delete Layer"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.deleteLayer(flow, i, true); });
    add("actLayerDuplicate", TMainForm::tr("D&uplicate Layer"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.duplicateLayer(flow, i, true); });
    main.addCommand(menu, "actLayerPaste", TMainForm::tr("&Paste into Layer"),
                    [&main] { paste(main, placeEvent::intoLayer); });
    main.addCommand(
        menu, "actLayerPasteNew", TMainForm::tr("Paste as New &Layer"),
        [&main] { paste(main, placeEvent::newLayer); },
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    menu.addSeparator();
    // Merge Down takes the upper layer's look alone; Merge Down Keeping Both Modes merges with
    // the rules that take both layers' modes into account.
    add(
        "actLayerBindBelow", TMainForm::tr("&Merge Down"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.mergeDown(flow, i, 0, true); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    add("actLayerBindLower", TMainForm::tr("Merge Down Keeping &Both Modes"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.mergeDown(flow, i, 2, true); });
    add("actLayerBindAll", TMainForm::tr("Merge &Visible Layers"),
        [](TPaper& p, TFlowImage& flow, int32_t) { p.mergeAll(flow, true); });
    add("actLayerCutOutside", TMainForm::tr("&Cut Away Outside the Selection"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.cutOutside(flow, i, -1, true); });
    menu.addSeparator();
    add("actLayerVisOnly", TMainForm::tr("Show &Only This Layer"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.showOnlyLayer(flow, i, true); });
    add("actLayerVisAll", TMainForm::tr("&Show All Layers"),
        [](TPaper& p, TFlowImage& flow, int32_t) { p.setAllVisible(flow, true, true); });
    add("actLayerHideAll", TMainForm::tr("&Hide All Layers"),
        [](TPaper& p, TFlowImage& flow, int32_t) { p.setAllVisible(flow, false, true); });
    add("actLayerVisFlip", TMainForm::tr("&Invert Visibility"),
        [](TPaper& p, TFlowImage& flow, int32_t) { p.invertVisibility(flow, true); });
    menu.addSeparator();
    add("actLayerRot90", TMainForm::tr("Turn Layer 90° &Clockwise"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.turnLayer(flow, i, true, true); });
    add("actLayerRot270", TMainForm::tr("Turn Layer 90° Counter-clock&wise"),
        [](TPaper& p, TFlowImage& flow, int32_t i) { p.turnLayer(flow, i, false, true); });
    main.addCommand(menu, "actLayerRotate", TMainForm::tr("&Rotate Layer..."),
                    [&main] { rotateByAngle(main); });
    main.addCommand(menu, "actLayerZoom", TMainForm::tr("Scale &Layer..."),
                    [&main] { scaleLayer(main); });
    menu.addSeparator();
    // The layer mask is the layer's alpha.
    add("actLayerMaskFill", TMainForm::tr("&Fill Layer Mask"),
        [](TPaper& p, TFlowImage& f, int32_t i) { p.fillLayerMask(f, i, 255, true); });
    add("actLayerMaskClear", TMainForm::tr("&Clear Layer Mask"),
        [](TPaper& p, TFlowImage& f, int32_t i) { p.fillLayerMask(f, i, 0, true); });
    add("actLayerMaskNega", TMainForm::tr("&Invert Layer Mask"),
        [](TPaper& p, TFlowImage& f, int32_t i) { p.negateLayerMask(f, i, true); });
    add("actProtectLayerMask", TMainForm::tr("&Protect Layer Mask"),
        [](TPaper& p, TFlowImage& f, int32_t i) {
            if (const CLayerData* layer = p.layer(i))
                p.setLayerProtectAlpha(f, i, !layer->protectAlpha, true);
        })
        ->setCheckable(true);
}

} // namespace qm::ui
